#pragma once
// The lock and the event shared by the window thread and the worker threads.
#include <windows.h>
#include "Handle.h"

namespace Korvel::Threading {

class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&cs_); }
    virtual ~CriticalSection() { ::DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { ::EnterCriticalSection(&cs_); }
    void Leave() { ::LeaveCriticalSection(&cs_); }

    // Holds the section for one scope.
    class Lock {
    public:
        explicit Lock(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
        ~Lock() { cs_.Leave(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        CriticalSection& cs_;
    };

private:
    CRITICAL_SECTION cs_;
};

// An auto-reset event, created non-signalled.
class EventHandler {
public:
    EventHandler() : event_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    virtual ~EventHandler() = default;

    void Set() { ::SetEvent(event_.Get()); }
    void Reset() { ::ResetEvent(event_.Get()); }
    void Wait() { ::WaitForSingleObject(event_.Get(), INFINITE); }
    HANDLE Get() const { return event_.Get(); }

private:
    Handle event_;
};

}  // namespace Korvel::Threading
