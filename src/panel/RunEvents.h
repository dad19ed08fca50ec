#pragma once
// The transfer events of a panel's posts, on their way from the posters' workers to the
// panel's window thread. Shared by the panel and by any poster it gave up on, so a worker
// that finishes after the panel has gone reports into a queue nobody reads, never into freed
// memory; each event names its post, so the panel can tell a stale one from the current.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "Network/ByteStream.h"
#include "Network/HttpPoster.h"

class WinINetPoster;

struct RunEvent {
    enum Kind { Complete, Error, Progress } kind;
    int postId = -1;
    int errorCode = 0;
    std::uint32_t bytesSent = 0;
    TString speedText;
};

class RunEvents : public IFileTransferEvent {
public:
    // Each event queued wakes the window with this message.
    RunEvents(HWND window, UINT wakeMessage) : window_(window), wake_(wakeMessage) {}

    // The panel is going: what comes later is dropped.
    void Close();
    std::deque<RunEvent> Take();

    void OnTransferComplete(int postId) override;
    void OnTransferError(int postId, int errorCode) override;
    void OnTransferProgress(int postId, std::uint32_t bytesSent, TString speedText) override;

private:
    void Queue(RunEvent event);

    std::mutex lock_;
    HWND window_;
    const UINT wake_;
    std::deque<RunEvent> events_;
};

// A poster whose post was cancelled: cancelled again and destroyed on a thread of its own
// once its worker lets go, with the stream that worker may still read and the events it
// may still report to. The caller never waits.
void RetirePoster(std::unique_ptr<WinINetPoster> poster, std::unique_ptr<Network::MemoryByteStream> stream,
                  std::shared_ptr<RunEvents> events);
