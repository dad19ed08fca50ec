#pragma once
// Drives a modal dialog from inside its own modal loop: once the dialog's window is up, a
// thread timer hands it to the test's code. A second timer ends the dialog with -2 after a
// deadline, so a dialog that ignores its input fails the test instead of hanging it.
#include <windows.h>

#include <functional>

namespace test {

class DialogDriver {
public:
    using Drive = std::function<void(HWND dialog)>;

    explicit DialogDriver(Drive drive, UINT deadlineMs = 5000) : drive_(std::move(drive))
    {
        current_ = this;
        poll_ = ::SetTimer(nullptr, 0, 20, &DialogDriver::Poll);
        deadline_ = ::SetTimer(nullptr, 0, deadlineMs, &DialogDriver::Deadline);
    }
    ~DialogDriver()
    {
        ::KillTimer(nullptr, poll_);
        ::KillTimer(nullptr, deadline_);
        current_ = nullptr;
    }
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // The first visible standard dialog window of this thread.
    static HWND FindDialog()
    {
        HWND found = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &DialogDriver::Match, reinterpret_cast<LPARAM>(&found));
        return found;
    }

private:
    static BOOL CALLBACK Match(HWND wnd, LPARAM out)
    {
        wchar_t name[16] = {};
        ::GetClassNameW(wnd, name, 16);
        if (lstrcmpW(name, L"#32770") != 0 || !::IsWindowVisible(wnd)) return TRUE;
        *reinterpret_cast<HWND*>(out) = wnd;
        return FALSE;
    }
    static void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD)
    {
        DialogDriver* self = current_;
        if (!self || self->driven_) return;
        HWND dialog = FindDialog();
        if (!dialog) return;
        self->driven_ = true;
        ::KillTimer(nullptr, self->poll_);
        self->drive_(dialog);
    }
    static void CALLBACK Deadline(HWND, UINT, UINT_PTR, DWORD)
    {
        if (HWND dialog = FindDialog()) ::EndDialog(dialog, -2);
    }

    static inline DialogDriver* current_ = nullptr;
    Drive drive_;
    bool driven_ = false;
    UINT_PTR poll_ = 0, deadline_ = 0;
};

}  // namespace test
