// What a queued photo is sent as: prepared from its source and turns, it must equal the full
// picture decoded and turned in place, and the run's total must equal the sum of the photos'
// prepared sizes, whatever the threads do.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "Biz/ConfigMgr.h"
#include "PanelFixture.h"
#include "panel/Preparation.h"
#include "ui/forms/ImageViewForm.h"

namespace {

using namespace test;

std::string PreparedInPlace(const std::wstring& path, int rights, const UploadSettings& settings)
{
    CxImage full;
    EXPECT_TRUE(full.LoadFile(path.c_str()));
    for (int i = 0; i < rights; ++i) full.RotateRight();
    CxMemFile out;
    PrepareUpload(full, out, settings);
    return std::string(reinterpret_cast<const char*>(out.GetBuffer()), static_cast<std::size_t>(out.Size()));
}

RunPhoto PhotoOf(const ListViewItem& item)
{
    RunPhoto photo;
    photo.id = item.Id();
    photo.source = item.Source();
    photo.extension = item.GetExtension();
    photo.width = item.PictureWidth();
    photo.height = item.PictureHeight();
    photo.pending = true;
    return photo;
}

TEST(Preparation, PreparedBytesEqualTheFullPictureTurnedInPlace)
{
    TempDir dir;
    const std::wstring path = MakePhoto(dir, L"big.jpg", 900, 500);
    struct Box {
        std::int32_t w, h;
    };
    for (const TChar* type : {SF_T("jpg"), SF_T("png"), SF_T("bmp")}) {
        for (Box box : {Box{0, 0}, Box{800, 600}, Box{133, 102}}) {
            UploadSettings settings;
            settings.type = type;
            settings.thumbnailWidth = box.w;
            settings.thumbnailHeight = box.h;
            ListViewPostItem item(T(path));
            ASSERT_TRUE(item.LoadFromPath(T(path)));
            for (int turns = 0; turns < 4; ++turns) {
                const std::unique_ptr<PreparedPost> post = Preparation::Prepare(PhotoOf(item), settings);
                ASSERT_TRUE(post->readable);
                const bool across = turns % 2 != 0;
                EXPECT_EQ(post->width, across ? 500u : 900u);
                EXPECT_EQ(post->height, across ? 900u : 500u);
                EXPECT_EQ(item.PictureWidth(), post->width);
                EXPECT_TRUE(post->bytes == PreparedInPlace(path, turns, settings))
                    << W(type) << " box " << box.w << "x" << box.h << " turns " << turns;
                item.RotateRight();
            }
            // Three turns left are one turn right.
            for (int i = 0; i < 3; ++i) item.RotateLeft();
            EXPECT_EQ(item.Turns(), 1);
        }
    }
}

TEST(Preparation, AGifGoesAsItsFileAndAMissingFileIsUnreadable)
{
    TempDir dir;
    const std::wstring gif = MakePhoto(dir, L"anim.gif", 40, 30, CXIMAGE_FORMAT_GIF);
    ListViewPostItem item(T(gif));
    ASSERT_TRUE(item.LoadFromPath(T(gif)));
    EXPECT_EQ(item.GetExtension(), SF_T("gif"));
    const std::unique_ptr<PreparedPost> post = Preparation::Prepare(PhotoOf(item), UploadSettings::Current());
    ASSERT_TRUE(post->readable);
    EXPECT_EQ(post->bytes, ReadFile(gif));

    ::DeleteFileW(gif.c_str());
    EXPECT_FALSE(Preparation::Prepare(PhotoOf(item), UploadSettings::Current())->readable);
}

TEST(Preparation, TheTotalIsTheSumOfThePreparedSizesAndEveryPhotoArrives)
{
    TempDir dir;
    ConfigMgr::Instance()->ResetToDefaults();
    std::vector<std::unique_ptr<ListViewPostItem>> items;
    std::vector<RunPhoto> photos;
    std::uint32_t expected = 0;
    for (int i = 0; i < 7; ++i) {
        const std::wstring path = MakePhoto(dir, L"p" + std::to_wstring(i) + L".jpg", 300 + i * 40, 200 + i * 10);
        items.push_back(std::make_unique<ListViewPostItem>(T(path)));
        items.back()->SetId(i);
        items.back()->LoadFromPath(T(path));
        if (i % 3 == 1) items.back()->RotateLeft();
        expected += static_cast<std::uint32_t>(items.back()->EncodedSize());
        photos.push_back(PhotoOf(*items.back()));
        photos.back().pending = i != 2;  // one accepted in an earlier run still counts
    }
    for (bool ahead : {true, false}) {
        std::atomic<int> wakes{0};
        Preparation preparation(photos, UploadSettings::Current(), ahead, [&] { ++wakes; });
        for (const RunPhoto& photo : photos) {
            if (!photo.pending) continue;
            std::unique_ptr<PreparedPost> post;
            ASSERT_TRUE(PumpUntil([&] { return preparation.Take(photo.id, post); }, 10000)) << photo.id;
            EXPECT_TRUE(post->readable);
            EXPECT_FALSE(preparation.Take(photo.id, post)) << "handed over once";
        }
        std::uint32_t total = 0;
        ASSERT_TRUE(PumpUntil([&] { return preparation.Total(&total); }, 10000));
        EXPECT_EQ(total, expected);
        EXPECT_GT(wakes.load(), 0);
    }
}

TEST(ImageViewer, ShowsTheFullPictureCentredAndNothingWithoutOne)
{
    TempDir dir;
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
    const std::wstring huge = MakePhoto(dir, L"huge.png", static_cast<unsigned>(screenW + 200),
                                        static_cast<unsigned>(screenH + 100), CXIMAGE_FORMAT_PNG);
    ListViewPostItem item(T(huge));
    ASSERT_TRUE(item.LoadFromPath(T(huge)));
    auto* viewer = new ImageViewForm(&item);
    ASSERT_TRUE(viewer->Open());
    HWND wnd = viewer->Handle();
    RECT r;
    ::GetWindowRect(wnd, &r);
    EXPECT_EQ(r.right - r.left, screenW + 200);
    EXPECT_EQ(r.bottom - r.top, screenH + 100);
    EXPECT_LT(r.left, 0);
    EXPECT_LT(r.top, 0);
    EXPECT_NEAR((r.left + r.right) / 2, screenW / 2, 1);
    ::DestroyWindow(wnd);

    ListViewPostItem broken(T(dir.File(L"missing.jpg")));
    broken.LoadFromPath(T(dir.File(L"missing.jpg")));
    EXPECT_FALSE((new ImageViewForm(&broken))->Open());
}

}  // namespace
