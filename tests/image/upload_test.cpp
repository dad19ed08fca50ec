// Upload preparation: the box rule, the output format and quality, the upload file name
// and the prepared size, in the flavour this test is built for.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "Biz/ConfigMgr.h"
#include "ImageFixtures.h"
#include "image/PhotoTime.h"
#include "image/UploadPreparation.h"

namespace {

using fixture::Bytes;

class Upload : public ::testing::Test {
protected:
    void SetUp() override { ConfigMgr::Instance()->ResetToDefaults(); }
    void TearDown() override { ConfigMgr::Instance()->ResetToDefaults(); }

    static void Box(std::uint16_t w, std::uint16_t h)
    {
        ConfigMgr::Instance()->SetThumbnailWidth(w);
        ConfigMgr::Instance()->SetThumbnailHeight(h);
    }
    static Bytes Prepared(const CxImage& image)
    {
        CxMemFile out;
        PrepareUpload(image, out);
        return Bytes(out.GetBuffer(), out.GetBuffer() + out.Size());
    }
};

TEST(FitSize, FollowsTheBoxRuleForEveryExample)
{
    struct Case {
        std::uint32_t w, h, tw, th;
    } cases[] = {
        {4000, 3000, 600, 450}, {3000, 4000, 450, 600}, {1024, 768, 600, 450}, {1000, 1000, 600, 600},
        {640, 480, 640, 480},   {800, 600, 800, 600},   {500, 600, 312, 375},  {800, 100, 100, 12},
        {1001, 751, 599, 450},
        // The rule would give 1 x 0 here; the picture keeps at least one row instead of
        // becoming an empty (and so unsendable) one.
        {2000, 1, 1, 1},
    };
    for (const Case& c : cases) {
        const FitResult r = FitSize(c.w, c.h, 800, 600);
        EXPECT_EQ(r.width, c.tw) << c.w << "x" << c.h;
        EXPECT_EQ(r.height, c.th) << c.w << "x" << c.h;
    }
}

// Boxes whose scale is not exact in single precision: every build must truncate the same
// float quotient, or the 32-bit plug-in would send other sizes than the 64-bit control.
struct AwkwardBox {
    std::uint32_t w, h, boxW, boxH, tw, th;
};
const AwkwardBox kAwkwardBoxes[] = {
    {800, 600, 133, 102, 101, 76},     {4000, 3000, 133, 102, 101, 76}, {4032, 3024, 1920, 1080, 1079, 809},
    {1200, 900, 333, 250, 249, 187},   {5000, 3750, 700, 100, 99, 74},  {4000, 3000, 1024, 768, 768, 576},
    {1000, 750, 111, 97, 97, 72},      {3000, 2000, 1000, 700, 700, 466},
};

TEST(FitSize, AwkwardBoxesTruncateTheSingleFloatQuotient)
{
    for (const AwkwardBox& c : kAwkwardBoxes) {
        const FitResult r = FitSize(c.w, c.h, c.boxW, c.boxH);
        EXPECT_EQ(r.width, c.tw) << c.w << "x" << c.h << " into " << c.boxW << "x" << c.boxH;
        EXPECT_EQ(r.height, c.th) << c.w << "x" << c.h << " into " << c.boxW << "x" << c.boxH;
    }
}

TEST_F(Upload, AwkwardBoxesGiveTheSameUploadSizes)
{
    ConfigMgr::Instance()->SetImageUploadType(SF_T("png"));
    for (const AwkwardBox& c : kAwkwardBoxes) {
        if (c.w * c.h > 1600u * 1200u) continue;  // the rule is covered above; keep the encodes small
        Box(static_cast<std::uint16_t>(c.boxW), static_cast<std::uint16_t>(c.boxH));
        const CxImage sent = fixture::Decode(Prepared(fixture::Gradient(c.w, c.h)));
        EXPECT_EQ(sent.Width(), c.tw) << c.w << "x" << c.h << " into " << c.boxW << "x" << c.boxH;
        EXPECT_EQ(sent.Height(), c.th) << c.w << "x" << c.h << " into " << c.boxW << "x" << c.boxH;
    }
}

TEST_F(Upload, ScalesIntoTheBoxOnlyWhenBothSidesAreSet)
{
    const CxImage photo = fixture::Gradient(4000, 3000);
    ConfigMgr::Instance()->SetImageUploadType(SF_T("jpg"));
    struct Case {
        std::uint16_t boxW, boxH;
        std::uint32_t w, h;
        const CxImage* image;
    } cases[] = {{800, 600, 600, 450, &photo}, {800, 0, 4000, 3000, &photo}, {0, 600, 4000, 3000, &photo}};
    for (const Case& c : cases) {
        Box(c.boxW, c.boxH);
        const CxImage sent = fixture::Decode(Prepared(*c.image));
        EXPECT_EQ(sent.Width(), c.w) << c.boxW << "x" << c.boxH;
        EXPECT_EQ(sent.Height(), c.h) << c.boxW << "x" << c.boxH;
        EXPECT_EQ(sent.FormatCode(), CXIMAGE_FORMAT_JPG);
    }
    Box(800, 600);
    const CxImage banner = fixture::Decode(Prepared(fixture::Gradient(800, 100)));
    EXPECT_EQ(banner.Width(), 100u);
    EXPECT_EQ(banner.Height(), 12u);
    // Small enough already: same size, but still re-encoded.
    const CxImage small = fixture::Paletted(640, 480, 8, false);
    const Bytes bytes = Prepared(small);
    const CxImage sent = fixture::Decode(bytes);
    EXPECT_EQ(sent.Width(), 640u);
    EXPECT_EQ(sent.FormatCode(), CXIMAGE_FORMAT_JPG);
}

TEST_F(Upload, JpegTypeWidensColourPalettesKeepsGreyAndTakesLowQualityBits)
{
    ConfigMgr::Instance()->SetImageUploadType(SF_T("jpg"));
    const CxImage paletted = fixture::Decode(fixture::Encode(fixture::Paletted(32, 32, 8, false), CXIMAGE_FORMAT_PNG));
    ASSERT_EQ(paletted.GetBpp(), 8u);
    const CxImage widened = fixture::Decode(Prepared(paletted));
    EXPECT_EQ(widened.FormatCode(), CXIMAGE_FORMAT_JPG);
    EXPECT_EQ(widened.GetBpp(), 24u);
    const CxImage grey = fixture::Paletted(32, 32, 8, true);
    EXPECT_TRUE(fixture::Decode(Prepared(grey)).IsGrayScale());

    // 300 reaches the encoder as its low 8 bits, 44.
    CxImage colour = fixture::Gradient(48, 32);
    ConfigMgr::Instance()->SetJpegQuality(300);
    const Bytes sent = Prepared(colour);
    colour.SetJpegQuality(44);
    EXPECT_EQ(sent, fixture::Encode(colour, CXIMAGE_FORMAT_JPG));
}

TEST_F(Upload, EmptyTypeKeepsTheDecodedFormatAndItsQuality)
{
    fixture::TempFolder folder;
    const CxImage colour = fixture::Gradient(40, 30);
    ASSERT_TRUE(folder.Write("photo.jpg", fixture::Encode(colour, CXIMAGE_FORMAT_JPG)));
    CxImage jpeg;
    ASSERT_TRUE(jpeg.LoadFile(folder.File("photo.jpg").c_str()));
    // Re-encoded as JPEG at the image's own quality, 90, not at JpegQuality.
    CxImage at90(jpeg);
    at90.SetJpegQuality(90);
    EXPECT_EQ(Prepared(jpeg), fixture::Encode(at90, CXIMAGE_FORMAT_JPG));

    ASSERT_TRUE(folder.Write("scan.png", fixture::Encode(colour, CXIMAGE_FORMAT_PNG)));
    CxImage png;
    ASSERT_TRUE(png.LoadFile(folder.File("scan.png").c_str()));
    EXPECT_EQ(fixture::Decode(Prepared(png)).FormatCode(), CXIMAGE_FORMAT_PNG);
    EXPECT_EQ(UploadFileName(SF_T("scan.png")), SF_T("scan.png"));

    CxImage invalid;
    EXPECT_TRUE(Prepared(invalid).empty());
}

TEST_F(Upload, EachTypeWordPicksItsFormat)
{
    const CxImage image = fixture::Paletted(20, 10, 8, false);
    struct Case {
        const TChar* type;
        std::uint32_t format;
    } cases[] = {{SF_T("png"), CXIMAGE_FORMAT_PNG}, {SF_T("gif"), CXIMAGE_FORMAT_GIF}, {SF_T("bmp"), CXIMAGE_FORMAT_BMP},
                 {SF_T("jpg"), CXIMAGE_FORMAT_JPG}, {SF_T("tif"), CXIMAGE_FORMAT_TIF}, {SF_T("webp"), CXIMAGE_FORMAT_BMP}};
    for (const Case& c : cases) {
        ConfigMgr::Instance()->SetImageUploadType(c.type);
        EXPECT_EQ(fixture::Decode(Prepared(image)).FormatCode(), c.format);
    }
}

TEST_F(Upload, TypeWordsAreMatchedAsEachDeliverableStoresThem)
{
    ConfigMgr::Instance()->SetImageUploadType(SF_T("JPG"));
    CxImage png = fixture::Gradient(10, 10);
    png.SetType(CXIMAGE_FORMAT_PNG);
#if defined(SF_WIDE)
    // The control lower-cases on storing.
    EXPECT_EQ(fixture::Decode(Prepared(png)).FormatCode(), CXIMAGE_FORMAT_JPG);
    EXPECT_EQ(UploadFileName(SF_T("photo.png")), SF_T("photo.jpg"));
#else
    // The plug-in keeps the word as given and compares it exactly.
    EXPECT_EQ(fixture::Decode(Prepared(png)).FormatCode(), CXIMAGE_FORMAT_PNG);
    EXPECT_EQ(UploadFileName(SF_T("photo.png")), SF_T("photo.png"));
#endif
}

TEST(UploadFileName, ReplacesOrAddsTheExtensionForKnownTypeWords)
{
    struct Case {
        const TChar* name;
        const TChar* type;
        const TChar* sent;
    } cases[] = {
        {SF_T("photo.jpg"), SF_T("tif"), SF_T("photo.tif")}, {SF_T("scan"), SF_T("png"), SF_T("scan.png")},
        {SF_T("anim.gif"), SF_T("jpg"), SF_T("anim.jpg")},   {SF_T("a.b.c.bmp"), SF_T("gif"), SF_T("a.b.c.gif")},
        {SF_T("photo.jpg"), SF_T(""), SF_T("photo.jpg")},    {SF_T("photo.jpg"), SF_T("jpeg"), SF_T("photo.jpg")},
    };
    for (const Case& c : cases) EXPECT_EQ(UploadFileName(c.name, c.type), c.sent);
}

TEST_F(Upload, GifPhotosAreSentAsTheirFileBytes)
{
    fixture::TempFolder folder;
    const Bytes gif = fixture::Encode(fixture::Paletted(30, 20, 8, false), CXIMAGE_FORMAT_GIF);
    ASSERT_TRUE(folder.Write("anim.gif", gif));
    ConfigMgr::Instance()->SetImageUploadType(SF_T("jpg"));
    Box(10, 10);
    CxImage decoded;
    ASSERT_TRUE(decoded.LoadFile(folder.File("anim.gif").c_str()));
    decoded.RotateLeft();
    EXPECT_EQ(PreparedSize(&decoded, SF_T("gif"), folder.File("anim.gif")), gif.size());
    // Any other extension is prepared like any photo.
    EXPECT_NE(PreparedSize(&decoded, SF_T(""), folder.File("anim.gif")), gif.size());
    EXPECT_EQ(PreparedSize(&decoded, SF_T(""), folder.File("anim.gif")), Prepared(decoded).size());

    PreparedPhoto photo;
    ASSERT_TRUE(PrepareFileForPost(folder.File("anim.gif"), photo));
    EXPECT_EQ(photo.fileName, SF_T("anim.jpg"));
    EXPECT_EQ(Bytes(photo.bytes.GetBuffer(), photo.bytes.GetBuffer() + photo.bytes.Size()), gif);
    EXPECT_EQ(photo.width, 30u);
    EXPECT_EQ(photo.height, 20u);
    EXPECT_EQ(photo.format, CXIMAGE_FORMAT_GIF);
}

TEST_F(Upload, PrepareFileForPostReportsWhatIsSent)
{
    fixture::TempFolder folder;
    ASSERT_TRUE(folder.Write("photo.jpg", fixture::Encode(fixture::Gradient(1024, 768), CXIMAGE_FORMAT_JPG)));
    ASSERT_TRUE(folder.Write("broken.jpg", Bytes{'n', 'o', 'p', 'e'}));
    ConfigMgr::Instance()->SetImageUploadType(SF_T("png"));
    Box(800, 600);
    PreparedPhoto photo;
    ASSERT_TRUE(PrepareFileForPost(folder.File("photo.jpg"), photo));
    EXPECT_EQ(photo.fileName, SF_T("photo.png"));
    EXPECT_EQ(photo.width, 1024u);  // the decoded picture, as the form fields carry it
    EXPECT_EQ(photo.format, CXIMAGE_FORMAT_PNG);
    const CxImage sent = fixture::Decode(Bytes(photo.bytes.GetBuffer(), photo.bytes.GetBuffer() + photo.bytes.Size()));
    EXPECT_EQ(sent.Width(), 600u);
    EXPECT_EQ(sent.Height(), 450u);

    EXPECT_FALSE(PrepareFileForPost(folder.File("broken.jpg"), photo));
    EXPECT_EQ(photo.bytes.Size(), 0);
    EXPECT_EQ(photo.width, 0u);
    EXPECT_FALSE(PrepareFileForPost(folder.File("missing.jpg"), photo));
}

TEST(PhotoTimeText, AcceptsTheTagLayoutAndRejectsImpossibleFields)
{
    const std::int64_t local = fixture::LocalTimeValue(2015, 6, 1, 13, 45, 10);
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        {"2015:06:01 13:45:10", true}, {"2015-06-01 13:45:10", true}, {"1899:12:31 10:00:00", false},
        {"2015:13:01 13:45:10", false}, {"2015:06:32 13:45:10", false}, {"2015:06:01 24:00:00", false},
        {"2015:06:01 13:60:00", false}, {"2015:06:01 13:45:60", false}, {"2015/06/01 13:45:10", false},
        {"    :  :     :  :  ", false}, {"2015:06:01", false},
    };
    for (const Case& c : cases) {
        std::int64_t time = 0;
        EXPECT_EQ(ParsePhotoTime(c.text, std::strlen(c.text), time), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(time, local) << c.text;
        }
    }
}

// The start of a JPEG file holding an Exif block with one DateTime entry.
Bytes ExifHead(std::uint32_t valueOffset, std::uint16_t type)
{
    Bytes tiff;
    tiff.reserve(64);
    for (int b : {int('M'), int('M'), 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x32, 0, int(type), 0, 0, 0, 20})
        tiff.push_back(std::uint8_t(b));
    for (int shift = 24; shift >= 0; shift -= 8) tiff.push_back(std::uint8_t(valueOffset >> shift));
    tiff.insert(tiff.end(), {0, 0, 0, 0});
    const char* text = "2015:06:01 13:45:10";
    tiff.insert(tiff.end(), text, text + 20);
    const std::size_t length = 2 + 6 + tiff.size();
    Bytes head;
    head.reserve(length + 8);
    for (int b : {0xFF, 0xD8, 0xFF, 0xE1, int(length >> 8), int(length & 0xFF), int('E'), int('x'), int('i'), int('f'), 0, 0})
        head.push_back(std::uint8_t(b));
    head.insert(head.end(), tiff.begin(), tiff.end());
    head.insert(head.end(), {0xFF, 0xDA, 0, 2});
    return head;
}

TEST(PhotoTimeText, ReadsTheTagFromAJpegExifBlockWithinItsBounds)
{
    std::int64_t time = 0, expected = 0;
    ASSERT_TRUE(ParsePhotoTime("2015:06:01 13:45:10", 19, expected));
    const Bytes good = ExifHead(26, 2);
    EXPECT_TRUE(JpegExifPhotoTime(good.data(), good.size(), time));
    EXPECT_EQ(time, expected);
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"value past the block", ExifHead(4000, 2)},
        {"not text", ExifHead(26, 3)},
        {"cut short", Bytes(good.begin(), good.begin() + 30)},
        {"pixels before any block", Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0, 2}},
        {"not a JPEG", Bytes{'G', 'I', 'F', '8'}},
    };
    for (const Case& c : cases) EXPECT_FALSE(JpegExifPhotoTime(c.bytes.data(), c.bytes.size(), time)) << c.what;
}

}  // namespace
