// The 1-bit raster behind the native layer's monochrome bitmaps: rectangles
// and text painted in device pixels, black on white, as GDI paints them.
#pragma once

#include <cstdint>
#include <vector>

#include "lumtar32_gdi.h"

namespace lumtar::platform {

// Rows top-down, each `stride` bytes (a multiple of 4, as in a DIB); within a
// row the leftmost pixel is the most significant bit of the first byte. A bit
// is the palette index of a monochrome bitmap: 0 black, 1 white. A new raster
// is all black, as CreateBitmap without initial bits is.
struct Raster {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<uint8_t> bits;

    Raster() = default;
    Raster(Raster&&) = default;
    Raster& operator=(Raster&&) = default;
    // The rows of a large raster are kept for the next RasterCreate of no
    // larger size, so that drawing one large bitmap after another does not
    // fault in fresh pages every time.
    ~Raster();
};

// False (raster left empty) for sizes GDI refuses or memory cannot hold.
bool RasterCreate(Raster& raster, int width, int height);

bool RasterPixel(const Raster& raster, int x, int y); // true = white; false outside
void RasterSetPixel(Raster& raster, int x, int y, bool white);

// Pixels left .. right-1 and top .. bottom-1, clipped; nothing when empty.
// FillRect does not normalise reversed corners; Rectangle does (see below).
// Reversed corners cover what GDI covers for them: right+1 .. left (and
// bottom+1 .. top), the pixels one further along than a normalised rectangle.
void RasterFill(Raster& raster, int left, int top, int right, int bottom, bool white);

// Rectangle() with a one-pixel pen and a solid brush: corners normalised,
// then the outline in the pen's colour and the inside in the brush's. As in
// GDI, a rectangle of a single pixel paints nothing.
void RasterRectangle(Raster& raster, int left, int top, int right, int bottom, bool penWhite, bool brushWhite);

// What TextOutA needs besides the characters: the selected font and the DC's
// text state. Coordinates are device pixels.
struct TextStyle {
    const LOGFONTA* font = nullptr; // null: the stock system font
    UINT align = TA_LEFT | TA_TOP;
    bool textWhite = false;  // text colour: black by default
    bool opaque = true;      // background mode OPAQUE by default
    bool backgroundWhite = true;
};

// Draws count code page 1252 characters with their reference point at (x, y);
// escapement in tenths of a degree turns the line (900: running upwards).
void RasterText(Raster& raster, const TextStyle& style, int x, int y, const char* chars, int count);

// What RasterText covers with the background, before the turn: the advance
// width of the characters and the font's cell above and below the baseline.
struct TextExtent {
    int width = 0;
    int ascent = 0;
    int descent = 0;
};
TextExtent RasterTextExtent(const LOGFONTA* font, const char* chars, int count);

} // namespace lumtar::platform
