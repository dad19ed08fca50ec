// The wrapped native controls in real windows: messages go in through the windows, and what
// the controls emit, answer and paint comes out.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/Canvas.h"
#include "support/MessagePump.h"
#include "support/ReflectingParent.h"
#include "ui/HostWindow.h"
#include "ui/Reflection.h"
#include "ui/controls/ComboBox.h"
#include "ui/controls/Editor.h"
#include "ui/controls/TextEditor.h"

namespace {

using namespace Korvel::UI;
using namespace Korvel::UI::Controls;

const wchar_t* const kSortEntries[] = {L"默认排序", L"按文件名", L"按创建时间", L"按拍摄时间"};

RECT RectInParent(HWND wnd)
{
    RECT r;
    ::GetWindowRect(wnd, &r);
    ::MapWindowPoints(nullptr, ::GetParent(wnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A picture of the whole window, frame included, as the window draws it for WM_PRINT.
void PrintWindowInto(HWND wnd, const test::Canvas& canvas)
{
    ::SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
}

// Keyboard state as GetKeyState reports it to this thread.
void HoldKeys(std::initializer_list<int> keys)
{
    BYTE state[256] = {};
    for (int key : keys) state[key] = 0x80;
    ::SetKeyboardState(state);
}

struct Selections : sigslot::has_slots<> {
    std::vector<int> indexes;
    void OnSelected(int index) { indexes.push_back(index); }
};

// A combo like the panel's sort selector: 86 x 70 at the top right, margins 0, 4, 10, 0.
void AttachSortBox(ComboBox& box, HostWindow& window)
{
    box.Attach(&window.Root());
    box.SetSize(86, 70);
    box.SetMargins(0, 4, 10, 0);
    box.SetAnchor(AnchorTop | AnchorRight);
    box.Layout();
    for (const wchar_t* entry : kSortEntries)
        ::SendMessageW(box.GetWindowHandle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    ::SendMessageW(box.GetWindowHandle(), CB_SETCURSEL, 0, 0);
}

TEST(ComboBox, IsADropDownListChildThatFollowsItsAnchors)
{
    HostWindow window(300, 120);
    ComboBox box;
    AttachSortBox(box, window);
    const HWND combo = box.GetWindowHandle();
    ASSERT_NE(combo, nullptr);
    EXPECT_NE(combo, window.Handle());
    EXPECT_EQ(::GetParent(combo), window.Handle());
    EXPECT_EQ(box.Owner(), &window.Root());
    ASSERT_EQ(window.Root().Children().size(), 1u);
    EXPECT_TRUE(::IsWindowVisible(combo));
    const LONG style = ::GetWindowLongW(combo, GWL_STYLE);
    EXPECT_EQ(style & 3, CBS_DROPDOWNLIST);
    // The combo hands its scroll bar to the drop-down list, which shows it when the entries
    // do not fit.
    for (int i = 0; i < 12; ++i) ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"更多"));
    ::SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetComboBoxInfo(combo, &info));
    EXPECT_TRUE(::GetWindowLongW(info.hwndList, GWL_STYLE) & WS_VSCROLL);
    ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    for (int i = 0; i < 12; ++i) ::SendMessageW(combo, CB_DELETESTRING, 4, 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(combo, WM_GETFONT, 0, 0)), box.GetFont());
    EXPECT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);

    // It draws the chosen entry inside its frame (which is also how a picture of it is
    // taken). The text is smoothed: count the pixels it darkens.
    RECT closed;
    ::GetWindowRect(combo, &closed);
    test::Canvas picture(closed.right - closed.left, closed.bottom - closed.top);
    PrintWindowInto(combo, picture);
    int inked = 0;
    for (int y = 3; y < closed.bottom - closed.top - 3; ++y)
        for (int x = 3; x < 50; ++x) inked += GetRValue(picture.At(x, y)) < 200;
    EXPECT_GT(inked, 30);

    const RECT expected{204, 4, 290, 74};
    EXPECT_TRUE(::EqualRect(&box.GetBounds(), &expected));
    RECT placed = RectInParent(combo);
    EXPECT_EQ(placed.left, 204);
    EXPECT_EQ(placed.top, 4);
    EXPECT_EQ(placed.right, 290);

    // A real resize of the host moves the window with the right edge.
    ::SetWindowPos(window.Handle(), nullptr, 0, 0, 400, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    placed = RectInParent(combo);
    EXPECT_EQ(placed.left, 304);
    EXPECT_EQ(placed.right, 390);
    EXPECT_EQ(box.GetBounds().left, 304);

    box.Destroy();
    EXPECT_FALSE(::IsWindow(combo));
    EXPECT_EQ(box.GetWindowHandle(), nullptr);
    EXPECT_EQ(box.GetFont(), nullptr);
}

TEST(ComboBox, ReportsANewSelectionOnlyUnderAReflectingParent)
{
    for (bool reflecting : {true, false}) {
        HostWindow window(300, 120);
        test::ReflectingParent* reflect = reflecting ? new test::ReflectingParent(window.Handle()) : nullptr;
        ComboBox box;
        AttachSortBox(box, window);
        Selections seen;
        box.SelectionChanged.connect(&seen, &Selections::OnSelected);
        const HWND combo = box.GetWindowHandle();

        // A program's choice, announced the way the combo announces a user's.
        ::SendMessageW(combo, CB_SETCURSEL, 2, 0);
        ::SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
        // The user's own: the down arrow moves to the next entry and the combo notifies.
        ::SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);

        if (reflecting)
            EXPECT_EQ(seen.indexes, (std::vector<int>{2, 3}));
        else
            EXPECT_TRUE(seen.indexes.empty());
        delete reflect;
    }
}

// Every Editor signal, recorded by name in the order they arrive.
struct EditorLog : sigslot::has_slots<> {
    std::vector<std::string> names;
    explicit EditorLog(Editor& e)
    {
        e.GotFocus.connect(this, &EditorLog::OnGotFocus);
        e.MouseMoved.connect(this, &EditorLog::OnMouseMoved);
        e.LeftButtonDown.connect(this, &EditorLog::OnLeftButtonDown);
        e.LostFocus.connect(this, &EditorLog::OnLostFocus);
        e.EscapePressed.connect(this, &EditorLog::OnEscape);
        e.EnterPressed.connect(this, &EditorLog::OnEnter);
        e.CtrlEnterPressed.connect(this, &EditorLog::OnCtrlEnter);
        e.UpPressed.connect(this, &EditorLog::OnUp);
        e.DownPressed.connect(this, &EditorLog::OnDown);
        e.TextChanged.connect(this, &EditorLog::OnTextChanged);
    }
    void OnGotFocus() { names.push_back("focus"); }
    void OnMouseMoved() { names.push_back("move"); }
    void OnLeftButtonDown() { names.push_back("press"); }
    void OnLostFocus() { names.push_back("lost"); }
    void OnEscape() { names.push_back("escape"); }
    void OnEnter() { names.push_back("enter"); }
    void OnCtrlEnter() { names.push_back("ctrl+enter"); }
    void OnUp() { names.push_back("up"); }
    void OnDown() { names.push_back("down"); }
    void OnTextChanged() { names.push_back("changed"); }
    std::vector<std::string> Take() { return std::exchange(names, {}); }
};

using Names = std::vector<std::string>;

class EditorTest : public ::testing::Test {
protected:
    void Attach(Editor& editor)
    {
        editor.Attach(&window_.Root());
        editor.SetSize(181, 19);
        editor.SetMargins(68, 48, 0, 0);
        editor.Layout();
    }
    HostWindow window_{310, 150};
};

TEST_F(EditorTest, KeysEmitTheirSignalAndArrowsAreConsumed)
{
    Editor editor;
    editor.SetMultiLine(1);
    Attach(editor);
    EditorLog log(editor);
    const HWND edit = editor.GetWindowHandle();
    ::SetWindowTextW(edit, L"ab\r\ncd\r\nef");
    log.Take();

    struct Case {
        const char* name;
        std::initializer_list<int> held;
        WPARAM key;
        Names emitted;
    };
    const Case cases[] = {
        {"enter", {}, VK_RETURN, {"enter"}},
        {"control+enter", {VK_CONTROL, VK_LCONTROL}, VK_RETURN, {"ctrl+enter"}},
        {"right control+enter", {VK_RCONTROL}, VK_RETURN, {"ctrl+enter"}},
        {"escape", {}, VK_ESCAPE, {"escape"}},
        {"up", {}, VK_UP, {"up"}},
        {"down", {}, VK_DOWN, {"down"}},
        {"shift+enter is plain enter", {VK_SHIFT}, VK_RETURN, {"enter"}},
        {"other keys say nothing", {}, VK_RIGHT, {}},
    };
    for (const Case& c : cases) {
        HoldKeys(c.held);
        ::SendMessageW(edit, WM_KEYDOWN, c.key, 1);
        EXPECT_EQ(log.Take(), c.emitted) << c.name;
    }
    HoldKeys({});

    // The arrows never reach the edit: the caret stays on its line. The right arrow shows
    // that a key the edit does get moves it.
    ::SendMessageW(edit, EM_SETSEL, 4, 4);  // line 1
    ::SendMessageW(edit, WM_KEYDOWN, VK_DOWN, 1);
    ::SendMessageW(edit, WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(::SendMessageW(edit, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0), 1);
    ::SendMessageW(edit, WM_KEYDOWN, VK_RIGHT, 1);
    DWORD start = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    EXPECT_EQ(start, 5u);
}

TEST_F(EditorTest, FocusMouseAndTextSignals)
{
    for (bool reflecting : {true, false}) {
        HostWindow window(310, 150);
        test::ReflectingParent* reflect = reflecting ? new test::ReflectingParent(window.Handle()) : nullptr;
        Editor editor;
        editor.Attach(&window.Root());
        editor.SetSize(181, 19);
        editor.Layout();
        HostWindow elsewhere(50, 50);
        EditorLog log(editor);
        const HWND edit = editor.GetWindowHandle();

        ::SetFocus(edit);
        ASSERT_EQ(::GetFocus(), edit);
        ::SendMessageW(edit, WM_CHAR, L'x', 1);
        ::SendMessageW(edit, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        ::SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ::SetFocus(elsewhere.Handle());
        EXPECT_EQ(editor.GetText(), L"x");
        // Text changes and focus loss are the edit's own notifications, so they need the
        // parent to send them back.
        if (reflecting)
            EXPECT_EQ(log.Take(), (Names{"focus", "changed", "move", "press", "lost"}));
        else
            EXPECT_EQ(log.Take(), (Names{"focus", "move", "press"}));
        delete reflect;
    }
}

TEST_F(EditorTest, OptionsBecomeStylesThatTheEditHonours)
{
    struct Case {
        const char* name;
        void (Editor::*set)(int);
        LONG style;
    };
    const Case cases[] = {
        {"multi-line", &Editor::SetMultiLine, ES_MULTILINE},
        {"read-only", &Editor::SetReadOnly, ES_READONLY},
        {"password", &Editor::SetPassword, ES_PASSWORD},
        {"digits-only", &Editor::SetDigitsOnly, ES_NUMBER},
    };
    for (const Case& c : cases) {
        HostWindow window(310, 150);
        Editor editor;
        (editor.*c.set)(1);
        editor.Attach(&window.Root());
        const LONG style = ::GetWindowLongW(editor.GetWindowHandle(), GWL_STYLE);
        EXPECT_TRUE(style & c.style) << c.name;
        EXPECT_TRUE(style & ES_AUTOHSCROLL) << c.name;
        EXPECT_TRUE(style & ES_WANTRETURN) << c.name;
        for (const Case& other : cases) {
            if (other.style == c.style) continue;
            EXPECT_FALSE(style & other.style) << c.name << " has " << other.name;
        }
    }

    Editor digits, password;
    digits.SetDigitsOnly(1);
    password.SetPassword(1);
    Attach(digits);
    Attach(password);
    for (wchar_t ch : {L'4', L'a', L'2'}) ::SendMessageW(digits.GetWindowHandle(), WM_CHAR, ch, 1);
    EXPECT_EQ(digits.GetText(), L"42");
    EXPECT_NE(::SendMessageW(password.GetWindowHandle(), EM_GETPASSWORDCHAR, 0, 0), 0);
}

TEST_F(EditorTest, AOnePixelBorderInItsOwnColourAroundTheClientArea)
{
    Editor editor;
    Attach(editor);
    editor.SetText(L"http://127.0.0.1/a.jpg");
    const HWND edit = editor.GetWindowHandle();
    RECT window, client;
    ::GetWindowRect(edit, &window);
    ::GetClientRect(edit, &client);
    EXPECT_EQ(window.right - window.left, 181);
    EXPECT_EQ(client.right, 179);
    EXPECT_EQ(client.bottom, 17);
    POINT origin{0, 0};
    ::ClientToScreen(edit, &origin);
    EXPECT_EQ(origin.x, window.left + 1);
    EXPECT_EQ(origin.y, window.top + 1);

    test::Canvas canvas(181, 19);
    PrintWindowInto(edit, canvas);
    const COLORREF border = RGB(181, 184, 200);
    for (POINT p : {POINT{0, 0}, POINT{180, 0}, POINT{0, 18}, POINT{180, 18}, POINT{90, 0}, POINT{90, 18}, POINT{0, 9},
                    POINT{180, 9}})
        EXPECT_EQ(canvas.At(p.x, p.y), border) << p.x << "," << p.y;
    EXPECT_NE(canvas.At(1, 1), border);
    EXPECT_NE(canvas.At(179, 17), border);
}

TEST_F(EditorTest, ItsWindowFollowsTheControlUntilTheHostGoes)
{
    Editor editor;
    Attach(editor);
    HWND edit = editor.GetWindowHandle();
    RECT placed = RectInParent(edit);
    const RECT expected{68, 48, 249, 67};
    EXPECT_TRUE(::EqualRect(&placed, &expected));

    editor.SetVisible(0);
    EXPECT_FALSE(::IsWindowVisible(edit));
    editor.SetVisible(1);
    EXPECT_TRUE(::IsWindowVisible(edit));
    editor.SetDisabled(1);
    EXPECT_FALSE(::IsWindowEnabled(edit));
    editor.SetDisabled(0);
    EXPECT_TRUE(::IsWindowEnabled(edit));

    // The host's destruction reaches every windowed child through Destroy.
    HWND combo = nullptr;
    {
        HostWindow window(300, 120);
        ComboBox box;
        Editor other;
        box.Attach(&window.Root());
        other.Attach(&window.Root());
        combo = box.GetWindowHandle();
        edit = other.GetWindowHandle();
        ::DestroyWindow(window.Handle());
        EXPECT_FALSE(::IsWindow(combo));
        EXPECT_FALSE(::IsWindow(edit));
        EXPECT_EQ(other.GetWindowHandle(), nullptr);
    }
    // A control that goes first takes its window with it (a container of its own, so the
    // host's tree keeps no pointer to it).
    {
        ControlBase container;
        container.SetWindowHandle(window_.Handle());
        auto lone = std::make_unique<Editor>();
        lone->Attach(&container);
        edit = lone->GetWindowHandle();
        ASSERT_TRUE(::IsWindow(edit));
        lone.reset();
        EXPECT_FALSE(::IsWindow(edit));
    }
}

TEST_F(EditorTest, ColourMessagesAreAnsweredWithWhiteOnlyWhenReflected)
{
    Editor editor;
    Attach(editor);
    const HWND edit = editor.GetWindowHandle();
    test::Canvas canvas(4, 4);
    const auto ask = [&] {
        return reinterpret_cast<HGDIOBJ>(::SendMessageW(window_.Handle(), WM_CTLCOLOREDIT,
                                                        reinterpret_cast<WPARAM>(canvas.dc()), reinterpret_cast<LPARAM>(edit)));
    };
    EXPECT_NE(ask(), ::GetStockObject(WHITE_BRUSH));
    test::ReflectingParent reflect(window_.Handle());
    EXPECT_EQ(ask(), ::GetStockObject(WHITE_BRUSH));
}

TEST(TextEditor, PlaceShowsItWithOneLineCentredInsideAThinBorder)
{
    HostWindow window(300, 200);
    TextEditor editor;
    ASSERT_TRUE(editor.Create(window.Handle(), RECT{0, 0, 10, 10}));
    const HWND edit = editor.GetWindowHandle();
    EXPECT_FALSE(::IsWindowVisible(edit));
    const LONG style = ::GetWindowLongW(edit, GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & ES_AUTOHSCROLL);

    TEXTMETRICW tm{};
    {
        Korvel::WindowDC dc(edit);
        Korvel::SelectedObject font(dc.Get(), reinterpret_cast<HFONT>(::SendMessageW(edit, WM_GETFONT, 0, 0)));
        ::GetTextMetricsW(dc.Get(), &tm);
    }
    ASSERT_GT(tm.tmHeight, 0);
    for (const RECT& place : {RECT{20, 100, 140, 130}, RECT{10, 10, 200, 61}}) {
        editor.Place(place);
        EXPECT_TRUE(::IsWindowVisible(edit));
        const RECT placed = RectInParent(edit);
        EXPECT_TRUE(::EqualRect(&place, &placed));
        RECT client, text;
        ::GetClientRect(edit, &client);
        EXPECT_EQ(client.bottom, place.bottom - place.top - 2);
        ::SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
        const int inset = (client.bottom - tm.tmHeight - tm.tmExternalLeading) / 2;
        EXPECT_EQ(text.top, inset) << place.top;
        EXPECT_GE(text.left, 2);
        EXPECT_LE(text.right, client.right - 2);
    }

    editor.SetText(L"海边日落");
    test::Canvas canvas(190, 51);
    PrintWindowInto(edit, canvas);
    EXPECT_EQ(canvas.At(0, 0), RGB(100, 100, 100));
    EXPECT_EQ(canvas.At(189, 50), RGB(100, 100, 100));
    EXPECT_NE(canvas.At(1, 1), RGB(100, 100, 100));

    editor.Hide();
    EXPECT_FALSE(::IsWindowVisible(edit));
    EXPECT_EQ(editor.GetText(), L"海边日落");
}

TEST(TextEditor, AReflectedColourMessageSetsItsGreyTextOverNoBackground)
{
    HostWindow window(300, 200);
    test::ReflectingParent reflect(window.Handle());
    TextEditor editor;
    ASSERT_TRUE(editor.Create(window.Handle(), RECT{0, 0, 100, 30}));
    test::Canvas canvas(4, 4);
    const LRESULT brush = ::SendMessageW(window.Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(canvas.dc()),
                                         reinterpret_cast<LPARAM>(editor.GetWindowHandle()));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), ::GetStockObject(NULL_BRUSH));
    EXPECT_EQ(::GetTextColor(canvas.dc()), RGB(130, 130, 130));
}

TEST(Reflection, OnlyChildNotificationsGoBackAndUnansweredOnesGetTheDefault)
{
    HostWindow window(300, 120);
    HostWindow stranger(50, 50);
    test::ReflectingParent reflect(window.Handle());
    ComboBox box;
    AttachSortBox(box, window);
    Selections seen;
    box.SelectionChanged.connect(&seen, &Selections::OnSelected);
    const HWND combo = box.GetWindowHandle();
    LRESULT result = 0;

    // A menu command (no control) and a window that is not a child are left alone.
    EXPECT_FALSE(ReflectNotification(window.Handle(), WM_COMMAND, MAKEWPARAM(1, CBN_SELCHANGE), 0, &result));
    EXPECT_FALSE(ReflectNotification(window.Handle(), WM_COMMAND, MAKEWPARAM(1, CBN_SELCHANGE),
                                     reinterpret_cast<LPARAM>(stranger.Handle()), &result));
    EXPECT_FALSE(ReflectNotification(window.Handle(), WM_MOUSEMOVE, 0, reinterpret_cast<LPARAM>(combo), &result));
    EXPECT_TRUE(seen.indexes.empty());

    // A colour question the combo does not answer itself gets the system's default brush,
    // not a null one that would leave its background unpainted.
    test::Canvas canvas(4, 4);
    const LRESULT brush = ::SendMessageW(window.Handle(), WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(canvas.dc()),
                                         reinterpret_cast<LPARAM>(combo));
    EXPECT_NE(brush, 0);
}

}  // namespace
