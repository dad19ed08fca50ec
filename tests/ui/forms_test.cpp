// Dialogs run modally on the test's thread, driven by real messages from inside their loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "image/CxImage.h"
#include "support/DialogDriver.h"
#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/HostWindow.h"
#include "ui/ImageLister.h"
#include "ui/forms/CenterOnOwner.h"
#include "ui/forms/MessageDialog.h"

namespace {

using namespace Korvel::UI;
using test::DialogDriver;

void Click(HWND wnd, int x, int y)
{
    ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

RECT WindowRect(HWND wnd)
{
    RECT r;
    ::GetWindowRect(wnd, &r);
    return r;
}

TEST(MessageDialog, EndsWithZeroOnlyWhenTheUserConfirms)
{
    struct Case {
        const char* name;
        void (*act)(HWND);
        INT_PTR expected;
    };
    const Case cases[] = {
        {"Enter", [](HWND d) { ::PostMessageW(d, WM_KEYDOWN, VK_RETURN, 0); }, 0},
        {"Esc", [](HWND d) { ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0); }, 1},
        {"OK button", [](HWND d) { Click(d, 280, 150); }, 0},
        {"Cancel button", [](HWND d) { Click(d, 340, 150); }, 1},
        {"close button", [](HWND d) { Click(d, 370, 12); }, 1},
        {"system close", [](HWND d) { ::PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, 1},
    };
    for (const Case& c : cases) {
        CMessageDialog dialog;
        dialog.SetMessage(L"上传列表为空，请选择文件");
        DialogDriver driver(c.act);
        EXPECT_EQ(dialog.ShowModal(nullptr), c.expected) << c.name;
    }
}

TEST(MessageDialog, HasItsSizeTitleAndLayout)
{
    CMessageDialog untitled;
    RECT size{}, label{};
    COLORREF frame = 0, band = 0, body = 0;
    DialogDriver driver([&](HWND d) {
        size = WindowRect(d);
        ::UpdateWindow(d);
        HDC dc = untitled.Buffer().DC();
        frame = ::GetPixel(dc, 0, 100);
        band = ::GetPixel(dc, 20, 160);
        body = ::GetPixel(dc, 20, 100);
        label = untitled.Children().back()->GetBounds();
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(untitled.ShowModal(nullptr), 1);
    EXPECT_EQ(size.right - size.left, 384);
    EXPECT_EQ(size.bottom - size.top, 174);
    EXPECT_EQ(untitled.Title(), L"提示消息");
    EXPECT_EQ(frame, RGB(216, 216, 216));
    EXPECT_EQ(band, RGB(243, 243, 243));
    EXPECT_EQ(body, RGB(255, 255, 255));
    EXPECT_EQ(label.left, 100);
    EXPECT_EQ(label.top, 72);

    CMessageDialog titled;
    titled.SetMessage(Messages::kCancelUpload);
    DialogDriver again([](HWND d) { ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0); });
    titled.ShowModal(nullptr);
    EXPECT_EQ(titled.Title(), L"取消上传");
}

TEST(MessageDialog, DraggingTheTitleMovesItButPressingAButtonDoesNot)
{
    CMessageDialog dialog;
    RECT before{}, afterDrag{}, afterButton{};
    bool draggingAfterRelease = true;
    DialogDriver driver([&](HWND d) {
        before = WindowRect(d);
        ::SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 15));
        ::SendMessageW(d, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 35));
        // Released far outside the dialog: the drag still ends.
        ::SendMessageW(d, WM_LBUTTONUP, 0, MAKELPARAM(-500, -500));
        draggingAfterRelease = dialog.IsDragging();
        afterDrag = WindowRect(d);
        ::SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(280, 150));
        ::SendMessageW(d, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(320, 100));
        afterButton = WindowRect(d);
        ::SendMessageW(d, WM_LBUTTONUP, 0, MAKELPARAM(320, 100));  // outside OK: no click
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(dialog.ShowModal(nullptr), 1);
    EXPECT_EQ(afterDrag.left - before.left, 30);
    EXPECT_EQ(afterDrag.top - before.top, 20);
    EXPECT_FALSE(draggingAfterRelease);
    EXPECT_TRUE(::EqualRect(&afterDrag, &afterButton));
}

TEST(MessageDialog, ResizingRebuildsTheBackBuffer)
{
    CMessageDialog dialog;
    SIZE first{}, second{};
    DialogDriver driver([&](HWND d) {
        first = dialog.Buffer().Size();
        ::SetWindowPos(d, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
        second = dialog.Buffer().Size();
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    dialog.ShowModal(nullptr);
    EXPECT_EQ(first.cx, 384);
    EXPECT_EQ(second.cx, 500);
    EXPECT_EQ(second.cy, 300);
}

RECT WorkArea(HWND window)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

TEST(CenterOnOwner, CentresOverTheOwnerOrTheWorkAreaAndStaysInside)
{
    HostWindow owner(200, 100);
    ::SetWindowPos(owner.Handle(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const RECT area = WorkArea(owner.Handle());

    CMessageDialog over;
    RECT placed{};
    DialogDriver driver([&](HWND d) {
        placed = WindowRect(d);
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    over.ShowModal(owner.Handle());
    EXPECT_EQ(placed.left, 400 - 384 / 2);
    EXPECT_EQ(placed.top, 250 - 174 / 2);

    // Minimised owner: the middle of the work area. Checked on a window of our own right
    // after minimising, because under load Wine may restore the owner while a dialog starts.
    HostWindow middle(384, 174);
    ::ShowWindow(owner.Handle(), SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(owner.Handle()));
    CenterOnOwner(middle.Handle(), owner.Handle());
    placed = WindowRect(middle.Handle());
    EXPECT_EQ(placed.left, (area.left + area.right) / 2 - 384 / 2);
    EXPECT_EQ(placed.top, (area.top + area.bottom) / 2 - 174 / 2);
    ::ShowWindow(owner.Handle(), SW_RESTORE);

    // Near the bottom-right corner: pushed back inside; larger than the area: top-left kept.
    HostWindow corner(100, 100);
    ::SetWindowPos(corner.Handle(), nullptr, area.right - 50, area.bottom - 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HostWindow dialogLike(300, 200);
    CenterOnOwner(dialogLike.Handle(), corner.Handle());
    RECT r = WindowRect(dialogLike.Handle());
    EXPECT_EQ(r.right, area.right);
    EXPECT_EQ(r.bottom, area.bottom);

    HostWindow huge(area.right - area.left + 400, 100);
    CenterOnOwner(huge.Handle(), corner.Handle());
    r = WindowRect(huge.Handle());
    EXPECT_EQ(r.left, area.left);
}

}  // namespace
