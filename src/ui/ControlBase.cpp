#include "ui/ControlBase.h"

#include <algorithm>

namespace Korvel::UI {

ControlBase::~ControlBase()
{
    for (ControlBase* child : children_) child->owner_ = nullptr;
    if (owner_) std::erase(owner_->children_, this);
}

void ControlBase::DetachChildren()
{
    for (ControlBase* child : children_) child->owner_ = nullptr;
    children_.clear();
}

void ControlBase::SetVisible(int visible)
{
    visible_ = visible;
    Invalidate();
}

void ControlBase::SetDisabled(int disabled)
{
    disabled_ = disabled;
    Invalidate();
}

void ControlBase::GetContainerRect(RECT* rect) const
{
    *rect = RECT{};
    if (window_) ::GetClientRect(window_, rect);
}

void ControlBase::Attach(ControlBase* container)
{
    window_ = container->GetWindowHandle();
    owner_ = container;
    container->AddChild(this);
}

void ControlBase::OnPaint(CPaintEventArgs& e)
{
    for (ControlBase* child : children_) child->OnPaint(e);
}

void ControlBase::OnMouseDown(CMouseEventArgs& e)
{
    for (ControlBase* child : children_) child->OnMouseDown(e);
}

void ControlBase::OnMouseUp(CMouseEventArgs& e)
{
    for (ControlBase* child : children_) child->OnMouseUp(e);
}

void ControlBase::OnMouseMove(CMouseEventArgs& e)
{
    for (ControlBase* child : children_) child->OnMouseMove(e);
}

void ControlBase::OnMouseLeave()
{
    SetStateBits(StateHover, false);
    for (ControlBase* child : children_) child->OnMouseLeave();
}

void ControlBase::OnContainerSized()
{
    for (ControlBase* child : children_) child->Layout();
}

void ControlBase::Layout()
{
    RECT container;
    GetContainerRect(&container);
    bounds_ = AnchoredRect(container, anchors_, width_, height_, margins_);
}

void ControlBase::Destroy()
{
    for (ControlBase* child : children_) child->Destroy();
}

void ControlBase::SetSize(int width, int height)
{
    width_ = width;
    height_ = height;
}

void ControlBase::SetMargins(int left, int top, int right, int bottom)
{
    margins_ = Margins{left, top, right, bottom};
}

void ControlBase::Invalidate() const
{
    if (window_) ::InvalidateRect(window_, &bounds_, FALSE);
}

bool ControlBase::TakePress(CMouseEventArgs& e)
{
    if (!visible_ || disabled_ || !Contains(e.point)) return false;
    e.handled = 1;
    e.target = this;
    SetStateBits(StatePressed, true);
    return true;
}

void ControlBase::FollowPointer(const CMouseEventArgs& e)
{
    if (visible_ && !(state_ & StatePressed)) SetStateBits(StateHover, Contains(e.point));
}

ControlBase::Release ControlBase::EndPress(const CMouseEventArgs& e)
{
    if (!visible_ || !(state_ & StatePressed)) return Release::None;
    SetStateBits(StatePressed, false);
    return Contains(e.point) ? Release::Inside : Release::Outside;
}

bool ControlBase::EndClick(const CMouseEventArgs& e)
{
    const Release release = EndPress(e);
    if (release == Release::Outside) SetStateBits(StateHover, false);
    return release == Release::Inside;
}

void ControlBase::SetStateBits(int bits, bool on)
{
    const int next = on ? (state_ | bits) : (state_ & ~bits);
    if (next == state_) return;
    state_ = next;
    Invalidate();
}

}  // namespace Korvel::UI
