// Text in the raster as GDI draws it: the line laid out by the font engine,
// placed by the text alignment and turned by the escapement, over an opaque
// background cell.
#include "platform/raster.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>

#include "platform/font.h"

namespace lumtar::platform {

namespace {

// The turn by the escapement. The line is laid out in its own pixels (u to
// the right along the line, v downwards from the reference point) and each
// device pixel takes the line pixel under its centre. Quarter turns use exact
// sines, so their pixels map one to one.
struct Turn {
    double cos = 1;
    double sin = 0;
    bool quarter = true;

    explicit Turn(int escapement)
    {
        int tenths = escapement % 3600;
        if (tenths < 0) tenths += 3600;
        quarter = tenths % 900 == 0;
        static constexpr int QuarterCos[4] = {1, 0, -1, 0};
        static constexpr int QuarterSin[4] = {0, 1, 0, -1};
        if (quarter) {
            cos = QuarterCos[tenths / 900];
            sin = QuarterSin[tenths / 900];
        } else {
            double radians = tenths * 3.14159265358979323846 / 1800.0;
            cos = std::cos(radians);
            sin = std::sin(radians);
        }
    }
    bool upright() const { return quarter && cos == 1; }
};

// A rectangle of line pixels [u0, u1) × [v0, v1) relative to the reference
// point (x, y), and the device pixels its turned image covers.
struct LineBox {
    double u0, v0, u1, v1;
};

struct DeviceBox {
    int left = 0, top = 0, right = 0, bottom = 0; // clipped, right and bottom exclusive
    bool empty() const { return left >= right || top >= bottom; }
};

DeviceBox DeviceBoxOf(const Raster& raster, const Turn& turn, double x, double y, const LineBox& box)
{
    double xs[4], ys[4];
    const double us[4] = {box.u0, box.u1, box.u0, box.u1};
    const double vs[4] = {box.v0, box.v0, box.v1, box.v1};
    for (int i = 0; i < 4; ++i) { // up the line is -y on the device
        xs[i] = x + us[i] * turn.cos + vs[i] * turn.sin;
        ys[i] = y - us[i] * turn.sin + vs[i] * turn.cos;
    }
    auto clip = [](double value, int size) { return static_cast<int>(std::clamp(value, 0.0, static_cast<double>(size))); };
    DeviceBox device;
    device.left = clip(std::floor(*std::min_element(xs, xs + 4)), raster.width);
    device.right = clip(std::ceil(*std::max_element(xs, xs + 4)), raster.width);
    device.top = clip(std::floor(*std::min_element(ys, ys + 4)), raster.height);
    device.bottom = clip(std::ceil(*std::max_element(ys, ys + 4)), raster.height);
    return device;
}

// Calls paint(device x, device y, line column, line row) for every device
// pixel whose centre falls inside the box.
template <typename Paint>
void ForEachPixel(const Raster& raster, const Turn& turn, double x, double y, const LineBox& box, Paint paint)
{
    DeviceBox device = DeviceBoxOf(raster, turn, x, y, box);
    for (int py = device.top; py < device.bottom; ++py) {
        double dy = py + 0.5 - y;
        for (int px = device.left; px < device.right; ++px) {
            double dx = px + 0.5 - x;
            double u = dx * turn.cos - dy * turn.sin;
            double v = dx * turn.sin + dy * turn.cos;
            if (u < box.u0 || u >= box.u1 || v < box.v0 || v >= box.v1) continue;
            paint(px, py, static_cast<long long>(std::floor(u - box.u0)), static_cast<long long>(std::floor(v - box.v0)));
        }
    }
}

// Held fills in the rows of a box are painted before the box is: the rows
// of DeviceBoxOf.
void SettleUnder(Raster& raster, const Turn& turn, double y, const LineBox& box)
{
    if (raster.held.empty()) return;
    const double y0 = y - box.u0 * turn.sin, y1 = y - box.u1 * turn.sin;
    const double v0 = box.v0 * turn.cos, v1 = box.v1 * turn.cos;
    const double top = std::min({y0 + v0, y0 + v1, y1 + v0, y1 + v1});
    const double bottom = std::max({y0 + v0, y0 + v1, y1 + v0, y1 + v1});
    auto clip = [&](double row) { return static_cast<int>(std::clamp(row, 0.0, static_cast<double>(raster.height))); };
    RasterSettleRows(raster, clip(std::floor(top)), clip(std::ceil(bottom)));
}

// Upright: glyph row r lands on device row y + r, its bytes shifted into the
// raster's bytes; a byte that reaches past either edge goes pixel by pixel.
void PaintGlyphUpright(Raster& raster, long long x, long long y, const Glyph& glyph, bool white)
{
    const uint8_t lastMask = static_cast<uint8_t>(0xFF00u >> (((glyph.width - 1) % 8) + 1));
    // A glyph up to 56 pixels wide that lies within the raster's width: each
    // row goes in as one 64-bit word of the row, the first device byte first
    // in memory. Near the right edge the word ends with the row, so the line
    // pixels still fit it: x + width <= stride * 8.
    if (x >= 0 && x + glyph.width <= raster.width && glyph.pitch <= 7 && raster.stride >= 8) {
        const long long base = std::min<long long>(x / 8, raster.stride - 8);
        const int shift = static_cast<int>(x - 8 * base);
        // The rows that land on the raster, then one word per row.
        const int first = static_cast<int>(std::clamp<long long>(-y, 0, glyph.rows));
        const int last = static_cast<int>(std::clamp<long long>(raster.height - y, 0, glyph.rows));
        if (first >= last) return; // above or below the raster: no row to point at
        const size_t stride = static_cast<size_t>(raster.stride);
        uint8_t* at = raster.bits.data() + static_cast<size_t>(y + first) * stride + base;
        const uint64_t* words = glyph.rowWords.data(); // each row's pixels from the most significant bit down
        for (int row = first; row < last; ++row, at += stride) {
            uint64_t ink = words[row] >> shift;
            if constexpr (std::endian::native == std::endian::little) ink = __builtin_bswap64(ink);
            uint64_t word;
            std::memcpy(&word, at, 8);
            word = white ? (word | ink) : (word & ~ink);
            std::memcpy(at, &word, 8);
        }
        return;
    }
    for (int row = 0; row < glyph.rows; ++row) {
        const long long py = y + row;
        if (py < 0 || py >= raster.height) continue;
        uint8_t* target = raster.bits.data() + static_cast<size_t>(py) * raster.stride;
        const uint8_t* source = glyph.bits.data() + static_cast<size_t>(row) * glyph.pitch;
        for (int k = 0; k < glyph.pitch; ++k) {
            const uint8_t ink = k == glyph.pitch - 1 ? source[k] & lastMask : source[k];
            if (!ink) continue;
            const long long px = x + 8LL * k; // device column of the byte's first pixel
            if (px >= 0 && px + 8 <= raster.width) {
                const int shift = static_cast<int>(px % 8);
                uint8_t* at = target + px / 8;
                const uint8_t head = static_cast<uint8_t>(ink >> shift);
                const uint8_t tail = static_cast<uint8_t>(ink << (8 - shift));
                if (white) {
                    at[0] |= head;
                    if (shift) at[1] |= tail;
                } else {
                    at[0] &= static_cast<uint8_t>(~head);
                    if (shift) at[1] &= static_cast<uint8_t>(~tail);
                }
            } else {
                for (int bit = 0; bit < 8; ++bit)
                    if (ink & (0x80u >> bit) && px + bit >= 0 && px + bit < raster.width)
                        RasterSetPixelSettled(raster, static_cast<int>(px + bit), static_cast<int>(py), white);
            }
        }
    }
}

// A quarter turn maps line pixels one to one onto device pixels (upright
// lines go through TextUpright): the line pixel (column, row) of the glyph at
// (u, v) is the one whose centre the device pixel's centre falls on, so
// integer steps replace the sampling.
void PaintGlyphQuarter(Raster& raster, const Turn& turn, int x, int y, const Glyph& glyph, long long u, long long v, bool white)
{
    // Only the rows and columns that land on the raster are visited: a glyph
    // of a huge font over a small bitmap costs what it covers, not its size.
    // Each branch below maps row to px (or py) and column to the other by a
    // step of +1 or -1; `from + step * index` lies in [0, size) for these.
    auto within = [](long long from, int step, int size, int count, int& first, int& last) {
        long long lo = step > 0 ? -from : from - size + 1, hi = step > 0 ? size - 1 - from : from;
        first = static_cast<int>(std::max<long long>(lo, 0));
        last = static_cast<int>(std::min<long long>(hi, count - 1));
    };
    int firstRow, lastRow, firstColumn, lastColumn;
    if (turn.sin == 1) {
        within(x + v, 1, raster.width, glyph.rows, firstRow, lastRow);
        within(y - u - 1, -1, raster.height, glyph.width, firstColumn, lastColumn);
    } else if (turn.cos == -1) {
        within(y - v - 1, -1, raster.height, glyph.rows, firstRow, lastRow);
        within(x - u - 1, -1, raster.width, glyph.width, firstColumn, lastColumn);
    } else {
        within(x - v - 1, -1, raster.width, glyph.rows, firstRow, lastRow);
        within(y + u, 1, raster.height, glyph.width, firstColumn, lastColumn);
    }
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            if (!glyph.Ink(column, row)) continue;
            long long px, py;
            if (turn.sin == 1) { // running upwards
                px = x + v + row;
                py = y - u - 1 - column;
            } else if (turn.cos == -1) { // upside down
                px = x - u - 1 - column;
                py = y - v - 1 - row;
            } else { // running downwards
                px = x - v - 1 - row;
                py = y + u + column;
            }
            if (px >= 0 && py >= 0 && px < raster.width && py < raster.height)
                RasterSetPixelSettled(raster, static_cast<int>(px), static_cast<int>(py), white);
        }
    }
}

void PaintGlyph(Raster& raster, const Turn& turn, int x, int y, const Glyph& glyph, double u, double v, bool white)
{
    if (glyph.width == 0 || glyph.rows == 0) return;
    SettleUnder(raster, turn, y, LineBox{u, v, u + glyph.width, v + glyph.rows});
    // Quarter turns of a line placed on whole pixels: the exact integer path.
    if (turn.quarter && u == std::floor(u) && v == std::floor(v) && std::fabs(u) < 1e15 && std::fabs(v) < 1e15) {
        PaintGlyphQuarter(raster, turn, x, y, glyph, static_cast<long long>(u), static_cast<long long>(v), white);
        return;
    }
    LineBox box{u, v, u + glyph.width, v + glyph.rows};
    ForEachPixel(raster, turn, x, y, box, [&](int px, int py, long long column, long long row) {
        // u - u0 of a centre just inside the box can round up to the width.
        if (column >= glyph.width || row >= glyph.rows) return;
        if (glyph.Ink(static_cast<int>(column), static_cast<int>(row))) RasterSetPixelSettled(raster, px, py, white);
    });
}

// Upright text lies on whole pixels: the cell and the glyphs are device
// rectangles found in integers, and the held fills in all of their rows are
// settled at once.
void TextUpright(Raster& raster, const TextStyle& style, long long x, long long y, const Line& line, const char* chars,
                 int count)
{
    auto clipRow = [&](long long row) { return static_cast<int>(std::clamp<long long>(row, 0, raster.height)); };
    auto clipColumn = [&](long long column) { return static_cast<int>(std::clamp<long long>(column, 0, raster.width)); };
    const bool cell = style.opaque && line.width > 0 && line.ascent + line.descent > 0;
    long long top = LLONG_MAX, bottom = LLONG_MIN;
    if (cell) {
        top = y - line.ascent;
        bottom = y + line.descent;
    }
    for (int i = 0; i < count; ++i) {
        const Glyph& glyph = line.GlyphOf(chars[i]);
        if (glyph.width == 0 || glyph.rows == 0) continue;
        top = std::min(top, y - glyph.top);
        bottom = std::max(bottom, y - glyph.top + glyph.rows);
    }
    if (top >= bottom) return;
    if (!raster.held.empty()) RasterSettleRows(raster, clipRow(top), clipRow(bottom));

    if (cell) {
        const int left = clipColumn(x), right = clipColumn(x + line.width);
        const int cellTop = clipRow(y - line.ascent), cellBottom = clipRow(y + line.descent);
        if (left < right && cellTop < cellBottom)
            RasterFillSettled(raster, left, cellTop, right, cellBottom, style.backgroundWhite);
    }
    long long pen = x;
    for (int i = 0; i < count; ++i) {
        const Glyph& glyph = line.GlyphOf(chars[i]);
        if (glyph.width != 0 && glyph.rows != 0)
            PaintGlyphUpright(raster, pen + glyph.left, y - glyph.top, glyph, style.textWhite);
        pen += glyph.advance;
    }
}

} // namespace

void RasterText(Raster& raster, const TextStyle& style, int x, int y, const char* chars, int count)
{
    Line line;
    if (raster.width <= 0 || !LayoutLine(style.font, chars, count, line)) return;
    Turn turn(style.font ? style.font->lfEscapement : 0);

    // The reference point: left, centre or right of the advance width; top,
    // bottom or baseline of the cell.
    UINT align = style.align;
    double left = (align & TA_CENTER) == TA_CENTER ? -static_cast<double>(line.width / 2)
                  : (align & TA_RIGHT)            ? -static_cast<double>(line.width)
                                                  : 0.0;
    double baseline = (align & TA_BASELINE) == TA_BASELINE ? 0.0
                      : (align & TA_BOTTOM)                 ? -static_cast<double>(line.descent)
                                                            : static_cast<double>(line.ascent);
    if (turn.upright()) {
        TextUpright(raster, style, x + static_cast<long long>(left), y + static_cast<long long>(baseline), line, chars, count);
        return;
    }

    // GDI fills the background cell behind upright text only: a turned line
    // is drawn without one, so it never erases bars that it crosses.

    double pen = left;
    for (int i = 0; i < count; ++i) {
        const Glyph& glyph = line.GlyphOf(chars[i]);
        PaintGlyph(raster, turn, x, y, glyph, pen + glyph.left, baseline - glyph.top, style.textWhite);
        pen += glyph.advance;
    }
}

} // namespace lumtar::platform
