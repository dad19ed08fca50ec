#pragma once
// Records a poster's events with the time each arrived, and lets a test wait for the end.
#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "Network/HttpPoster.h"

namespace test {

struct Progress {
    std::uint32_t bytes;
    TString speed;
    DWORD tick;
};

class TransferSink : public IFileTransferEvent {
public:
    void OnTransferComplete(int fileId) override { Final(fileId, -1); }
    void OnTransferError(int fileId, int errorCode) override { Final(fileId, errorCode); }
    void OnTransferProgress(int fileId, std::uint32_t bytesSent, TString speedText) override
    {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ids.push_back(fileId);
            progress.push_back({bytesSent, speedText, ::GetTickCount()});
            hook = onProgress;
        }
        changed_.notify_all();
        if (hook) hook();
    }

    // Waits for a final event; false after the time-out.
    bool WaitFinal(int timeoutMs = 20000)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return finals > 0; });
    }
    bool WaitProgress(int timeoutMs = 20000)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !progress.empty(); });
    }

    int finals = 0;
    int completes = 0;
    int errors = 0;
    int lastError = -100;
    std::vector<int> ids;
    std::vector<Progress> progress;
    std::function<void()> onProgress;
    std::function<void(int fileId, int error)> onFinal;  // runs on the worker, before waiters wake

private:
    void Final(int fileId, int error)
    {
        if (onFinal) onFinal(fileId, error);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ids.push_back(fileId);
            ++finals;
            if (error < 0) {
                ++completes;
            } else {
                ++errors;
                lastError = error;
            }
        }
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace test
