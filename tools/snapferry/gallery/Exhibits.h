#pragma once
#include <string>
#include <vector>

#include "gallery/Sheet.h"

namespace Gallery {

void ControlsExhibits(Sheet& sheet);
void DialogExhibits(Sheet& sheet);
void NativeExhibits(Sheet& sheet);
// Photos are written into workDir first.
void ListExhibits(Sheet& sheet, const std::wstring& workDir);
void PanelExhibits(Sheet& sheet, const std::wstring& workDir);
// The picker opens at photoDir, which holds photos already.
void PickerExhibits(Sheet& sheet, const std::wstring& photoDir);
// Made-up landscape photos (JPEG) with Chinese names, width pixels wide, written into dir.
std::vector<std::wstring> WritePhotos(const std::wstring& dir, int count, int width = 320);

}  // namespace Gallery
