#include "Network/WinINetPoster.h"

#include <process.h>

#include <algorithm>

#include "Biz/Log.h"
#include "Network/Inet.h"
#include "Network/Speed.h"
#include "Network/Url.h"
#include "Network/WireText.h"

using Lock = Korvel::Threading::CriticalSection::Lock;

namespace {

#if defined(SF_WIDE)
// Only the ActiveX control logs its uploads.
constexpr bool PosterLogs() { return true; }
TString Number(unsigned long v) { return std::to_wstring(v); }
// The control compares the headers without regard to case, the plug-in as they stand.
bool DeclaresUtf8(const TString& headers)
{
    TString lower = headers;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(::towlower(c));
    return lower.find(L"charset=utf-8") != TString::npos;
}
#else
constexpr bool PosterLogs() { return false; }
TString Number(unsigned long v) { return std::to_string(v); }
bool DeclaresUtf8(const TString& headers) { return headers.find("charset=utf-8") != TString::npos; }
#endif

constexpr DWORD kBlock = 512;

// Without them a server that stops answering keeps the run "uploading" for ever.
std::atomic<DWORD> g_connectTimeout{30000};
std::atomic<DWORD> g_idleTimeout{60000};

void ApplyTimeouts(HINTERNET handle) { Network::Inet::SetTimeouts(handle, g_connectTimeout, g_idleTimeout); }

bool WriteAll(HINTERNET request, const std::string& bytes)
{
    DWORD written = 0;
    return ::InternetWriteFile(request, bytes.data(), static_cast<DWORD>(bytes.size()), &written) != FALSE;
}

}  // namespace

void WinINetPoster::SetTimeouts(DWORD connectMs, DWORD idleMs)
{
    g_connectTimeout = connectMs;
    g_idleTimeout = idleMs;
}

WinINetPoster::~WinINetPoster()
{
    {
        Lock lock(lock_);
        closing_ = true;
    }
    // A worker may start the next post from its final event; keep cancelling until none runs.
    // A poster destroyed from its own event cannot wait for itself.
    for (;;) {
        Cancel();
        HANDLE running = OtherRunningWorker();
        if (!running) break;
        ::WaitForSingleObject(running, INFINITE);
    }
}

HANDLE WinINetPoster::OtherRunningWorker() const
{
    Lock lock(lock_);
    for (const auto& worker : workers_) {
        if (::GetThreadId(worker.Get()) == ::GetCurrentThreadId()) continue;
        if (::WaitForSingleObject(worker.Get(), 0) == WAIT_TIMEOUT) return worker.Get();
    }
    return nullptr;
}

void WinINetPoster::Cancel()
{
    Lock lock(lock_);
    cancelled_ = 1;
    request_.Reset();
}

bool WinINetPoster::IsCancelled()
{
    Lock lock(lock_);
    return cancelled_ != 0;
}

TString WinINetPoster::GetResponse() const
{
    Lock lock(lock_);
    return response_;
}

void WinINetPoster::SetResponse(const TString& text)
{
    Lock lock(lock_);
    response_ = text;
}

void WinINetPoster::Fail(int error)
{
    PostState = Failed;
    ErrorCode = error;
}

DWORD WinINetPoster::RequestFlags(Network::Scheme scheme)
{
    // The certificate is checked in full: one for another host name or out of date fails
    // the post like a refused connection, or anyone on the path could read and change it.
    if (scheme == Network::Scheme::Https) return INTERNET_FLAG_SECURE;
    return INTERNET_FLAG_NO_CACHE_WRITE;
}

bool WinINetPoster::Post(int fileId, Network::ByteStream* stream, const TString& fileName)
{
    {
        Lock lock(lock_);
        if (closing_) return false;
    }
    // A cancelled worker may still be unwinding: until it has, it could close the new
    // request's handle or read the flags and counters this post is about to reset. (The
    // next photo of a run is posted from the worker's own final event: it never waits.)
    while (HANDLE running = OtherRunningWorker()) ::WaitForSingleObject(running, INFINITE);
    {
        Lock lock(lock_);
        cancelled_ = 0;
    }
    FileId = fileId;
    stream_ = stream;
    FileSize = stream ? std::max<std::int32_t>(stream->Size(), 0) : 0;
    SentBytes = 0;
    speed_ = 0;
    form_.AddStreamField(FileSize, fileName);

    Korvel::Handle thread(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &ThreadProc, this, 0, nullptr)));
    if (!thread) return false;
    Lock lock(lock_);
    // Forget workers that have ended (not while the destructor is looking at the list).
    if (!closing_)
        std::erase_if(workers_, [](const Korvel::Handle& h) { return ::WaitForSingleObject(h.Get(), 0) == WAIT_OBJECT_0; });
    workers_.push_back(std::move(thread));
    return true;
}

unsigned __stdcall WinINetPoster::ThreadProc(void* self)
{
    auto* poster = static_cast<WinINetPoster*>(self);
    try {
        poster->Work();
    } catch (...) {
        // Out of memory or worse: the caller still needs a final event to go on.
        try {
            if (!poster->IsCancelled() && poster->sink_) poster->sink_->OnTransferError(poster->FileId, WriteError);
        } catch (...) {
        }
    }
    return 0;
}

void WinINetPoster::Work()
{
    using namespace Network;
    if (PosterLogs()) SF_LOG_TEXT(SF_T("上传地址："), url_.c_str());

    const UrlParts parts = SplitUrl(url_);
    const DWORD flags = RequestFlags(parts.scheme);
    PostState = 0;
    Korvel::InternetHandle internet(Inet::Open(SF_T("ZevoRudizado"), 0));
    if (internet) ApplyTimeouts(internet.Get());
    Korvel::InternetHandle connection;
    if (internet) connection.Reset(Inet::Connect(internet.Get(), parts.host, parts.port));
    if (connection) {
        PostState = Connected;
    } else {
        Fail(ConnectError);
        SetResponse(SF_T("连接服务器失败，请检查URL是否正确。"));
        if (PosterLogs()) SF_LOG(SF_T("连接失败"));
    }

    HINTERNET request = nullptr;
    if (PostState & Connected) {
        request = Inet::OpenRequest(connection.Get(), SF_T("POST"), parts.path, flags);
        if (request) ApplyTimeouts(request);
        {
            Lock lock(lock_);
            request_.Reset(request);
        }
        Send(request);
    }
    if (PostState & Connected) Inet::EndRequest(request);
    if (PostState & DataSent) {
        DWORD status = 0;
        if (!Inet::QueryNumber(request, HTTP_QUERY_STATUS_CODE, status)) status = 0;
        StatusCode = status;
        if (status != 200) Fail(StatusError);
        // An error page becomes the response text too.
        ReadResponse(request);
    }

    {
        Lock lock(lock_);
        request_.Reset();  // unless Cancel closed it already
    }
    connection.Reset();
    internet.Reset();

    const bool cancelled = IsCancelled();
    const std::uint32_t state = PostState;
    if (!sink_) return;
    if ((state & DataSent) && StatusCode == 200)
        sink_->OnTransferComplete(FileId);
    else if (state == Failed && !cancelled)
        sink_->OnTransferError(FileId, ErrorCode);
}

void WinINetPoster::Send(HINTERNET request)
{
    using namespace Network;
    // Without its head the request cannot take the body: the post ends as a failure to
    // write the fields, with this text as the response. (Writing anyway is what some
    // WinINet implementations crash on.)
    const bool headSent = Inet::SendRequestEx(request, HttpHeader().GetText(), form_.GetContentLength()) != FALSE;
    if (!headSent) {
        const DWORD error = ::GetLastError();
        SetResponse(SF_T("向服务器发送请求头失败，请检查URL是否正确。"));
        if (PosterLogs()) SF_LOG_NUMBER(SF_T("发送请求头失败，错误码："), error);
        ::SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    }

    if (!headSent || !WriteAll(request, AnsiBytes(form_.GetFieldsText()))) {
        const DWORD error = ::GetLastError();
        Fail(WriteError);
        if (PosterLogs()) SF_LOG_NUMBER(SF_T("发送字段信息，错误码："), error);
        return;
    }

    // Never more than the announced size, even from a stream that grows.
    char block[kBlock];
    auto readBlock = [&]() -> DWORD {
        const std::uint32_t left = static_cast<std::uint32_t>(FileSize) - SentBytes;
        if (!stream_ || left == 0) return 0;
        return static_cast<DWORD>(stream_->Read(block, 1, std::min<std::uint32_t>(kBlock, left)));
    };
    if (stream_) stream_->Seek(0, SEEK_SET);
    DWORD got = readBlock();
    SpeedCalculater speed;
    speed.Start(0);
    DWORD lastReport = ::GetTickCount();
    while (got > 0) {
        if (!(PostState & Connected)) break;
        if (IsCancelled()) {
            PostState = Cancelled;
            break;
        }
        DWORD written = 0;
        if (!::InternetWriteFile(request, block, got, &written)) {
            const DWORD error = ::GetLastError();
            Fail(WriteError);
            if (PosterLogs()) SF_LOG_NUMBER(SF_T("发送文件块数据，错误码："), error);
            break;
        }
        SentBytes += written;
        speed_ = static_cast<std::uint32_t>(speed.Sample(SentBytes));
        if (::GetTickCount() - lastReport >= 1000 && sink_) {
            sink_->OnTransferProgress(FileId, SentBytes, FormatSpeed(speed_));
            lastReport = ::GetTickCount();
        }
        got = readBlock();
    }
    // After a cancel or a failure nothing more goes out on this request.
    if (!(PostState & Connected)) return;
    // A stream that ends early would leave the server waiting for the announced bytes.
    if (SentBytes != static_cast<std::uint32_t>(FileSize)) {
        Fail(WriteError);
        return;
    }

    if (!WriteAll(request, "\r\n")) {
        const DWORD error = ::GetLastError();
        Fail(WriteError);
        if (PosterLogs()) SF_LOG_NUMBER(SF_T("发送文件块结尾数据，错误码："), error);
        return;
    }
    PostState = PostState | DataSent;
    if (!WriteAll(request, AnsiBytes(form_.GetEndText()))) {
        const DWORD error = ::GetLastError();
        Fail(WriteError);
        if (PosterLogs()) SF_LOG_NUMBER(SF_T("请求结束标记失败，错误码："), error);
    }
}

void WinINetPoster::ReadResponse(HINTERNET request)
{
    using namespace Network;
    SetResponse(TString());
    DWORD length = 0;
    if (!Inet::QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, length)) {
        const DWORD error = ::GetLastError();
        if (PosterLogs()) SF_LOG_NUMBER(SF_T("查询服务器内容长度错误，错误码："), error);
        length = 0;
    }
    if (length == 0) return;

    // The text is for script: a bounded amount, read until it is all there or the data ends.
    const DWORD wanted = std::min<DWORD>(length, kMaxResponseBytes);
    std::string body(wanted, '\0');
    DWORD total = 0;
    while (total < wanted) {
        DWORD got = 0;
        if (!::InternetReadFile(request, body.data() + total, wanted - total, &got) || got == 0) break;
        total += got;
    }
    body.resize(total);
    body.resize(std::min(body.size(), body.find('\0')));

    TString headers;
    if (Inet::QueryRawHeaders(request, headers))
        ResponseCharset = DeclaresUtf8(headers) ? SF_T("utf-8") : SF_T("gb2312");
    else
        Inet::DebugOut(SF_T("查询Content-Type错误： ") + Number(::GetLastError()) + SF_T(" \n"));

    const TString text = ResponseCharset == SF_T("utf-8") ? TextFromUtf8(body) : TextFromAnsi(body);
    SetResponse(text);
    if (PosterLogs()) SF_LOG(text.c_str());
}
