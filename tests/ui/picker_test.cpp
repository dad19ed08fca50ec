// The add-images dialog on folders the tests make under the prefix's C: drive, run modally
// and driven by real messages: the tree, the listed pictures, the labels, the limits of
// adding, DefaultFolder and the ways the dialog ends.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Biz/ConfigMgr.h"
#include "image/CxImage.h"
#include "image/ImageFixtures.h"
#include "platform/FileInfo.h"
#include "platform/TextConv.h"
#include "support/DialogDriver.h"
#include "support/DialogRuns.h"
#include "support/MessagePump.h"
#include "support/TempDir.h"
#include "ui/HostWindow.h"
#include "ui/forms/FileAddDialog.h"
#include "ui/listview/ListViewPostItem.h"

namespace {

using namespace Korvel::UI;
using Korvel::Text::TextFromWide;
using Korvel::Text::WideFromText;
using test::DialogDriver;

TString T(const std::wstring& text) { return TextFromWide<TChar>(text); }

void WritePhoto(const std::wstring& path, int shade)
{
    CxImage image;
    image.Create(40, 30, 24, CXIMAGE_FORMAT_PNG);
    for (unsigned y = 0; y < 30; ++y)
        for (unsigned x = 0; x < 40; ++x)
            image.SetPixelColor(x, y, RGBQ{std::uint8_t(shade * 40), std::uint8_t(x * 6), std::uint8_t(y * 8), 255});
    image.Save(path.c_str(), CXIMAGE_FORMAT_PNG);
}

// Real pictures named photo0.png, photo1.png, ... in a folder of its own.
std::vector<std::wstring> WritePhotos(const std::filesystem::path& folder, int count)
{
    std::filesystem::create_directories(folder);
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back((folder / (L"photo" + std::to_wstring(i) + L".png")).wstring());
        WritePhoto(paths.back(), i);
    }
    return paths;
}

bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

std::wstring NodeText(HWND tree, HTREEITEM node)
{
    wchar_t text[260] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = node;
    item.pszText = text;
    item.cchTextMax = 260;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

HTREEITEM Next(HWND tree, HTREEITEM node, UINT relation)
{
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
}

std::vector<HTREEITEM> ChildNodes(HWND tree, HTREEITEM node)
{
    std::vector<HTREEITEM> children;
    for (HTREEITEM c = Next(tree, node, TVGN_CHILD); c; c = Next(tree, c, TVGN_NEXT)) children.push_back(c);
    return children;
}

// The node of a folder, searched through every node listed so far.
HTREEITEM FindNode(FolderTree& tree, HTREEITEM from, const std::wstring& path)
{
    for (HTREEITEM c : ChildNodes(tree.Handle(), from)) {
        const Korvel::Shell::Item* item = tree.ItemOf(c);
        if (item && item->Path() == path) return c;
        if (HTREEITEM found = FindNode(tree, c, path)) return found;
    }
    return nullptr;
}

std::vector<std::wstring> Captions(ListView& list)
{
    std::vector<std::wstring> captions;
    for (int i = 0; i < list.Count(); ++i) captions.push_back(WideFromText(list.ItemAt(i)->GetCaption()));
    return captions;
}

int IndexOf(ListView& list, const std::wstring& caption)
{
    const auto captions = Captions(list);
    return static_cast<int>(std::find(captions.begin(), captions.end(), caption) - captions.begin());
}

void ClickPicture(CFileAddDialog& dialog, int index)
{
    ListViewItem* item = dialog.Picker().ItemAt(index);
    ASSERT_NE(item, nullptr);
    test::SendClick(dialog.Picker().GetWindowHandle(), item->GetViewRect(dialog.Picker().ScrollPosition()));
}

// The process's current folder for one scope.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder)
    {
        ::GetCurrentDirectoryW(MAX_PATH, previous_);
        ::SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolder() { ::SetCurrentDirectoryW(previous_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    wchar_t previous_[MAX_PATH] = {};
};

class PickerTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ::OleInitialize(nullptr); }
    void SetUp() override
    {
        ConfigMgr::Instance()->ResetToDefaults();
        target_.Attach(&host_.Root());
        target_.SetSize(600, 400);
        target_.Layout();
    }
    void TearDown() override { ConfigMgr::Instance()->ResetToDefaults(); }

    // Upload items standing for photos queued earlier (their files need not exist).
    void Queue(int count)
    {
        for (int i = 0; i < count; ++i) target_.AddItem(new ListViewPostItem(T(L"C:\\queued\\" + std::to_wstring(i) + L".jpg")));
    }
    std::wstring DefaultFolder() const { return WideFromText(ConfigMgr::Instance()->DefaultFolder()); }

    test::TempDir dir_;
    HostWindow host_{700, 500};
    ListView target_;
};

TEST_F(PickerTest, OpensTheTreeAtTheDefaultFolderAndListsItsPictures)
{
    const std::filesystem::path folder = dir_.Path() / L"相册";
    std::filesystem::create_directories(folder / L"g.jpg");  // a folder, not a picture
    for (const wchar_t* name : {L"a.JPG", L"b.jpeg", L"c.tif", L"d.png", L"e.gif", L"f.bmp", L"notes.txt"})
        test::WriteFile((folder / name).wstring(), std::string(100 + std::wcslen(name), 'x'));
    ConfigMgr::Instance()->SetDefaultFolder(T(folder.wstring()));

    CFileAddDialog dialog(nullptr);
    dialog.SetTargetList(&target_);
    std::vector<std::wstring> captions;
    std::vector<int> sizes;
    std::wstring selected, title;
    std::wstring labels[2];
    RECT size{};
    DialogDriver driver([&](HWND d) {
        ::GetWindowRect(d, &size);
        selected = dialog.Tree().SelectedPath();
        captions = Captions(dialog.Picker());
        for (int i = 0; i < dialog.Picker().Count(); ++i) sizes.push_back(dialog.Picker().ItemAt(i)->GetSize());
        labels[0] = dialog.SelectionText();
        labels[1] = dialog.SizeText();
        title = dialog.Title();
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(dialog.ShowModal(nullptr), 2);
    EXPECT_EQ(size.right - size.left, 820);
    EXPECT_EQ(size.bottom - size.top, 520);
    EXPECT_EQ(title, L"添加图片");
    EXPECT_EQ(selected, folder.wstring());
    std::sort(captions.begin(), captions.end());
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"a.JPG", L"d.png", L"e.gif", L"f.bmp"}));
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{105, 105, 105, 105}));
    EXPECT_EQ(labels[0], L"当前选择0/0张照片");
    EXPECT_EQ(labels[1], L"共0.00KB");
    EXPECT_EQ(DefaultFolder(), folder.wstring());
    EXPECT_EQ(target_.Count(), 0);
}

TEST_F(PickerTest, LabelsCountAndSumTheCheckedPictures)
{
    const struct {
        int bytes;
        const wchar_t* text;
    } formats[] = {{0, L"共0.00KB"},        {900, L"共0.00KB"},          {1023, L"共0.00KB"},
                   {1024, L"共1.00KB"},     {1536, L"共1.50KB"},         {1048575, L"共1024.00KB"},
                   {3145728, L"3.00MB"},    {2464153, L"2.35MB"}};
    for (const auto& f : formats) EXPECT_EQ(CFileAddDialog::SizeLabel(f.bytes), f.text) << f.bytes;

    const std::filesystem::path folder = dir_.Path() / L"sizes";
    std::filesystem::create_directories(folder);
    test::WriteFile((folder / L"small.png").wstring(), std::string(900, 's'));
    test::WriteFile((folder / L"middle.png").wstring(), std::string(636, 'm'));
    test::WriteFile((folder / L"large.png").wstring(), std::string(3145728 - 1536, 'l'));
    ConfigMgr::Instance()->SetDefaultFolder(T(folder.wstring()));

    CFileAddDialog dialog(nullptr);
    std::vector<std::pair<std::wstring, std::wstring>> seen;
    auto note = [&] { seen.emplace_back(dialog.SelectionText(), dialog.SizeText()); };
    DialogDriver driver([&](HWND d) {
        ClickPicture(dialog, IndexOf(dialog.Picker(), L"small.png"));
        note();
        ClickPicture(dialog, IndexOf(dialog.Picker(), L"middle.png"));
        note();
        test::SendClick(d, dialog.SelectAllBox().GetBounds());
        note();
        test::SendClick(d, dialog.SelectAllBox().GetBounds());
        note();
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    dialog.ShowModal(nullptr);
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"当前选择1/3张照片", L"共0.00KB"},
        {L"当前选择2/3张照片", L"共1.50KB"},
        {L"当前选择3/3张照片", L"3.00MB"},
        {L"当前选择0/3张照片", L"共0.00KB"},
    };
    EXPECT_EQ(seen, expected);
}

TEST_F(PickerTest, EachSelectedFolderBecomesTheDefaultFolderAndSelectAllKeepsItsState)
{
    WritePhotos(dir_.Path() / L"first", 2);
    WritePhotos(dir_.Path() / L"second", 3);
    const std::wstring first = (dir_.Path() / L"first").wstring(), second = (dir_.Path() / L"second").wstring();
    ConfigMgr::Instance()->SetDefaultFolder(T(first));

    CFileAddDialog dialog(nullptr);
    int checkedBefore = 0, checkedAfter = -1, countAfter = 0, boxAfter = 0;
    std::wstring labelsAfter[2];
    DialogDriver driver([&](HWND d) {
        test::SendClick(d, dialog.SelectAllBox().GetBounds());
        checkedBefore = dialog.Picker().CountChecked();
        HTREEITEM other = FindNode(dialog.Tree(), TVI_ROOT, second);
        ASSERT_NE(other, nullptr);
        ::SendMessageW(dialog.Tree().Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(other));
        checkedAfter = dialog.Picker().CountChecked();
        countAfter = dialog.Picker().Count();
        boxAfter = dialog.SelectAllBox().IsChecked();
        labelsAfter[0] = dialog.SelectionText();
        labelsAfter[1] = dialog.SizeText();
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    dialog.ShowModal(nullptr);
    EXPECT_EQ(checkedBefore, 2);
    EXPECT_EQ(countAfter, 3);
    EXPECT_EQ(checkedAfter, 0) << "new pictures start unchecked";
    EXPECT_EQ(boxAfter, 1) << "the box keeps its state";
    EXPECT_EQ(labelsAfter[0], L"当前选择0/0张照片");
    EXPECT_EQ(labelsAfter[1], L"共0.00KB");
    EXPECT_EQ(DefaultFolder(), second);

    // The next picker starts where this one ended.
    CFileAddDialog again(nullptr);
    std::wstring selected;
    DialogDriver next([&](HWND d) {
        selected = again.Tree().SelectedPath();
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    again.ShowModal(nullptr);
    EXPECT_EQ(selected, second);
}

TEST_F(PickerTest, TreeListsSubfoldersOnFirstOpeningSortedByPath)
{
    const std::filesystem::path parent = dir_.Path() / L"tree";
    for (const wchar_t* name : {L"Zulu\\inner", L"alpha", L"Beta"}) std::filesystem::create_directories(parent / name);
    ConfigMgr::Instance()->SetDefaultFolder(T((parent / L"Beta").wstring()));

    CFileAddDialog dialog(nullptr);
    std::vector<std::wstring> order, rootTexts, placeholders, alphaAfter, zuluAfter;
    std::wstring computer;
    DialogDriver driver([&](HWND d) {
        HWND tree = dialog.Tree().Handle();
        HTREEITEM parentNode = FindNode(dialog.Tree(), TVI_ROOT, parent.wstring());
        ASSERT_NE(parentNode, nullptr);
        for (HTREEITEM c : ChildNodes(tree, parentNode)) {
            order.push_back(NodeText(tree, c));
            for (HTREEITEM p : ChildNodes(tree, c)) placeholders.push_back(NodeText(tree, p));
        }
        HTREEITEM root = Next(tree, nullptr, TVGN_ROOT);
        for (HTREEITEM c : ChildNodes(tree, root)) rootTexts.push_back(NodeText(tree, c));
        computer = NodeText(tree, dialog.Tree().ComputerNode());
        // The user opens folders from the keyboard: the tree asks to list them.
        for (const wchar_t* name : {L"alpha", L"Zulu"}) {
            HTREEITEM node = FindNode(dialog.Tree(), parentNode, (parent / name).wstring());
            ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
            ::SendMessageW(tree, WM_KEYDOWN, VK_RIGHT, 0);
            auto& after = std::wstring(name) == L"alpha" ? alphaAfter : zuluAfter;
            for (HTREEITEM c : ChildNodes(tree, node)) after.push_back(NodeText(tree, c));
        }
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    dialog.ShowModal(nullptr);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"alpha", L"Beta", L"Zulu"})) << "the locale's order, not code units";
    EXPECT_EQ(placeholders, (std::vector<std::wstring>(3, L"加载中...")));
    EXPECT_NE(std::find(rootTexts.begin(), rootTexts.end(), computer), rootTexts.end());
    EXPECT_TRUE(alphaAfter.empty()) << "a folder without subfolders keeps no child";
    EXPECT_EQ(zuluAfter, (std::vector<std::wstring>{L"inner"}));
}

TEST_F(PickerTest, ConfirmAddsCheckedPhotosWithinTheLimits)
{
    const std::wstring folder = (dir_.Path() / L"five").wstring();
    WritePhotos(folder, 5);
    const struct {
        const char* name;
        int queued, fileLimit;
        test::PickChoice choice;
        int count;
        bool message;
    } cases[] = {
        {"no limit reached", 0, 0, {false, {1, 3}}, 2, false},
        {"the 100th photo is the last", 99, 0, {false, {0, 1, 2, 3, 4}}, 100, true},
        {"PostFileLimit reached already", 10, 10, {false, {0, 1, 2}}, 10, true},
        {"PostFileLimit reached on the way", 0, 3, {true, {}}, 3, true},
        {"nothing checked", 99, 0, {false, {}}, 99, false},
    };
    // The folder named as a tool's user would, from the current folder and with a separator.
    const CurrentFolder here(dir_.Path().wstring());
    for (const auto& c : cases) {
        target_.Clear();
        Queue(c.queued);
        ConfigMgr::Instance()->SetPostFileLimit(static_cast<std::uint16_t>(c.fileLimit));
        const test::DialogRun run = test::RunPicker(target_, nullptr, L"five\\", c.choice, 10000);
        EXPECT_EQ(run.result, 0) << c.name;
        EXPECT_EQ(run.problem, L"") << c.name;
        EXPECT_EQ(target_.Count(), c.count) << c.name;
        ASSERT_EQ(run.messages.size(), c.message ? 1u : 0u) << c.name;
        if (c.message) {
            EXPECT_EQ(run.messages[0].title, L"提示信息");
            EXPECT_EQ(run.messages[0].text, L"文件数量超过限制");
        }
    }
    EXPECT_EQ(DefaultFolder(), folder);
}

TEST_F(PickerTest, QueuedPathsAreSkippedAndAddedPhotosGetTheirFileTimes)
{
    const std::filesystem::path folder = dir_.Path() / L"times";
    const std::vector<std::wstring> photos = WritePhotos(folder, 2);
    // A photo that knows when it was taken.
    const std::wstring taken = (folder / L"taken.jpg").wstring();
    const fixture::Bytes jpeg = fixture::JpegWithDateTime("2015:06:01 13:45:10");
    ASSERT_TRUE(test::WriteFile(taken, std::string(jpeg.begin(), jpeg.end())));
    // The first photo is queued already; the second under another spelling of its path.
    target_.AddItem(new ListViewPostItem(T(photos[0])));
    std::wstring other = photos[1];
    other.replace(other.size() - 10, 10, L"PHOTO1.PNG");
    target_.AddItem(new ListViewPostItem(T(other)));

    const std::time_t before = std::time(nullptr);
    const test::DialogRun run = test::RunPicker(target_, nullptr, folder.wstring(), {true, {}}, 10000);
    EXPECT_TRUE(run.messages.empty());
    ASSERT_EQ(target_.Count(), 4);
    std::map<std::wstring, ListViewItem*> added;
    for (int i = 2; i < 4; ++i) added[WideFromText(target_.ItemAt(i)->GetPath())] = target_.ItemAt(i);
    ASSERT_EQ(added.count(photos[1]), 1u);
    ASSERT_EQ(added.count(taken), 1u);

    for (const auto& [path, item] : added) {
        EXPECT_NE(dynamic_cast<ListViewPostItem*>(item), nullptr);
        EXPECT_EQ(WideFromText(item->GetCaption()), std::filesystem::path(path).filename());
        EXPECT_EQ(item->Created(), Korvel::IO::FileInfo(path).CreationTime());
    }
    EXPECT_EQ(added[taken]->Shot(), fixture::LocalTimeValue(2015, 6, 1, 13, 45, 10));
    EXPECT_GE(added[photos[1]]->Shot(), before) << "a PNG has no shooting time: the moment of adding";
}

TEST_F(PickerTest, OnlyOkAddsAndEachWayOfClosingHasItsResult)
{
    const std::wstring folder = (dir_.Path() / L"ways").wstring();
    WritePhotos(folder, 2);
    ConfigMgr::Instance()->SetDefaultFolder(T(folder));
    const struct {
        const char* name;
        void (*end)(CFileAddDialog& dialog, HWND d);
        INT_PTR result;
        int added;
    } cases[] = {
        {"OK", [](CFileAddDialog& g, HWND d) { test::PostClick(d, g.OkButton().GetBounds()); }, 0, 1},
        {"Cancel", [](CFileAddDialog& g, HWND d) { test::PostClick(d, g.CancelButton().GetBounds()); }, 0, 0},
        {"close button", [](CFileAddDialog&, HWND d) { test::PostClick(d, RECT{799, 5, 814, 20}); }, 0, 0},
        {"Enter", [](CFileAddDialog&, HWND d) { ::PostMessageW(d, WM_KEYDOWN, VK_RETURN, 0); }, 1, 0},
        {"Esc", [](CFileAddDialog&, HWND d) { ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0); }, 2, 0},
    };
    for (const auto& c : cases) {
        target_.Clear();
        CFileAddDialog dialog(nullptr);
        dialog.SetTargetList(&target_);
        RECT ok{}, cancel{};
        DialogDriver driver([&](HWND d) {
            ok = dialog.OkButton().GetBounds();
            cancel = dialog.CancelButton().GetBounds();
            ClickPicture(dialog, 0);
            c.end(dialog, d);
        });
        EXPECT_EQ(dialog.ShowModal(nullptr), c.result) << c.name;
        EXPECT_EQ(target_.Count(), c.added) << c.name;
        EXPECT_TRUE(SameRect(ok, RECT{696, 490, 747, 514})) << c.name;
        EXPECT_TRUE(SameRect(cancel, RECT{753, 490, 804, 514})) << c.name;
    }
}

TEST_F(PickerTest, AMissingDefaultFolderOpensWithNothingListed)
{
    WritePhotos(dir_.Path() / L"there", 1);
    const std::wstring missing = (dir_.Path() / L"not-there").wstring();
    ConfigMgr::Instance()->SetDefaultFolder(T(missing));
    CFileAddDialog dialog(nullptr);
    int listed = -1;
    std::wstring selected = L"?";
    DialogDriver driver([&](HWND d) {
        listed = dialog.Picker().Count();
        selected = dialog.Tree().SelectedPath();
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    dialog.ShowModal(nullptr);
    EXPECT_EQ(listed, 0);
    EXPECT_EQ(selected, L"");
    EXPECT_EQ(DefaultFolder(), missing) << "kept until the user selects a folder";
}

}  // namespace
