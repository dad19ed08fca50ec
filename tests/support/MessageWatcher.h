#pragma once
// Answers the product's message dialogs as they come up on this thread, confirming each
// with Enter the way a user would, and keeps the title and text of every one.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/forms/MessageDialog.h"

namespace test {

class MessageWatcher {
public:
    struct Seen {
        std::wstring title, text;
    };
    // Called once a message has been answered.
    using Answered = std::function<void(const Seen& message)>;

    explicit MessageWatcher(Answered answered = {}) : onAnswered_(std::move(answered))
    {
        previous_ = current_;
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 20, &MessageWatcher::Poll);
    }
    ~MessageWatcher()
    {
        ::KillTimer(nullptr, timer_);
        current_ = previous_;
    }
    MessageWatcher(const MessageWatcher&) = delete;
    MessageWatcher& operator=(const MessageWatcher&) = delete;

    const std::vector<Seen>& Messages() const { return seen_; }
    std::vector<std::wstring> Texts() const
    {
        std::vector<std::wstring> texts;
        for (const Seen& s : seen_) texts.push_back(s.text);
        return texts;
    }

    // The message dialog showing on this thread, or null.
    static CMessageDialog* Showing(HWND* window = nullptr)
    {
        Search search;
        ::EnumThreadWindows(::GetCurrentThreadId(), &MessageWatcher::Match, reinterpret_cast<LPARAM>(&search));
        if (window) *window = search.window;
        return search.dialog;
    }

private:
    struct Search {
        CMessageDialog* dialog = nullptr;
        HWND window = nullptr;
    };
    static BOOL CALLBACK Match(HWND wnd, LPARAM out)
    {
        auto* dialog = dynamic_cast<CMessageDialog*>(Korvel::UI::ModalDialog::FromHandle(wnd));
        if (!dialog || !::IsWindowVisible(wnd)) return TRUE;
        auto* search = reinterpret_cast<Search*>(out);
        search->dialog = dialog;
        search->window = wnd;
        return FALSE;
    }
    static void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD)
    {
        MessageWatcher* self = current_;
        HWND window = nullptr;
        CMessageDialog* dialog = Showing(&window);
        // An answered dialog may show until its loop has seen the answer.
        if (!self || !dialog || window == self->answered_window_) return;
        self->answered_window_ = window;
        self->seen_.push_back(Seen{dialog->Title(), dialog->Message()});
        ::SendMessageW(window, WM_COMMAND, IDOK, 0);  // what Enter sends
        if (self->onAnswered_) self->onAnswered_(self->seen_.back());
    }

    static inline MessageWatcher* current_ = nullptr;
    MessageWatcher* previous_ = nullptr;
    Answered onAnswered_;
    std::vector<Seen> seen_;
    HWND answered_window_ = nullptr;
    UINT_PTR timer_ = 0;
};

}  // namespace test
