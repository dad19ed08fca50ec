#include "ui/controls/ProgressBar.h"

#include <algorithm>

#include "ui/Drawing.h"

namespace Korvel::UI::Controls {

void ProgressBar::SetValue(int value)
{
    value_ = value;
    Invalidate();
}

void ProgressBar::OnPaint(CPaintEventArgs& e)
{
    if (!visible_) return;
    DrawBox(e.dc, bounds_, frameColor_, RGB(255, 255, 255));
    RECT mark = bounds_;
    ::InflateRect(&mark, -2, -2);
    if (mark.right <= mark.left || mark.bottom <= mark.top) return;
    // Values outside 0-100 (a download reporting more than its length) stay inside the bar.
    const int share = std::clamp(value_, 0, 100);
    mark.right = mark.left + static_cast<int>((mark.right - mark.left) * static_cast<long long>(share) / 100);
    if (mark.right > mark.left) FillSolid(e.dc, mark, markColor_);
}

}  // namespace Korvel::UI::Controls
