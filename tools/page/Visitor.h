#pragma once
// The visitor a page script can ask to act: drop files on the deliverable, press its buttons
// by name, type, choose a sort order, answer its messages, wait, and take screenshots. Every
// action goes through the deliverable's window as a person's would (its OLE drop target,
// mouse and key messages), so the same script drives the ActiveX control and the plug-in.
#include <windows.h>
#include <oaidl.h>

#include <deque>
#include <string>
#include <vector>

class Visitor final : public IDispatch {
public:
    struct Setup {
        HWND page = nullptr;             // the page window (screenshots)
        HWND deliverable = nullptr;      // the deliverable's own window
        std::wstring shots;              // where screenshots go; empty: none
        std::vector<std::wstring> arguments;
    };
    explicit Visitor(Setup setup);
    ~Visitor();
    Visitor(const Visitor&) = delete;
    Visitor& operator=(const Visitor&) = delete;

    // True once the script asked the visitor to do anything on the page.
    bool Acted() const { return acted_; }
    // Set by quit(code).
    bool QuitAsked() const { return quit_; }
    int ExitCode() const { return exitCode_; }
    // The description of the exception quit() raises to end the script.
    static const wchar_t kQuitMarker[];

    // Answers the deliverable's message dialogs as they show, from the queue of answers
    // (OK when it is empty). On from construction; a person's session turns it off.
    void SetAnswering(bool on);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* badArgument) override;

private:
    HRESULT Act(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result, std::wstring* problem);
    bool Drop(const std::vector<std::wstring>& paths, std::wstring* problem);
    bool Press(const std::wstring& name, std::wstring* problem);
    void Type(const std::wstring& text);
    bool Sort(int index, std::wstring* problem);
    std::wstring Shot(const std::wstring& name);
    static void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR, DWORD);
    void AnswerShowingMessage();

    Setup setup_;
    LONG refs_ = 1;
    bool acted_ = false;
    bool quit_ = false;
    int exitCode_ = 0;
    std::deque<bool> answers_;  // true: confirm (OK), false: cancel
    UINT_PTR timer_ = 0;
    int messages_ = 0;
    HWND answering_ = nullptr;  // the dialog being answered (answered once)
    static inline Visitor* current_ = nullptr;
};
