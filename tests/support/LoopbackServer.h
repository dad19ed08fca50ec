#pragma once
// A small HTTP server for transport tests: listens on 127.0.0.1 only, inside the test
// process, serves one connection at a time, records each request's raw bytes and answers
// with whatever raw response the test scripted.
#include <winsock2.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test {

struct ServerScript {
    // Written verbatim once the request has been read; empty closes without answering.
    std::string response;
    // When set, the n-th request (counted from the server's start) gets the n-th of these.
    std::vector<std::string> responses{};
    // A server that has stopped answering: after reading the request it waits this long
    // before it answers (or closes).
    int silentMs = 0;
    // A slow reader: after each chunk of this many body bytes, pause (0: read at full speed).
    std::size_t readChunk = 0;
    int pauseMs = 0;
    // Close the connection without answering after this many body bytes (-1: never).
    long long closeAfterBodyBytes = -1;
    // Close without answering as soon as any bytes arrive (for clients that never send a
    // plain HTTP head, such as a TLS handshake).
    bool closeOnFirstBytes = false;
    // Send the response in pieces of this size with a pause between them (0: all at once).
    std::size_t responseChunk = 0;
    int responsePauseMs = 0;
    // End with a reset instead of an orderly close, once the response has been sent.
    bool resetAfterResponse = false;
    // When set, shapes the script for the n-th request (counted from the server's start, 0
    // first), on the server's thread: a late answer for one, a refusal for another.
    std::function<void(std::size_t n, ServerScript& script)> vary{};
};

class LoopbackServer {
public:
    // receiveBuffer > 0 shrinks the socket's receive buffer, so a slow reader holds the
    // sender back instead of the kernel swallowing the whole upload.
    explicit LoopbackServer(int receiveBuffer = 0);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    void SetScript(const ServerScript& script);
    std::uint16_t Port() const { return port_; }
    std::wstring Url(const std::wstring& path) const;

    // Raw bytes of every request received so far, head and body.
    std::vector<std::string> Requests();
    // Waits until count requests have been handled completely (false after a time-out).
    bool WaitForRequests(std::size_t count, int timeoutMs = 10000);

    // A port on 127.0.0.1 where nothing listens.
    static std::uint16_t UnusedPort();

private:
    void Serve();
    // generation: the script's number; a slow read gives up when a newer script is set.
    void Handle(SOCKET client, const ServerScript& script, int generation);

    SOCKET listener_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    ServerScript script_;
    std::vector<std::string> requests_;
    std::size_t handled_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> generation_{0};
    std::thread thread_;
};

// A raw response with the given status line, extra header lines (each ending in CRLF) and body.
std::string HttpResponse(int status, const std::string& headers, const std::string& body, bool withLength = true);

// The head and the body of a raw request.
std::string RequestHead(const std::string& raw);
std::string RequestBody(const std::string& raw);

}  // namespace test
