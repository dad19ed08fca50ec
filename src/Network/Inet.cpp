#include "Network/Inet.h"

#include <vector>

namespace Network::Inet {

#if defined(SF_WIDE)
#define SF_INET(name) name##W
using Buffers = INTERNET_BUFFERSW;
#else
#define SF_INET(name) name##A
using Buffers = INTERNET_BUFFERSA;
#endif

HINTERNET Open(const TChar* agent, DWORD flags)
{
    return SF_INET(::InternetOpen)(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, flags);
}

HINTERNET Connect(HINTERNET internet, const TString& host, INTERNET_PORT port)
{
    return SF_INET(::InternetConnect)(internet, host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
}

HINTERNET OpenRequest(HINTERNET connection, const TChar* verb, const TString& path, DWORD flags)
{
    return SF_INET(::HttpOpenRequest)(connection, verb, path.c_str(), nullptr, nullptr, nullptr, flags, 0);
}

HINTERNET OpenUrl(HINTERNET internet, const TString& url, DWORD flags, DWORD_PTR context)
{
    return SF_INET(::InternetOpenUrl)(internet, url.c_str(), nullptr, 0, flags, context);
}

BOOL SendRequestEx(HINTERNET request, const TString& headers, DWORD bodyLength)
{
    Buffers buffers{};
    buffers.dwStructSize = sizeof buffers;
    buffers.lpcszHeader = headers.c_str();
    buffers.dwHeadersLength = static_cast<DWORD>(headers.size());
    buffers.dwHeadersTotal = static_cast<DWORD>(headers.size());
    buffers.dwBufferTotal = bodyLength;
    return SF_INET(::HttpSendRequestEx)(request, &buffers, nullptr, 0, 0);
}

BOOL EndRequest(HINTERNET request) { return SF_INET(::HttpEndRequest)(request, nullptr, 0, 0); }

INTERNET_STATUS_CALLBACK SetStatusCallback(HINTERNET internet, INTERNET_STATUS_CALLBACK callback)
{
    return SF_INET(::InternetSetStatusCallback)(internet, callback);
}

void SetTimeouts(HINTERNET handle, DWORD connectMs, DWORD idleMs)
{
    ::InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs, sizeof connectMs);
    for (DWORD option : {INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        ::InternetSetOptionW(handle, option, &idleMs, sizeof idleMs);
}

bool QueryNumber(HINTERNET request, DWORD info, DWORD& value)
{
    DWORD size = sizeof value;
    return SF_INET(::HttpQueryInfo)(request, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
}

bool QueryText(HINTERNET request, DWORD info, DWORD capacity, TString& text)
{
    std::vector<TChar> buffer(capacity + 1, 0);
    DWORD size = capacity * sizeof(TChar);
    if (!SF_INET(::HttpQueryInfo)(request, info, buffer.data(), &size, nullptr)) return false;
    text.assign(buffer.data());
    return true;
}

bool QueryRawHeaders(HINTERNET request, TString& text)
{
    // Long header blocks (cookies, many proxies) must not hide the charset or file name.
    DWORD size = 1024 * sizeof(TChar);
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<TChar> buffer(size / sizeof(TChar) + 1, 0);
        DWORD got = size;
        if (SF_INET(::HttpQueryInfo)(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &got, nullptr)) {
            text.assign(buffer.data());
            return true;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
        size = got + sizeof(TChar);
    }
    return false;
}

}  // namespace Network::Inet

namespace Network::Inet {
void DebugOut(const TString& text) { SF_INET(::OutputDebugString)(text.c_str()); }
}  // namespace Network::Inet
