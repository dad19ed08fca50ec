// The add-images dialog over a folder of photos and the web image dialog, idle and in the
// middle of a download, photographed while they run; then the message a failed download
// shows.
// The server's sockets header must come before windows.h.
#include "support/LoopbackServer.h"

#include "gallery/Exhibits.h"

#include "Biz/ConfigMgr.h"
#include "platform/TextConv.h"
#include "support/DialogDriver.h"
#include "support/DialogRuns.h"
#include "support/MessagePump.h"
#include "ui/HostWindow.h"
#include "ui/forms/FileAddDialog.h"
#include "ui/forms/MessageDialog.h"
#include "ui/forms/WebImageDialog.h"
#include "ui/listview/ListView.h"
#include "ui/listview/ListViewItem.h"

namespace Gallery {

using namespace Korvel::UI;

namespace {

void Type(const Controls::Editor& box, const std::wstring& text)
{
    for (wchar_t c : text) ::SendMessageW(box.GetWindowHandle(), WM_CHAR, c, 0);
}

void Picker(Sheet& sheet, const std::wstring& photoDir, ListView& target)
{
    wchar_t full[MAX_PATH] = {};
    ::GetFullPathNameW(photoDir.c_str(), MAX_PATH, full, nullptr);
    const TString previous = ConfigMgr::Instance()->DefaultFolder();
    ConfigMgr::Instance()->SetDefaultFolder(Korvel::Text::TextFromWide<TChar>(full));
    CFileAddDialog dialog(nullptr);
    dialog.SetTargetList(&target);
    test::DialogDriver driver(
        [&](HWND d) {
            test::PumpUntil([&] { return !dialog.Picker().IsLoading(); }, 20000);
            for (int index : {0, 2, 3}) {
                ListViewItem* item = dialog.Picker().ItemAt(index);
                if (item) test::SendClick(dialog.Picker().GetWindowHandle(), item->GetViewRect(0));
            }
            sheet.AddWindow(d, L"add-images dialog: the tree opened at the photos, three checked", L"dialog-picker");
            ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
        },
        30000);
    dialog.ShowModal(nullptr);
    ConfigMgr::Instance()->SetDefaultFolder(previous);
}

void WebImage(Sheet& sheet, ListView& target)
{
    // A server that sends the first third of a picture, then takes its time.
    test::LoopbackServer server;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 90000\r\n\r\n";
    test::ServerScript script;
    script.response = head + std::string(90000, 'j');
    script.responseChunk = head.size() + 30000;
    script.responsePauseMs = 1000;
    server.SetScript(script);

    WebImageDialog dialog(&target, nullptr);
    test::DialogDriver driver(
        [&](HWND d) {
            Type(dialog.AddressBox(), server.Url(L"/photos/湖光.jpg"));
            sheet.AddWindow(d, L"web image dialog: an address typed", L"dialog-web");
            test::SendClick(d, dialog.OkButton().GetBounds());
            test::PumpUntil([&] { return dialog.Progress() > 0; }, 3000);
            sheet.AddWindow(d, L"web image dialog: downloading, a third arrived", L"dialog-web-downloading");
            test::PostClick(d, dialog.CancelButton().GetBounds());
        },
        30000);
    dialog.ShowModal(nullptr);
}

void FailureMessage(Sheet& sheet)
{
    CMessageDialog dialog;
    dialog.SetMessage(Messages::kDownloadFailed);
    test::DialogDriver driver([&](HWND d) {
        sheet.AddWindow(d, Messages::kDownloadFailed.text, L"dialog-download-failed");
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    dialog.ShowModal(nullptr);
}

}  // namespace

void PickerExhibits(Sheet& sheet, const std::wstring& photoDir)
{
    HostWindow host(400, 300);
    ListView target;
    target.Attach(&host.Root());
    Picker(sheet, photoDir, target);
    sheet.NewRow();
    WebImage(sheet, target);
    FailureMessage(sheet);
    sheet.NewRow();
}

}  // namespace Gallery
