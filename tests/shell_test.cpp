// The shell namespace through Wine's shell: the desktop, the computer folder and its
// drives, and real folders made by the test.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/Shell.h"
#include "support/TempDir.h"

namespace {

using namespace Korvel::Shell;

class ShellTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ::OleInitialize(nullptr); }

    static const Item* Named(const std::vector<const Item*>& items, const std::wstring& name)
    {
        auto it = std::find_if(items.begin(), items.end(), [&](const Item* i) { return i->DisplayName() == name; });
        return it == items.end() ? nullptr : *it;
    }
    static const Item* WithPath(const std::vector<const Item*>& items, const std::wstring& path)
    {
        auto it = std::find_if(items.begin(), items.end(), [&](const Item* i) { return i->Path() == path; });
        return it == items.end() ? nullptr : *it;
    }
    // Walks from the drive down to a folder, one subfolder listing per level.
    static const Item* Find(DesktopFolder& shell, const std::wstring& folder)
    {
        std::vector<const Item*> top, drives;
        shell.ListDesktopFolders(top);
        const Item* computer = Named(top, shell.ComputerName());
        if (!computer) return nullptr;
        shell.ListSubfolders(*computer, drives);
        const std::filesystem::path target(folder);
        std::filesystem::path walked = target.root_path();
        const Item* at = WithPath(drives, walked.wstring());
        for (const auto& part : target.relative_path()) {
            if (!at || part.empty()) break;
            walked /= part;
            std::vector<const Item*> children;
            shell.ListSubfolders(*at, children);
            at = WithPath(children, walked.wstring());
        }
        return at;
    }
};

TEST_F(ShellTest, DesktopAndComputerFolderWithItsDrives)
{
    DesktopFolder shell;
    EXPECT_FALSE(shell.DesktopItem().DisplayName().empty());
    ASSERT_FALSE(shell.ComputerName().empty());

    std::vector<const Item*> top;
    shell.ListDesktopFolders(top);
    const Item* computer = Named(top, shell.ComputerName());
    ASSERT_NE(computer, nullptr);
    EXPECT_EQ(computer->Path(), L"") << "a virtual folder has no path";
    EXPECT_GE(computer->Icon(), 0);

    std::vector<const Item*> drives;
    shell.ListSubfolders(*computer, drives);
    for (const wchar_t* root : {L"C:\\", L"Z:\\"}) {
        const Item* drive = WithPath(drives, root);
        ASSERT_NE(drive, nullptr) << root;
        EXPECT_FALSE(drive->DisplayName().empty());
        EXPECT_FALSE(drive->TypeName().empty());
        EXPECT_NE(drive->IdentifierList(), nullptr);
    }
}

TEST_F(ShellTest, SubfoldersAreTheVisibleFoldersOnly)
{
    test::TempDir dir;
    for (const wchar_t* name : {L"b", L"A", L"hidden"}) std::filesystem::create_directory(dir.Path() / name);
    ::SetFileAttributesW((dir.Path() / L"hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    test::WriteFile(dir.File(L"photo.jpg"), "not a folder");

    DesktopFolder shell;
    const Item* folder = Find(shell, dir.Path().wstring());
    ASSERT_NE(folder, nullptr) << "walked down to " << dir.Path();
    std::vector<const Item*> children;
    shell.ListSubfolders(*folder, children);
    std::vector<std::wstring> paths;
    for (const Item* child : children) paths.push_back(child->Path());
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::wstring>{dir.File(L"A"), dir.File(L"b")}));

    std::vector<const Item*> none;
    shell.ListSubfolders(*WithPath(children, dir.File(L"A")), none);
    EXPECT_TRUE(none.empty());
}

TEST_F(ShellTest, JoinedListsAndTheSystemIconList)
{
    Korvel::ComPtr<IMalloc> allocator;
    ASSERT_EQ(::SHGetMalloc(allocator.put()), S_OK);
    const BYTE first[] = {3, 0, 'a', 0, 0};
    const BYTE second[] = {4, 0, 'b', 'c', 0, 0};
    auto list = [](const BYTE* bytes) { return reinterpret_cast<LPCITEMIDLIST>(bytes); };

    const IdList both = IdList::Join(allocator, list(first), list(second));
    ASSERT_TRUE(both);
    const BYTE joined[] = {3, 0, 'a', 4, 0, 'b', 'c', 0, 0};
    EXPECT_EQ(IdList::SizeWithEnd(both.Get()), sizeof joined);
    EXPECT_EQ(std::memcmp(both.Get(), joined, sizeof joined), 0);

    const IdList copy = IdList::Join(allocator, list(first), nullptr);
    ASSERT_TRUE(copy);
    EXPECT_EQ(std::memcmp(copy.Get(), first, sizeof first), 0);
    EXPECT_FALSE(IdList::Join(allocator, nullptr, list(second)));

    const SystemIconList icons;
    ASSERT_NE(icons.Handle(), nullptr);
    EXPECT_GT(ImageList_GetImageCount(icons.Handle()), 0);
}

}  // namespace
