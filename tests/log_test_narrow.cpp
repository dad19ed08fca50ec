// The NPAPI plug-in's log: plain GBK lines without a time stamp, the doubled colon, and the
// Debug switch that can be flipped at any time.
#include <gtest/gtest.h>

#include "Biz/Log.h"
#include "Biz/LogPath.h"
#include "Biz/PanelSettings.h"
#include "support/TempDir.h"

namespace {

TEST(NarrowLog, WritesPlainLinesWhileTheSwitchIsOn)
{
    const std::string name = std::to_string(::GetCurrentProcessId()) + "-narrow.log";
    const std::wstring path = LogPath::LogFolder() + L"\\" + std::wstring(name.begin(), name.end());
    test::RemoveFilesIn(LogPath::LogFolder());  // the test prefix's log folder holds only test logs

    PanelSettings panel;
    panel.PutLogFile(("C:\\anywhere\\" + name).c_str());
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES, true) << "created even with Debug off";
    SF_LOG("dropped while off");

    panel.PutDebug(-1);
    Logging::LineNumber("Network/WinINetDowner.cpp", 10, "获取图片类型失败，错误码：", 12150u);
    Logging::LineText("Network/WinINetDowner.cpp", 11, "打开URL错误，URL：", "http://127.0.0.1/a.jpg");
    Logging::Line("Network/WinINetDowner.cpp", 12, "获取服务器文件大小错误");
    panel.PutDebug(0);
    SF_LOG("dropped again");
    panel.PutDebug(-1);
    SF_LOG("resumed");

    // Narrow literals are GBK bytes in this build, exactly what the file must hold.
    const std::string expected = std::string("获取图片类型失败，错误码：") + ":12150\n" + "打开URL错误，URL：" +
                                 ":http://127.0.0.1/a.jpg\n" + "获取服务器文件大小错误" + "\n" + "resumed\n";
    EXPECT_EQ(test::ReadFile(path), expected);
    EXPECT_EQ(std::string("错误码：").substr(0, 2), "\xB4\xED") << "literals are not GBK";

    // Assigning the file again starts it empty.
    panel.PutLogFile(name.c_str());
    EXPECT_EQ(test::ReadFile(path), "");
    SF_LOG("fresh");
    EXPECT_EQ(test::ReadFile(path), "fresh\n");

    panel.PutLogFile("..");  // refused: the current file stays
    SF_LOG("still here");
    EXPECT_EQ(test::ReadFile(path), "fresh\nstill here\n");
}

}  // namespace
