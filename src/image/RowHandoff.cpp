#include "image/RowHandoff.h"

#include <algorithm>

namespace {

// Below this much picture a second thread costs more than it saves.
constexpr std::uint64_t kThreadedBytes = 4u << 20;
// A batch of about this size stays in the cache on its way between the threads.
constexpr std::size_t kBatchBytes = 96u << 10;

}  // namespace

bool RowHandoff::Threaded(std::uint64_t work) noexcept
{
    return work >= kThreadedBytes && std::thread::hardware_concurrency() != 1;
}

bool RowHandoff::Start(std::size_t rowBytes, std::uint64_t work, Consumer consumer) noexcept
{
    Stop();
    if (rowBytes == 0) return false;
    rowBytes_ = rowBytes;
    batchRows_ = static_cast<std::uint32_t>(std::clamp<std::size_t>(kBatchBytes / rowBytes, 1, 16));
    const bool threaded = Threaded(work);
    try {
        consumer_ = std::move(consumer);
        buffer_.assign(threaded ? kBatches * batchRows_ * rowBytes : rowBytes, 0);
    } catch (...) {
        return false;
    }
    filled_ = 0;
    published_ = taken_ = consumed_ = 0;
    closing_ = false;
    running_ = true;
    if (threaded) {
        try {
            worker_ = std::thread([this] { Work(); });
        } catch (...) {
            // No thread to be had: the batches then go one row long, on this thread.
        }
    }
    return true;
}

std::uint8_t* RowHandoff::NextRow() noexcept
{
    if (!worker_.joinable()) return buffer_.data();
    if (filled_ == 0) {
        // A new batch needs a slot that is done with; if the second thread is late with the
        // waiting batches, this thread takes them.
        Lock hold(lock_);
        while (published_ - consumed_ >= kBatches)
            if (!ConsumeNext(hold)) changed_.wait(hold);
    }
    return Slot(published_) + filled_ * rowBytes_;
}

void RowHandoff::RowDone() noexcept
{
    if (!running_) return;
    if (!worker_.joinable()) {
        consumer_(buffer_.data());
        return;
    }
    if (++filled_ == batchRows_) Publish();
}

void RowHandoff::Publish() noexcept
{
    if (filled_ == 0) return;
    bool wake;
    {
        std::lock_guard<std::mutex> hold(lock_);
        counts_[published_ % kBatches] = filled_;
        ++published_;
        wake = published_ - taken_ >= kWakeAfter;
    }
    filled_ = 0;
    if (wake) changed_.notify_all();
}

bool RowHandoff::ConsumeNext(Lock& hold) noexcept
{
    if (taken_ != consumed_ || taken_ == published_) return false;
    const std::uint64_t batch = taken_++;
    const std::uint32_t count = counts_[batch % kBatches];
    hold.unlock();
    const std::uint8_t* rows = Slot(batch);
    for (std::uint32_t i = 0; i < count; ++i) consumer_(rows + i * rowBytes_);
    hold.lock();
    ++consumed_;
    changed_.notify_all();
    return true;
}

void RowHandoff::Work() noexcept
{
    Lock hold(lock_);
    while (!closing_) {
        if (!ConsumeNext(hold))
            changed_.wait(hold, [this] { return closing_ || (taken_ == consumed_ && published_ - taken_ >= kWakeAfter); });
    }
}

void RowHandoff::Finish() noexcept
{
    if (!running_) return;
    if (worker_.joinable()) {
        Publish();
        {
            // The last batches are taken here rather than waiting for the second thread to
            // be woken for them.
            Lock hold(lock_);
            closing_ = true;
            changed_.notify_all();
            while (consumed_ != published_)
                if (!ConsumeNext(hold)) changed_.wait(hold);
        }
        worker_.join();
    }
    running_ = false;
}

void RowHandoff::Stop() noexcept
{
    if (worker_.joinable()) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            closing_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }
    running_ = false;
}
