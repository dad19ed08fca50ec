// snapferry panel: the upload panel in a real window. Photos come in through the panel's
// own drop target as a shell drop would bring them, the post button is pressed with real
// mouse messages, and everything a person would see (status texts, messages, callbacks,
// the posted-files list) is printed.
#include <windows.h>
#include <ole2.h>

#include <filesystem>
#include <map>
#include <memory>

#include "Biz/ConfigMgr.h"
#include "Biz/Flavour.h"
#include "panel/PanelWindow.h"
#include "platform/DataObject.h"
#include "platform/TextConv.h"
#include "snapferry/Commands.h"
#include "snapferry/Console.h"
#include "snapferry/Upload.h"
#include "support/DataObjects.h"
#include "support/DialogDriver.h"
#include "support/DialogRuns.h"
#include "support/MessagePump.h"
#include "ui/BackBuffer.h"
#include "ui/Snapshot.h"

namespace {

using namespace Tool;

struct PanelArgs : UploadSetup {
    std::vector<std::wstring> drops;
    std::wstring pick;        // a folder for the add-images dialog
    test::PickChoice check;
    std::wstring web;         // an address for the web image dialog
    std::vector<std::pair<int, bool>> rotations;  // photo number, to the left
    std::vector<std::pair<int, std::wstring>> captions;
    int sort = -1;
    bool post = false;
    int cancelAfter = -1;
    std::wstring shots;
};

// N:VALUE with N counted from 1.
bool SplitNumbered(const std::wstring& text, int& number, std::wstring& value)
{
    const auto colon = text.find(L':');
    if (colon == std::wstring::npos || !ParseNumber(text.substr(0, colon), 1, 100000, number)) return false;
    value = text.substr(colon + 1);
    return true;
}

std::wstring Parse(const std::vector<std::wstring>& args, PanelArgs& out)
{
    bool dropping = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        auto value = [&](std::wstring& into) { return TakeValue(args, i, into); };
        std::wstring v;
        const bool option = a.size() > 2 && a.compare(0, 2, L"--") == 0;
        if (option) dropping = false;
        std::wstring error;
        if (ParseUploadOption(args, i, out, &error)) {
            if (!error.empty()) return error;
        } else if (a == L"--drop") {
            dropping = true;
        } else if (a == L"--pick") {
            if (!value(out.pick) || out.pick.empty()) return L"--pick needs a folder";
        } else if (a == L"--check") {
            if (!value(v)) return L"--check needs all or I,J,...";
            if (v == L"all") {
                out.check.all = true;
                continue;
            }
            for (std::size_t at = 0; at <= v.size();) {
                const std::size_t comma = std::min(v.find(L',', at), v.size());
                int n = 0;
                if (!ParseNumber(v.substr(at, comma - at), 1, 100000, n)) return L"--check needs all or I,J,... (from 1)";
                out.check.indexes.push_back(n - 1);
                at = comma + 1;
            }
        } else if (a == L"--web") {
            if (!value(out.web) || out.web.empty()) return L"--web needs an address";
        } else if (a == L"--rotate") {
            int n = 0;
            std::wstring way;
            if (!value(v) || !SplitNumbered(v, n, way) || (way != L"left" && way != L"right"))
                return L"--rotate needs N:left or N:right";
            out.rotations.emplace_back(n, way == L"left");
        } else if (a == L"--caption") {
            int n = 0;
            std::wstring text;
            if (!value(v) || !SplitNumbered(v, n, text)) return L"--caption needs N:TEXT";
            out.captions.emplace_back(n, text);
        } else if (a == L"--sort") {
            if (!value(v) || !ParseNumber(v, 0, 3, out.sort)) return L"--sort needs 0, 1, 2 or 3";
        } else if (a == L"--post") {
            out.post = true;
        } else if (a == L"--cancel-after") {
            if (!value(v) || !ParseNumber(v, 0, 3600, out.cancelAfter)) return L"--cancel-after needs seconds";
        } else if (a == L"--shots") {
            if (!value(out.shots)) return L"--shots needs a folder";
        } else if (option) {
            return L"unknown option " + a;
        } else if (dropping) {
            out.drops.push_back(a);
        } else {
            return L"unexpected argument " + a + L" (files go after --drop)";
        }
    }
    if (const std::wstring problem = CheckUploadSetup(out); !problem.empty()) return problem;
    if (out.cancelAfter >= 0 && !out.post) return L"--cancel-after goes with --post";
    if ((out.check.all || !out.check.indexes.empty()) && out.pick.empty()) return L"--check goes with --pick";
    return std::wstring();
}

// What the screen shows where the window is, dialogs over it included.
void Shoot(HWND wnd, const std::wstring& dir, const std::wstring& name)
{
    if (dir.empty() || !wnd) return;
    test::PumpFor(30);
    Korvel::UI::BackBuffer copy;
    const std::wstring path = dir + L"\\" + name + L".png";
    if (Korvel::UI::CopyFromScreen(wnd, copy) && Korvel::UI::SaveBitmapPng(copy.Bitmap(), path.c_str()))
        Print(L"shot: " + path);
    else
        Error(L"snapferry: could not write " + path);
}

struct ToolCallbacks : PanelCallbacks {
    bool completed = false, failed = false;
    void OnImagesPosted() override
    {
        completed = true;
        Print(L"callback: AfterImagesPosted(null)");
    }
    void FireOnError(int errorCode) override
    {
        failed = true;
        Print(L"callback: OnError(null, " + std::to_wstring(errorCode) + L")");
    }
};

// Prints what the user would read, and answers the messages itself when nobody is there.
class ToolPanel : public UploadPanel {
public:
    ToolPanel(PanelCallbacks& callbacks, bool answering, const std::wstring& shots)
        : UploadPanel(callbacks), answering_(answering), shots_(shots)
    {
    }
    bool cancelWanted = false;

    int ShowMessage(const Messages::Message& message) override
    {
        Print(std::wstring(L"message: ") + (message.title ? message.title : L"提示消息") + L": " + message.text);
        if (answering_) {
            // OK, except that a cancel is confirmed only when it was asked for.
            answer_ = message.text == std::wstring(Messages::kCancelUpload.text) && !cancelWanted ? 1 : 0;
            current_ = this;
            ::SetTimer(nullptr, 0, 150, &ToolPanel::Answer);
        }
        const int result = UploadPanel::ShowMessage(message);
        Print(std::wstring(L"answered: ") + (result == 0 ? L"OK" : L"Cancel"));
        return result;
    }

protected:
    void SetText(Label& label, const TString& text) override
    {
        if (&label == &StatusLabel) Print(L"status: " + FromText(text));
        UploadPanel::SetText(label, text);
    }

private:
    static void CALLBACK Answer(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND dialog = test::DialogDriver::FindDialog();
        if (!dialog || !current_) return;
        ::KillTimer(nullptr, timer);
        Shoot(current_->Window(), current_->shots_, L"message-" + std::to_wstring(++current_->messages_));
        ::EndDialog(dialog, current_->answer_);
    }

    static inline ToolPanel* current_ = nullptr;
    bool answering_;
    std::wstring shots_;
    int answer_ = 0;
    int messages_ = 0;
};

// Prints how a dialog run went, with every message the user saw there.
void Report(const wchar_t* what, const test::DialogRun& run, UploadPanel& panel)
{
    for (const auto& seen : run.messages) {
        Print(L"message: " + seen.title + L": " + seen.text);
        Print(L"answered: OK");
    }
    if (!run.problem.empty()) Error(L"snapferry: " + run.problem);
    panel.AfterAdding();
    Print(std::wstring(what) + L": " + std::to_wstring(panel.ImageList.Count()) + L" photo(s) queued");
}

void Press(HWND wnd, const Korvel::UI::ControlBase& control)
{
    const RECT& b = control.GetBounds();
    const LPARAM at = MAKELPARAM((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    ::SendMessageW(wnd, WM_MOUSEMOVE, 0, at);
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(wnd, WM_LBUTTONUP, 0, at);
}

}  // namespace

int RunPanelCommand(const std::vector<std::wstring>& args)
{
    PanelArgs a;
    const std::wstring problem = Parse(args, a);
    if (!problem.empty()) return UsageError(problem);
    if (!a.shots.empty()) {
        std::error_code error;
        std::filesystem::create_directories(a.shots, error);
        if (error) return UsageError(L"cannot make folder " + a.shots);
        a.shots = FullPath(a.shots);
    }

    ApplyUploadSetup(a);

    ::OleInitialize(nullptr);
    // Unattended when it posts, or when it runs in a display of its own that nobody sees.
    const bool unattended = a.post || ::GetEnvironmentVariableW(L"SNAPFERRY_PRIVATE_DISPLAY", nullptr, 0) > 0;
    ToolCallbacks callbacks;
    auto owned = std::make_unique<ToolPanel>(callbacks, unattended, a.shots);
    ToolPanel& panel = *owned;
    const DWORD style = unattended ? PanelWindow::kPopup : (WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
    PanelWindow window(std::move(owned), 760, 520, L"Snapferry", style);
    if (!window.Handle()) {
        Error(L"snapferry: cannot open the panel's window");
        return kFailed;
    }
    panel.PutPostUrl(ToText(a.url).c_str());
    if (!a.charset.empty()) panel.PutEncodeType(ToText(a.charset).c_str());
    for (const auto& [name, value] : a.fields) panel.AddField(name.c_str(), value.c_str());
    test::PumpFor(50);
    Shoot(window.Handle(), a.shots, L"01-empty");

    if (!a.drops.empty()) {
        std::vector<std::wstring> paths;
        for (const std::wstring& p : a.drops) paths.push_back(FullPath(p));
        Print(L"drop: " + std::to_wstring(paths.size()) + L" file(s)");
        test::DropFileList(&panel, paths, POINTL{200, 200});
        test::PumpUntil([&] { return !panel.ImageList.IsLoading(); }, 120000);
        Print(L"queued: " + std::to_wstring(panel.ImageList.Count()) + L" photo(s)");
        Shoot(window.Handle(), a.shots, L"02-dropped");
    }
    if (!a.pick.empty()) {
        Print(L"pick: " + test::FullFolderPath(a.pick));
        Report(L"picked", test::RunPicker(panel.ImageList, window.Handle(), a.pick, a.check), panel);
        test::PumpUntil([&] { return !panel.ImageList.IsLoading(); }, 120000);
        Shoot(window.Handle(), a.shots, L"02-picked");
    }
    if (!a.web.empty()) {
        Print(L"web: " + a.web);
        Report(L"downloaded", test::RunWebImage(panel.ImageList, window.Handle(), a.web), panel);
        Shoot(window.Handle(), a.shots, L"02-web");
    }
    for (const auto& [n, left] : a.rotations) {
        ListViewItem* item = panel.ImageList.ItemAt(n - 1);
        if (!item) return UsageError(L"--rotate: there is no photo " + std::to_wstring(n));
        left ? item->RotateLeft() : item->RotateRight();
    }
    for (const auto& [n, text] : a.captions) {
        ListViewItem* item = panel.ImageList.ItemAt(n - 1);
        if (!item) return UsageError(L"--caption: there is no photo " + std::to_wstring(n));
        item->SetCaption(ToText(text));
        item->InvalidateIfVisible();
    }
    if (a.sort >= 0) {
        // As the user's choice arrives: the combo box tells its parent, which reflects it.
        HWND combo = panel.SortBox.GetWindowHandle();
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(a.sort), 0);
        ::SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    }
    if (!a.rotations.empty() || !a.captions.empty() || a.sort >= 0) Shoot(window.Handle(), a.shots, L"03-edited");

    if (!a.post) {
        if (unattended) return kOk;
        Print(L"the panel is open; close its window to end");
        MSG msg;
        while (::IsWindow(window.Handle()) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        return kOk;
    }

    Press(window.Handle(), panel.PostButton);
    if (panel.IsRunning()) {
        test::PumpFor(700);
        Shoot(window.Handle(), a.shots, L"04-running");
    }
    if (a.cancelAfter >= 0 && panel.IsRunning()) {
        test::PumpUntil([&] { return !panel.IsRunning(); }, static_cast<DWORD>(a.cancelAfter) * 1000);
        if (panel.IsRunning()) {
            panel.cancelWanted = true;
            Press(window.Handle(), panel.PostButton);
        }
    }
    while (panel.IsRunning()) test::PumpFor(100);
    test::PumpFor(100);
    Shoot(window.Handle(), a.shots, callbacks.completed ? L"05-done" : L"05-stopped");
    for (const TString& entry : panel.PostedFiles()) Print(L"posted: " + FromText(entry));
    return callbacks.completed ? kOk : kFailed;
}
