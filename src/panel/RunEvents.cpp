#include "panel/RunEvents.h"

#include "Network/WinINetPoster.h"
#include "platform/Detached.h"

void RunEvents::Close()
{
    std::lock_guard<std::mutex> hold(lock_);
    window_ = nullptr;
    events_.clear();
}

std::deque<RunEvent> RunEvents::Take()
{
    std::deque<RunEvent> taken;
    std::lock_guard<std::mutex> hold(lock_);
    taken.swap(events_);
    return taken;
}

void RunEvents::OnTransferComplete(int postId) { Queue(RunEvent{RunEvent::Complete, postId, 0, 0, {}}); }

void RunEvents::OnTransferError(int postId, int errorCode) { Queue(RunEvent{RunEvent::Error, postId, errorCode, 0, {}}); }

void RunEvents::OnTransferProgress(int postId, std::uint32_t bytesSent, TString speedText)
{
    Queue(RunEvent{RunEvent::Progress, postId, 0, bytesSent, std::move(speedText)});
}

void RunEvents::Queue(RunEvent event)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (!window_) return;
    events_.push_back(std::move(event));
    ::PostMessageW(window_, wake_, 0, 0);
}

void RetirePoster(std::unique_ptr<WinINetPoster> poster, std::unique_ptr<Network::MemoryByteStream> stream,
                  std::shared_ptr<RunEvents> events)
{
    if (!poster) return;
    poster->Cancel();
    struct Retired {
        std::unique_ptr<WinINetPoster> poster;
        std::unique_ptr<Network::MemoryByteStream> stream;
        std::shared_ptr<RunEvents> events;
    };
    auto retired = std::make_shared<Retired>(Retired{std::move(poster), std::move(stream), std::move(events)});
    // The poster's destructor waits for its worker; the stream and the events go after it.
    if (!Korvel::Threading::RunDetached([retired] { retired->poster.reset(); }))
        retired->poster.reset();  // no thread to be had: wait here rather than leak a live worker
}
