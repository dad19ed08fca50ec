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
#include "support/PanelActions.h"
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
    DropFileList(target, paths, POINTL{300, 200});
}

inline void ClickPost(HWND wnd) { ASSERT_TRUE(PressNamed(wnd, L"post")); }

}  // namespace test
