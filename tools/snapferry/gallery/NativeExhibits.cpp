// The wrapped system windows: the sort combo box (closed and open), the address editor and
// a two-line tooltip, printed from their own windows.
#include "gallery/Exhibits.h"

#include "ui/BackBuffer.h"
#include "ui/Drawing.h"
#include "ui/HostWindow.h"
#include "ui/controls/ComboBox.h"
#include "ui/controls/Editor.h"
#include "ui/controls/ToolTip.h"

namespace Gallery {

using namespace Korvel::UI;
using namespace Korvel::UI::Controls;

namespace {

SIZE WindowSize(HWND wnd)
{
    RECT r;
    ::GetWindowRect(wnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// Prints windows one under the other into a buffer with a margin, and adds it to the sheet.
void PrintStacked(Sheet& sheet, std::initializer_list<HWND> windows, UINT flags, const std::wstring& caption,
                  const std::wstring& file)
{
    int width = 0, height = 0;
    for (HWND wnd : windows) {
        const SIZE s = WindowSize(wnd);
        width = std::max<int>(width, s.cx);
        height += s.cy;
    }
    BackBuffer buffer;
    buffer.Recreate(nullptr, width + 12, height + 12);
    FillSolid(buffer.DC(), RECT{0, 0, width + 12, height + 12}, RGB(255, 255, 255));
    int y = 6;
    for (HWND wnd : windows) {
        POINT old;
        ::SetViewportOrgEx(buffer.DC(), 6, y, &old);
        ::SendMessageW(wnd, flags == PRF_CLIENT ? WM_PRINTCLIENT : WM_PRINT, reinterpret_cast<WPARAM>(buffer.DC()),
                       flags);
        ::SetViewportOrgEx(buffer.DC(), old.x, old.y, nullptr);
        y += WindowSize(wnd).cy;
    }
    sheet.Add(buffer, RECT{0, 0, width + 12, height + 12}, caption, file);
}

void SortCombo(Sheet& sheet)
{
    HostWindow host(200, 120);
    ComboBox combo;
    combo.Attach(&host.Root());
    combo.SetSize(86, 70);
    combo.SetMargins(0, 4, 10, 0);
    combo.SetAnchor(AnchorTop | AnchorRight);
    combo.Layout();
    for (const wchar_t* entry : {L"默认排序", L"按文件名", L"按创建时间", L"按拍摄时间"})
        ::SendMessageW(combo.GetWindowHandle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    ::SendMessageW(combo.GetWindowHandle(), CB_SETCURSEL, 0, 0);
    const UINT all = PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN;
    PrintStacked(sheet, {combo.GetWindowHandle()}, all, L"sort combo box", L"combo-closed");

    ::SendMessageW(combo.GetWindowHandle(), CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ::GetComboBoxInfo(combo.GetWindowHandle(), &info);
    if (info.hwndList)
        PrintStacked(sheet, {combo.GetWindowHandle(), info.hwndList}, all, L"sort combo box, open", L"combo-open");
    ::SendMessageW(combo.GetWindowHandle(), CB_SHOWDROPDOWN, FALSE, 0);
    combo.Destroy();
}

void AddressEditor(Sheet& sheet)
{
    HostWindow host(320, 40);
    Editor editor;
    editor.Attach(&host.Root());
    editor.SetSize(300, 24);
    editor.SetMargins(10, 8, 0, 0);
    editor.Layout();
    editor.SetText(L"http://127.0.0.1:8080/photos/山水.jpg");
    PrintStacked(sheet, {editor.GetWindowHandle()}, PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND, L"editor",
                 L"editor");
    editor.Destroy();
}

void TwoLineTooltip(Sheet& sheet)
{
    ToolTip tip;
    tip.Create();
    tip.ShowAt(POINT{40, 40}, L"文件名称：IMG_0001.jpg\n文件大小：2.31 MB");
    PrintStacked(sheet, {tip.GetWindowHandle()}, PRF_CLIENT, L"tooltip, two lines", L"tooltip");
    tip.Destroy();
}

}  // namespace

void NativeExhibits(Sheet& sheet)
{
    SortCombo(sheet);
    AddressEditor(sheet);
    TwoLineTooltip(sheet);
    sheet.NewRow();
}

}  // namespace Gallery
