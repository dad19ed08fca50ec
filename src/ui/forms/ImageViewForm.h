#pragma once
// One item's picture at its natural size in a borderless pop-up in the middle of the
// screen. It closes at the first click or when it loses the focus, and deletes itself.
#include <windows.h>

#include <memory>

#include "image/CxImage.h"
#include "ui/sigslot.h"

class ListViewItem;

class ImageViewForm : public sigslot::has_slots<> {
public:
    // Made with new; the window's end deletes the object.
    explicit ImageViewForm(ListViewItem* item);
    bool Open();
    HWND Handle() const { return wnd_; }

private:
    ~ImageViewForm() override = default;
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    ListViewItem* item_;
    // Our own reference: the item may be deleted while the viewer is still open.
    std::shared_ptr<CxImage> image_;
    HWND wnd_ = nullptr;
    // Set once the window exists; until then a failed creation is cleaned up by Open.
    bool open_ = false;
};
