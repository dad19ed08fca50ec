#pragma once
// Runs this thread's message loop for a bounded time, so timers and posted messages get
// delivered without a test ever waiting forever.
#include <windows.h>

#include <algorithm>

namespace test {

// Dispatches messages until done() holds or timeoutMs have passed; gives done().
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs)
{
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) return false;
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10));
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
}

inline void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

// Milliseconds since construction.
class Stopwatch {
public:
    ULONGLONG Elapsed() const { return ::GetTickCount64() - start_; }

private:
    ULONGLONG start_ = ::GetTickCount64();
};

}  // namespace test
