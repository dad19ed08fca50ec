#pragma once
// The process-wide strip of small colour-keyed icons, cut into named cells. The panel loads
// the bitmap and hands it over; every panel and dialog in the process draws from it.
#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <span>
#include <string>

#include "platform/Handle.h"
#include "platform/Threading.h"

namespace Korvel::UI {

class CombinBitmap {
public:
    struct Cell {
        const wchar_t* name;
        int x, y, width, height;
    };

    // Pixels of this colour are left out when a cell is drawn.
    static constexpr COLORREF kKeyColor = RGB(255, 0, 255);

    static CombinBitmap& Instance();
    CombinBitmap(const CombinBitmap&) = delete;
    CombinBitmap& operator=(const CombinBitmap&) = delete;

    // Not owned: whoever loaded the bitmap frees it, after setting null here.
    void SetBitmap(HBITMAP bitmap);
    HBITMAP GetBitmap() const;
    // A name already present keeps its first cell.
    void RegisterCells(std::span<const Cell> cells);

    // Unknown names, a missing bitmap and cells reaching outside the bitmap draw nothing.
    void DrawCellAt(HDC dc, const wchar_t* name, int x, int y) const;
    void DrawCellInto(HDC dc, const wchar_t* name, const RECT& rect) const;

private:
    CombinBitmap() = default;
    void Draw(HDC dc, const wchar_t* name, const RECT* into, int x, int y) const;

    // Held while drawing too: a bitmap can be selected into one memory DC at a time, and
    // the handle must not be swapped under a draw in progress.
    mutable Threading::CriticalSection lock_;
    HBITMAP bitmap_ = nullptr;
    std::map<std::wstring, RECT, std::less<>> cells_;
};

// The cells of the panel's strip (131 x 17). "Editor" lies beyond the right edge on
// purpose: it is registered but paints nothing.
extern const std::array<CombinBitmap::Cell, 11> kStripCells;

// Loads the strip from a bitmap resource, mapping the standard greys to the system's 3-D
// colours. Empty when the module has no such bitmap.
Bitmap LoadStripBitmap(HINSTANCE module, int id);

}  // namespace Korvel::UI
