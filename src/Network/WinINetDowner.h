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
    enum Error : int { OpenError = 0, NoRequest = 6, ReadError = 16, CallbackRefused = 17 };

    WinINetDowner();
    // Stops a download in flight and waits for it: its worker and WinINet's callbacks point
    // at us. A stopped download raises no final event.
    virtual ~WinINetDowner();
    WinINetDowner(const WinINetDowner&) = delete;
    WinINetDowner& operator=(const WinINetDowner&) = delete;

    void SetEventSink(IDownloaderEvent* sink) { sink_ = sink; }
    // Starts the download and returns at once. One download at a time.
    bool Download(const TString& url, Network::ByteStream* output);

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

private:
    static unsigned __stdcall ThreadProc(void* self);
    static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD length);
    void Work();
    void ReadHeaders(HINTERNET request);
    void ReadBody(HINTERNET request, Korvel::InternetHandle& internet);
    void CloseRequest();
    bool WaitCompletion(long before, Korvel::InternetHandle& internet);
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
    DWORD openError_ = 0;          // error of the last completed asynchronous call
    bool openFailed_ = false;
    SpeedCalculater sampler_;
    Network::ByteStream* output_ = nullptr;
};
