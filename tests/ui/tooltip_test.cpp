// The tooltip through its real window and real timers, pumped with a deadline. The cursor is
// parked away from every window of the test, so only the messages the test sends arrive.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/Canvas.h"
#include "support/MessagePump.h"
#include "ui/Drawing.h"
#include "ui/HostWindow.h"
#include "ui/controls/ToolTip.h"

namespace {

using namespace Korvel::UI;
using namespace Korvel::UI::Controls;
using Lines = std::vector<std::wstring>;

const POINT kCursor{1000, 700};
// Generous against a loaded machine; every wait ends as soon as its condition holds.
const DWORD kDeadline = 3000;
// Timers are not early, but the tick counter is coarse.
const ULONGLONG kSlack = 20;

TEST(ToolTipLines, BreaksAtNewlinesWithoutEmptyLines)
{
    struct Case {
        const wchar_t* text;
        Lines lines;
    };
    const Case cases[] = {
        {L"删除", {L"删除"}},
        {L"a\nb", {L"a", L"b"}},
        {L"a\n\n\nb", {L"a", L"b"}},
        {L"\na\n", {L"a"}},
        {L"\n\n", {}},
        {L"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitToolTipLines(c.text), c.lines) << "text of " << wcslen(c.text);
}

class ToolTipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::SetCursorPos(kCursor.x, kCursor.y);
        ASSERT_TRUE(tip_.Create());
    }
    void MoveTo(POINT hover)
    {
        tip_.SetHoverPoint(hover);
        MSG msg{owner_.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(hover.x, hover.y), 0, {}};
        tip_.Relay(msg);
    }
    void Leave()
    {
        MSG msg{owner_.Handle(), WM_MOUSELEAVE, 0, 0, 0, {}};
        tip_.Relay(msg);
    }
    bool Visible() const { return ::IsWindowVisible(tip_.GetWindowHandle()) != FALSE; }
    // Waits for the tip to become shown (or hidden), giving the time it took.
    ULONGLONG WaitShown(bool shown)
    {
        test::Stopwatch watch;
        EXPECT_TRUE(test::PumpUntil([&] { return Visible() == shown && tip_.IsShown() == shown; }, kDeadline))
            << (shown ? "never shown" : "never hidden");
        return watch.Elapsed();
    }
    SIZE Measure(const std::wstring& line)
    {
        Korvel::WindowDC dc(nullptr);
        return MeasureText(dc.Get(), line.c_str(), static_cast<int>(line.size()), tip_.GetFont());
    }

    HostWindow owner_{300, 200};
    ToolTip tip_;
};

TEST_F(ToolTipTest, IsAHiddenNonActivatingPopUp)
{
    const HWND wnd = tip_.GetWindowHandle();
    EXPECT_FALSE(::IsWindowVisible(wnd));
    EXPECT_EQ(::GetWindow(wnd, GW_OWNER), nullptr);
    EXPECT_TRUE(::GetWindowLongW(wnd, GWL_STYLE) & WS_POPUP);
    const LONG ex = ::GetWindowLongW(wnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
}

TEST_F(ToolTipTest, SizeComesFromTheLineWithMostCharacters)
{
    struct Case {
        std::wstring text;
        std::wstring measured;  // the line the width is taken from
        int lines;
    };
    const Case cases[] = {
        {L"删除", L"删除", 1},
        // Most characters, not most pixels: seven narrow letters beat six wide ones.
        {L"WWWWWW\niiiiiii", L"iiiiiii", 2},
        // Equally long: the first.
        {L"iiii\nWWWW\n\n", L"iiii", 2},
        {L"文件名称：海边.jpg\n文件大小：1.2 MB\n图片宽度：800px\n图片高度：600px", L"文件名称：海边.jpg", 4},
    };
    for (const Case& c : cases) {
        tip_.ClearTools();
        tip_.AddTool(owner_.Handle(), RECT{0, 0, 10, 10}, c.text);
        const SIZE line = Measure(c.measured);
        ASSERT_GT(line.cy, 0);
        EXPECT_EQ(tip_.TextSize().cx, line.cx) << c.lines;
        EXPECT_EQ(tip_.TextSize().cy, line.cy) << c.lines;
        const SIZE expected{line.cx + 4 + 4 + 2, 5 + 6 + line.cy * c.lines + 2 * (c.lines - 1) + 2};
        EXPECT_EQ(tip_.WindowSize().cx, expected.cx) << c.lines;
        EXPECT_EQ(tip_.WindowSize().cy, expected.cy) << c.lines;
        RECT window;
        ::GetWindowRect(tip_.GetWindowHandle(), &window);
        EXPECT_EQ(window.right - window.left, expected.cx) << c.lines;
        EXPECT_EQ(window.bottom - window.top, expected.cy) << c.lines;
    }
}

TEST_F(ToolTipTest, ShowsAfterTheDelayBelowTheCursorAndMovesBetweenTools)
{
    tip_.AddTool(owner_.Handle(), RECT{0, 0, 50, 50}, L"删除");
    tip_.AddTool(owner_.Handle(), RECT{60, 0, 110, 50}, L"向左旋转\n\n第二行");

    MoveTo({10, 10});
    EXPECT_FALSE(Visible());
    EXPECT_EQ(tip_.CurrentTool(), 0);
    EXPECT_GE(WaitShown(true) + kSlack, ToolTip::kShowDelay);
    EXPECT_EQ(tip_.Lines(), (Lines{L"删除"}));
    RECT window;
    ::GetWindowRect(tip_.GetWindowHandle(), &window);
    EXPECT_EQ(window.left, kCursor.x);
    EXPECT_EQ(window.top, kCursor.y + ::GetSystemMetrics(SM_CYCURSOR) - 11);
    EXPECT_EQ(window.right - window.left, tip_.WindowSize().cx);
    EXPECT_TRUE(::GetWindowLongW(tip_.GetWindowHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(::GetActiveWindow(), tip_.GetWindowHandle());

    // Moving inside the same tool changes nothing.
    MoveTo({20, 20});
    EXPECT_TRUE(Visible());

    // Another tool: hidden at once, back with its own text after the delay.
    MoveTo({70, 10});
    EXPECT_FALSE(Visible());
    EXPECT_GE(WaitShown(true) + kSlack, ToolTip::kShowDelay);
    EXPECT_EQ(tip_.Lines(), (Lines{L"向左旋转", L"第二行"}));
    EXPECT_EQ(tip_.CurrentTool(), 1);

    // Off every tool: gone after the shorter delay.
    MoveTo({200, 150});
    EXPECT_TRUE(Visible());
    EXPECT_GE(WaitShown(false) + kSlack, ToolTip::kHideDelay);

    // And back onto the tool it last showed: it shows again.
    MoveTo({70, 10});
    WaitShown(true);
    EXPECT_EQ(tip_.Lines(), (Lines{L"向左旋转", L"第二行"}));
}

TEST_F(ToolTipTest, LeavingEveryToolBeforeTheDelayShowsNothing)
{
    tip_.AddTool(owner_.Handle(), RECT{0, 0, 50, 50}, L"删除");
    MoveTo({10, 10});
    tip_.SetHoverPoint({200, 150});
    test::PumpFor(ToolTip::kShowDelay + 150);
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(tip_.IsShown());
    // The tool is fresh again for the next visit.
    MoveTo({10, 10});
    WaitShown(true);

    // A tool with nothing to say shows no empty box.
    tip_.ClearTools();
    tip_.AddTool(owner_.Handle(), RECT{100, 0, 150, 50}, L"\n");
    MoveTo({200, 150});
    WaitShown(false);
    MoveTo({110, 10});
    test::PumpFor(ToolTip::kShowDelay + 150);
    EXPECT_FALSE(Visible());
}

TEST_F(ToolTipTest, LeavingTheOwnerHidesIt)
{
    tip_.AddTool(owner_.Handle(), RECT{0, 0, 50, 50}, L"删除");
    MoveTo({10, 10});
    WaitShown(true);
    // The pointer is on neither window, so the tip learns at once that it is not over it
    // and goes after the delay for leaving the tip.
    Leave();
    EXPECT_TRUE(Visible());
    EXPECT_GE(WaitShown(false) + kSlack, ToolTip::kLeftTipDelay);
}

TEST_F(ToolTipTest, StaysWhileThePointerIsOverIt)
{
    tip_.AddTool(owner_.Handle(), RECT{0, 0, 50, 50}, L"删除");
    MoveTo({10, 10});
    WaitShown(true);
    RECT window;
    ::GetWindowRect(tip_.GetWindowHandle(), &window);
    ::SetCursorPos(window.left + 3, window.top + 3);
    ::SendMessageW(tip_.GetWindowHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    MoveTo({200, 150});  // the owner saw the pointer leave its tools
    Leave();             // and then leave the owner, for the tip
    test::PumpFor(ToolTip::kHideDelay * 4);
    EXPECT_TRUE(Visible());

    ::SetCursorPos(kCursor.x, kCursor.y - 200);
    EXPECT_GE(WaitShown(false) + kSlack, ToolTip::kLeftTipDelay);
}

TEST_F(ToolTipTest, AMouseActivationHidesItWithoutActivating)
{
    tip_.AddTool(owner_.Handle(), RECT{0, 0, 50, 50}, L"删除");
    MoveTo({10, 10});
    WaitShown(true);
    const HWND wnd = tip_.GetWindowHandle();
    const LRESULT answer = ::SendMessageW(wnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(wnd),
                                          MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(answer, MA_NOACTIVATE);
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(tip_.IsShown());
    EXPECT_EQ(::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, 0), 0);
}

TEST_F(ToolTipTest, PaintsTheLinesInsideABorderedBox)
{
    tip_.ShowAt(kCursor, L"文件名称：海边.jpg\n文件大小：1.2 MB");
    EXPECT_TRUE(Visible());
    const SIZE size = tip_.WindowSize();
    test::Canvas canvas(size.cx, size.cy);
    ::SendMessageW(tip_.GetWindowHandle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);

    const COLORREF black = RGB(0, 0, 0), back = RGB(254, 254, 225);
    for (POINT p : {POINT{0, 0}, POINT{size.cx - 1, 0}, POINT{0, size.cy - 1}, POINT{size.cx - 1, size.cy - 1}})
        EXPECT_EQ(canvas.At(p.x, p.y), black) << p.x << "," << p.y;
    // Dark text pixels in each line's band, none in the insets.
    const int lineHeight = tip_.TextSize().cy;
    auto darkIn = [&](int top, int bottom, int left, int right) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += GetRValue(canvas.At(x, y)) < 128;
        return n;
    };
    EXPECT_GT(darkIn(5, 5 + lineHeight, 4, size.cx - 4), 10);
    EXPECT_GT(darkIn(5 + lineHeight + 2, 5 + 2 * lineHeight + 2, 4, size.cx - 4), 10);
    EXPECT_EQ(darkIn(1, 5, 1, size.cx - 1), 0);
    EXPECT_EQ(darkIn(1, size.cy - 1, 1, 4), 0);
    EXPECT_EQ(canvas.At(2, 2), back);
}

}  // namespace
