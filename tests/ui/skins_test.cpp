// The skin registry and the icon strip, with the pictures this executable carries as
// resources, drawn into real memory bitmaps whose pixels we read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "image/CxImage.h"
#include "platform/Handle.h"
#include "platform/Module.h"
#include "support/Canvas.h"
#include "ui/CombinBitmap.h"
#include "ui/Drawing.h"
#include "ui/ImageLister.h"
#include "ui/SkinResources.h"

namespace {

using namespace Korvel;
using namespace Korvel::UI;
using test::Canvas;

const COLORREF kWhite = RGB(255, 255, 255), kMagenta = RGB(255, 0, 255);
// A colour no picture uses, to tell "left untouched" from "painted white".
const COLORREF kGround = RGB(1, 2, 3);

struct Size {
    const char* name;
    unsigned width, height;
};

// Layouts elsewhere are built on these sizes.
constexpr Size kSkinSizes[] = {
    {"BtnNormal", 72, 25},        {"BtnHover", 72, 25},          {"BtnDown", 72, 25},
    {"BtnDisable", 72, 25},       {"CheckBox-Normal", 15, 15},   {"CheckBox-Hover", 15, 15},
    {"CheckBox-Checked", 15, 15}, {"CheckBox-CkHover", 15, 15},  {"BtnCloseNormal", 15, 15},
    {"BtnCloseHover", 15, 15},    {"BtnOk", 55, 24},             {"BtnCancel", 51, 24},
    {"IcoAdd", 16, 16},           {"IcoInfo", 32, 32},           {"Title_bk", 1, 32},
    {"BtnPost-Normal", 84, 24},   {"BtnPost-Hover", 84, 24},     {"BtnPost-Disable", 84, 24},
    {"BtnPost-Cancel", 84, 24},   {"BtnAdd-Normal", 84, 24},     {"BtnAdd-Hover", 84, 24},
    {"BtnAdd-Disable", 84, 24},   {"BtnAddUrl-Normal", 84, 24},  {"BtnAddUrl-Hover", 84, 24},
    {"BtnAddUrl-Disable", 84, 24}, {"BtnAdd2-Normal", 203, 51},  {"BtnAdd2-Hover", 203, 51},
    {"RotatioLeft", 16, 16},      {"RotatioRight", 16, 16},      {"Btn_Delete", 16, 16},
};

std::unique_ptr<CxImage> Solid(unsigned w, unsigned h, RGBQ colour)
{
    auto image = std::make_unique<CxImage>();
    image->Create(w, h, 24);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) image->SetPixelColor(x, y, colour);
    return image;
}

bool Untouched(const Canvas& c, int w, int h, COLORREF ground)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (c.At(x, y) != ground) return false;
    return true;
}

class SkinRegistry : public ::testing::Test {
protected:
    void SetUp() override { ImageLister::Instance().Clear(); }
    void TearDown() override { ImageLister::Instance().Clear(); }
    ImageLister& skins = ImageLister::Instance();
};

TEST_F(SkinRegistry, LoadsEverySkinAtItsSize)
{
    skins.LoadSkins();
    std::set<std::string> names;
    for (const Size& s : kSkinSizes) {
        const auto image = skins.GetSkin(s.name);
        ASSERT_NE(image, nullptr) << s.name;
        EXPECT_EQ(image->Width(), s.width) << s.name;
        EXPECT_EQ(image->Height(), s.height) << s.name;
        names.insert(s.name);
    }
    EXPECT_EQ(names.size(), 30u);
    EXPECT_EQ(skins.GetSkin("btnnormal"), nullptr) << "names are case-sensitive";
    EXPECT_EQ(skins.GetSkin("BtnNormal "), nullptr);
    EXPECT_EQ(skins.GetSkin(nullptr), nullptr);
}

TEST_F(SkinRegistry, FirstRegistrationWins)
{
    EXPECT_TRUE(skins.Register("Probe", Solid(3, 3, RGBQ{0, 0, 255, 0})));
    EXPECT_FALSE(skins.Register("Probe", Solid(5, 5, RGBQ{255, 0, 0, 0})));
    ASSERT_NE(skins.GetSkin("Probe"), nullptr);
    EXPECT_EQ(skins.GetSkin("Probe")->Width(), 3u);

    EXPECT_FALSE(skins.Register("Empty", std::make_unique<CxImage>())) << "an invalid image is not kept";
    EXPECT_EQ(skins.GetSkin("Empty"), nullptr);
    EXPECT_FALSE(skins.Register(nullptr, Solid(1, 1, RGBQ{})));

    // A second panel loading the skins keeps the images the first one drew with, and a
    // name taken before loading keeps its own picture.
    EXPECT_TRUE(skins.Register("BtnOk", Solid(2, 2, RGBQ{})));
    skins.LoadSkins();
    const auto first = skins.GetSkin("BtnNormal");
    skins.LoadSkins();
    EXPECT_EQ(skins.GetSkin("BtnNormal"), first);
    EXPECT_EQ(skins.GetSkin("BtnOk")->Width(), 2u);
}

TEST_F(SkinRegistry, ClearEmptiesAndLoadSkinsRefills)
{
    skins.LoadSkins();
    skins.Register("Probe", Solid(1, 1, RGBQ{}));
    skins.Clear();
    EXPECT_EQ(skins.GetSkin("BtnNormal"), nullptr);
    EXPECT_EQ(skins.GetSkin("Probe"), nullptr);
    skins.LoadSkins();
    for (const Size& s : kSkinSizes) EXPECT_NE(skins.GetSkin(s.name), nullptr) << s.name;
    EXPECT_EQ(skins.GetSkin("Probe"), nullptr);
}

TEST_F(SkinRegistry, UnknownNamesDrawNothing)
{
    skins.LoadSkins();
    Canvas c(40, 40);
    for (const char* name : {"NoSuchSkin", "btnnormal", static_cast<const char*>(nullptr)}) {
        skins.DrawSkin(c.dc(), name, RECT{0, 0, 40, 40});
        skins.DrawSkinAt(c.dc(), name, 0, 0);
        skins.DrawSkinGrayAt(c.dc(), name, 0, 0);
    }
    EXPECT_TRUE(Untouched(c, 40, 40, kWhite));
}

TEST_F(SkinRegistry, DrawsAtNaturalSizeStretchedAndBlended)
{
    const COLORREF red = RGB(200, 30, 30);
    skins.Register("Red", Solid(4, 4, RGBQ{30, 30, 200, 0}));
    auto holed = Solid(2, 1, RGBQ{30, 30, 200, 0});
    holed->AlphaCreate();
    holed->AlphaSet(0, 0, 255);
    holed->AlphaSet(1, 0, 0);
    skins.Register("Holed", std::move(holed));

    Canvas c(30, 10);
    skins.DrawSkinAt(c.dc(), "Red", 2, 2);
    EXPECT_EQ(c.At(2, 2), red);
    EXPECT_EQ(c.At(5, 5), red);
    EXPECT_EQ(c.At(6, 6), kWhite);
    EXPECT_EQ(c.At(1, 1), kWhite);

    skins.DrawSkin(c.dc(), "Red", RECT{10, 0, 20, 10});
    EXPECT_EQ(c.At(10, 0), red);
    EXPECT_EQ(c.At(19, 9), red);
    EXPECT_EQ(c.At(20, 9), kWhite);

    // The transparent half of the stretched picture leaves the canvas as it was.
    skins.DrawSkin(c.dc(), "Holed", RECT{20, 0, 30, 10});
    EXPECT_EQ(c.At(22, 5), red);
    EXPECT_EQ(c.At(28, 5), kWhite);
}

TEST_F(SkinRegistry, GrayDrawingKeepsShapeAndDropsColour)
{
    skins.LoadSkins();
    const auto icon = skins.GetSkin("RotatioLeft");
    ASSERT_NE(icon, nullptr);
    Canvas colour(16, 16), grey(16, 16);
    skins.DrawSkinAt(colour.dc(), "RotatioLeft", 0, 0);
    skins.DrawSkinGrayAt(grey.dc(), "RotatioLeft", 0, 0);
    int coloured = 0, painted = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const COLORREF g = grey.At(x, y), c = colour.At(x, y);
            EXPECT_TRUE(GetRValue(g) == GetGValue(g) && GetGValue(g) == GetBValue(g)) << x << "," << y;
            if (GetRValue(c) != GetGValue(c)) ++coloured;
            // Transparent pixels stay transparent in the grey copy.
            EXPECT_EQ(g == kWhite, c == kWhite) << x << "," << y;
            if (g != kWhite) ++painted;
        }
    }
    EXPECT_GT(coloured, 20) << "the icon itself is in colour";
    EXPECT_GT(painted, 20);
}

// --- the strip ----------------------------------------------------------------------------

// Pixels of a bitmap, top-down, as COLORREFs.
std::vector<COLORREF> PixelsOf(HBITMAP bitmap, int w, int h)
{
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> raw(static_cast<size_t>(w) * h);
    MemoryDC dc(::CreateCompatibleDC(nullptr));
    EXPECT_EQ(::GetDIBits(dc.Get(), bitmap, 0, h, raw.data(), &bi, DIB_RGB_COLORS), h);
    std::vector<COLORREF> out;
    for (DWORD p : raw) out.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return out;
}

struct ExpectedCell {
    const wchar_t* name;
    int x, y, w, h;
};

constexpr ExpectedCell kCells[] = {
    {L"LeftCirc", 1, 1, 14, 14},   {L"RightCirc", 17, 1, 14, 14},  {L"Del", 33, 1, 13, 14},
    {L"Search", 49, 1, 15, 15},    {L"Check", 64, 0, 16, 16},      {L"ScrollUp", 80, 0, 17, 17},
    {L"ScrollDown", 97, 0, 17, 17}, {L"SliderUp", 114, 0, 17, 4},  {L"SliderMid", 114, 4, 17, 1},
    {L"SliderDown", 114, 5, 17, 5},
};

class Strip : public ::testing::Test {
protected:
    void SetUp() override
    {
        bitmap = LoadStripBitmap(ThisModule(), kStripIdActiveX);
        ASSERT_TRUE(bitmap);
        strip.RegisterCells(kStripCells);
        strip.SetBitmap(bitmap.Get());
        pixels = PixelsOf(bitmap.Get(), 131, 17);
    }
    void TearDown() override { strip.SetBitmap(nullptr); }
    COLORREF Source(int x, int y) const { return pixels[static_cast<size_t>(y) * 131 + x]; }

    CombinBitmap& strip = CombinBitmap::Instance();
    Bitmap bitmap;
    std::vector<COLORREF> pixels;
};

TEST_F(Strip, BitmapIsKeyedOutsideItsCells)
{
    BITMAP info{};
    ASSERT_TRUE(::GetObjectW(bitmap.Get(), sizeof info, &info));
    EXPECT_EQ(info.bmWidth, 131);
    EXPECT_EQ(std::abs(info.bmHeight), 17);
    EXPECT_EQ(strip.GetBitmap(), bitmap.Get());
    EXPECT_FALSE(LoadStripBitmap(ThisModule(), kStripIdNpapi)) << "the plug-in's id belongs to the other DLL";

    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 131; ++x) {
            bool inCell = false;
            for (const ExpectedCell& c : kCells)
                inCell = inCell || (x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h);
            if (!inCell) {
                EXPECT_EQ(Source(x, y), kMagenta) << x << "," << y;
            }
        }
    }
}

TEST_F(Strip, EveryCellLandsWithoutItsKeyPixels)
{
    ASSERT_EQ(kStripCells.size(), std::size(kCells) + 1);
    EXPECT_STREQ(kStripCells.back().name, L"Editor");
    for (size_t i = 0; i < std::size(kCells); ++i) {
        const ExpectedCell& e = kCells[i];
        const CombinBitmap::Cell& cell = kStripCells[i];
        SCOPED_TRACE(::testing::Message() << "cell " << i);
        ASSERT_STREQ(cell.name, e.name);
        ASSERT_TRUE(cell.x == e.x && cell.y == e.y && cell.width == e.w && cell.height == e.h);

        // Drawn at (2, 2) on a 21 x 21 ground: nothing outside the cell's own size changes.
        Canvas c(21, 21);
        FillSolid(c.dc(), RECT{0, 0, 21, 21}, kGround);
        strip.DrawCellAt(c.dc(), e.name, 2, 2);
        int picture = 0;
        for (int y = 0; y < 21; ++y) {
            for (int x = 0; x < 21; ++x) {
                const int sx = x - 2, sy = y - 2;
                const bool inside = sx >= 0 && sy >= 0 && sx < e.w && sy < e.h;
                const COLORREF source = inside ? Source(e.x + sx, e.y + sy) : kMagenta;
                EXPECT_EQ(c.At(x, y), source == kMagenta ? kGround : source) << x << "," << y;
                picture += source != kMagenta;
            }
        }
        EXPECT_GT(picture, 0) << "the cell holds a picture";
    }
}

TEST_F(Strip, CellsStretchIntoARectangle)
{
    // LeftCirc doubled: every source pixel becomes a 2 x 2 block.
    Canvas c(28, 28);
    FillSolid(c.dc(), RECT{0, 0, 28, 28}, kGround);
    strip.DrawCellInto(c.dc(), L"LeftCirc", RECT{0, 0, 28, 28});
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 14; ++x) {
            const COLORREF source = Source(1 + x, 1 + y);
            EXPECT_EQ(c.At(2 * x + 1, 2 * y + 1), source == kMagenta ? kGround : source) << x << "," << y;
        }
    }
}

TEST_F(Strip, CellsOutsideTheBitmapAndUnknownNamesPaintNothing)
{
    Canvas c(40, 40);
    FillSolid(c.dc(), RECT{0, 0, 40, 40}, kGround);
    const CombinBitmap::Cell partly[] = {{L"PartlyOut", 120, 0, 16, 17}, {L"Empty", 10, 0, 0, 17}};
    strip.RegisterCells(partly);
    for (const wchar_t* name : {L"Editor", L"PartlyOut", L"Empty", L"NoSuchCell", L"leftcirc",
                                static_cast<const wchar_t*>(nullptr)}) {
        strip.DrawCellAt(c.dc(), name, 0, 0);
        strip.DrawCellInto(c.dc(), name, RECT{0, 0, 40, 40});
    }
    strip.SetBitmap(nullptr);
    strip.DrawCellAt(c.dc(), L"LeftCirc", 0, 0);
    EXPECT_TRUE(Untouched(c, 40, 40, kGround));
}

TEST_F(Strip, RepeatedNameKeepsItsFirstCell)
{
    const CombinBitmap::Cell first[] = {{L"Twice", 64, 0, 16, 16}, {L"Twice", 1, 1, 14, 14}};
    const CombinBitmap::Cell later[] = {{L"Twice", 17, 1, 14, 14}, {L"Check", 1, 1, 14, 14}};
    strip.RegisterCells(first);
    strip.RegisterCells(later);
    Canvas twice(16, 16), check(16, 16);
    strip.DrawCellAt(twice.dc(), L"Twice", 0, 0);
    strip.DrawCellAt(check.dc(), L"Check", 0, 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const COLORREF source = Source(64 + x, y);
            ASSERT_EQ(twice.At(x, y), source == kMagenta ? kWhite : source) << x << "," << y;
        }
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(check.At(x, y), twice.At(x, y)) << x << "," << y;
}

}  // namespace
