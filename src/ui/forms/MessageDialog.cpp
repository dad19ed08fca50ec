#include "ui/forms/MessageDialog.h"

#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/forms/CenterOnOwner.h"
#include "ui/forms/DialogButtons.h"

using namespace Korvel::UI;

bool CMessageDialog::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = 1;
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) OnOk();
        if (LOWORD(wParam) == IDCANCEL) OnCancel();
        *result = 0;
        return true;
    default:
        return HandleMessage(DialogHandle(), message, wParam, lParam, result);
    }
}

void CMessageDialog::OnInitDialog()
{
    SetWindowHandle(DialogHandle());
    if (title_.empty()) SetTitle(L"提示消息");
    // The window's own text is never drawn (the form paints its title); it lets assistive
    // and automation tools read which message is showing.
    ::SetWindowTextW(DialogHandle(), message_.c_str());

    const DialogButton<CMessageDialog> buttons[] = {
        {ok_, kOkLook, {257, 141, 0, 0}, AnchorLeft | AnchorTop, &CMessageDialog::OnOk},
        {cancel_, kCancelLook, {318, 141, 0, 0}, AnchorLeft | AnchorTop, &CMessageDialog::OnCancel},
        {close_, kCloseLook, kCloseMargins, AnchorRight | AnchorTop, &CMessageDialog::OnCancel},
    };
    CreateDialogButtons(this, buttons);
    label_.Create(this, message_.c_str());
    label_.SetMargins(100, 72, 0, 0);
    label_.SetAnchor(AnchorLeft | AnchorTop);

    ::SetWindowPos(DialogHandle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterOnOwner(DialogHandle());
}

void CMessageDialog::PaintTitle(CPaintEventArgs& e)
{
    // Measured in the bold font it is drawn with; the narrower regular extent would clip
    // both ends of the centred bold text.
    const DefaultTheme& theme = DefaultTheme::Instance();
    const SIZE extent = MeasureText(e.dc, title_.c_str(), static_cast<int>(title_.size()), theme.BoldFont());
    DrawTextIn(e.dc, RECT{6, 6, 6 + extent.cx, 6 + extent.cy}, title_.c_str(), RGB(21, 66, 175), theme.BoldFont(),
               DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
