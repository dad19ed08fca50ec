// Preparing a photo from its encoded bytes: where the picture is shrunk into the box by the
// area average it is prepared row by row while it decodes, and the bytes must be the very
// ones that decoding the whole picture, turning it and PrepareUpload give.
#include <gtest/gtest.h>

#include <string>

#include "Biz/ConfigMgr.h"
#include "ImageFixtures.h"
#include "image/UploadPreparation.h"

namespace {

using fixture::Bytes;

Bytes Sent(CxMemFile& file) { return Bytes(file.GetBuffer(), file.GetBuffer() + file.Size()); }

// A picture with an alpha plane that varies across it.
CxImage WithAlpha(CxImage image)
{
    image.AlphaCreate();
    for (std::uint32_t y = 0; y < image.Height(); ++y)
        for (std::uint32_t x = 0; x < image.Width(); ++x) image.AlphaSet(x, y, static_cast<std::uint8_t>(x * 5 + y * 3));
    return image;
}

UploadSettings Settings(std::int32_t boxW, std::int32_t boxH, const TChar* type, std::uint16_t quality = 80,
                        bool watermark = false)
{
    UploadSettings s;
    s.thumbnailWidth = boxW;
    s.thumbnailHeight = boxH;
    s.type = type;
    s.jpegQuality = quality;
    s.watermark = watermark;
    return s;
}

// What the photo was sent as before preparing learnt to stream: the whole picture decoded,
// turned clockwise, then prepared.
struct Whole {
    Bytes bytes;
    std::uint32_t width = 0, height = 0, format = 0;
};

Whole PrepareWhole(const Bytes& encoded, int turns, const UploadSettings& settings)
{
    Whole whole;
    CxImage image = fixture::Decode(encoded);
    if (!image.IsValid()) return whole;
    for (int t = 0; t < (turns % 4 + 4) % 4; ++t) image.RotateRight();
    whole.width = image.Width();
    whole.height = image.Height();
    whole.format = UploadFormat(settings.type, image.FormatCode());
    CxMemFile out;
    PrepareUpload(image, out, settings);
    whole.bytes = Sent(out);
    return whole;
}

void ExpectSameAsWhole(const std::string& what, const Bytes& encoded, int turns, const UploadSettings& settings,
                       bool whileDecoding)
{
    SCOPED_TRACE(what + ", " + std::to_string(turns) + " quarter turns");
    const Whole whole = PrepareWhole(encoded, turns, settings);
    ASSERT_FALSE(whole.bytes.empty());
    CxMemFile in(encoded.data(), encoded.size());
    PreparedPhoto photo;
    ASSERT_TRUE(PrepareEncoded(in, CXIMAGE_FORMAT_UNKNOWN, turns, settings, photo));
    EXPECT_EQ(photo.whileDecoding, whileDecoding);
    EXPECT_EQ(photo.width, whole.width);
    EXPECT_EQ(photo.height, whole.height);
    EXPECT_EQ(photo.format, whole.format);
    EXPECT_TRUE(Sent(photo.bytes) == whole.bytes) << "prepared bytes differ";
}

TEST(PrepareEncoded, GivesTheBytesOfTheWholePictureForEveryKindOfPhotoAndBox)
{
    const CxImage photo = fixture::Gradient(1001, 751);  // sides that do not divide by the box
    const CxImage clear = WithAlpha(fixture::Gradient(900, 700));
    const UploadSettings jpg = Settings(800, 600, SF_T("jpg"));
    struct Case {
        const char* what;
        Bytes encoded;
        UploadSettings settings;
        bool whileDecoding;  // unturned
    } cases[] = {
        {"JPEG into the box", fixture::Encode(photo, CXIMAGE_FORMAT_JPG), jpg, true},
        {"JPEG, its own type and quality", fixture::Encode(photo, CXIMAGE_FORMAT_JPG), Settings(640, 480, SF_T("")), true},
        {"JPEG, quality 300", fixture::Encode(photo, CXIMAGE_FORMAT_JPG), Settings(333, 222, SF_T("jpg"), 300), true},
        {"JPEG with the stamp", fixture::Encode(photo, CXIMAGE_FORMAT_JPG), Settings(800, 600, SF_T("jpg"), 80, true), true},
        // Big enough that the averaging runs on its own thread.
        {"big JPEG", fixture::Encode(fixture::Gradient(1603, 1201), CXIMAGE_FORMAT_JPG), jpg, true},
        {"PNG as PNG", fixture::Encode(photo, CXIMAGE_FORMAT_PNG), Settings(800, 600, SF_T("png")), true},
        {"PNG with alpha", fixture::Encode(clear, CXIMAGE_FORMAT_PNG), Settings(640, 480, SF_T("png")), true},
        {"TIFF as TIFF", fixture::Encode(photo, CXIMAGE_FORMAT_TIF), Settings(500, 500, SF_T("tif")), true},
        {"TIFF with alpha", fixture::Encode(clear, CXIMAGE_FORMAT_TIF), Settings(640, 480, SF_T("png")), true},
        // 96 x 12 centred on 100 x 12: a band of the background colour either side.
        {"banner on its canvas", fixture::Encode(fixture::Gradient(800, 100), CXIMAGE_FORMAT_JPG), jpg, true},
        // One row high: the box asks for 1 x 1, which is not an area average on both sides.
        {"one-pixel-high banner", fixture::Encode(fixture::Gradient(997, 1), CXIMAGE_FORMAT_PNG), jpg, false},
        {"grey JPEG", fixture::Encode(fixture::Paletted(1000, 700, 8, true), CXIMAGE_FORMAT_JPG), jpg, false},
        {"paletted PNG to JPEG", fixture::Encode(fixture::Paletted(1000, 700, 8, false), CXIMAGE_FORMAT_PNG), jpg, false},
        {"24-bit BMP", fixture::Encode(photo, CXIMAGE_FORMAT_BMP), jpg, false},
        {"within the box", fixture::Encode(fixture::Gradient(640, 480), CXIMAGE_FORMAT_JPG), jpg, false},
        {"no box", fixture::Encode(photo, CXIMAGE_FORMAT_JPG), Settings(800, 0, SF_T("jpg")), false},
    };
    for (const Case& c : cases) {
        ExpectSameAsWhole(c.what, c.encoded, 0, c.settings, c.whileDecoding);
        // A turned picture is decoded whole, then turned, then prepared.
        ExpectSameAsWhole(c.what, c.encoded, 1, c.settings, false);
    }
}

TEST(PrepareEncoded, TurnsCountClockwiseInQuarters)
{
    const Bytes encoded = fixture::Encode(fixture::Gradient(300, 200), CXIMAGE_FORMAT_PNG);
    const UploadSettings settings = Settings(120, 90, SF_T("png"));
    for (int turns : {2, 3, 4, 5, -1, -2}) ExpectSameAsWhole("PNG", encoded, turns, settings, turns % 4 == 0);
}

TEST(PrepareEncoded, AKnownFormatIsTheOnlyOneTried)
{
    const UploadSettings settings = Settings(800, 600, SF_T("jpg"));
    const Bytes jpeg = fixture::Encode(fixture::Gradient(1001, 751), CXIMAGE_FORMAT_JPG);
    CxMemFile in(jpeg.data(), jpeg.size());
    PreparedPhoto photo;
    ASSERT_TRUE(PrepareEncoded(in, CXIMAGE_FORMAT_JPG, 0, settings, photo));
    EXPECT_TRUE(photo.whileDecoding);
    EXPECT_TRUE(Sent(photo.bytes) == PrepareWhole(jpeg, 0, settings).bytes);
    // Downloaded bytes said to be PNG that are not: nothing, as decoding them as PNG gives.
    CxMemFile wrong(jpeg.data(), jpeg.size());
    EXPECT_FALSE(PrepareEncoded(wrong, CXIMAGE_FORMAT_PNG, 0, settings, photo));
}

TEST(PrepareEncoded, APictureThatBreaksOffPartWayIsNotPrepared)
{
    const UploadSettings settings = Settings(800, 600, SF_T("jpg"));
    for (std::uint32_t format : {CXIMAGE_FORMAT_JPG, CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_TIF}) {
        SCOPED_TRACE(format);
        // Big, so the rows already go to the second thread when the data runs out.
        Bytes encoded = fixture::Encode(fixture::Gradient(1603, 1201), format);
        encoded.resize(encoded.size() / 2);
        ASSERT_FALSE(fixture::Decode(encoded).IsValid());
        CxMemFile in(encoded.data(), encoded.size());
        PreparedPhoto photo;
        EXPECT_FALSE(PrepareEncoded(in, CXIMAGE_FORMAT_UNKNOWN, 0, settings, photo));
        EXPECT_EQ(photo.bytes.Size(), 0);
        EXPECT_EQ(photo.width, 0u);
        EXPECT_FALSE(photo.whileDecoding);
    }
    // Garbage inside a JPEG's coded data: whatever libjpeg makes of it, both ways agree.
    Bytes damaged = fixture::Encode(fixture::Gradient(1603, 1201), CXIMAGE_FORMAT_JPG);
    for (std::size_t i = damaged.size() / 3; i < damaged.size() / 3 + 64; ++i) damaged[i] = static_cast<std::uint8_t>(i * 37);
    if (fixture::Decode(damaged).IsValid()) {
        ExpectSameAsWhole("damaged JPEG", damaged, 0, settings, true);
    } else {
        CxMemFile in(damaged.data(), damaged.size());
        PreparedPhoto photo;
        EXPECT_FALSE(PrepareEncoded(in, CXIMAGE_FORMAT_UNKNOWN, 0, settings, photo));
    }
}

TEST(PreparedSize, OfASourceIsWhatPreparingItWrites)
{
    fixture::TempFolder folder;
    const Bytes jpeg = fixture::Encode(fixture::Gradient(1001, 751), CXIMAGE_FORMAT_JPG);
    const Bytes gif = fixture::Encode(fixture::Paletted(30, 20, 8, false), CXIMAGE_FORMAT_GIF);
    ASSERT_TRUE(folder.Write("photo.jpg", jpeg));
    ASSERT_TRUE(folder.Write("anim.gif", gif));
    ConfigMgr* config = ConfigMgr::Instance();
    config->ResetToDefaults();
    config->SetThumbnailWidth(800);
    config->SetThumbnailHeight(600);
    config->SetImageUploadType(SF_T("jpg"));
    for (int turns : {0, 1}) {
        const Whole whole = PrepareWhole(jpeg, turns, UploadSettings::Current());
        EXPECT_EQ(PreparedSize(folder.File("photo.jpg"), SF_T("jpg"), turns), whole.bytes.size());
        PreparedPhoto photo;
        ASSERT_TRUE(PrepareFileForPost(folder.File("photo.jpg"), turns, photo));
        EXPECT_TRUE(Sent(photo.bytes) == whole.bytes);
        EXPECT_EQ(photo.width, turns ? 751u : 1001u);
        // A GIF goes as its bytes, whatever the turns; its fields follow the turned picture.
        EXPECT_EQ(PreparedSize(folder.File("anim.gif"), SF_T("gif"), turns), gif.size());
        ASSERT_TRUE(PrepareFileForPost(folder.File("anim.gif"), turns, photo));
        EXPECT_EQ(Sent(photo.bytes), gif);
        EXPECT_EQ(photo.width, turns ? 20u : 30u);
    }
    EXPECT_EQ(PreparedSize(folder.File("missing.jpg"), SF_T("jpg"), 0), 0u);
    config->ResetToDefaults();
}

}  // namespace
