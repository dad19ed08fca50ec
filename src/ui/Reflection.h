#pragma once
// Notification reflection. A reflecting parent sends a child's own notifications (command,
// notify, owner-draw, scroll and colour messages) back to the child, with the message number
// raised by kReflectOffset, so a wrapped native control can handle what it reports itself.
// The upload panel reflects; forms and the list view do not.
#include <windows.h>

namespace Korvel::UI {

// The classic offset, so reflected numbers match what other hosts of such controls send.
constexpr UINT kReflectOffset = WM_USER + 0x1C00;

constexpr UINT Reflected(UINT message) { return message + kReflectOffset; }

// Called first by a reflecting parent's window procedure. When the message is a notification
// from one of its child windows, sends it to that child and gives the child's answer.
bool ReflectNotification(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// For a child's reflected messages that it does not handle itself: the answer the parent
// would have given without reflection (a colour message then gets the default colours).
bool DefaultReflectionHandler(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

}  // namespace Korvel::UI
