// File reading, file times and their texts, the lock and the event, and the handle owners.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/File.h"
#include "platform/FileInfo.h"
#include "platform/Handle.h"
#include "platform/Threading.h"
#include "support/TempDir.h"

namespace {

using namespace Korvel;

// Sets a file's last-write time from a local calendar time.
void SetLocalWriteTime(const std::wstring& path, WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s)
{
    SYSTEMTIME st{y, mo, 0, d, h, mi, s, 0};
    FILETIME local, utc;
    ASSERT_TRUE(::SystemTimeToFileTime(&st, &local));
    ASSERT_TRUE(::LocalFileTimeToFileTime(&local, &utc));
    FileHandle f(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(f);
    ASSERT_TRUE(::SetFileTime(f.Get(), &utc, &utc, &utc));
}

TEST(File, ReadsAWholeFileAfterReservingItsSize)
{
    test::TempDir dir;
    const std::wstring path = dir.File(L"图片.gif");
    std::string bytes(3 * 1048576 / 2, '\0');  // larger than the initial 1 MiB buffer
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(test::WriteFile(path, bytes));

    IO::File file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(file.Size(), bytes.size());
    file.Reserve(file.Size());
    ASSERT_TRUE(file.Read());
    ASSERT_EQ(file.BytesRead(), bytes.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.Data()), file.BytesRead()), bytes);
    file.Close();
    EXPECT_EQ(file.Size(), 0u);
}

TEST(File, MissingOrEmptyFilesReadNothing)
{
    test::TempDir dir;
    IO::File missing;
    EXPECT_FALSE(missing.Open(dir.File(L"gone.gif")));
    EXPECT_EQ(missing.Size(), 0u);
    EXPECT_FALSE(missing.Read());

    ASSERT_TRUE(test::WriteFile(dir.File(L"empty.gif"), ""));
    IO::File empty;
    ASSERT_TRUE(empty.Open(dir.File(L"empty.gif")));
    EXPECT_EQ(empty.Size(), 0u);
    EXPECT_FALSE(empty.Read());
}

TEST(FileInfo, ReadsSizeAndTimesAndReportsAFileItCannotOpen)
{
    test::TempDir dir;
    const std::wstring path = dir.File(L"a.jpg");
    ASSERT_TRUE(test::WriteFile(path, "12345"));
    SetLocalWriteTime(path, 2015, 2, 3, 9, 5, 7);

    IO::FileInfo info(path);
    EXPECT_EQ(info.Size(), 5u);
    EXPECT_EQ(IO::FormatTime(info.WriteTime(), L"%Y-%m-%d %H:%M:%S"), L"2015-02-03 09:05:07");

    static int reportedError = 0;
    static std::wstring reportedPath;
    auto old = IO::SetOpenErrorReporter([](int error, const std::wstring& p) {
        reportedError = error;
        reportedPath = p;
    });
    const long long before = _time64(nullptr);
    IO::FileInfo missing(dir.File(L"gone.jpg"));
    EXPECT_EQ(missing.Size(), 0u);
    EXPECT_EQ(reportedError, ENOENT);
    EXPECT_EQ(reportedPath, dir.File(L"gone.jpg"));
    EXPECT_GE(missing.WriteTime(), before);  // a missing file keeps "now"
    EXPECT_LE(missing.WriteTime(), _time64(nullptr));
    IO::SetOpenErrorReporter(old);
}

TEST(LastWriteTimeText, IsZeroPaddedLocalTimeOrZerosForAMissingFile)
{
    test::TempDir dir;
    const std::wstring path = dir.File(L"b.jpg");
    ASSERT_TRUE(test::WriteFile(path, "x"));
    SetLocalWriteTime(path, 2015, 2, 3, 9, 5, 7);
    EXPECT_EQ(IO::LastWriteTimeText(path), L"2015-02-03 09:05:07");
    SetLocalWriteTime(path, 2015, 6, 1, 13, 45, 10);
    EXPECT_EQ(IO::LastWriteTimeText(path), L"2015-06-01 13:45:10");

    ::DeleteFileW(path.c_str());  // deleted after it was queued
    EXPECT_EQ(IO::LastWriteTimeText(path), L"00:00:00");
}

TEST(FormatTime, FormatsLocalTimeAndRefusesWhatItCannotFormat)
{
    // 2015-02-03 01:05:07 UTC; the tests run in China time (UTC+8).
    const IO::TimeValue t = 1422925507;
    TIME_ZONE_INFORMATION tz;
    ::GetTimeZoneInformation(&tz);
    ASSERT_EQ(tz.Bias, -480) << "the Wine runner sets TZ=CST-8";
    EXPECT_EQ(IO::FormatTime(t, L"%Y-%m-%d %H:%M:%S"), L"2015-02-03 09:05:07");
    EXPECT_EQ(IO::FormatTime(t, nullptr), L"");
    EXPECT_EQ(IO::FormatTime(t, std::wstring(200, L'x').c_str()), L"");  // longer than 127
}

TEST(Threading, CriticalSectionSerialisesAndEventWakesOneWaiter)
{
    Threading::CriticalSection lock;
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            Threading::CriticalSection::Lock hold(lock);
            int v = counter;
            ::SwitchToThread();
            counter = v + 1;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);

    Threading::EventHandler event;
    EXPECT_EQ(::WaitForSingleObject(event.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));  // starts unsignalled
    std::atomic<bool> woke{false};
    std::thread waiter([&] {
        event.Wait();
        woke = true;
    });
    event.Set();
    waiter.join();
    EXPECT_TRUE(woke);
    EXPECT_EQ(::WaitForSingleObject(event.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));  // auto-reset
    event.Set();
    event.Reset();
    EXPECT_EQ(::WaitForSingleObject(event.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(Handles, CloseExactlyOnceAndMoveOwnership)
{
    HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        Handle owner(raw);
        Handle moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(moved.Get(), raw);
        DWORD flags;
        EXPECT_TRUE(::GetHandleInformation(raw, &flags));
    }
    DWORD flags;
    EXPECT_FALSE(::GetHandleInformation(raw, &flags));  // closed by the owner

    FileHandle none(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(none);

    MemoryDC dc(::CreateCompatibleDC(nullptr));
    Bitmap bitmap(::CreateCompatibleBitmap(dc.Get(), 4, 4));
    HGDIOBJ original = ::GetCurrentObject(dc.Get(), OBJ_BITMAP);
    {
        SelectedObject selected(dc.Get(), bitmap.Get());
        EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), bitmap.Get());
    }
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), original);
    HBITMAP released = bitmap.Release();
    EXPECT_NE(::GetObjectType(released), 0u);
    Bitmap again(released);
    again.Reset();
    EXPECT_EQ(::GetObjectType(released), 0u);
}

}  // namespace
