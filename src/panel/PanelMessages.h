#pragma once
// The panel's private window messages. The three texts carry a pointer to a text (the
// build's flavour) in wParam, valid during the call.
#include <windows.h>

constexpr UINT WM_PANEL_STATUS = WM_USER + 101;     // 1125: the status line
constexpr UINT WM_PANEL_REMAINING = WM_USER + 102;  // 1126: the remaining time
constexpr UINT WM_PANEL_SPEED = WM_USER + 103;      // 1127: the speed
// Work for the window thread from the run's other threads (transfer events, preparation).
constexpr UINT WM_PANEL_RUN_EVENTS = WM_USER + 104;
// Where one of the panel's controls is, for automation (a page host's visitor, tests):
// wParam is the control's name (const wchar_t*), lParam a RECT* that receives its bounds in the
// panel window's client coordinates. Names: add, addurl, post, bigadd, selectall, rotateleft,
// rotateright, delete, sort, and photo:N or photo:N:BUTTON (N from 1; BUTTON one of delete,
// rotateleft, rotateright, view, caption). The answer is 1 when the control exists and shows.
constexpr UINT WM_PANEL_LOCATE = WM_USER + 105;
