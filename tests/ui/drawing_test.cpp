// The drawing helpers, into a real 32-bit memory bitmap whose pixels we read back.
#include <gtest/gtest.h>

#include <windows.h>

#include "image/CxImage.h"
#include "platform/Handle.h"
#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "support/Canvas.h"

namespace {

using namespace Korvel;
using namespace Korvel::UI;
using test::Canvas;

const COLORREF kWhite = RGB(255, 255, 255), kBlue = RGB(20, 60, 200), kRed = RGB(220, 30, 30);

TEST(Drawing, FramesBoxesAndLinesLandOnTheirPixels)
{
    Canvas c(20, 20);
    FrameSolid(c.dc(), RECT{0, 0, 10, 10}, kBlue);
    EXPECT_EQ(c.At(0, 0), kBlue);
    EXPECT_EQ(c.At(9, 5), kBlue);
    EXPECT_EQ(c.At(1, 1), kWhite);

    // Width 2: a 2-pixel border; width 1 frames the same line twice.
    FrameDouble(c.dc(), 10, 10, 20, 20, 2, kRed);
    EXPECT_EQ(c.At(10, 15), kRed);
    EXPECT_EQ(c.At(11, 15), kRed);
    EXPECT_EQ(c.At(12, 15), kWhite);

    DrawBox(c.dc(), RECT{2, 12, 8, 18}, kBlue, kRed);
    EXPECT_EQ(c.At(2, 15), kBlue);
    EXPECT_EQ(c.At(5, 15), kRed);

    DrawLine(c.dc(), kBlue, POINT{12, 2}, POINT{18, 2});
    EXPECT_EQ(c.At(12, 2), kBlue);
    EXPECT_EQ(c.At(17, 2), kBlue);
    EXPECT_EQ(c.At(18, 2), kWhite);  // the end point is not drawn
}

TEST(Drawing, BlendSolidMixesAtConstantAlpha)
{
    Canvas c(10, 10);
    BlendSolid(c.dc(), RECT{0, 0, 10, 10}, RGB(0, 0, 0), 0);
    EXPECT_EQ(c.At(5, 5), kWhite) << "alpha 0 changes nothing";
    BlendSolid(c.dc(), RECT{0, 0, 5, 10}, RGB(0, 0, 0), 128);
    const int grey = GetRValue(c.At(2, 2));
    EXPECT_NEAR(grey, 127, 2);
    EXPECT_EQ(c.At(7, 2), kWhite);
    BlendSolid(c.dc(), RECT{5, 0, 10, 10}, kBlue, 255);
    EXPECT_EQ(c.At(7, 2), kBlue);
}

TEST(Drawing, BlitKeyedLeavesTheKeyColourOut)
{
    Canvas c(8, 4);
    // A 2 x 1 cell: magenta (the key) then blue, stretched over 8 x 4.
    Canvas source(2, 1);
    ::SetPixel(source.dc(), 0, 0, RGB(255, 0, 255));
    ::SetPixel(source.dc(), 1, 0, kBlue);
    HBITMAP bitmap = static_cast<HBITMAP>(::GetCurrentObject(source.dc(), OBJ_BITMAP));
    // BlitKeyed selects the bitmap itself, so it must not stay selected elsewhere.
    Bitmap copy(static_cast<HBITMAP>(::CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0)));
    BlitKeyed(c.dc(), RECT{0, 0, 8, 4}, copy.Get(), RECT{0, 0, 2, 1}, RGB(255, 0, 255));
    EXPECT_EQ(c.At(1, 1), kWhite);
    EXPECT_EQ(c.At(6, 1), kBlue);
}

TEST(Drawing, ImagesAreDrawnFittedAndCentred)
{
    CxImage image;
    ASSERT_TRUE(image.Create(800, 600, 24));
    for (std::uint32_t y = 0; y < 600; ++y)
        for (std::uint32_t x = 0; x < 800; ++x) image.SetPixelColor(x, y, {30, 30, 220, 0});  // B, G, R: red
    Canvas c(133, 102);
    DrawImageFitted(c.dc(), &image, RECT{0, 0, 133, 102});
    // 101 x 76 at (66 - 50, 51 - 38).
    EXPECT_EQ(c.At(16, 13), kRed);
    EXPECT_EQ(c.At(116, 88), kRed);
    EXPECT_EQ(c.At(15, 50), kWhite);
    EXPECT_EQ(c.At(117, 50), kWhite);
    EXPECT_EQ(c.At(60, 12), kWhite);
    EXPECT_EQ(c.At(60, 89), kWhite);

    DrawImageFitted(c.dc(), nullptr, RECT{0, 0, 133, 102});  // nothing, no crash
}

TEST(Drawing, TextUsesTheThemeFontUnlessGivenOne)
{
    const DefaultTheme& theme = DefaultTheme::Instance();
    LOGFONTW normal{}, bold{};
    ASSERT_TRUE(::GetObjectW(theme.NormalFont(), sizeof normal, &normal));
    ASSERT_TRUE(::GetObjectW(theme.BoldFont(), sizeof bold, &bold));
    EXPECT_STREQ(normal.lfFaceName, L"新宋体");
    EXPECT_EQ(normal.lfHeight, 12);
    EXPECT_EQ(normal.lfWeight, 400);
    EXPECT_EQ(bold.lfWeight, 700);
    EXPECT_EQ(normal.lfPitchAndFamily, 0x20);
    EXPECT_EQ(theme.NormalTextColor(), RGB(51, 51, 51));
    EXPECT_EQ(theme.DisabledTextColor(), RGB(193, 193, 193));

    Canvas c(120, 20);
    const wchar_t text[] = L"开始上传";
    const SIZE byDefault = MeasureText(c.dc(), text, 4, nullptr);
    const SIZE byTheme = MeasureText(c.dc(), text, 4, theme.NormalFont());
    EXPECT_GT(byDefault.cx, 0);
    EXPECT_EQ(byDefault.cx, byTheme.cx);
    EXPECT_EQ(byDefault.cy, byTheme.cy);

    HGDIOBJ before = ::GetCurrentObject(c.dc(), OBJ_FONT);
    DrawTextIn(c.dc(), RECT{0, 0, 120, 20}, text, kBlue, theme.NormalFont(), DT_LEFT | DT_TOP | DT_SINGLELINE);
    EXPECT_EQ(::GetCurrentObject(c.dc(), OBJ_FONT), before) << "the font stays selected";
    EXPECT_EQ(::GetBkMode(c.dc()), OPAQUE);
    int inked = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 120; ++x) inked += c.At(x, y) != kWhite;
    EXPECT_GT(inked, 20) << "no glyphs were drawn";
}

}  // namespace
