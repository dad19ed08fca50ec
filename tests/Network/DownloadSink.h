#pragma once
// Records a downloader's events and lets a test wait for the end.
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "Network/WinINetDowner.h"

namespace test {

class DownloadSink : public IDownloaderEvent {
public:
    void OnDownloadComplete(int id) override { Final(id, -1); }
    void OnDownloadError(int id, int code) override { Final(id, code); }
    void OnDownloadProgress(int, std::uint64_t bytes, TString) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++progress;
        lastProgress = bytes;
    }
    void OnFileSizeKnown() override { ++sizeKnown; }
    void OnFileNameKnown() override { ++nameKnown; }

    bool WaitFinal(int timeoutMs = 20000)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return finals > 0; });
    }

    int finals = 0, completes = 0, errors = 0, lastError = -100, lastId = 0;
    int progress = 0, sizeKnown = 0, nameKnown = 0;
    std::uint64_t lastProgress = 0;

private:
    void Final(int id, int code)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++finals;
            lastId = id;
            if (code < 0) {
                ++completes;
            } else {
                ++errors;
                lastError = code;
            }
        }
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace test
