#pragma once
// The panel's private window messages. The three texts carry a pointer to a text (the
// build's flavour) in wParam, valid during the call.
#include <windows.h>

constexpr UINT WM_PANEL_STATUS = WM_USER + 101;     // 1125: the status line
constexpr UINT WM_PANEL_REMAINING = WM_USER + 102;  // 1126: the remaining time
constexpr UINT WM_PANEL_SPEED = WM_USER + 103;      // 1127: the speed
// Work for the window thread from the run's other threads (transfer events, preparation).
constexpr UINT WM_PANEL_RUN_EVENTS = WM_USER + 104;
