// The thumbnail lists: the panel's upload list (plain, hovered with its buttons, selected,
// uploading at 40 %, done) and the picker's list with checked items.
#include "gallery/Exhibits.h"

#include <cmath>
#include <filesystem>

#include "Biz/AppState.h"
#include "image/CxImage.h"
#include "platform/TextConv.h"
#include "ui/BackBuffer.h"
#include "ui/HostWindow.h"
#include "ui/listview/ListView.h"
#include "ui/listview/ListViewPostItem.h"
#include "ui/listview/ListViewSelectItem.h"

namespace Gallery {

using namespace Korvel::UI;

namespace {

// A made-up landscape: a sky in the photo's hue, two hills and a sun.
void WritePhoto(const std::wstring& path, int index, int width)
{
    const int w = width, h = (240 - (index % 3) * 40) * width / 320;
    CxImage image;
    image.Create(w, h, 24, CXIMAGE_FORMAT_JPG);
    const double hue = index * 0.52;
    const int sunX = 60 + (index * 47) % 200, sunY = 50 + (index * 13) % 30;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double t = double(y) / h;
            double r = 90 + 100 * t + 40 * std::sin(hue), g = 140 + 70 * t + 30 * std::sin(hue + 2),
                   b = 230 - 60 * t + 20 * std::sin(hue + 4);
            const double hill1 = h * 0.62 + 30 * std::sin(x / 41.0 + index);
            const double hill2 = h * 0.75 + 18 * std::sin(x / 23.0 + index * 2.0);
            if (y > hill1) r = 60 + 20 * std::sin(hue), g = 120 + 15 * t * 10, b = 70;
            if (y > hill2) r = 40, g = 95, b = 50;
            if ((x - sunX) * (x - sunX) + (y - sunY) * (y - sunY) < 300 && y < hill1) r = 255, g = 236, b = 150;
            image.SetPixelColor(x, y, RGBQ{std::uint8_t(std::clamp(b, 0.0, 255.0)), std::uint8_t(std::clamp(g, 0.0, 255.0)),
                                           std::uint8_t(std::clamp(r, 0.0, 255.0)), 255});
        }
    image.SetJpegQuality(90);
    image.Save(path.c_str(), CXIMAGE_FORMAT_JPG);
}

}  // namespace

std::vector<std::wstring> WritePhotos(const std::wstring& dir, int count, int width)
{
    std::vector<std::wstring> paths;
    const wchar_t* names[] = {L"海边日落", L"山间小路", L"湖光", L"晨雾", L"远山", L"田野"};
    for (int i = 0; i < count; ++i) {
        paths.push_back(dir + L"\\" + names[i % 6] + L"-" + std::to_wstring(i + 1) + L".jpg");
        WritePhoto(paths.back(), i, width);
    }
    return paths;
}

namespace {

struct ListWindow {
    ListWindow(int width, int height, int itemWidth, int itemHeight) : host(width, height)
    {
        list.SetItemWidth(itemWidth);
        list.SetItemHeight(itemHeight);
        list.Attach(&host.Root());
        list.SetAnchor(AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);
        list.Layout();
        ::ShowWindow(list.GetWindowHandle(), SW_SHOWNA);
    }
    void Move(int id)
    {
        RECT b;
        list.ItemById(id)->GetBounds(&b);
        ::SendMessageW(list.GetWindowHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(b.left + 60, b.top + 50));
    }
    void Click(int id)
    {
        RECT b;
        list.ItemById(id)->GetBounds(&b);
        const LPARAM at = MAKELPARAM(b.left + 60, b.top + 30);
        ::SendMessageW(list.GetWindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(list.GetWindowHandle(), WM_LBUTTONUP, 0, at);
    }
    HostWindow host;
    ListView list;
};

void UploadList(Sheet& sheet, const std::vector<std::wstring>& photos)
{
    ListWindow w(720, 560, 150, 151);
    for (const std::wstring& path : photos) {
        // Loaded here, as the list's loader would: the thumbnail, and the file name as caption.
        auto* item = new ListViewPostItem(Korvel::Text::TextFromWide<TChar>(path));
        item->LoadFromPath(item->GetPath());
        w.list.AddItem(item);
    }
    w.list.Arrange();
    w.list.UpdateScrollBar();
    w.Click(1);
    w.Move(0);
    sheet.AddWindow(w.list.GetWindowHandle(), L"upload list: hovered (buttons), selected, plain", L"list-upload");

    // A run: the first photo done, the second at 40 %, the rest waiting.
    auto post = [&](int index) { return static_cast<ListViewPostItem*>(w.list.ItemAt(index)); };
    for (int i = 0; i < w.list.Count(); ++i) post(i)->SetSize(100000);
    AppState::Instance()->SetPosting();
    post(0)->MarkUploaded();
    post(1)->SetSent(40000);
    sheet.AddWindow(w.list.GetWindowHandle(), L"upload list while uploading: done, 40 %, waiting", L"list-uploading");
    AppState::Instance()->SetStopped();
}

void PickerList(Sheet& sheet, const std::vector<std::wstring>& photos)
{
    ListWindow w(660, 380, 140, 141);
    for (const std::wstring& path : photos) w.list.AddItem(new ListViewSelectItem(Korvel::Text::TextFromWide<TChar>(path)));
    w.list.Arrange();
    w.list.UpdateScrollBar();
    w.list.StartLoader();
    const DWORD end = ::GetTickCount() + 10000;
    while (w.list.IsLoading() && static_cast<LONG>(end - ::GetTickCount()) > 0) ::Sleep(10);
    for (int id : {0, 2, 3}) w.Click(id);
    w.Move(5);
    sheet.AddWindow(w.list.GetWindowHandle(), L"picker list: three checked, one hovered", L"list-picker");
}

}  // namespace

void ListExhibits(Sheet& sheet, const std::wstring& workDir)
{
    std::filesystem::create_directories(workDir);
    const std::vector<std::wstring> photos = WritePhotos(workDir, 12);
    UploadList(sheet, photos);
    sheet.NewRow();
    PickerList(sheet, photos);
    sheet.NewRow();
}

}  // namespace Gallery
