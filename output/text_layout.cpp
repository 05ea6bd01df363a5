// A line of text placed as the raster places it, from a face's metrics: a
// positive height is GDI's cell (ascent + descent), a negative one the em, 0
// and the device's own font the default cell; left, centre or right of the
// advance width; top, baseline or bottom of the cell.
#include "output/encoders.h"

namespace lumtar {
namespace {

constexpr int DefaultCellHeight = 16; // lfHeight 0, and the device's own font

} // namespace

LineLayout LayoutOf(const Face& face, const Mark& text)
{
    LineLayout line;
    const double height = text.font.stock || text.font.height == 0 ? DefaultCellHeight : text.font.height;
    const double cell = face.ascent + face.descent;
    line.em = height > 0 ? height * face.unitsPerEm / cell : -height;
    const double scale = line.em / face.unitsPerEm;
    line.ascent = face.ascent * scale;
    line.descent = face.descent * scale;
    double units = 0;
    for (const char c : text.chars) units += face.advance[static_cast<unsigned char>(c)];
    line.width = units * scale;
    const unsigned align = text.align;
    line.left = (align & TA_CENTER) == TA_CENTER ? -line.width / 2 : (align & TA_RIGHT) ? -line.width : 0.0;
    line.baseline = (align & TA_BASELINE) == TA_BASELINE ? 0.0 : (align & TA_BOTTOM) ? -line.descent : line.ascent;
    return line;
}

} // namespace lumtar
