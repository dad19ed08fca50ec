#pragma once
// How photos confirmed in the picker join an upload list: in display order, each path
// once, and never past the picker's cap of 100 photos or a non-zero PostFileLimit.
#include <windows.h>

class ListView;

// The most photos an upload list may hold after adding through the picker.
constexpr int kPickerCap = 100;

// Stops the picker's loader, then appends a copy of each checked picker photo to target
// (the copy takes over the photo's picture and gets its file's times). A photo whose exact
// path target holds already is skipped. At the cap the user sees "文件数量超过限制" over
// owner and the rest is left out. Starts target's loader when any photo was checked.
// Returns the number of photos added.
int AddCheckedPhotos(ListView& picker, ListView& target, HWND owner);
