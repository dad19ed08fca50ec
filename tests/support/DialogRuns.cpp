#include "support/DialogRuns.h"

#include "Biz/ConfigMgr.h"
#include "platform/TextConv.h"
#include "support/DialogDriver.h"
#include "ui/forms/FileAddDialog.h"
#include "ui/forms/WebImageDialog.h"
#include "ui/listview/ListViewItem.h"

namespace test {

namespace {

LPARAM Middle(const RECT& r) { return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

// Scrolls the picker with the wheel until the item shows whole, then clicks it.
bool ClickPicture(ListView& picker, int index)
{
    ListViewItem* item = picker.ItemAt(index);
    if (!item) return false;
    HWND wnd = picker.GetWindowHandle();
    RECT client;
    ::GetClientRect(wnd, &client);
    for (int turn = 0; turn < 1000; ++turn) {
        const RECT view = item->GetViewRect(picker.ScrollPosition());
        if (view.bottom <= client.bottom && view.top >= client.top) break;
        const short delta = view.top < client.top ? WHEEL_DELTA : -WHEEL_DELTA;
        ::SendMessageW(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0);
    }
    SendClick(wnd, item->GetViewRect(picker.ScrollPosition()));
    return true;
}

}  // namespace

std::wstring FullFolderPath(const std::wstring& folder)
{
    std::wstring full(MAX_PATH, L'\0');
    const DWORD length = ::GetFullPathNameW(folder.c_str(), MAX_PATH, full.data(), nullptr);
    if (length == 0 || length >= MAX_PATH) return folder;
    full.resize(length);
    // The shell names a folder without a closing separator; only a drive keeps its own.
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    return full;
}

void PostClick(HWND window, const RECT& where)
{
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, Middle(where));
    ::PostMessageW(window, WM_LBUTTONUP, 0, Middle(where));
}

void SendClick(HWND window, const RECT& where)
{
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, Middle(where));
    ::SendMessageW(window, WM_LBUTTONUP, 0, Middle(where));
}

DialogRun RunPicker(ListView& target, HWND centre, const std::wstring& folder, const PickChoice& choice,
                    UINT deadlineMs)
{
    ConfigMgr::Instance()->SetDefaultFolder(Korvel::Text::TextFromWide<TChar>(FullFolderPath(folder)));
    CFileAddDialog dialog(centre);
    dialog.SetTargetList(&target);
    DialogRun run;
    MessageWatcher watcher;
    DialogDriver driver(
        [&](HWND window) {
            if (choice.all) SendClick(window, dialog.SelectAllBox().GetBounds());
            for (int index : choice.indexes)
                if (!ClickPicture(dialog.Picker(), index))
                    run.problem += L"no picture " + std::to_wstring(index) + L" in the folder\n";
            PostClick(window, dialog.OkButton().GetBounds());
        },
        deadlineMs);
    run.result = dialog.ShowModal(centre);
    run.messages = watcher.Messages();
    return run;
}

DialogRun RunWebImage(ListView& target, HWND centre, const std::wstring& address, UINT deadlineMs)
{
    WebImageDialog dialog(&target, centre);
    DialogRun run;
    // A message the dialog stays open after: the user gives up with Cancel.
    MessageWatcher watcher([&](const MessageWatcher::Seen&) {
        if (HWND window = dialog.DialogHandle()) PostClick(window, dialog.CancelButton().GetBounds());
    });
    DialogDriver driver(
        [&](HWND window) {
            HWND box = dialog.AddressBox().GetWindowHandle();
            for (wchar_t c : address) ::SendMessageW(box, WM_CHAR, c, 0);
            PostClick(window, dialog.OkButton().GetBounds());
        },
        deadlineMs);
    run.result = dialog.ShowModal(centre);
    run.messages = watcher.Messages();
    return run;
}

}  // namespace test
