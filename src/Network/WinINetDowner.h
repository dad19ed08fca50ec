#pragma once
// Downloads one web image into a stream with WinINet in asynchronous mode.
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>

#include "Network/ByteStream.h"
#include "Network/Speed.h"
#include "platform/Handle.h"
#include "platform/Text.h"
#include "platform/Threading.h"

// Raised on the downloader's worker thread, except progress, which comes from WinINet's own
// thread. The sink marshals to its window thread.
class IDownloaderEvent {
public:
    virtual void OnDownloadComplete(int id) = 0;
    virtual void OnDownloadError(int id, int errorCode) = 0;
    virtual void OnDownloadStarted(int /*id*/) {}  // never raised
    virtual void OnDownloadProgress(int id, std::uint64_t bytesReceived, TString speedText) = 0;
    virtual void OnDownloadCancelled(int /*id*/) {}  // never raised
    virtual void OnFileSizeKnown() = 0;
    virtual void OnFileNameKnown() = 0;

protected:
    ~IDownloaderEvent() = default;
};

class WinINetDowner {
public:
    enum State : std::uint32_t { Opened = 1, Failed = 8, Complete = 16 };
    enum Error : int { OpenError = 0, NoRequest = 6, ReadError = 16, CallbackRefused = 17, TimedOut = 18, TooLarge = 19 };
    // Downloads go into memory: a larger announced size is refused before any byte is read.
    static constexpr std::uint64_t kSizeLimit = 10 * 1048576;
    // How long connecting, and waiting for each piece of the answer, may take.
    static constexpr DWORD kTimeoutMs = 30000;

    WinINetDowner();
    // Stops a download in flight and waits for it: its worker and WinINet's callbacks point
    // at us. A stopped download raises no final event.
    virtual ~WinINetDowner();
    WinINetDowner(const WinINetDowner&) = delete;
    WinINetDowner& operator=(const WinINetDowner&) = delete;

    void SetEventSink(IDownloaderEvent* sink) { sink_ = sink; }
    void SetTimeout(DWORD milliseconds) { timeoutMs_ = milliseconds; }
    // Starts the download and returns at once. One download at a time.
    bool Download(const TString& url, Network::ByteStream* output);
    // Asks a download in flight to stop and returns at once; it raises no final event. The
    // caller waits for Worker() to end before the downloader or the output stream goes.
    void Stop();
    // The worker of the last download, or null; it ends soon after its final event.
    HANDLE Worker() const { return worker_.Get(); }

    int GetPercent();
    // 0 without a size, 100 when everything arrived, else the truncated percentage.
    static int Percent(std::uint64_t received, std::uint64_t size);
    std::uint64_t GetFileSize() const { return fileSize_; }
    TString GetFileName() const;
    // The image library's format code for the Content-Type (0 when unknown).
    int GetImageType() const;
    TString GetContentType() const;
    std::uint32_t GetState() const { return state_; }
    int GetErrorCode() const { return error_; }
    std::uint64_t GetBytesReceived();
    // The response's HTTP status, 0 before one arrived.
    int GetStatusCode() const { return status_; }

private:
    static unsigned __stdcall ThreadProc(void* self);
    static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD length);
    void Work();
    void ReadHeaders(HINTERNET request);
    void ReadBody(HINTERNET request, Korvel::InternetHandle& internet);
    void CloseRequest();
    bool WaitCompletion(long before, Korvel::InternetHandle& internet);
    void SetTimeouts(HINTERNET handle);
    void Fail(int error);

    IDownloaderEvent* sink_ = nullptr;
    std::atomic<std::uint32_t> state_{0};
    std::atomic<int> error_{0};
    int id_ = -1;
    Korvel::Handle worker_;
    std::uint64_t speed_ = 0;
    std::uint64_t received_ = 0;
    std::uint64_t fileSize_ = 0;
    TString url_;
    TString fileName_;
    TString contentType_;
    mutable Korvel::Threading::CriticalSection receivedLock_;
    mutable Korvel::Threading::CriticalSection speedLock_;
    mutable Korvel::Threading::CriticalSection textLock_;  // file name and content type
    Korvel::Threading::EventHandler requestComplete_;
    HINTERNET request_ = nullptr;  // delivered by the status callback
    Korvel::InternetHandle requestHandle_;  // the open request; the destructor may close it
    Korvel::Threading::CriticalSection handleLock_;
    Korvel::Threading::EventHandler requestClosed_;  // WinINet is done with the request
    std::atomic<bool> stopping_{false};
    // A pending read writes here; they live as long as we do.
    char readBuffer_[3072 + 1] = {};
    INTERNET_BUFFERSA readRecord_{};
    std::atomic<long> completions_{0};  // REQUEST_COMPLETE notifications so far
    DWORD completionError_ = 0;          // error of the last completed asynchronous call
    std::atomic<bool> completionFailed_{false};  // ... and whether it failed
    std::atomic<bool> timedOut_{false};
    DWORD timeoutMs_ = kTimeoutMs;
    std::atomic<int> status_{0};
    SpeedCalculater sampler_;
    Network::ByteStream* output_ = nullptr;
};
