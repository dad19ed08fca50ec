// The thumbnail list in a real window: layout, scrolling, selection, drops, the loader and
// the upload items' pictures, driven by real messages and OLE calls.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Biz/AppState.h"
#include "image/CxImage.h"
#include "platform/DataObject.h"
#include "platform/DragFormats.h"
#include "platform/TextConv.h"
#include "support/DataObjects.h"
#include "support/MessagePump.h"
#include "support/TempDir.h"
#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/HostWindow.h"
#include "ui/forms/ImageViewForm.h"
#include "ui/listview/ListView.h"
#include "ui/listview/ListViewPostItem.h"
#include "ui/listview/ListViewSelectItem.h"

namespace {

using namespace Korvel::UI;
using Korvel::Text::TextFromWide;

TString T(const std::wstring& text) { return TextFromWide<TChar>(text); }

// Small photos of distinct colours, written as PNG files.
std::vector<std::wstring> MakePhotos(const test::TempDir& dir, int count, const wchar_t* extension = L".png")
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
        CxImage image;
        image.Create(64, 48, 24, CXIMAGE_FORMAT_PNG);
        for (unsigned y = 0; y < 48; ++y)
            for (unsigned x = 0; x < 64; ++x)
                image.SetPixelColor(x, y, RGBQ{std::uint8_t(i * 20), std::uint8_t(x * 4), std::uint8_t(y * 5), 255});
        paths.push_back(dir.File(L"photo" + std::to_wstring(i) + extension));
        image.Save(paths.back().c_str(), CXIMAGE_FORMAT_PNG);
    }
    return paths;
}

// Items that count how many are alive, to see that the list frees what it owns.
struct CountedItem : ListViewSelectItem {
    static inline std::atomic<int> alive{0};
    explicit CountedItem(const TString& path) : ListViewSelectItem(path) { ++alive; }
    ~CountedItem() override { --alive; }
};

class ListViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::OleInitialize(nullptr);
        DragFormats::Instance().RegisterFormat(kListViewItemFormat);
    }

    // A list whose client area is clientWidth x clientHeight (the scroll bar comes on top).
    void Open(int clientWidth, int clientHeight)
    {
        list_.Attach(&host_.Root());
        list_.SetSize(clientWidth + ::GetSystemMetrics(SM_CXVSCROLL), clientHeight);
        list_.Layout();
        ::ShowWindow(list_.GetWindowHandle(), SW_SHOWNA);
        list_.SelectionChanged.connect(&signals_, &Signals::OnSelection);
        list_.ItemRemoved.connect(&signals_, &Signals::OnRemoved);
    }
    void Fill(int count)
    {
        for (int i = 0; i < count; ++i) list_.AddItem(new ListViewPostItem(T(L"C:\\photos\\" + std::to_wstring(i) + L".jpg")));
        list_.Arrange();
        list_.UpdateScrollBar();
    }
    HWND Wnd() { return list_.GetWindowHandle(); }
    POINT Centre(int id)
    {
        RECT b;
        list_.ItemById(id)->GetBounds(&b);
        // Above the item's buttons, whose strip starts 90 pixels down.
        return POINT{(b.left + b.right) / 2, b.top + 30 - list_.ScrollPosition()};
    }
    void Click(int id, WPARAM keys = 0)
    {
        const POINT p = Centre(id);
        ::SendMessageW(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(p.x, p.y));
        ::SendMessageW(Wnd(), WM_LBUTTONUP, keys, MAKELPARAM(p.x, p.y));
    }
    std::vector<int> SelectedIds()
    {
        std::vector<int> ids;
        for (ListViewItem* item : list_.GetSelection()) ids.push_back(item->Id());
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    std::vector<int> Order()
    {
        std::vector<int> ids;
        for (int i = 0; i < list_.Count(); ++i) ids.push_back(list_.ItemAt(i)->Id());
        return ids;
    }

    struct Signals : sigslot::has_slots<> {
        int selection = 0;
        std::vector<int> removed;
        void OnSelection(int value)
        {
            EXPECT_EQ(value, 0);
            ++selection;
        }
        void OnRemoved(int id) { removed.push_back(id); }
    };

    HostWindow host_{900, 700};
    ListView list_;
    Signals signals_;
};

TEST_F(ListViewTest, ArrangesItemsInAsManyColumnsAsFitBesideTheScrollBar)
{
    struct Case {
        int clientWidth, columns;
    };
    // columns = (width - 4 - 4 + 14 - 17) / (140 + 14)
    for (Case c : {Case{600, 3}, Case{470, 2}, Case{170, 1}, Case{100, 0}}) {
        HostWindow host(900, 700);
        ListView list;
        list.Attach(&host.Root());
        list.SetSize(c.clientWidth + ::GetSystemMetrics(SM_CXVSCROLL), 400);
        list.Layout();
        RECT client;
        ::GetClientRect(list.GetWindowHandle(), &client);
        ASSERT_EQ(client.right, c.clientWidth);
        for (int i = 0; i < 5; ++i) list.AddItem(new ListViewSelectItem(SF_T("x.png")));
        list.Arrange();
        for (int i = 0; i < 5; ++i) {
            // With no whole column each item gets a row of its own, starting one row down.
            const int row = c.columns ? i / c.columns : i + 1, column = c.columns ? i % c.columns : 0;
            const RECT expected{4 + column * 154, 4 + row * 173, 4 + column * 154 + 140, 4 + row * 173 + 141};
            RECT got;
            list.ItemAt(i)->GetBounds(&got);
            EXPECT_TRUE(::EqualRect(&got, &expected)) << c.clientWidth << " px, item " << i << ": " << got.left << ","
                                                       << got.top;
        }
    }
}

TEST_F(ListViewTest, ScrollsByEveryInputWithinItsRange)
{
    Open(600, 400);
    Fill(30);  // 10 rows of 173: range 1738, page 400, last position 1339
    auto send = [&](WPARAM request) { ::SendMessageW(Wnd(), WM_VSCROLL, request, 0); };
    auto wheel = [&](int delta) { ::SendMessageW(Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0); };
    struct Step {
        const char* name;
        std::function<void()> input;
        int expected;
    };
    const Step steps[] = {
        {"line up at the top", [&] { send(SB_LINEUP); }, 0},
        {"line down", [&] { send(SB_LINEDOWN); }, 1},
        {"page down", [&] { send(SB_PAGEDOWN); }, 401},
        {"wheel down", [&] { wheel(-WHEEL_DELTA); }, 542},
        {"bottom", [&] { send(SB_BOTTOM); }, 1339},
        {"line down at the bottom", [&] { send(SB_LINEDOWN); }, 1339},
        {"page down at the bottom", [&] { send(SB_PAGEDOWN); }, 1339},
        {"page up", [&] { send(SB_PAGEUP); }, 939},
        {"wheel up", [&] { wheel(WHEEL_DELTA); }, 798},
        {"top", [&] { send(SB_TOP); }, 0},
        {"page up at the top", [&] { send(SB_PAGEUP); }, 0},
        {"wheel up at the top", [&] { wheel(WHEEL_DELTA); }, 0},
    };
    for (const Step& s : steps) {
        s.input();
        EXPECT_EQ(list_.ScrollPosition(), s.expected) << s.name;
    }

    // Removing one item keeps the place; removing the selection, sorting or a new layout
    // of the bar goes back to the top.
    send(SB_PAGEDOWN);
    list_.RemoveItem(3);
    EXPECT_EQ(list_.ScrollPosition(), 400);
    EXPECT_EQ(signals_.removed, std::vector<int>{3});
    list_.SelectAll(true);
    list_.RemoveSelected();
    EXPECT_EQ(list_.ScrollPosition(), 0);
    EXPECT_TRUE(list_.IsEmpty());
    EXPECT_EQ(signals_.removed.back(), 0);

    Fill(30);
    send(SB_PAGEDOWN);
    list_.SortItems(1);
    EXPECT_EQ(list_.ScrollPosition(), 0);
}

TEST_F(ListViewTest, SelectsByClickShiftAndControl)
{
    Open(600, 400);
    Fill(6);
    struct Press {
        int id;
        WPARAM keys;
    };
    struct Case {
        const char* name;
        std::vector<Press> clicks;
        std::vector<int> selected;
        int signals;
    };
    const Case cases[] = {
        {"plain click", {{2, 0}}, {2}, 1},
        {"shift extends from the anchor", {{1, 0}, {4, MK_SHIFT}}, {1, 2, 3, 4}, 2},
        {"shift extends backwards", {{4, 0}, {1, MK_SHIFT}}, {1, 2, 3, 4}, 2},
        {"shift without an anchor", {{3, MK_SHIFT}}, {3}, 0},
        {"control adds and removes", {{1, 0}, {3, MK_CONTROL}, {1, MK_CONTROL}}, {3}, 3},
        {"a new plain click starts over", {{1, 0}, {3, MK_CONTROL}, {5, 0}}, {5}, 3},
    };
    for (const Case& c : cases) {
        list_.SelectAll(false);
        list_.SetSelectionAnchor(-1);
        signals_.selection = 0;
        for (const Press& press : c.clicks) Click(press.id, press.keys);
        EXPECT_EQ(SelectedIds(), c.selected) << c.name;
        EXPECT_EQ(signals_.selection, c.signals) << c.name;
        for (int i = 0; i < list_.Count(); ++i) {
            ListViewItem* item = list_.ItemAt(i);
            const bool listed = std::count(c.selected.begin(), c.selected.end(), item->Id()) > 0;
            EXPECT_EQ(item->IsSelected(), listed) << c.name << ", item " << item->Id();
        }
    }

    // A click on empty space clears the selection.
    Click(2);
    signals_.selection = 0;
    ::SendMessageW(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(590, 390));
    ::SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(590, 390));
    EXPECT_TRUE(SelectedIds().empty());
    EXPECT_EQ(signals_.selection, 1);

    // Control+A selects everything; Delete removes it.
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    ::SendMessageW(Wnd(), WM_KEYUP, 'A', 0);
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(SelectedIds(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(signals_.selection, 2);
    ::SendMessageW(Wnd(), WM_KEYUP, VK_DELETE, 0);
    EXPECT_TRUE(list_.IsEmpty());
}

TEST_F(ListViewTest, FileDropsAddNewImagesUpToTheLimit)
{
    test::TempDir dir;
    Open(600, 400);
    const std::vector<std::wstring> photos = MakePhotos(dir, 10);
    for (int i = 0; i < 95; ++i) list_.AddItem(new ListViewPostItem(T(photos[0])));
    struct Counter : sigslot::has_slots<> {
        int count = 0;
        void On() { ++count; }
    } dropAdded;
    list_.DropAdded.connect(&dropAdded, &Counter::On);

    auto drop = [&](const std::vector<std::wstring>& names) {
        Korvel::ComPtr<IDataObject> data = test::OneFormat(CF_HDROP, test::FileListBytes(names));
        DWORD effect = DROPEFFECT_COPY;
        IDropTarget* target = &list_;
        target->DragEnter(data.Get(), MK_LBUTTON, POINTL{100, 100}, &effect);
        effect = DROPEFFECT_COPY;
        target->Drop(data.Get(), 0, POINTL{100, 100}, &effect);
    };
    drop(photos);
    EXPECT_EQ(list_.Count(), 101);  // 95 + 6: one more is taken while the count is 100
    EXPECT_EQ(dropAdded.count, 1);
    EXPECT_EQ(list_.ScrollPosition(), 0);
    // The drop starts the loader, which makes the thumbnails and names the photos.
    ASSERT_TRUE(test::PumpUntil([&] { return !list_.IsLoading(); }, 10000));
    EXPECT_EQ(list_.ItemAt(95)->GetCaption(), T(L"photo1.png"));
    EXPECT_TRUE(list_.ItemAt(95)->GetImage() != nullptr);

    // Small list: folders, .jpeg, duplicates and drive roots add nothing; case does not matter.
    list_.Clear();
    const std::wstring upper = dir.File(L"UPPER.PNG"), jpeg = dir.File(L"x.jpeg");
    ::CopyFileW(photos[1].c_str(), upper.c_str(), FALSE);
    ::CopyFileW(photos[1].c_str(), jpeg.c_str(), FALSE);
    const std::wstring folder = dir.File(L"album.jpg");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    drop({photos[2], photos[2], jpeg, folder, L"C:\\", upper});
    ASSERT_EQ(list_.Count(), 2);
    EXPECT_EQ(list_.ItemAt(0)->GetPath(), T(photos[2]));
    EXPECT_EQ(list_.ItemAt(1)->GetPath(), T(upper));
    ASSERT_TRUE(test::PumpUntil([&] { return !list_.IsLoading(); }, 10000));
    EXPECT_TRUE(list_.ItemAt(1)->GetImage() != nullptr);
}

TEST_F(ListViewTest, ADraggedItemMovesInFrontOfTheItemItIsDroppedOn)
{
    Open(600, 400);
    Fill(5);
    auto dropItem = [&](int source, int onto) {
        Korvel::ComPtr<IDataObject> data = MakeItemDataObject(source);
        ASSERT_TRUE(data);
        POINT screen = Centre(onto);
        ::ClientToScreen(Wnd(), &screen);
        DWORD effect = DROPEFFECT_COPY;
        IDropTarget* target = &list_;
        ASSERT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, POINTL{screen.x, screen.y}, &effect), S_OK);
        ASSERT_NE(effect, DROPEFFECT_NONE);
        target->Drop(data.Get(), 0, POINTL{screen.x, screen.y}, &effect);
    };
    dropItem(0, 3);
    EXPECT_EQ(Order(), (std::vector<int>{1, 2, 0, 3, 4}));
    dropItem(4, 1);
    EXPECT_EQ(Order(), (std::vector<int>{4, 1, 2, 0, 3}));
    dropItem(99, 2);  // not from this list
    EXPECT_EQ(Order(), (std::vector<int>{4, 1, 2, 0, 3}));
    // Items were re-placed in their new order.
    RECT first;
    list_.ItemAt(0)->GetBounds(&first);
    EXPECT_EQ(first.left, 4);
}

TEST_F(ListViewTest, TheLoaderDecodesWhileItemsAreRemovedAndEveryItemIsFreed)
{
    test::TempDir dir;
    const std::vector<std::wstring> photos = MakePhotos(dir, 8);
    Open(600, 400);
    std::mt19937 random(7);
    for (int round = 0; round < 25; ++round) {
        for (int i = 0; i < 24; ++i) list_.AddItem(new CountedItem(T(photos[i % photos.size()])));
        list_.Arrange();
        list_.StartLoader();
        // Remove items from the window thread while the loader walks the list.
        for (int i = 0; i < 8 && list_.Count() > 0; ++i) {
            const int index = static_cast<int>(random() % static_cast<unsigned>(list_.Count()));
            list_.RemoveItem(list_.ItemAt(index)->Id());
            test::PumpFor(1);
        }
        if (round % 2) {
            list_.Clear();  // stops the loader first
        } else {
            ASSERT_TRUE(test::PumpUntil([&] { return !list_.IsLoading(); }, 10000));
            for (int i = 0; i < list_.Count(); ++i) {
                ListViewItem* item = list_.ItemAt(i);
                EXPECT_TRUE(item->IsLoaded());
                EXPECT_TRUE(item->GetImage() != nullptr);
                EXPECT_EQ(item->GetCaption().substr(0, 5), SF_T("photo"));  // the file name now
            }
            list_.Clear();
        }
        ASSERT_EQ(CountedItem::alive.load(), 0) << "round " << round;
    }
}

TEST_F(ListViewTest, TheLoaderNeverLoadsAnItemTwice)
{
    test::TempDir dir;
    const std::vector<std::wstring> photos = MakePhotos(dir, 3);
    Open(600, 400);
    list_.AddItem(new ListViewPostItem(T(photos[0])));
    list_.AddItem(new ListViewPostItem(T(photos[1])));
    list_.StartLoader();
    ASSERT_TRUE(test::PumpUntil([&] { return !list_.IsLoading(); }, 10000));
    ListViewItem* edited = list_.ItemAt(0);
    edited->SetCaption(T(L"我的照片"));
    edited->RotateRight();
    // More photos arrive (a drop, or the picker's confirmation) and the loader runs again.
    list_.AddItem(new ListViewPostItem(T(photos[2])));
    list_.StartLoader();
    ASSERT_TRUE(test::PumpUntil([&] { return !list_.IsLoading(); }, 10000));
    EXPECT_EQ(edited->GetCaption(), T(L"我的照片"));
    EXPECT_EQ(edited->Turns(), 1);
    EXPECT_EQ(edited->PictureWidth(), 48u);
    EXPECT_EQ(list_.ItemAt(2)->GetCaption(), T(L"photo2.png"));
}

TEST_F(ListViewTest, UploadItemsShowTheirProgressWhileARunIsGoing)
{
    Open(600, 400);
    Fill(1);
    auto* item = static_cast<ListViewPostItem*>(list_.ItemAt(0));
    item->SetSize(1000);
    item->SetSent(400);
    AppState::Instance()->SetPosting();
    ::RedrawWindow(Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    // Progress strip {L+1, T+96, R-1, B-30}: 138 pixels, 40 % of them green.
    RECT b;
    item->GetBounds(&b);
    HDC dc = ::GetDC(Wnd());
    const int y = b.top + 96, left = b.left + 1;
    auto greenish = [&](int x) {
        const COLORREF c = ::GetPixel(dc, x, y);
        return GetGValue(c) > GetRValue(c) + 20 && GetGValue(c) > GetBValue(c) + 40;
    };
    EXPECT_TRUE(greenish(left));
    EXPECT_TRUE(greenish(left + 54));
    EXPECT_FALSE(greenish(left + 55));
    const COLORREF dimmed = ::GetPixel(dc, left + 100, y);
    EXPECT_LT(GetRValue(dimmed), 200);  // black over white at alpha 90

    // The text over the strip: its white pixels span as wide as the text measures.
    auto textSpan = [&] {
        int first = -1, last = -1;
        for (int x = b.left + 1; x < b.right - 1; ++x)
            for (int row = b.top + 96; row < b.bottom - 30; ++row) {
                const COLORREF c = ::GetPixel(dc, x, row);
                if (GetRValue(c) > 235 && GetGValue(c) > 235 && GetBValue(c) > 235) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
            }
        return first < 0 ? 0 : last - first + 1;
    };
    auto measured = [&](const wchar_t* text) {
        return MeasureText(dc, text, lstrlenW(text), DefaultTheme::Instance().NormalFont()).cx;
    };
    EXPECT_NEAR(textSpan(), measured(L"40%"), 6);  // smoothed glyph edges fall short of white

    item->MarkUploaded();
    EXPECT_EQ(item->Sent(), 1000);
    ::RedrawWindow(Wnd(), nullptr, nullptr, RDW_UPDATENOW);
    EXPECT_TRUE(greenish(left + 137));
    EXPECT_NEAR(textSpan(), measured(L"上传成功"), 6);
    ::ReleaseDC(Wnd(), dc);
    AppState::Instance()->SetStopped();
}

TEST_F(ListViewTest, HoverShowsTheButtonsOnlyWhileTheListIsEditable)
{
    Open(600, 400);
    Fill(1);
    RECT b;
    list_.ItemAt(0)->GetBounds(&b);
    auto stripIsDark = [&] {
        ::RedrawWindow(Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = ::GetDC(Wnd());
        const COLORREF c = ::GetPixel(dc, b.left + 100, b.top + 95);
        ::ReleaseDC(Wnd(), dc);
        return GetRValue(c) < 120;
    };
    ::SendMessageW(Wnd(), WM_MOUSEMOVE, 0, MAKELPARAM(b.left + 50, b.top + 50));
    ASSERT_EQ(list_.Hovered(), 0);
    EXPECT_TRUE(stripIsDark());
    list_.SetEditable(0);
    EXPECT_FALSE(stripIsDark());

    // A click on the delete mark of a locked list does nothing; unlocked it removes the item.
    auto clickDelete = [&] {
        ::SendMessageW(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(b.right - 5, b.top + 5));
        ::SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(b.right - 5, b.top + 5));
    };
    clickDelete();
    EXPECT_EQ(list_.Count(), 1);
    list_.SetEditable(1);
    clickDelete();
    EXPECT_EQ(list_.Count(), 0);
}

TEST_F(ListViewTest, CaptionsAreEditedInPlaceAndCommittedOnTheNextRelease)
{
    Open(600, 400);
    Fill(2);
    RECT b;
    list_.ItemAt(0)->GetBounds(&b);
    Click(0);
    // The caption strip of the selected item starts the editor.
    ::SendMessageW(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(b.left + 60, b.bottom - 10));
    ::SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(b.left + 60, b.bottom - 10));
    ASSERT_EQ(list_.EditingItem(), list_.ItemAt(0));
    HWND editor = ::GetFocus();
    ASSERT_NE(editor, Wnd());
    ::SetWindowTextW(editor, L"海边\r\n日落");
    Click(1);
    EXPECT_EQ(list_.EditingItem(), nullptr);
    EXPECT_EQ(list_.ItemAt(0)->GetCaption(), T(L"海边\r\n日落"));  // line breaks kept as typed
    EXPECT_FALSE(::IsWindowVisible(editor));
}

TEST_F(ListViewTest, TheViewerOutlivesItsItemAndClosesOnAClickOrFocusLoss)
{
    test::TempDir dir;
    const std::vector<std::wstring> photos = MakePhotos(dir, 1);
    Open(600, 400);
    list_.AddItem(new ListViewPostItem(T(photos[0])));
    list_.Arrange();

    auto* viewer = new ImageViewForm(list_.ItemAt(0));
    ASSERT_TRUE(viewer->Open());
    HWND wnd = viewer->Handle();
    RECT r;
    ::GetWindowRect(wnd, &r);
    EXPECT_EQ(r.right - r.left, 64);
    EXPECT_EQ(r.bottom - r.top, 48);
    list_.RemoveItem(0);  // the picture stays with the viewer
    ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::SendMessageW(wnd, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(::IsWindow(wnd));
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(::IsWindow(wnd));

    list_.AddItem(new ListViewPostItem(T(photos[0])));
    auto* second = new ImageViewForm(list_.ItemAt(0));
    ASSERT_TRUE(second->Open());
    wnd = second->Handle();
    ::SendMessageW(wnd, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(::IsWindow(wnd));
}

TEST_F(ListViewTest, ItemsKeepTheRecordTheUploadReads)
{
    test::TempDir dir;
    const std::vector<std::wstring> photos = MakePhotos(dir, 3);
    Open(600, 400);

    // A picker item gets its picture from the loader; confirming copies it into an upload
    // item, which takes the picture over.
    auto* picker = new ListViewSelectItem(T(photos[0]));
    list_.AddItem(picker);
    EXPECT_TRUE(picker->GetTooltipText().empty());  // not before it is loaded
    picker->LoadFromPath(picker->GetPath());
    picker->SetLoaded(1);
    const TString tip = picker->GetTooltipText();
    EXPECT_EQ(tip.substr(0, tip.find(SF_T('\n'))), SF_T("文件名称：photo0.png"));
    EXPECT_NE(tip.find(SF_T("\n文件大小：")), TString::npos);
    EXPECT_EQ(tip.substr(tip.find(SF_T("\n图片宽度"))), SF_T("\n图片宽度：64px\n图片高度：48px"));
    picker->SetChecked(1);
    ListViewPostItem copy;
    copy.CopyFrom(*picker);
    EXPECT_EQ(copy.GetCaption(), SF_T("photo0.png"));
    EXPECT_EQ(copy.GetPath(), T(photos[0]));
    EXPECT_EQ(copy.GetExtension(), SF_T("png"));
    EXPECT_TRUE(copy.IsLoaded());
    EXPECT_TRUE(copy.GetImage() != nullptr);
    EXPECT_TRUE(picker->GetImage() == nullptr);
    EXPECT_GT(copy.EncodedSize(), 0);

    // Only checked picker items count towards the picker's total; a vanished file adds nothing.
    auto* second = new ListViewSelectItem(T(photos[1]));
    auto* gone = new ListViewSelectItem(T(dir.File(L"gone.png")));
    list_.AddItem(second);
    list_.AddItem(gone);
    gone->SetChecked(1);
    EXPECT_EQ(list_.CountChecked(), 2);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(photos[0].c_str(), GetFileExInfoStandard, &data);
    EXPECT_EQ(list_.SumFileSizes(), static_cast<int>(data.nFileSizeLow));
    std::vector<ListViewItem*> checked;
    list_.CopyChecked(checked);
    EXPECT_EQ(checked, (std::vector<ListViewItem*>{picker, gone}));
    list_.Clear();

    // Upload items: a web picture keeps its address and byte count and is left to itself by
    // the loader; uploaded items are not pending; the private messages remove and refresh.
    std::vector<std::uint8_t> bytes;
    {
        FILE* f = _wfopen(photos[2].c_str(), L"rb");
        ASSERT_TRUE(f);
        int c;
        while ((c = fgetc(f)) != EOF) bytes.push_back(static_cast<std::uint8_t>(c));
        fclose(f);
    }
    auto* web = new ListViewPostItem(SF_T("http://127.0.0.1/a.png"), bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                                     CXIMAGE_FORMAT_PNG);
    EXPECT_TRUE(web->IsWeb());
    EXPECT_EQ(web->GetSize(), static_cast<int>(bytes.size()));
    EXPECT_EQ(web->GetCaption(), SF_T("http://127.0.0.1/a.png"));
    ASSERT_TRUE(web->GetImage() != nullptr);
    list_.AddItem(web);
    auto* local = new ListViewPostItem(T(photos[1]));
    list_.AddItem(local);
    local->SetSize(100);
    local->MarkUploaded();
    list_.StartLoader();
    ASSERT_TRUE(test::PumpUntil([&] { return !list_.IsLoading(); }, 5000));
    EXPECT_EQ(web->GetCaption(), SF_T("http://127.0.0.1/a.png"));
    std::list<ListViewItem*> pending;
    list_.CollectPending(pending);
    EXPECT_EQ(pending, std::list<ListViewItem*>{web});
    const int webId = web->Id();
    ::SendMessageW(Wnd(), WM_LISTVIEW_REFRESHITEM, webId, 0);
    ::SendMessageW(Wnd(), WM_LISTVIEW_REMOVEITEM, webId, 0);
    EXPECT_EQ(list_.Count(), 1);
    EXPECT_EQ(signals_.removed, std::vector<int>{webId});
}

}  // namespace
