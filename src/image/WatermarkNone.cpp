// Builds without GDI have no stamp to draw.
#include "image/Watermark.h"

bool ApplyWatermark(CxImage&) { return false; }
