// Readers of the native raster for its tests: one pixel, one pixel set, and
// the extent a line of text covers.
#pragma once

#ifndef _WIN32

#include "platform/raster.h"

namespace lumtar::platform {

bool RasterPixel(const Raster& raster, int x, int y); // true = white; false outside (held fills not seen)
void RasterSetPixel(Raster& raster, int x, int y, bool white);

// What RasterText covers with the background, before the turn: the advance
// width of the characters and the font's cell above and below the baseline.
struct TextExtent {
    int width = 0;
    int ascent = 0;
    int descent = 0;
};
TextExtent RasterTextExtent(const LOGFONTA* font, const char* chars, int count);

} // namespace lumtar::platform

#endif
