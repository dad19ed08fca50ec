#pragma once
// One small window holding a few controls, put into a state by real mouse messages and
// photographed from its back buffer onto a sheet.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "gallery/Sheet.h"
#include "ui/ControlBase.h"
#include "ui/HostWindow.h"

namespace Gallery {

class Exhibit {
public:
    Exhibit(int width, int height, COLORREF background = RGB(255, 255, 255));

    // Controls live as long as the exhibit and go after its window.
    template <class T>
    T& Make()
    {
        controls_.push_back(std::make_unique<T>());
        return static_cast<T&>(*controls_.back());
    }
    Korvel::UI::ControlBase& Root() { return window_->Root(); }
    HWND Handle() const { return window_->Handle(); }

    // Size and top-left margins, then the anchored place.
    static void Place(Korvel::UI::ControlBase& control, int x, int y, int width, int height);
    void Hover(const Korvel::UI::ControlBase& control);
    void Press(const Korvel::UI::ControlBase& control);
    void Snap(Sheet& sheet, const std::wstring& caption, const std::wstring& file);

private:
    void Send(UINT message, const Korvel::UI::ControlBase& control);

    std::vector<std::unique_ptr<Korvel::UI::ControlBase>> controls_;
    std::unique_ptr<Korvel::UI::HostWindow> window_;
};

// A control that paints with a function: strip cells and other bare pictures.
class Painted : public Korvel::UI::ControlBase {
public:
    std::function<void(HDC dc, const RECT& bounds)> paint;
    void OnPaint(Korvel::UI::CPaintEventArgs& e) override
    {
        if (paint) paint(e.dc, GetBounds());
    }
};

}  // namespace Gallery
