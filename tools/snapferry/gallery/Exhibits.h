#pragma once
#include "gallery/Sheet.h"

namespace Gallery {

void ControlsExhibits(Sheet& sheet);
void DialogExhibits(Sheet& sheet);
void NativeExhibits(Sheet& sheet);

}  // namespace Gallery
