#include "support/LoopbackServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>
#include <chrono>

namespace test {

namespace {

struct WinsockInit {
    WinsockInit()
    {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    }
};

sockaddr_in Loopback(std::uint16_t port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    return addr;
}

long long ContentLength(const std::string& head)
{
    std::string lower = head;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const auto at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) return 0;
    return std::atoll(head.c_str() + at + 17);
}

bool SendAll(SOCKET s, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const int n = ::send(s, bytes.data() + sent, static_cast<int>(std::min<std::size_t>(bytes.size() - sent, 65536)), 0);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

LoopbackServer::LoopbackServer(int receiveBuffer)
{
    static WinsockInit init;
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (receiveBuffer > 0)
        ::setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer), sizeof receiveBuffer);
    sockaddr_in addr = Loopback(0);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener_, 8);
    int len = sizeof addr;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer()
{
    stopping_ = true;
    ::closesocket(listener_);
    if (thread_.joinable()) thread_.join();
}

void LoopbackServer::SetScript(const ServerScript& script)
{
    std::lock_guard<std::mutex> lock(mutex_);
    script_ = script;
    ++generation_;
}

std::wstring LoopbackServer::Url(const std::wstring& path) const
{
    return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
}

std::vector<std::string> LoopbackServer::Requests()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

bool LoopbackServer::WaitForRequests(std::size_t count, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return handled_ >= count; });
}

std::uint16_t LoopbackServer::UnusedPort()
{
    static WinsockInit init;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = Loopback(0);
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    int len = sizeof addr;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    ::closesocket(s);
    return ntohs(addr.sin_port);
}

void LoopbackServer::Serve()
{
    while (!stopping_) {
        SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            if (stopping_) return;
            continue;
        }
        ServerScript script;
        int generation;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            script = script_;
            generation = generation_;
            // A scripted sequence answers the n-th request with its n-th entry, the last one after.
            if (!script.responses.empty())
                script.response = script.responses[std::min(handled_, script.responses.size() - 1)];
            if (script.vary) script.vary(handled_, script);
        }
        Handle(client, script, generation);
        ::closesocket(client);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++handled_;
        }
        changed_.notify_all();
    }
}

void LoopbackServer::Handle(SOCKET client, const ServerScript& script, int generation)
{
    std::string raw;
    std::size_t index;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.emplace_back();
        index = requests_.size() - 1;
    }
    auto record = [&] {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_[index] = raw;
    };

    char buffer[65536];
    std::size_t headEnd;
    while ((headEnd = raw.find("\r\n\r\n")) == std::string::npos) {
        const int n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) {
            record();
            return;
        }
        raw.append(buffer, static_cast<std::size_t>(n));
        if (script.closeOnFirstBytes) {
            record();
            return;
        }
    }
    headEnd += 4;
    const long long length = ContentLength(raw.substr(0, headEnd));
    long long body = static_cast<long long>(raw.size() - headEnd);
    while (body < length) {
        if (script.closeAfterBodyBytes >= 0 && body >= script.closeAfterBodyBytes) {
            record();
            return;  // the caller closes the socket with the rest unread
        }
        std::size_t want = sizeof buffer;
        if (script.readChunk > 0) want = std::min(want, script.readChunk);
        const int n = ::recv(client, buffer, static_cast<int>(std::min<long long>(static_cast<long long>(want), length - body)), 0);
        if (n <= 0) break;
        raw.append(buffer, static_cast<std::size_t>(n));
        body += n;
        record();
        if (script.pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(script.pauseMs));
        // A slow reader stops once the test has moved on to a new script: the kernel may
        // still hold much of an abandoned upload, which would keep the next one waiting.
        if (script.pauseMs > 0 && generation_ != generation) {
            record();
            return;
        }
    }
    record();
    if (script.closeAfterBodyBytes >= 0 && body >= script.closeAfterBodyBytes && body < length) return;
    // In slices, so a stopping server does not keep its test waiting.
    for (int waited = 0; waited < script.silentMs && !stopping_; waited += 50)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (script.responseChunk == 0) {
        SendAll(client, script.response);
    } else {
        for (std::size_t at = 0; at < script.response.size(); at += script.responseChunk) {
            if (!SendAll(client, script.response.substr(at, script.responseChunk))) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(script.responsePauseMs));
        }
    }
    if (script.resetAfterResponse) {
        const linger abort{1, 0};  // closing now sends a reset
        ::setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
        return;
    }
    ::shutdown(client, SD_SEND);
    // Let the client read everything before the socket goes, but do not wait on a client
    // that keeps the connection for later.
    const DWORD wait = 2000;
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait), sizeof wait);
    while (::recv(client, buffer, sizeof buffer, 0) > 0) {
    }
}

std::string HttpResponse(int status, const std::string& headers, const std::string& body, bool withLength)
{
    std::string text = "HTTP/1.1 " + std::to_string(status) + " Status\r\n" + headers;
    if (withLength) text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    text += "Connection: close\r\n\r\n" + body;
    return text;
}

std::string RequestHead(const std::string& raw)
{
    const auto end = raw.find("\r\n\r\n");
    return end == std::string::npos ? raw : raw.substr(0, end + 4);
}

std::string RequestBody(const std::string& raw)
{
    const auto end = raw.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : raw.substr(end + 4);
}

}  // namespace test
