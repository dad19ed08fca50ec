#include "ui/WindowClass.h"

#include "platform/Module.h"

namespace Korvel::UI {

bool RegisterWindowClassOnce(const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExW(ThisModule(), name, &wc)) return true;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = ThisModule();
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    // Another thread may have registered it in the meantime.
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace Korvel::UI
