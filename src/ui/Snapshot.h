#pragma once
// Writes what a window painted (its back buffer) to a PNG file, for people to look at.
#include <windows.h>

#include "ui/BackBuffer.h"

namespace Korvel::UI {

bool SaveBitmapPng(HBITMAP bitmap, const wchar_t* path);
// Only the given part of the bitmap.
bool SaveBitmapPng(HBITMAP bitmap, const RECT& part, const wchar_t* path);
// What the screen shows where the window is, child windows and windows above it included
// (a dialog over a panel, say), after the window has repainted itself.
bool CopyFromScreen(HWND wnd, BackBuffer& out);

}  // namespace Korvel::UI
