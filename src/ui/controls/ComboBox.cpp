#include "ui/controls/ComboBox.h"

#include <commctrl.h>

#include "ui/Reflection.h"

namespace Korvel::UI::Controls {

namespace {
constexpr int kVisibleItems = 6;
}

Superclass& ComboBox::Class()
{
    static Superclass windowClass(L"COMBOBOX", L"KorvelComboBox", &ComboBox::WindowProc);
    return windowClass;
}

ComboBox::ComboBox() : NativeControl(Class()) {}

void ComboBox::Attach(ControlBase* container)
{
    CreateAndAttach(container, CBS_DROPDOWNLIST | WS_VSCROLL);
    if (window_) ::SendMessageW(window_, CB_SETMINVISIBLE, kVisibleItems, 0);
}

bool ComboBox::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result)
{
    if (message == Reflected(WM_COMMAND) && HIWORD(wParam) == CBN_SELCHANGE) {
        const int index = static_cast<int>(::SendMessageW(window_, CB_GETCURSEL, 0, 0));
        SelectionChanged.emit(index);
        *result = 0;
        return true;
    }
    return false;
}

LRESULT CALLBACK ComboBox::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Route(Class(), wnd, message, wParam, lParam);
}

}  // namespace Korvel::UI::Controls
