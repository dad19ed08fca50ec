#pragma once
// A framed white bar whose mark fills the given share (0-100) of its inner rectangle.
#include "ui/ControlBase.h"

namespace Korvel::UI::Controls {

class ProgressBar : public ControlBase {
public:
    void OnPaint(CPaintEventArgs& e) override;

    void SetValue(int value);
    int Value() const { return value_; }

private:
    int value_ = 0;
    COLORREF frameColor_ = RGB(171, 209, 236);
    COLORREF markColor_ = RGB(171, 209, 236);
};

}  // namespace Korvel::UI::Controls
