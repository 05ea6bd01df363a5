#ifndef _WIN32

#include "support/raster.h"

#include <algorithm>
#include <climits>

#include "platform/font.h"

namespace lumtar::platform {

bool RasterPixel(const Raster& raster, int x, int y)
{
    if (x < 0 || y < 0 || x >= raster.width || y >= raster.height) return false;
    return raster.bits[static_cast<size_t>(y) * raster.stride + x / 8] & (0x80u >> (x % 8));
}

void RasterSetPixel(Raster& raster, int x, int y, bool white)
{
    if (!raster.held.empty()) RasterSettleRows(raster, y, y + 1);
    RasterSetPixelSettled(raster, x, y, white);
}

TextExtent RasterTextExtent(const LOGFONTA* font, const char* chars, int count)
{
    TextExtent extent;
    Line line;
    if (!LayoutLine(font, chars, count, line)) return extent;
    extent.width = static_cast<int>(std::min<long long>(line.width, INT_MAX));
    extent.ascent = line.ascent;
    extent.descent = line.descent;
    return extent;
}

} // namespace lumtar::platform

#endif
