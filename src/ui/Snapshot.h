#pragma once
// Writes what a window painted (its back buffer) to a PNG file, for people to look at.
#include <windows.h>

namespace Korvel::UI {

bool SaveBitmapPng(HBITMAP bitmap, const wchar_t* path);
// Only the given part of the bitmap.
bool SaveBitmapPng(HBITMAP bitmap, const RECT& part, const wchar_t* path);

}  // namespace Korvel::UI
