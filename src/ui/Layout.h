#pragma once
// Where an anchored control goes in its container.
#include <windows.h>

namespace Korvel::UI {

enum Anchor : int {
    AnchorTop = 1,
    AnchorBottom = 2,
    AnchorLeft = 4,
    AnchorRight = 8,
    CenterVertical = 0x20,
    CenterHorizontal = 0x40,
};

struct Margins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Anchored sides keep their margin to the container's edge; a side pair with neither edge
// anchored (or a Center bit) is centred, by truncating division, measured from the
// container's origin as the controls have always been placed.
RECT AnchoredRect(const RECT& container, int anchors, int width, int height, const Margins& margins);

}  // namespace Korvel::UI
