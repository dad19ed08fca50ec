#pragma once
// What the run tests look at from outside: how long the page's thread goes unanswered, and
// the fields of a request as the server received them.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "support/LoopbackServer.h"
#include "support/MessagePump.h"

namespace test {

// Asks a window for an answer every few milliseconds from another thread and keeps the
// longest wait: a window thread stuck in a join or a lock shows as a long one.
class StallProbe {
public:
    explicit StallProbe(HWND window) : window_(window), thread_([this] { Run(); }) {}
    ~StallProbe() { Stop(); }
    // Answers the probe's last question while it finishes (this is the window's thread).
    void Stop()
    {
        stop_ = true;
        while (!finished_) PumpFor(5);
        if (thread_.joinable()) thread_.join();
    }
    ULONGLONG Longest() const { return longest_; }

private:
    void Run()
    {
        while (!stop_) {
            const ULONGLONG start = ::GetTickCount64();
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored);
            const ULONGLONG waited = ::GetTickCount64() - start;
            if (waited > longest_) longest_ = waited;
            ::Sleep(10);
        }
        finished_ = true;
    }

    HWND window_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<ULONGLONG> longest_{0};
    std::thread thread_;
};

// The value of a text field of a multipart request; empty when the field is not there.
inline std::string FieldValue(const std::string& raw, const std::string& name)
{
    const std::string body = RequestBody(raw);
    const std::string key = "name=\"" + name + "\"\r\n\r\n";
    const std::size_t at = body.find(key);
    if (at == std::string::npos) return {};
    const std::size_t start = at + key.size();
    return body.substr(start, body.find("\r\n", start) - start);
}

inline std::string Ok(const std::string& body) { return HttpResponse(200, "", body); }

}  // namespace test
