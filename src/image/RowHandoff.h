#pragma once
// Hands the rows a decoder writes to a consumer on a second thread, a batch at a time, so
// that decoding and the consumer's work overlap on two cores. The consumer sees every row
// once, in order, and only ever on one thread at a time. When the second thread falls
// behind (a busy machine gives it no core), the decoder's thread takes the waiting batches
// itself instead of waiting for it; small pictures, or a machine that gives us no second
// thread, run the consumer on the decoder's thread throughout. Nothing here throws.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class RowHandoff {
public:
    using Consumer = std::function<void(const std::uint8_t* row)>;

    RowHandoff() = default;
    ~RowHandoff() { Stop(); }
    RowHandoff(const RowHandoff&) = delete;
    RowHandoff& operator=(const RowHandoff&) = delete;

    // Prepares for rows of rowBytes bytes each, ended by Finish or Stop; `work` is the size
    // of the picture they make, which decides whether a second thread pays. False when
    // there is no memory for the buffers.
    bool Start(std::size_t rowBytes, std::uint64_t work, Consumer consumer) noexcept;
    // Whether rows making a picture of `work` bytes go to a second thread.
    static bool Threaded(std::uint64_t work) noexcept;
    // Where the next row goes.
    std::uint8_t* NextRow() noexcept;
    // The row from NextRow is written.
    void RowDone() noexcept;
    // Returns once the consumer has had every row that was written.
    void Finish() noexcept;
    // Ends at once: rows not yet consumed are dropped.
    void Stop() noexcept;

private:
    using Lock = std::unique_lock<std::mutex>;

    void Publish() noexcept;
    // With the lock held: consumes the next batch if one waits and no one else is on it.
    bool ConsumeNext(Lock& hold) noexcept;
    void Work() noexcept;
    std::uint8_t* Slot(std::uint64_t batch) { return buffer_.data() + (batch % kBatches) * batchRows_ * rowBytes_; }

    // Room for about a hundred rows of a photo; the second thread is woken once a few
    // batches wait, since on a busy machine each wake-up costs a turn of the scheduler.
    static constexpr std::uint32_t kBatches = 16;
    static constexpr std::uint32_t kWakeAfter = 4;

    Consumer consumer_;
    std::vector<std::uint8_t> buffer_;
    std::size_t rowBytes_ = 0;
    std::uint32_t batchRows_ = 1;
    std::uint32_t filled_ = 0;  // rows written into the batch being filled
    bool running_ = false;

    std::thread worker_;
    std::mutex lock_;
    std::condition_variable changed_;
    // Batches handed over, taken by a consumer, and done with; guarded by lock_. At most one
    // is taken and not yet done.
    std::uint64_t published_ = 0;
    std::uint64_t taken_ = 0;
    std::uint64_t consumed_ = 0;
    std::uint32_t counts_[kBatches] = {};
    bool closing_ = false;  // the second thread is to end; guarded by lock_
};
