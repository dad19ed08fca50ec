// The prepare and phototime commands of the snapferry tool, run in-process.
#include <gtest/gtest.h>

#include "Biz/ConfigMgr.h"
#include "ImageFixtures.h"
#include "snapferry/ImageCommands.h"

namespace {

using fixture::Bytes;

std::wstring Wide(const TString& text) { return std::wstring(text.begin(), text.end()); }  // ASCII temp paths

class Commands : public ::testing::Test {
protected:
    void SetUp() override { ConfigMgr::Instance()->ResetToDefaults(); }
    void TearDown() override { ConfigMgr::Instance()->ResetToDefaults(); }

    int Run(int (*command)(const std::vector<std::wstring>&), const std::vector<std::wstring>& args)
    {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int code = command(args);
        out_ = ::testing::internal::GetCapturedStdout();
        err_ = ::testing::internal::GetCapturedStderr();
        return code;
    }

    fixture::TempFolder folder_;
    std::string out_, err_;
};

TEST_F(Commands, PrepareWritesTheUploadBytesAndDescribesThem)
{
    ASSERT_TRUE(folder_.Write("photo.png", fixture::Encode(fixture::Gradient(1024, 768), CXIMAGE_FORMAT_PNG)));
    const std::wstring in = Wide(folder_.File("photo.png")), out = Wide(folder_.File("sent.bin"));
    ASSERT_EQ(Run(RunPrepareCommand, {L"--type", L"jpg", L"--width", L"800", L"--height", L"600", L"--quality", L"70", in, out}), 0)
        << err_;
    const Bytes sent = folder_.Read("sent.bin");
    EXPECT_EQ(out_, "name=photo.jpg size=" + std::to_string(sent.size()) + " width=1024 height=768 format=3\n");
    const CxImage decoded = fixture::Decode(sent);
    EXPECT_EQ(decoded.Width(), 600u);
    EXPECT_EQ(decoded.FormatCode(), CXIMAGE_FORMAT_JPG);
}

TEST_F(Commands, WatermarkStampsOnlyInThePluginFlavour)
{
    ASSERT_TRUE(folder_.Write("flat.png", fixture::Encode(fixture::Solid(300, 100, 0, 0, 0), CXIMAGE_FORMAT_PNG)));
    const std::wstring in = Wide(folder_.File("flat.png"));
    ASSERT_EQ(Run(RunPrepareCommand, {L"--watermark", in, Wide(folder_.File("out.png"))}), 0) << err_;
    const CxImage sent = fixture::Decode(folder_.Read("out.png"));
#if defined(SF_WIDE)
    EXPECT_TRUE(fixture::SamePixels(sent, fixture::Solid(300, 100, 0, 0, 0)));
#else
    EXPECT_FALSE(sent.GetPixelColor(150, 50) == (RGBQ{0, 0, 0, 0}));
#endif
}

TEST_F(Commands, ReportUsageAndFailuresWithTheirExitCodes)
{
    ASSERT_TRUE(folder_.Write("notes.txt", Bytes{'h', 'i'}));
    const std::wstring text = Wide(folder_.File("notes.txt")), out = Wide(folder_.File("out.bin"));
    struct Case {
        int (*command)(const std::vector<std::wstring>&);
        std::vector<std::wstring> args;
        int code;
    } cases[] = {
        {RunPrepareCommand, {text}, 2},
        {RunPrepareCommand, {L"--width", L"800", text, out}, 2},
        {RunPrepareCommand, {L"--quality", L"-5", text, out}, 2},
        {RunPrepareCommand, {L"--quality", L"70000", text, out}, 2},
        {RunPrepareCommand, {L"--type"}, 2},
        {RunPrepareCommand, {L"--colour", L"red", text, out}, 2},
        {RunPrepareCommand, {text, out}, 1},
        {RunPrepareCommand, {Wide(folder_.File("missing.png")), out}, 1},
        {RunPhotoTimeCommand, {}, 2},
        {RunPhotoTimeCommand, {text, text}, 2},
        {RunPhotoTimeCommand, {Wide(folder_.File("missing.png"))}, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.command, c.args), c.code) << (c.args.empty() ? "" : std::string(c.args[0].begin(), c.args[0].end()));
        EXPECT_TRUE(out_.empty());
        EXPECT_FALSE(err_.empty());
    }
}

TEST_F(Commands, PhotoTimePrintsTheLocalTimeText)
{
    ASSERT_TRUE(folder_.Write("plain.png", fixture::Encode(fixture::Gradient(4, 4), CXIMAGE_FORMAT_PNG)));
    ASSERT_EQ(Run(RunPhotoTimeCommand, {Wide(folder_.File("plain.png"))}), 0) << err_;
    // No tag: the current time, as "YYYY-MM-DD HH:MM:SS".
    ASSERT_EQ(out_.size(), 20u) << out_;
    EXPECT_EQ(out_[4], '-');
    EXPECT_EQ(out_[10], ' ');
    EXPECT_EQ(out_[16], ':');
}

}  // namespace
