// Anchored placement for every anchor combination, centring and its truncating division.
#include <gtest/gtest.h>

#include "ui/Layout.h"

namespace {

using namespace Korvel::UI;

TEST(Layout, AnchorsPlaceTheControlAsDocumented)
{
    const Margins m{10, 20, 30, 40};
    const struct {
        RECT container;
        int anchors, w, h;
        RECT expected;
    } cases[] = {
        {{0, 0, 400, 300}, AnchorLeft | AnchorTop, 100, 40, {10, 20, 110, 60}},                  // 5, the default
        {{0, 0, 400, 300}, AnchorTop | AnchorRight, 100, 40, {270, 20, 370, 60}},                 // 9
        {{0, 0, 400, 300}, 15, 100, 40, {10, 20, 370, 260}},                                      // stretch
        {{0, 0, 400, 300}, AnchorLeft | AnchorBottom, 100, 40, {10, 220, 110, 260}},
        {{0, 0, 400, 300}, AnchorTop | CenterHorizontal, 100, 40, {150, 20, 250, 60}},            // 65
        {{0, 0, 400, 300}, 0, 100, 40, {150, 130, 250, 170}},                                     // margins ignored
        {{0, 0, 400, 300}, AnchorLeft | CenterHorizontal | AnchorTop, 100, 40, {150, 20, 250, 60}},
        {{0, 0, 401, 301}, 0, 100, 40, {150, 130, 250, 170}},                                     // 150.5 -> 150
        {{0, 0, 51, 300}, AnchorTop, 100, 40, {-24, 20, 76, 60}},                                 // -24.5 -> -24
        {{100, 50, 500, 350}, 0, 100, 40, {150, 130, 250, 170}},                                  // from the origin
        {{0, 0, 30, 50}, 15, 100, 40, {10, 20, 0, 10}},                                           // inverted: paints nothing
    };
    for (const auto& c : cases) {
        const RECT r = AnchoredRect(c.container, c.anchors, c.w, c.h, m);
        EXPECT_EQ(r.left, c.expected.left) << c.anchors;
        EXPECT_EQ(r.top, c.expected.top) << c.anchors;
        EXPECT_EQ(r.right, c.expected.right) << c.anchors;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.anchors;
    }
}

}  // namespace
