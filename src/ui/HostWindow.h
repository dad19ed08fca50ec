#pragma once
// A plain top-level window whose whole client area belongs to one root control, driven by
// ControlHost. Tools and tests put controls in it; the product's own forms and panel
// have window procedures of their own and use ControlHost the same way.
#include <windows.h>

#include "ui/ControlHost.h"

namespace Korvel::UI {

class HostWindow {
public:
    HostWindow(int width, int height, const wchar_t* title = L"", ControlHost::Options options = {});
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Handle() const { return wnd_; }
    ControlBase& Root() { return root_; }
    ControlHost& Host() { return host_; }
    // Lays the children out again (after they were attached) and paints synchronously.
    void Relayout();
    void PaintNow();

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

    ControlBase root_;
    ControlHost host_;
    HWND wnd_ = nullptr;
};

}  // namespace Korvel::UI
