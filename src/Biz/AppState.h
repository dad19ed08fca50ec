#pragma once
// Whether an upload run is in progress, for the whole process. Writes take the lock; reads
// are single aligned 32-bit loads.
#include <cstdint>

#include "platform/Threading.h"

enum UploadState : std::int32_t { Idle = 0, Posting = 1, Stopped = 2 };

class AppState {
public:
    static AppState* Instance();
    virtual ~AppState() = default;

    bool IsPosting() const { return state_ == Posting; }
    bool IsStopped() const { return state_ == Stopped; }
    UploadState State() const { return state_; }
    void SetPosting() { Set(Posting); }
    void SetStopped() { Set(Stopped); }

private:
    AppState() = default;
    void Set(UploadState state)
    {
        Korvel::Threading::CriticalSection::Lock hold(lock_);
        state_ = state;
    }

    volatile UploadState state_ = Idle;
    Korvel::Threading::CriticalSection lock_;
};
