#pragma once
// The plug-in's upload stamp: our own 196 x 65 picture with transparency, drawn centred
// over the photo. Needs GDI; elsewhere it leaves the photo alone and reports false.
#include "image/CxImage.h"

constexpr unsigned kWatermarkResourceId = 201;

bool ApplyWatermark(CxImage& image);
