#pragma once
// The upload of one file as a multipart POST on a worker thread, reported to a sink.
#include <atomic>
#include <cstdint>

#include "Network/HttpForm.h"
#include "platform/Text.h"

// Called on the poster's worker thread.
class IFileTransferEvent {
public:
    // Sent completely and answered with status 200.
    virtual void OnTransferComplete(int fileId) = 0;
    // Failed and not cancelled; errorCode is one of HttpPoster's error codes.
    virtual void OnTransferError(int fileId, int errorCode) = 0;
    // bytesSent counts file data only; at most once a second.
    virtual void OnTransferProgress(int fileId, std::uint32_t bytesSent, TString speedText) = 0;

protected:
    ~IFileTransferEvent() = default;
};

class HttpPoster {
public:
    enum State : std::uint32_t { Connected = 1, Cancelled = 4, Failed = 8, DataSent = 16 };
    enum Error : int { ConnectError = 0, WriteError = 1, StatusError = 2 };

    HttpPoster() = default;
    virtual ~HttpPoster() = default;
    HttpPoster(const HttpPoster&) = delete;
    HttpPoster& operator=(const HttpPoster&) = delete;

    virtual void SetUrl(const TString& url) = 0;

    void SetEventSink(IFileTransferEvent* sink) { sink_ = sink; }
    void SetCharset(const TString& name) { form_.SetCharset(name); }
    HttpForm& GetForm() { return form_; }
    std::uint32_t GetSpeed() const { return speed_; }
    std::int32_t GetFileSize() const { return FileSize; }
    std::uint32_t GetPostState() const { return PostState; }
    int GetErrorCode() const { return ErrorCode; }

protected:
    IFileTransferEvent* sink_ = nullptr;
    std::atomic<std::uint32_t> PostState{0};
    std::atomic<int> ErrorCode{0};
    HttpForm form_;
    std::atomic<std::uint32_t> speed_{0};
    std::int32_t FileSize = 0;
    std::atomic<std::uint32_t> SentBytes{0};
    int FileId = -1;
};
