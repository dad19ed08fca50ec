#include "ui/CombinBitmap.h"

#include <cstdlib>
#include <new>
#include <string_view>

#include "ui/Drawing.h"

namespace Korvel::UI {

using Lock = Threading::CriticalSection::Lock;

const std::array<CombinBitmap::Cell, 11> kStripCells{{
    {L"LeftCirc", 1, 1, 14, 14},
    {L"RightCirc", 17, 1, 14, 14},
    {L"Del", 33, 1, 13, 14},
    {L"Search", 49, 1, 15, 15},
    {L"Check", 64, 0, 16, 16},
    {L"ScrollUp", 80, 0, 17, 17},
    {L"ScrollDown", 97, 0, 17, 17},
    {L"SliderUp", 114, 0, 17, 4},
    {L"SliderMid", 114, 4, 17, 1},
    {L"SliderDown", 114, 5, 17, 5},
    {L"Editor", 131, 0, 16, 17},
}};

Bitmap LoadStripBitmap(HINSTANCE module, int id)
{
    return Bitmap(static_cast<HBITMAP>(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0,
                                                    LR_LOADMAP3DCOLORS | LR_CREATEDIBSECTION)));
}

CombinBitmap& CombinBitmap::Instance()
{
    static CombinBitmap* instance = new CombinBitmap;
    return *instance;
}

void CombinBitmap::SetBitmap(HBITMAP bitmap)
{
    Lock lock(lock_);
    bitmap_ = bitmap;
}

HBITMAP CombinBitmap::GetBitmap() const
{
    Lock lock(lock_);
    return bitmap_;
}

void CombinBitmap::RegisterCells(std::span<const Cell> cells)
{
    Lock lock(lock_);
    try {
        for (const Cell& cell : cells) {
            if (cell.name)
                cells_.try_emplace(cell.name, RECT{cell.x, cell.y, cell.x + cell.width, cell.y + cell.height});
        }
    } catch (const std::bad_alloc&) {
        // The cells registered so far stay; the rest simply draw nothing.
    }
}

void CombinBitmap::DrawCellAt(HDC dc, const wchar_t* name, int x, int y) const
{
    Draw(dc, name, nullptr, x, y);
}

void CombinBitmap::DrawCellInto(HDC dc, const wchar_t* name, const RECT& rect) const
{
    Draw(dc, name, &rect, 0, 0);
}

void CombinBitmap::Draw(HDC dc, const wchar_t* name, const RECT* into, int x, int y) const
{
    if (!dc || !name) return;
    Lock lock(lock_);
    if (!bitmap_) return;
    const auto found = cells_.find(std::wstring_view(name));
    if (found == cells_.end()) return;
    const RECT& cell = found->second;
    // TransparentBlt does not reliably refuse a source reaching past the bitmap (under Wine
    // those pixels come out black), so a cell that does not lie wholly inside paints nothing.
    BITMAP info{};
    if (!::GetObjectW(bitmap_, sizeof info, &info)) return;
    if (cell.left < 0 || cell.top < 0 || cell.right > info.bmWidth || cell.bottom > std::abs(info.bmHeight) ||
        cell.right <= cell.left || cell.bottom <= cell.top)
        return;
    const RECT dest = into ? *into : RECT{x, y, x + (cell.right - cell.left), y + (cell.bottom - cell.top)};
    if (dest.right <= dest.left || dest.bottom <= dest.top) return;
    BlitKeyed(dc, dest, bitmap_, cell, kKeyColor);
}

}  // namespace Korvel::UI
