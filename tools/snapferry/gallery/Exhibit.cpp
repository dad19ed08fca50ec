#include "gallery/Exhibit.h"

#include "ui/Drawing.h"

namespace Gallery {

using namespace Korvel::UI;

Exhibit::Exhibit(int width, int height, COLORREF background)
    : window_(std::make_unique<HostWindow>(width, height))
{
    window_->Host().paintBackground = [background](HDC dc, const RECT& client) { FillSolid(dc, client, background); };
}

void Exhibit::Place(ControlBase& control, int x, int y, int width, int height)
{
    control.SetSize(width, height);
    control.SetMargins(x, y, 0, 0);
    control.SetAnchor(AnchorLeft | AnchorTop);
    control.Layout();
}

void Exhibit::Send(UINT message, const ControlBase& control)
{
    const RECT& b = control.GetBounds();
    ::SendMessageW(window_->Handle(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                   MAKELPARAM((b.left + b.right) / 2, (b.top + b.bottom) / 2));
}

void Exhibit::Hover(const ControlBase& control) { Send(WM_MOUSEMOVE, control); }

void Exhibit::Press(const ControlBase& control)
{
    Hover(control);
    Send(WM_LBUTTONDOWN, control);
}

void Exhibit::Snap(Sheet& sheet, const std::wstring& caption, const std::wstring& file)
{
    window_->PaintNow();
    RECT client;
    ::GetClientRect(window_->Handle(), &client);
    sheet.Add(window_->Host().Buffer(), client, caption, file);
}

}  // namespace Gallery
