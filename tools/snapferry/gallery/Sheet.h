#pragma once
// A contact sheet: pictures of windows pasted on a grid with a caption under each, written
// to one PNG; each picture is also written to a PNG of its own.
#include <windows.h>

#include <string>

#include "platform/Handle.h"
#include "ui/BackBuffer.h"

namespace Gallery {

class Sheet {
public:
    Sheet(std::wstring dir, std::wstring name, int width, int height);

    // Copies part of a back buffer to the next free place (left to right, then a new row),
    // captions it, and writes the part alone as DIR/file.png.
    void Add(const Korvel::UI::BackBuffer& from, const RECT& part, const std::wstring& caption,
             const std::wstring& file);
    // What a window shows now, frame and child windows included, copied from the screen.
    void AddWindow(HWND wnd, const std::wstring& caption, const std::wstring& file);
    void NewRow();
    bool Save() const;
    int Failures() const { return failures_; }

private:
    std::wstring dir_, name_;
    Korvel::UI::BackBuffer canvas_;
    int x_ = 10, y_ = 10, rowHeight_ = 0;
    int failures_ = 0;
};

}  // namespace Gallery
