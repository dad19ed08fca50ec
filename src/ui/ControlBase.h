#pragma once
// The owner-drawn control: a place in its host window, anchoring, visibility, enabled and
// hover/pressed state, and the events its host fans out to it and its children.
#include <windows.h>

#include <vector>

#include "ui/EventArgs.h"
#include "ui/Layout.h"

namespace Korvel::UI {

enum ControlState : int {
    StateHover = 1,
    StatePressed = 4,
};

class ControlBase {
public:
    ControlBase() = default;
    ControlBase(const ControlBase&) = delete;
    ControlBase& operator=(const ControlBase&) = delete;

    // Children are the host's members, not ours: only the list goes. Either side going
    // first unlinks it from the other, so no event ever reaches a destroyed control.
    virtual ~ControlBase();
    virtual HWND GetWindowHandle() const { return window_; }
    virtual void SetVisible(int visible);
    virtual void SetDisabled(int disabled);
    virtual void GetContainerRect(RECT* rect) const;
    virtual void Attach(ControlBase* container);
    virtual void OnPaint(CPaintEventArgs& e);
    virtual void OnMouseDown(CMouseEventArgs& e);
    virtual void OnMouseUp(CMouseEventArgs& e);
    virtual void OnMouseMove(CMouseEventArgs& e);
    virtual void OnMouseLeave();
    virtual void OnContainerSized();
    virtual void Layout();
    virtual void Destroy();

    void AddChild(ControlBase* child) { children_.push_back(child); }
    // Lets go of every child (they stay alive), so the control can be composed again.
    void DetachChildren();
    // For roots and windowed controls, which are not attached to a container's window.
    void SetWindowHandle(HWND window) { window_ = window; }
    void SetSize(int width, int height);
    void SetMargins(int left, int top, int right, int bottom);
    void SetAnchor(int anchors) { anchors_ = anchors; }
    // Repaints our bounds from the host's buffer on its next paint; the background is not erased.
    void Invalidate() const;
    const RECT& GetBounds() const { return bounds_; }
    void SetBounds(const RECT& bounds) { bounds_ = bounds; }

    int IsVisible() const { return visible_; }
    int IsDisabled() const { return disabled_; }
    int GetStateBits() const { return state_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    ControlBase* Owner() const { return owner_; }
    const std::vector<ControlBase*>& Children() const { return children_; }

protected:
    bool Contains(POINT p) const { return ::PtInRect(&bounds_, p) != FALSE; }

    // The press-and-release gesture shared by the clickable controls.
    enum class Release { None, Inside, Outside };
    // A press inside a visible, enabled control: it takes the rest of the gesture.
    bool TakePress(CMouseEventArgs& e);
    // Hover follows the pointer on a visible control that is not pressed.
    void FollowPointer(const CMouseEventArgs& e);
    // The end of a press on a visible control: the pressed look goes, and where it ended.
    Release EndPress(const CMouseEventArgs& e);
    // The end of a button's press: true for a click; released outside, hover goes too.
    bool EndClick(const CMouseEventArgs& e);
    // Sets or clears state bits, invalidating only when something changed.
    void SetStateBits(int bits, bool on);

    int visible_ = 1;
    int disabled_ = 0;
    int anchors_ = AnchorLeft | AnchorTop;
    int state_ = 0;
    ControlBase* owner_ = nullptr;
    HWND window_ = nullptr;
    Margins margins_;
    RECT bounds_{};
    int width_ = 0;
    int height_ = 0;
    std::vector<ControlBase*> children_;
};

}  // namespace Korvel::UI
