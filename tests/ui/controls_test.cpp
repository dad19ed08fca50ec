// The controls in a real window under the host contract: messages go in through the window
// procedure, pictures come out of the host's back buffer.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "image/CxImage.h"
#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/HostWindow.h"
#include "ui/ImageLister.h"
#include "ui/controls/Button.h"
#include "ui/controls/CheckBox.h"
#include "ui/controls/Icon.h"
#include "ui/controls/IconLabel.h"
#include "ui/controls/Label.h"
#include "ui/controls/ProgressBar.h"

namespace {

using namespace Korvel::UI;
using namespace Korvel::UI::Controls;

std::unique_ptr<CxImage> Solid(int w, int h, COLORREF c)
{
    auto image = std::make_unique<CxImage>();
    image->Create(w, h, 24, CXIMAGE_FORMAT_PNG);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image->SetPixelColor(x, y, RGBQ{GetBValue(c), GetGValue(c), GetRValue(c), 255});
    return image;
}

// Flat, distinct skins so a pixel tells which one was drawn. The registry is per process
// and keeps the first image of a name, so these hold for the whole run.
const COLORREF kNormal = RGB(200, 200, 200), kHover = RGB(0, 0, 255), kDown = RGB(0, 0, 128),
               kDisabled = RGB(90, 90, 90), kBox = RGB(255, 0, 0), kBoxHover = RGB(255, 128, 0),
               kTick = RGB(0, 160, 0), kTickHover = RGB(0, 255, 0), kIcon = RGB(128, 0, 128);

class Controls : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ImageLister& skins = ImageLister::Instance();
        skins.Register("BtnNormal", Solid(72, 25, kNormal));
        skins.Register("BtnHover", Solid(72, 25, kHover));
        skins.Register("BtnDown", Solid(72, 25, kDown));
        skins.Register("BtnDisable", Solid(72, 25, kDisabled));
        skins.Register("CheckBox-Normal", Solid(15, 15, kBox));
        skins.Register("CheckBox-Hover", Solid(15, 15, kBoxHover));
        skins.Register("CheckBox-Checked", Solid(15, 15, kTick));
        skins.Register("CheckBox-CkHover", Solid(15, 15, kTickHover));
        skins.Register("IcoAdd", Solid(16, 16, kIcon));
    }

    void Send(UINT message, int x, int y, WPARAM keys = MK_LBUTTON)
    {
        ::SendMessageW(window_.Handle(), message, keys, MAKELPARAM(x, y));
    }
    COLORREF Pixel(int x, int y)
    {
        window_.PaintNow();
        return ::GetPixel(window_.Host().Buffer().DC(), x, y);
    }

    HostWindow window_{300, 120};
};

// Clicks counted by a receiver, the way the panel and dialogs listen.
struct Clicks : sigslot::has_slots<> {
    int count = 0;
    ControlBase* last = nullptr;
    void OnClick() { ++count; }
    void OnLabel(ControlBase* c)
    {
        ++count;
        last = c;
    }
};

TEST_F(Controls, ChildrenFollowTheWindowThroughTheirAnchors)
{
    struct Case {
        int anchors;
        RECT expected;  // in a 300 x 120 client, size 40 x 20, margins 10, 5, 20, 15
    };
    const Case cases[] = {
        {5, {10, 5, 50, 25}},          // left, top
        {9, {240, 5, 280, 25}},        // right, top
        {15, {10, 5, 280, 105}},       // stretched
        {65, {130, 5, 170, 25}},       // centred horizontally, top
        {0, {130, 50, 170, 70}},       // centred both ways, margins ignored
        {10, {240, 85, 280, 105}},     // right, bottom
    };
    std::vector<std::unique_ptr<ControlBase>> controls;
    for (const Case& c : cases) {
        controls.push_back(std::make_unique<ControlBase>());
        ControlBase& control = *controls.back();
        control.Attach(&window_.Root());
        control.SetSize(40, 20);
        control.SetMargins(10, 5, 20, 15);
        control.SetAnchor(c.anchors);
    }
    window_.Relayout();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const RECT& got = controls[i]->GetBounds();
        EXPECT_TRUE(::EqualRect(&got, &cases[i].expected)) << "anchors " << cases[i].anchors << ": " << got.left
                                                           << "," << got.top << "," << got.right << "," << got.bottom;
    }

    // A real resize reaches every child; narrower than the margins, a stretched control turns
    // inside out.
    ::SetWindowPos(window_.Handle(), nullptr, 0, 0, 20, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    ::GetClientRect(window_.Handle(), &client);
    ASSERT_LT(client.right, 30);
    const RECT& stretched = controls[2]->GetBounds();
    EXPECT_EQ(stretched.left, 10);
    EXPECT_EQ(stretched.right, client.right - 20);
    EXPECT_LT(stretched.right, stretched.left);
}

// A 72 x 25 button at (10, 10) of the window, its clicks counted.
void PlaceButton(Button& button, HostWindow& window, const wchar_t* caption, Clicks& clicks)
{
    button.Create(&window.Root(), caption);
    button.SetSize(72, 25);
    button.SetMargins(10, 10, 0, 0);
    button.Layout();
    button.Click.connect(&clicks, &Clicks::OnClick);
}

// One gesture: a sequence of messages at points, then the clicks and state bits expected.
struct Step {
    UINT message;
    int x, y;
};
struct Gesture {
    const char* name;
    std::vector<Step> steps;
    int clicks;
    int state;
};

TEST_F(Controls, ButtonClicksOnlyWhenReleasedInsideAfterPressingInside)
{
    // The button covers (10,10)-(82,35).
    const Gesture gestures[] = {
        {"press and release inside", {{WM_LBUTTONDOWN, 20, 20}, {WM_LBUTTONUP, 21, 20}}, 1, 0},
        {"hover then click", {{WM_MOUSEMOVE, 20, 20}, {WM_LBUTTONDOWN, 20, 20}, {WM_LBUTTONUP, 20, 20}}, 1, StateHover},
        {"out and released outside",
         {{WM_MOUSEMOVE, 20, 20}, {WM_LBUTTONDOWN, 20, 20}, {WM_MOUSEMOVE, 200, 90}, {WM_LBUTTONUP, 200, 90}},
         0,
         0},
        {"out, back in, released inside",
         {{WM_LBUTTONDOWN, 20, 20}, {WM_MOUSEMOVE, 200, 90}, {WM_MOUSEMOVE, 30, 20}, {WM_LBUTTONUP, 30, 20}},
         1,
         0},
        {"pressed outside, released inside", {{WM_LBUTTONDOWN, 200, 90}, {WM_LBUTTONUP, 20, 20}}, 0, 0},
        {"hover out clears", {{WM_MOUSEMOVE, 20, 20}, {WM_MOUSEMOVE, 200, 20}}, 0, 0},
    };
    for (const Gesture& g : gestures) {
        HostWindow window(300, 120);
        Button button;
        Clicks clicks;
        PlaceButton(button, window, L"", clicks);
        for (const Step& s : g.steps) ::SendMessageW(window.Handle(), s.message, MK_LBUTTON, MAKELPARAM(s.x, s.y));
        EXPECT_EQ(clicks.count, g.clicks) << g.name;
        EXPECT_EQ(button.GetStateBits(), g.state) << g.name;
        EXPECT_EQ(window.Host().CaptureControl(), nullptr) << g.name;
    }
}

TEST_F(Controls, ButtonFacesFollowTheStateAndDisabledWinsOverHover)
{
    Button button;
    Clicks clicks;
    PlaceButton(button, window_, L"", clicks);

    EXPECT_EQ(Pixel(40, 20), kNormal);
    Send(WM_MOUSEMOVE, 40, 20);
    EXPECT_EQ(Pixel(40, 20), kHover);
    Send(WM_LBUTTONDOWN, 40, 20);
    EXPECT_EQ(Pixel(40, 20), kDown);
    // Leaving the window while pressed keeps the pressed face until the release.
    Send(WM_MOUSELEAVE, 0, 0, 0);
    EXPECT_EQ(Pixel(40, 20), kDown);
    Send(WM_LBUTTONUP, 40, 20);
    EXPECT_EQ(clicks.count, 1);

    button.SetDisabled(1);
    Send(WM_MOUSEMOVE, 41, 20);
    EXPECT_EQ(Pixel(40, 20), kDisabled);
    Send(WM_LBUTTONDOWN, 40, 20);
    Send(WM_LBUTTONUP, 40, 20);
    EXPECT_EQ(clicks.count, 1);
    EXPECT_EQ(Pixel(40, 20), kDisabled);

    // Hidden: no face, no clicks.
    button.SetDisabled(0);
    button.SetVisible(0);
    const COLORREF before = Pixel(40, 20);
    EXPECT_NE(before, kNormal);
    Send(WM_LBUTTONDOWN, 40, 20);
    Send(WM_LBUTTONUP, 40, 20);
    EXPECT_EQ(clicks.count, 1);
}

TEST_F(Controls, CaptionsAreDrawnInTheStateColour)
{
    Button button;
    Clicks clicks;
    PlaceButton(button, window_, L"确定确定", clicks);
    // Text is smoothed, so count pixels on the text colour's side of the face instead of
    // exact matches: dark text on the light normal face, light text on the dark disabled one.
    auto count = [&](auto test) {
        window_.PaintNow();
        int n = 0;
        for (int y = 10; y < 35; ++y)
            for (int x = 10; x < 82; ++x) n += test(GetRValue(::GetPixel(window_.Host().Buffer().DC(), x, y)));
        return n;
    };
    const DefaultTheme& theme = DefaultTheme::Instance();
    ASSERT_LT(GetRValue(theme.NormalTextColor()), GetRValue(kNormal));
    ASSERT_GT(GetRValue(theme.DisabledTextColor()), GetRValue(kDisabled));
    EXPECT_GT(count([](int r) { return r < 120; }), 10);
    button.SetDisabled(1);
    EXPECT_GT(count([](int r) { return r > 150; }), 10);
    EXPECT_EQ(count([](int r) { return r < 80; }), 0);
}

TEST_F(Controls, CheckBoxTogglesOnlyOnAReleaseInside)
{
    CheckBox box;
    box.Create(&window_.Root(), L"全选");
    box.SetMargins(10, 10, 0, 0);
    box.Layout();
    Clicks clicks;
    box.Click.connect(&clicks, &Clicks::OnClick);

    // Measured with the theme's font, laid out beside the 15-pixel box.
    const SIZE caption = [&] {
        Korvel::WindowDC dc(window_.Handle());
        return MeasureText(dc.Get(), L"全选", 2, nullptr);
    }();
    const RECT expected{10, 10, 10 + caption.cx + 15, 25};
    EXPECT_TRUE(::EqualRect(&box.GetBounds(), &expected));

    EXPECT_EQ(Pixel(12, 12), kBox);
    Send(WM_MOUSEMOVE, 12, 12);
    EXPECT_EQ(Pixel(12, 12), kBoxHover);
    Send(WM_LBUTTONDOWN, 12, 12);
    Send(WM_MOUSEMOVE, 250, 100);
    Send(WM_LBUTTONUP, 250, 100);
    EXPECT_EQ(box.IsChecked(), 0);
    EXPECT_EQ(clicks.count, 0);

    Send(WM_LBUTTONDOWN, 12, 12);
    Send(WM_LBUTTONUP, 13, 12);
    EXPECT_EQ(box.IsChecked(), 1);
    EXPECT_EQ(clicks.count, 1);
    Send(WM_MOUSEMOVE, 12, 12);
    EXPECT_EQ(Pixel(12, 12), kTickHover);
    Send(WM_MOUSELEAVE, 0, 0, 0);
    EXPECT_EQ(Pixel(12, 12), kTick);

    // Disabled: presses are ignored, but the hover look still follows the pointer.
    box.SetDisabled(1);
    Send(WM_LBUTTONDOWN, 12, 12);
    Send(WM_LBUTTONUP, 12, 12);
    EXPECT_EQ(box.IsChecked(), 1);
    Send(WM_MOUSEMOVE, 12, 12);
    EXPECT_EQ(Pixel(12, 12), kTickHover);
}

TEST_F(Controls, IconLabelMeasuresItsIconWhenRegistered)
{
    Korvel::WindowDC dc(window_.Handle());
    const SIZE text = MeasureText(dc.Get(), L"添加照片", 4, nullptr);

    IconLabel withIcon, withoutIcon;
    withIcon.Create(&window_.Root(), L"添加照片", "IcoAdd");
    withoutIcon.Create(&window_.Root(), L"添加照片", "NoSuchSkin");
    EXPECT_EQ(withIcon.Width(), text.cx + 16 + 5);
    EXPECT_EQ(withIcon.Height(), text.cy);
    EXPECT_EQ(withoutIcon.Width(), text.cx);

    withIcon.SetMargins(10, 10, 0, 0);
    withIcon.Layout();
    withoutIcon.SetMargins(10, 60, 0, 0);
    withoutIcon.Layout();
    Clicks clicks;
    withIcon.Click.connect(&clicks, &Clicks::OnLabel);
    Send(WM_LBUTTONDOWN, 12, 12);
    Send(WM_LBUTTONUP, 12, 12);
    EXPECT_EQ(clicks.count, 1);
    EXPECT_EQ(clicks.last, &withIcon);

    EXPECT_EQ(Pixel(12, 12), kIcon);
    withIcon.SetDisabled(1);
    const COLORREF grey = Pixel(12, 12);
    EXPECT_EQ(GetRValue(grey), GetGValue(grey));
    EXPECT_EQ(GetGValue(grey), GetBValue(grey));
    // Text only: nothing of the icon colour anywhere in its row.
    for (int x = 10; x < 10 + text.cx; ++x) EXPECT_NE(::GetPixel(window_.Host().Buffer().DC(), x, 62), kIcon);
}

TEST_F(Controls, LabelsResizeToTheirTextAndKeepTheirSizeWhenLaidOut)
{
    Label label;
    label.Create(&window_.Root(), L"就绪");
    label.SetAnchor(AnchorRight | AnchorTop);
    label.SetMargins(0, 10, 10, 0);
    label.Layout();
    Korvel::WindowDC dc(window_.Handle());
    const SIZE text = MeasureText(dc.Get(), L"就绪", 2, nullptr);
    EXPECT_EQ(label.GetBounds().right, 290);
    EXPECT_EQ(label.GetBounds().right - label.GetBounds().left, text.cx);

    label.SetText(L"正在上传照片");
    const SIZE longer = MeasureText(dc.Get(), L"正在上传照片", 6, nullptr);
    EXPECT_EQ(label.GetBounds().right - label.GetBounds().left, longer.cx);
    label.Layout();
    EXPECT_EQ(label.GetBounds().right, 290);
    EXPECT_EQ(label.GetBounds().bottom - label.GetBounds().top, longer.cy);
}

TEST_F(Controls, ProgressBarMarksItsShareOfTheInnerRectangle)
{
    ProgressBar bar;
    bar.Attach(&window_.Root());
    bar.SetSize(104, 12);  // inner width 100
    bar.SetMargins(10, 10, 0, 0);
    bar.Layout();
    const COLORREF mark = RGB(171, 209, 236), white = RGB(255, 255, 255);
    struct Case {
        int value, lastMarked;
    };
    for (Case c : {Case{0, -1}, Case{37, 36}, Case{100, 99}, Case{250, 99}, Case{-5, -1}}) {
        bar.SetValue(c.value);
        window_.PaintNow();
        HDC dc = window_.Host().Buffer().DC();
        EXPECT_EQ(::GetPixel(dc, 10, 10), mark) << "frame at " << c.value;
        for (int i = 0; i < 100; ++i)
            ASSERT_EQ(::GetPixel(dc, 12 + i, 15), i <= c.lastMarked ? mark : white) << c.value << "% at " << i;
    }
}

TEST_F(Controls, TheHostEndsAPressWhenAnotherWindowTakesTheMouse)
{
    Button button;
    Clicks clicks;
    PlaceButton(button, window_, L"", clicks);
    Send(WM_LBUTTONDOWN, 20, 20);
    ASSERT_EQ(window_.Host().CaptureControl(), &button);
    EXPECT_EQ(::GetCapture(), window_.Handle());

    HostWindow other(50, 50);
    ::SetCapture(other.Handle());
    EXPECT_EQ(window_.Host().CaptureControl(), nullptr);
    EXPECT_EQ(button.GetStateBits() & StatePressed, 0);
    ::ReleaseCapture();
    Send(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(clicks.count, 0);
}

TEST_F(Controls, InvalidatingWithoutAWindowIsHarmless)
{
    Button detached;
    detached.SetVisible(0);
    detached.SetDisabled(1);
    detached.Invalidate();
    RECT none;
    detached.GetContainerRect(&none);
    EXPECT_TRUE(::IsRectEmpty(&none));
}

TEST(ControlTree, ControlsAndTheirContainerMayGoInEitherOrder)
{
    {
        HostWindow window(100, 50);
        { Button early; early.Create(&window.Root(), L""); }
        EXPECT_TRUE(window.Root().Children().empty());
    }  // the window's destruction reaches no destroyed child
    auto root = std::make_unique<ControlBase>();
    Button late;
    late.Attach(root.get());
    root.reset();
    EXPECT_EQ(late.Owner(), nullptr);
}

}  // namespace
