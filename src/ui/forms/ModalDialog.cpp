#include "ui/forms/ModalDialog.h"

#include <cstdint>
#include <cstring>

#include "platform/Module.h"

namespace Korvel::UI {

namespace {

// An extended dialog template: pop-up with a system menu, "MS Shell Dlg" 8 pt, no caption,
// border or controls, 309 x 177 units. Every dialog sizes itself in pixels when it starts.
struct BlankTemplate {
    alignas(4) std::uint16_t words[64] = {};
    BlankTemplate()
    {
        std::uint16_t* w = words;
        *w++ = 1;       // version
        *w++ = 0xFFFF;  // extended
        const DWORD helpId = 0, exStyle = 0, style = WS_POPUP | WS_SYSMENU | DS_SETFONT;
        std::memcpy(w, &helpId, 4), w += 2;
        std::memcpy(w, &exStyle, 4), w += 2;
        std::memcpy(w, &style, 4), w += 2;
        *w++ = 0;  // controls
        *w++ = 0;  // x
        *w++ = 0;  // y
        *w++ = 309;
        *w++ = 177;
        *w++ = 0;  // no menu
        *w++ = 0;  // the standard dialog class
        *w++ = 0;  // no title
        *w++ = 8;  // points
        *w++ = 400;  // weight
        *w++ = 1 << 8;  // not italic; character set 1
        for (const wchar_t* face = L"MS Shell Dlg"; *face; ++face) *w++ = static_cast<std::uint16_t>(*face);
        *w++ = 0;
    }
};

}  // namespace

INT_PTR ModalDialog::ShowModal(HWND parent)
{
    static const BlankTemplate blank;
    return ::DialogBoxIndirectParamW(ThisModule(), reinterpret_cast<const DLGTEMPLATE*>(blank.words), parent,
                                     &ModalDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

ModalDialog* ModalDialog::FromHandle(HWND window)
{
    if (!window || ::GetWindowLongPtrW(window, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&ModalDialog::DialogProc))
        return nullptr;
    return reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
}

void ModalDialog::EndDialog(INT_PTR result)
{
    if (dialog_) ::EndDialog(dialog_, result);
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<ModalDialog*>(lParam);
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        self->dialog_ = dialog;
    }
    auto* self = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    LRESULT result = 0;
    const bool handled = self->ProcessMessage(message, wParam, lParam, &result);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(dialog, DWLP_USER, 0);
        self->dialog_ = nullptr;
    }
    if (!handled) return FALSE;
    if (message == WM_INITDIALOG) return result;
    ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace Korvel::UI
