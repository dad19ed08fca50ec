#include "ui/Layout.h"

namespace Korvel::UI {

namespace {

// One axis: returns {low, high} for the control along it.
struct Span {
    LONG low, high;
};

Span Place(LONG cLow, LONG cHigh, bool lowAnchored, bool highAnchored, bool centre, int size, int mLow, int mHigh)
{
    if (centre || (!lowAnchored && !highAnchored)) {
        const LONG low = (cHigh - size - cLow) / 2;
        return {low, low + size};
    }
    if (lowAnchored && highAnchored) return {cLow + mLow, cHigh - mHigh};
    if (lowAnchored) return {cLow + mLow, cLow + mLow + size};
    const LONG low = cHigh - mHigh - size;
    return {low, low + size};
}

}  // namespace

RECT AnchoredRect(const RECT& c, int anchors, int width, int height, const Margins& m)
{
    const Span x = Place(c.left, c.right, anchors & AnchorLeft, anchors & AnchorRight, anchors & CenterHorizontal,
                         width, m.left, m.right);
    const Span y = Place(c.top, c.bottom, anchors & AnchorTop, anchors & AnchorBottom, anchors & CenterVertical,
                         height, m.top, m.bottom);
    return RECT{x.low, y.low, x.high, y.high};
}

}  // namespace Korvel::UI
