#pragma once
// A check box: a 15 x 15 box skin with its caption to the right. It toggles when a press
// inside it is released inside it.
#include <string>

#include "ui/ControlBase.h"
#include "ui/sigslot.h"

namespace Korvel::UI::Controls {

class CheckBox : public ControlBase {
public:
    sigslot::signal0<sigslot::multi_threaded_local> Click;

    void OnPaint(CPaintEventArgs& e) override;
    void OnMouseDown(CMouseEventArgs& e) override;
    void OnMouseUp(CMouseEventArgs& e) override;
    void OnMouseMove(CMouseEventArgs& e) override;
    void Layout() override;
    virtual void Create(ControlBase* container, const wchar_t* text);

    void SetChecked(int checked);
    int IsChecked() const { return checked_; }

private:
    std::wstring text_;
    int checked_ = 0;
    std::string normalSkin_ = "CheckBox-Normal";
    std::string hoverSkin_ = "CheckBox-Hover";
    std::string checkedSkin_ = "CheckBox-Checked";
    std::string checkedHoverSkin_ = "CheckBox-CkHover";
    int boxWidth_ = 15;
    int boxHeight_ = 15;
};

}  // namespace Korvel::UI::Controls
