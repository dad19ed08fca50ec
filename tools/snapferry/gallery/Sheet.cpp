#include "gallery/Sheet.h"

#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/Snapshot.h"

namespace Gallery {

using namespace Korvel::UI;

namespace {
constexpr int kGap = 14, kCaption = 16;
}

Sheet::Sheet(std::wstring dir, std::wstring name, int width, int height)
    : dir_(std::move(dir)), name_(std::move(name))
{
    canvas_.Recreate(nullptr, width, height);
    FillSolid(canvas_.DC(), RECT{0, 0, width, height}, RGB(236, 239, 243));
}

void Sheet::Add(const BackBuffer& from, const RECT& part, const std::wstring& caption, const std::wstring& file)
{
    const int w = part.right - part.left, h = part.bottom - part.top;
    if (x_ > 10 && x_ + w > canvas_.Size().cx - 10) NewRow();
    ::BitBlt(canvas_.DC(), x_, y_, w, h, from.DC(), part.left, part.top, SRCCOPY);
    const DefaultTheme& theme = DefaultTheme::Instance();
    DrawTextIn(canvas_.DC(), RECT{x_, y_ + h + 2, x_ + std::max(w, 90), y_ + h + kCaption}, caption.c_str(),
               RGB(90, 90, 90), theme.NormalFont(), DT_LEFT | DT_TOP | DT_SINGLELINE);
    if (!SaveBitmapPng(from.Bitmap(), part, (dir_ + L"\\" + file + L".png").c_str())) ++failures_;
    x_ += std::max(w, 90) + kGap;
    rowHeight_ = std::max(rowHeight_, h + kCaption);
}

void Sheet::AddWindow(HWND wnd, const std::wstring& caption, const std::wstring& file)
{
    BackBuffer copy;
    if (!CopyFromScreen(wnd, copy)) {
        ++failures_;
        return;
    }
    RECT r;
    ::GetWindowRect(wnd, &r);
    Add(copy, RECT{0, 0, r.right - r.left, r.bottom - r.top}, caption, file);
}

void Sheet::NewRow()
{
    x_ = 10;
    y_ += rowHeight_ + kGap;
    rowHeight_ = 0;
}

bool Sheet::Save() const
{
    const RECT used{0, 0, canvas_.Size().cx, std::min<LONG>(canvas_.Size().cy, y_ + rowHeight_ + 10)};
    return SaveBitmapPng(canvas_.Bitmap(), used, (dir_ + L"\\" + name_ + L".png").c_str());
}

}  // namespace Gallery
