#pragma once
// What a visitor does to the plug-in in its page: photos of the test's making dropped on
// the plug-in's window through the drop target it registered there, and the post button
// pressed.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/CxImage.h"
#include "support/DataObjects.h"
#include "support/TempDir.h"

namespace test {

inline std::wstring MakePhoto(const TempDir& dir, const std::wstring& name)
{
    CxImage image;
    image.Create(64, 48, 24, CXIMAGE_FORMAT_JPG);
    for (unsigned y = 0; y < 48; ++y)
        for (unsigned x = 0; x < 64; ++x)
            image.SetPixelColor(x, y, RGBQ{std::uint8_t(x * 4), std::uint8_t(y * 5), 90, 255});
    const std::wstring path = dir.File(name);
    image.Save(path.c_str(), CXIMAGE_FORMAT_JPG);
    return path;
}

inline void DropFiles(HWND wnd, const std::vector<std::wstring>& paths)
{
    auto* target = static_cast<IDropTarget*>(::GetPropW(wnd, L"OleDropTargetInterface"));
    ASSERT_NE(target, nullptr) << "no drop target on the plug-in's window";
    Korvel::ComPtr<IDataObject> data = OneFormat(CF_HDROP, FileListBytes(paths));
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(data.Get(), MK_LBUTTON, POINTL{300, 200}, &effect);
    effect = DROPEFFECT_COPY;
    target->Drop(data.Get(), 0, POINTL{300, 200}, &effect);
}

// The post button is the third of the tool bar (84 x 24 at 182, 4).
inline void ClickPost(HWND wnd)
{
    const LPARAM at = MAKELPARAM(224, 16);
    ::SendMessageW(wnd, WM_MOUSEMOVE, 0, at);
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(wnd, WM_LBUTTONUP, 0, at);
}

}  // namespace test
