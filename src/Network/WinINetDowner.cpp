#include "Network/WinINetDowner.h"

#include <process.h>

#include <cstring>

#include "Biz/Flavour.h"
#include "Biz/Log.h"
#include "Network/Inet.h"
#include "Network/Url.h"

using Lock = Korvel::Threading::CriticalSection::Lock;

namespace {

constexpr DWORD kReadBlock = 3072;

// WinINet's own time-out error; Wine hands on the socket's.
bool IsTimeout(DWORD error) { return error == ERROR_INTERNET_TIMEOUT || error == WSAETIMEDOUT; }

}  // namespace

WinINetDowner::WinINetDowner() = default;

WinINetDowner::~WinINetDowner()
{
    if (!worker_ || ::GetThreadId(worker_.Get()) == ::GetCurrentThreadId()) return;
    Stop();
    ::WaitForSingleObject(worker_.Get(), INFINITE);
}

void WinINetDowner::Stop()
{
    if (!worker_ || ::GetThreadId(worker_.Get()) == ::GetCurrentThreadId()) return;
    stopping_ = true;
    {
        // Closing the request makes WinINet give up what it is waiting for.
        Lock lock(handleLock_);
        requestHandle_.Reset();
    }
    requestComplete_.Set();  // the worker may be waiting for a completion
}

// Waits for WinINet to complete the operation started when the count of completions stood
// at before. When the downloader is stopping, or the operation takes longer than the
// time-out, closes the request and the session so the operation is cancelled, and still
// waits for its completion: until then WinINet may write into our buffers and call us back.
// False when stopping or timed out.
bool WinINetDowner::WaitCompletion(long before, Korvel::InternetHandle& internet)
{
    // Later than WinINet's own time-outs, which end the operation more gently where they work.
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs_ + timeoutMs_ / 2;
    while (completions_ == before && !stopping_) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            timedOut_ = true;
            break;
        }
        ::WaitForSingleObject(requestComplete_.Get(), static_cast<DWORD>(deadline - now));
    }
    if (completions_ != before && !stopping_) {
        timedOut_ = false;  // it completed just in time
        return true;
    }
    {
        Lock lock(handleLock_);
        requestHandle_.Reset();
    }
    internet.Reset();
    while (completions_ == before) ::WaitForSingleObject(requestComplete_.Get(), 100);
    return false;
}

void WinINetDowner::CloseRequest()
{
    bool had;
    {
        Lock lock(handleLock_);
        had = request_ != nullptr;
        requestHandle_.Reset();
    }
    // WinINet may still be completing an operation into our buffer or calling back with
    // us as context; its closing notification is the last thing it does with the request.
    if (had) ::WaitForSingleObject(requestClosed_.Get(), 2000);
}

bool WinINetDowner::Download(const TString& url, Network::ByteStream* output)
{
    if (worker_ && ::WaitForSingleObject(worker_.Get(), 0) == WAIT_TIMEOUT) return false;
    sampler_.Start(0);
    url_ = url;
    {
        Lock lock(receivedLock_);
        received_ = 0;
    }
    {
        Lock lock(speedLock_);
        speed_ = 0;
    }
    output_ = output;
    state_ = 0;
    error_ = 0;
    status_ = 0;
    stopping_ = false;
    timedOut_ = false;
    fileSize_ = 0;
    request_ = nullptr;
    {
        Lock lock(textLock_);
        fileName_ = Network::LastPathSegment(Network::SplitUrl(url).path);
        contentType_.clear();
    }
    worker_.Reset(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &ThreadProc, this, 0, nullptr)));
    return worker_.Valid();
}

int WinINetDowner::GetPercent() { return Percent(GetBytesReceived(), fileSize_); }

int WinINetDowner::Percent(std::uint64_t received, std::uint64_t size)
{
    if (size == 0) return 0;
    if (received == size) return 100;
    return static_cast<int>(static_cast<double>(received) * 100 / static_cast<double>(size));
}

std::uint64_t WinINetDowner::GetBytesReceived()
{
    Lock lock(receivedLock_);
    return received_;
}

TString WinINetDowner::GetFileName() const
{
    Lock lock(textLock_);
    return fileName_;
}

TString WinINetDowner::GetContentType() const
{
    Lock lock(textLock_);
    return contentType_;
}

int WinINetDowner::GetImageType() const
{
    const TString type = Flavour::Lower(GetContentType());
    if (type == SF_T("image/bmp")) return 1;
    if (type == SF_T("image/gif")) return 2;
    if (type == SF_T("image/jpeg")) return 3;
    if (type == SF_T("image/png")) return 4;
    if (type == SF_T("image/tiff")) return 6;
    return 0;
}

void WinINetDowner::Fail(int error)
{
    state_ = Failed;
    error_ = error;
}

unsigned __stdcall WinINetDowner::ThreadProc(void* self)
{
    auto* downer = static_cast<WinINetDowner*>(self);
    try {
        downer->Work();
    } catch (...) {
        try {
            if (downer->sink_) downer->sink_->OnDownloadError(downer->id_, ReadError);
        } catch (...) {
        }
    }
    return 0;
}

void CALLBACK WinINetDowner::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD)
{
    if (status != INTERNET_STATUS_HANDLE_CREATED && status != INTERNET_STATUS_REQUEST_COMPLETE &&
        status != INTERNET_STATUS_RESPONSE_RECEIVED && status != INTERNET_STATUS_HANDLE_CLOSING)
        return;
    auto* self = reinterpret_cast<WinINetDowner*>(context);
    if (!self) return;
    if (status == INTERNET_STATUS_HANDLE_CLOSING) {
        self->requestClosed_.Set();
        return;
    }
    const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
    switch (status) {
    case INTERNET_STATUS_HANDLE_CREATED:
        if (result) {
            self->request_ = reinterpret_cast<HINTERNET>(result->dwResult);
            // Before it connects: a request takes its time-outs along when it does.
            Network::Inet::SetTimeouts(self->request_, self->timeoutMs_, self->timeoutMs_);
        }
        break;
    case INTERNET_STATUS_REQUEST_COMPLETE:
        self->completionFailed_ = !result || result->dwResult == 0;
        self->completionError_ = result ? result->dwError : 0;
        ++self->completions_;
        self->requestComplete_.Set();
        break;
    case INTERNET_STATUS_RESPONSE_RECEIVED: {
        const std::uint64_t received = self->GetBytesReceived();
        const std::uint64_t speed = self->sampler_.Sample(received);
        {
            Lock lock(self->speedLock_);
            self->speed_ = speed;
        }
        if (self->sink_) self->sink_->OnDownloadProgress(self->id_, received, FormatSpeed(speed));
        break;
    }
    }
}

void WinINetDowner::Work()
{
    using namespace Network;
    Korvel::InternetHandle internet(Inet::Open(SF_T("FileDownloader"), INTERNET_FLAG_ASYNC));
    HINTERNET request = nullptr;
    if (!internet) {
        Fail(OpenError);
    } else if (Inet::SetStatusCallback(internet.Get(), &StatusCallback) == INTERNET_INVALID_STATUS_CALLBACK) {
        Fail(CallbackRefused);
    } else {
        Inet::SetTimeouts(internet.Get(), timeoutMs_, timeoutMs_);
        const long before = completions_;
        HINTERNET opened = Inet::OpenUrl(internet.Get(), url_, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE,
                                         reinterpret_cast<DWORD_PTR>(this));
        const DWORD error = opened ? ERROR_SUCCESS : ::GetLastError();
        if (opened) {
            // Finished at once; WinINet may do that when it has all it needs.
            request_ = opened;
            state_ = state_ | Opened;
        } else if (error == ERROR_IO_PENDING) {
            if (!WaitCompletion(before, internet)) {
                // Closing the session closed the request with it.
                request_ = nullptr;
                if (timedOut_) Fail(TimedOut);
            } else if (completionFailed_) {
                // A refused or failed connection completes with no handle: WinINet has closed it.
                request_ = nullptr;
                if (IsTimeout(completionError_)) {
                    timedOut_ = true;
                    Fail(TimedOut);
                } else {
                    Fail(OpenError);
                    SF_LOG_TEXT(SF_T("打开URL错误，URL："), url_.c_str());
                }
            } else {
                state_ = state_ | Opened;
            }
        } else {
            Fail(OpenError);
            SF_LOG_TEXT(SF_T("打开URL错误，URL："), url_.c_str());
        }
        if (!request_ && !timedOut_) Fail(NoRequest);
        Lock lock(handleLock_);
        request = request_;
        requestHandle_.Reset(request_);
        if (stopping_) requestHandle_.Reset();  // the destructor came first
    }

    if ((state_ & Opened) && !stopping_) {
        ReadHeaders(request);
        if ((state_ & Opened) && !stopping_) ReadBody(request, internet);
    }

    if (internet) Inet::SetStatusCallback(internet.Get(), nullptr);
    CloseRequest();
    request_ = nullptr;
    internet.Reset();

    if (!sink_ || stopping_) return;
    if (state_ & Complete)
        sink_->OnDownloadComplete(id_);
    else if (state_ == Failed)
        sink_->OnDownloadError(id_, error_);
}

void WinINetDowner::ReadHeaders(HINTERNET request)
{
    using namespace Network;
    DWORD status = 0;
    if (Inet::QueryNumber(request, HTTP_QUERY_STATUS_CODE, status)) status_ = static_cast<int>(status);

    DWORD size = 0;
    if (Inet::QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, size)) {
        fileSize_ = size;
        if (sink_) sink_->OnFileSizeKnown();
        if (fileSize_ > kSizeLimit) Fail(TooLarge);
    } else {
        SF_LOG(SF_T("获取服务器文件大小错误"));
        fileSize_ = 0;
    }

    TString headers;
    if (Inet::QueryRawHeaders(request, headers)) {
        const TString key = SF_T("filename=\"");
        const auto start = headers.find(key);
        const auto end = start == TString::npos ? TString::npos : headers.find(SF_T('"'), start + key.size());
        if (end != TString::npos) {
            // Only a name: folders in it are the server's business, not the visitor's.
            const TString name = LastPathSegment(headers.substr(start + key.size(), end - start - key.size()));
            if (!name.empty()) {
                {
                    Lock lock(textLock_);
                    fileName_ = name;
                }
                if (sink_) sink_->OnFileNameKnown();
            }
        }
    } else {
        SF_LOG_NUMBER(SF_T("获取服务器文件名称信息失败，错误码："), ::GetLastError());
    }

    TString type;
    if (Inet::QueryText(request, HTTP_QUERY_CONTENT_TYPE, 49, type)) {
        Lock lock(textLock_);
        contentType_ = type;
    } else {
        SF_LOG_NUMBER(SF_T("获取图片类型失败，错误码："), ::GetLastError());
    }
}

void WinINetDowner::ReadBody(HINTERNET request, Korvel::InternetHandle& internet)
{
    INTERNET_BUFFERSA& record = readRecord_;
    record = INTERNET_BUFFERSA{};
    record.dwStructSize = sizeof record;
    while (fileSize_ > 0 && GetBytesReceived() < fileSize_) {
        std::memset(readBuffer_, 0, sizeof readBuffer_);
        record.lpvBuffer = readBuffer_;
        record.dwBufferLength = kReadBlock;
        const long before = completions_;
        if (!::InternetReadFileExA(request, &record, IRF_ASYNC, reinterpret_cast<DWORD_PTR>(this))) {
            if (::GetLastError() != ERROR_IO_PENDING) {
                Fail(ReadError);
                return;
            }
            if (!WaitCompletion(before, internet)) {
                if (timedOut_) Fail(TimedOut);
                return;
            }
            // A read that failed on WinINet's side reports it here; the buffer holds nothing.
            if (completionFailed_) {
                Fail(IsTimeout(completionError_) ? TimedOut : ReadError);
                return;
            }
        }
        if (record.dwBufferLength == 0) break;
        if (output_) output_->Write(readBuffer_, record.dwBufferLength, 1);
        Lock lock(receivedLock_);
        received_ += record.dwBufferLength;
    }
    if (GetBytesReceived() >= fileSize_)
        state_ = state_ | Complete;
    else
        Fail(ReadError);  // the data ended before the announced size
}
