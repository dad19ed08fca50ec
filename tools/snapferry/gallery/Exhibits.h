#pragma once
#include <string>

#include "gallery/Sheet.h"

namespace Gallery {

void ControlsExhibits(Sheet& sheet);
void DialogExhibits(Sheet& sheet);
void NativeExhibits(Sheet& sheet);
// Photos are written into workDir first.
void ListExhibits(Sheet& sheet, const std::wstring& workDir);
// The picker opens at photoDir, which holds photos already.
void PickerExhibits(Sheet& sheet, const std::wstring& photoDir);

}  // namespace Gallery
