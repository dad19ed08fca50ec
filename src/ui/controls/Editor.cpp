#include "ui/controls/Editor.h"

#include "ui/Reflection.h"
#include "ui/controls/EditText.h"
#include "ui/controls/ThinBorder.h"

namespace Korvel::UI::Controls {

namespace {

bool ControlHeld()
{
    return ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_LCONTROL) < 0 || ::GetKeyState(VK_RCONTROL) < 0;
}

}  // namespace

Superclass& Editor::Class()
{
    static Superclass windowClass(L"EDIT", L"KorvelEditor", &Editor::WindowProc);
    return windowClass;
}

Editor::Editor() : NativeControl(Class()) {}

void Editor::Attach(ControlBase* container)
{
    DWORD style = ES_AUTOHSCROLL | ES_WANTRETURN;
    if (readOnly_) style |= ES_READONLY;
    if (digitsOnly_) style |= ES_NUMBER;
    if (password_) style |= ES_PASSWORD;
    if (multiLine_) style |= ES_MULTILINE;
    CreateAndAttach(container, style);
}

std::wstring Editor::GetText() const
{
    return WindowText(window_);
}

void Editor::SetText(const std::wstring& text)
{
    if (window_) ::SetWindowTextW(window_, text.c_str());
}

bool Editor::OnKeyDown(WPARAM key)
{
    switch (key) {
    case VK_RETURN:
        (ControlHeld() ? CtrlEnterPressed : EnterPressed).emit();
        return false;
    case VK_ESCAPE:
        EscapePressed.emit();
        return false;
    case VK_UP:
        UpPressed.emit();
        return true;
    case VK_DOWN:
        DownPressed.emit();
        return true;
    default:
        return false;
    }
}

void Editor::OnReflectedCommand(WORD code)
{
    if (code == EN_CHANGE) TextChanged.emit();
    if (code == EN_KILLFOCUS) LostFocus.emit();
}

bool Editor::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (ThinBorderMessage(Class(), window_, message, wParam, lParam, borderColor_, result)) return true;
    *result = 0;
    switch (message) {
    case WM_SETFOCUS:
        GotFocus.emit();
        return false;
    case WM_MOUSEMOVE:
        MouseMoved.emit();
        return false;
    case WM_LBUTTONDOWN:
        LeftButtonDown.emit();
        return false;
    case WM_KEYDOWN:
        return OnKeyDown(wParam);
    case Reflected(WM_COMMAND):
        OnReflectedCommand(HIWORD(wParam));
        return true;
    case Reflected(WM_CTLCOLOREDIT):
    case Reflected(WM_CTLCOLORSTATIC):  // what a read-only or disabled edit asks
        *result = reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK Editor::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Route(Class(), wnd, message, wParam, lParam);
}

}  // namespace Korvel::UI::Controls
