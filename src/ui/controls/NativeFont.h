#pragma once
// The font the wrapped native controls are given: the theme's face and size, but an object
// of each control's own, deleted with it.
#include "platform/Handle.h"

namespace Korvel::UI::Controls {

Font CreateNativeControlFont();

}  // namespace Korvel::UI::Controls
