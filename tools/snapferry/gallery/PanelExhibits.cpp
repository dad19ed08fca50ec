// The upload panel as a visitor sees it: empty; filled with a dozen photos (one hovered, two
// selected); during a run against a slow loopback server; the cancel question over it; and
// after a failed photo. Every state is reached through the panel's real drop target, real
// mouse messages and real transfers.
#include <filesystem>
#include <memory>

#include "Biz/ConfigMgr.h"
#include "gallery/Exhibits.h"
#include "panel/PanelWindow.h"
#include "platform/DataObject.h"
#include "platform/TextConv.h"
#include "support/DataObjects.h"
#include "support/DialogDriver.h"
#include "support/LoopbackServer.h"
#include "support/MessagePump.h"
#include "ui/listview/ListViewPostItem.h"

namespace Gallery {

namespace {

struct Quiet : PanelCallbacks {
    void OnImagesPosted() override {}
    void FireOnError(int) override {}
};

struct Panel {
    explicit Panel(const std::vector<std::wstring>& photos) : window(quiet, 760, 520)
    {
        if (photos.empty()) return;
        Korvel::ComPtr<IDataObject> data = test::OneFormat(CF_HDROP, test::FileListBytes(photos));
        IDropTarget* target = &window.Panel();
        DWORD effect = DROPEFFECT_COPY;
        target->DragEnter(data.Get(), MK_LBUTTON, POINTL{300, 300}, &effect);
        target->Drop(data.Get(), 0, POINTL{300, 300}, &effect);
        test::PumpUntil([&] { return !List().IsLoading(); }, 20000);
    }
    ListView& List() { return window.Panel().ImageList; }
    void ClickItem(int index, WPARAM keys)
    {
        RECT b;
        List().ItemAt(index)->GetBounds(&b);
        const LPARAM at = MAKELPARAM(b.left + 60, b.top + 30 - List().ScrollPosition());
        ::SendMessageW(List().GetWindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
        ::SendMessageW(List().GetWindowHandle(), WM_LBUTTONUP, keys, at);
    }
    void HoverItem(int index)
    {
        RECT b;
        List().ItemAt(index)->GetBounds(&b);
        ::SendMessageW(List().GetWindowHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(b.left + 60, b.top + 100));
    }
    void Press(const Korvel::UI::ControlBase& control)
    {
        const RECT& b = control.GetBounds();
        const LPARAM at = MAKELPARAM((b.left + b.right) / 2, (b.top + b.bottom) / 2);
        ::SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(window.Handle(), WM_LBUTTONUP, 0, at);
        // Off the button again, so its hover face does not stay in the picture.
        ::SendMessageW(window.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(400, 45));
    }
    Quiet quiet;
    PanelWindow window;
};

}  // namespace

void PanelExhibits(Sheet& sheet, const std::wstring& workDir)
{
    std::filesystem::create_directories(workDir);
    const std::vector<std::wstring> photos = WritePhotos(workDir, 12);
    {
        Panel empty({});
        sheet.AddWindow(empty.window.Handle(), L"panel: empty", L"panel-empty");
    }
    {
        Panel filled(photos);
        filled.ClickItem(1, 0);
        filled.ClickItem(3, MK_CONTROL);
        filled.HoverItem(0);
        sheet.AddWindow(filled.window.Handle(), L"panel: twelve photos, one hovered, two selected", L"panel-filled");
    }
    sheet.NewRow();
    {
        // Large uploads to a server that reads slowly, so the run is caught half-way.
        const std::wstring bigDir = workDir + L"\\large";
        std::filesystem::create_directories(bigDir);
        const std::vector<std::wstring> large = WritePhotos(bigDir, 8, 1600);
        test::LoopbackServer server(4096);
        test::ServerScript slow;
        slow.response = test::HttpResponse(200, "", "stored");
        slow.readChunk = 4096;
        slow.pauseMs = 40;
        server.SetScript(slow);
        Panel running(large);
        UploadPanel& panel = running.window.Panel();
        panel.PutPostUrl(Korvel::Text::TextFromWide<TChar>(server.Url(L"/upload")).c_str());
        ConfigMgr::Instance()->SetImageUploadType(SF_T("bmp"));
        running.Press(panel.PostButton);
        // Until the first progress report has come and the estimate is known.
        auto* first = dynamic_cast<ListViewPostItem*>(running.List().ItemAt(0));
        test::PumpUntil([&] { return first && first->Sent() > 0 && panel.RemainingLabel.Text().size() > 5; }, 15000);
        test::PumpFor(1200);
        sheet.AddWindow(running.window.Handle(), L"panel: uploading (progress, remaining time, speed)", L"panel-running");
        {
            test::DialogDriver driver([&](HWND dialog) {
                sheet.AddWindow(running.window.Handle(), L"panel: the cancel question", L"panel-cancel");
                ::EndDialog(dialog, 0);
            });
            running.Press(panel.PostButton);
        }
        ConfigMgr::Instance()->SetImageUploadType(SF_T("jpg"));
    }
    {
        test::LoopbackServer server;
        test::ServerScript failing;
        failing.responses = {test::HttpResponse(200, "", "stored"), test::HttpResponse(500, "", "disk full")};
        server.SetScript(failing);
        Panel failed(std::vector<std::wstring>(photos.begin(), photos.begin() + 5));
        UploadPanel& panel = failed.window.Panel();
        panel.PutPostUrl(Korvel::Text::TextFromWide<TChar>(server.Url(L"/upload")).c_str());
        failed.Press(panel.PostButton);
        test::PumpUntil([&] { return !panel.IsRunning(); }, 20000);
        sheet.AddWindow(failed.window.Handle(), L"panel: after the second photo failed", L"panel-failed");
    }
    sheet.NewRow();
}

}  // namespace Gallery
