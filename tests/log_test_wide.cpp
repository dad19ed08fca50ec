// The ActiveX control's log: Debug/LogFile rules, the exact line layout in GBK with a UTC
// stamp, several files, truncation on re-assignment, and the confinement of LogFile to the
// visitor's log folder.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>

#include "Biz/Log.h"
#include "Biz/LogPath.h"
#include "Biz/PanelSettings.h"
#include "support/TempDir.h"

namespace {

std::wstring Unique(const wchar_t* name) { return std::to_wstring(::GetCurrentProcessId()) + L"-" + name; }

struct LogFile {
    explicit LogFile(const wchar_t* name) : name(Unique(name)), path(LogPath::LogFolder() + L"\\" + this->name) {}
    bool Exists() const { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string Text() const { return test::ReadFile(path); }
    std::wstring name, path;
};

std::string Gbk(const char* utf8)
{
    wchar_t wide[256];
    char out[256];
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
    ::WideCharToMultiByte(936, 0, wide, n, out, 256, nullptr, nullptr);
    return out;
}

std::string UtcStamp(std::time_t t)
{
    char buf[32];
    std::tm tm;
    gmtime_s(&tm, &t);
    std::strftime(buf, sizeof buf, "%m/%d/%y %H:%M:%S", &tm);
    return buf;
}

// The order of the steps matters: the logger and its files live as long as the process.
TEST(WideLog, FollowsTheDebugAndLogFileRules)
{
    test::RemoveFilesIn(LogPath::LogFolder());  // the test prefix's log folder holds only test logs
    LogFile first(L"first.log"), second(L"second.log");

    PanelSettings panel;
    panel.PutLogFile(first.name.c_str());  // Debug still false
    EXPECT_FALSE(first.Exists());
    panel.PutDebug(-1);
    SF_LOG(L"dropped");
    EXPECT_FALSE(first.Exists()) << "Debug alone starts nothing";
    panel.PutLogFile(L"");
    panel.PutLogFile(nullptr);

    const std::time_t before = std::time(nullptr);
    panel.PutLogFile(first.name.c_str());
    const std::time_t after = std::time(nullptr);
    ASSERT_TRUE(first.Exists());
    const std::string setup = first.Text();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(setup, m,
                                 std::regex(R"((\d\d/\d\d/\d\d \d\d:\d\d:\d\d)    - (.*) \[Biz\\Log\.cpp:\d+\]\n)")))
        << setup;
    EXPECT_TRUE(m[1] == UtcStamp(before) || m[1] == UtcStamp(after)) << m[1] << " is not UTC";
    EXPECT_EQ(m[2], Gbk("日志创建成功"));

    panel.PutDebug(0);  // switching off afterwards stops nothing
    Logging::LineNumber("Network/WinINetPoster.cpp", 212, L"发送请求头失败，错误码：", 12029);
    Logging::LineText("Network/WinINetPoster.cpp", 97, L"上传地址：", L"http://127.0.0.1/up");
    Logging::Line("Network/WinINetDowner.cpp", 8, L"获取服务器文件大小错误");
    const std::string text = first.Text();
    const std::string tail = text.substr(setup.size());
    const std::string stamp = R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d    - )";
    EXPECT_TRUE(std::regex_match(
        tail, std::regex(stamp + Gbk("发送请求头失败，错误码：") + R"(12029 \[Network\\WinINetPoster\.cpp:212\]\n)" +
                         stamp + Gbk("上传地址：") + R"(http://127\.0\.0\.1/up \[Network\\WinINetPoster\.cpp:97\]\n)" +
                         stamp + Gbk("获取服务器文件大小错误") + R"( \[Network\\WinINetDowner\.cpp:8\]\n)")))
        << tail;

    // A second file gets its own set-up line; later events go to both.
    panel.PutDebug(-1);
    panel.PutLogFile((L"C:\\elsewhere\\" + second.name).c_str());
    ASSERT_TRUE(second.Exists());
    SF_LOG(L"both");
    EXPECT_NE(first.Text().find(" - both ["), std::string::npos);
    EXPECT_NE(second.Text().find(" - both ["), std::string::npos);
    EXPECT_NE(second.Text().find(Gbk("日志创建成功")), std::string::npos);

    // Assigning the first file again truncates it and writes each line once.
    panel.PutLogFile(first.name.c_str());
    SF_LOG(L"after");
    const std::string again = first.Text();
    EXPECT_EQ(again.find("both"), std::string::npos);
    EXPECT_EQ(again.find(" - after ["), again.rfind(" - after ["));
    EXPECT_NE(again.find(" - after ["), std::string::npos);
    EXPECT_NE(second.Text().find(" - after ["), std::string::npos);
}

TEST(WideLog, LogFileNeverReachesOutsideTheLogFolder)
{
    test::RemoveFilesIn(LogPath::LogFolder());  // what this process still has open stays
    test::TempDir dir;
    const std::wstring victim = dir.File(L"win.ini");
    ASSERT_TRUE(test::WriteFile(victim, "[keep me]\r\n"));
    LogFile insideVictim(L"victim.ini");
    const std::wstring victimAlias = dir.File(insideVictim.name);
    ASSERT_TRUE(test::WriteFile(victimAlias, "[keep me too]\r\n"));

    PanelSettings panel;
    panel.PutDebug(-1);
    panel.PutLogFile(victimAlias.c_str());  // an absolute path: only its name is used
    EXPECT_EQ(test::ReadFile(victimAlias), "[keep me too]\r\n");
    EXPECT_TRUE(insideVictim.Exists());

    wchar_t windows[MAX_PATH];
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring realWinIni = std::wstring(windows) + L"\\win.ini";
    const std::string realBefore = test::ReadFile(realWinIni);
    panel.PutLogFile(L"C:\\Windows\\win.ini");
    EXPECT_EQ(test::ReadFile(realWinIni), realBefore);
    EXPECT_NE(::GetFileAttributesW((LogPath::LogFolder() + L"\\win.ini").c_str()), INVALID_FILE_ATTRIBUTES);

    // Climbing out lands in the folder as well.
    LogFile climbed(L"x.txt");
    panel.PutLogFile((L"..\\..\\" + climbed.name).c_str());
    EXPECT_TRUE(climbed.Exists());
    wchar_t cwd[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, cwd);
    EXPECT_EQ(::GetFileAttributesW((std::wstring(cwd) + L"\\..\\..\\" + climbed.name).c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(test::ReadFile(victim), "[keep me]\r\n");
}

TEST(LogPath, KeepsOnlyAPlainFileName)
{
    const struct {
        const wchar_t* assigned;
        const wchar_t* name;
    } cases[] = {
        {L"C:\\Windows\\win.ini", L"win.ini"},
        {L"..\\..\\x.txt", L"x.txt"},
        {L"logs/debug.log", L"debug.log"},
        {L"上传日志.txt", L"上传日志.txt"},
        {L"", L""},
        {L".", L""},
        {L"..", L""},
        {L"C:\\temp\\", L""},
        {L"C:\\temp\\..", L""},
        {L"NUL", L""},
        {L"con.txt", L""},
        {L"COM1", L""},
        {L"lpt9.log", L""},
        {L"COM10.log", L"COM10.log"},
        {L"C:x.txt", L""},
        {L"a.log:stream", L""},
        {L"what?.log", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(LogPath::SafeFileName(c.assigned), c.name) << c.assigned;
}

}  // namespace
