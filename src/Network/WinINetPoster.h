#pragma once
// The poster over WinINet in blocking mode: one worker thread per file.
#include <windows.h>
#include <wininet.h>

#include <vector>

#include "Network/ByteStream.h"
#include "Network/HttpPoster.h"
#include "Network/Url.h"
#include "platform/Handle.h"
#include "platform/Threading.h"

class WinINetPoster : public HttpPoster {
public:
    WinINetPoster() = default;
    // Cancels a post in flight and waits for its worker, which holds a pointer to us.
    ~WinINetPoster() override;

    void SetUrl(const TString& url) override { url_ = url; }
    const TString& GetUrl() const { return url_; }
    // Aborts the post in flight; a cancelled post raises no event.
    virtual void Cancel();

    // Starts the upload of the stream's bytes as the form's file part and returns at once.
    // The stream must stay valid until the final event. False if no worker could start.
    bool Post(int fileId, Network::ByteStream* stream, const TString& fileName);

    TString GetResponse() const;
    DWORD GetStatusCode() const { return StatusCode; }
    TString GetResponseCharset() const { return ResponseCharset; }

    // The request flags for an address's scheme.
    static DWORD RequestFlags(Network::Scheme scheme);

    // Upper bound of the response text kept for script.
    static constexpr std::uint32_t kMaxResponseBytes = 4u << 20;

    // How long a connection may take, and how long the server may leave a send or a read
    // without progress, before the photo fails (milliseconds; for every poster made later).
    static void SetTimeouts(DWORD connectMs, DWORD idleMs);

private:
    static unsigned __stdcall ThreadProc(void* self);
    void Work();
    void Send(HINTERNET request);
    void ReadResponse(HINTERNET request);
    void Fail(int error);
    bool IsCancelled();
    void SetResponse(const TString& text);
    // A worker thread other than the calling one that has not ended, or null.
    HANDLE OtherRunningWorker() const;

    LONG cancelled_ = 0;
    DWORD StatusCode = 0;
    TString ResponseCharset = SF_T("utf-8");
    TString url_;
    TString response_;
    Network::ByteStream* stream_ = nullptr;
    mutable Korvel::Threading::CriticalSection lock_;  // cancelled flag, request handle, response, threads
    Korvel::InternetHandle request_;
    std::vector<Korvel::Handle> workers_;
    bool closing_ = false;
};
