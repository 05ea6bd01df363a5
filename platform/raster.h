// The 1-bit raster behind the native layer's monochrome bitmaps: rectangles
// and text painted in device pixels, black on white, as GDI paints them.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "lumtar32_gdi.h"

namespace lumtar::platform {

// A fill held back by RasterHoldFill: pixels [left, right) x [top, bottom),
// clipped and not empty.
struct HeldFill {
    int left = 0, right = 0, top = 0, bottom = 0;
    bool white = false;
};

// The fills a raster holds, in painting order, and the rows they span.
struct HeldFills {
    std::vector<HeldFill> fills;
    int top = 0, bottom = 0; // rows [top, bottom) hold every fill
    bool empty() const { return fills.empty(); }
};

// Rows top-down, each `stride` bytes (a multiple of 4, as in a DIB); within a
// row the leftmost pixel is the most significant bit of the first byte. A bit
// is the palette index of a monochrome bitmap: 0 black, 1 white. A new raster
// is all black, as CreateBitmap without initial bits is. The padding bits
// after the last pixel of a row are always 0.
//
// Zeroed bytes from calloc, which leaves fresh pages from the system as the
// system gives them, zero and not yet touched: the held fills leave most
// rows of a large bitmap unwritten, and those pages are never faulted in
// (BarToBmp 4000 x 2000: 8.8 -> 5.5 ms; 8000 x 4000: 30 -> 22 ms).
class ZeroedBytes {
public:
    bool Allocate(size_t size); // false, and empty, when memory runs out
    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    uint8_t& operator[](size_t i) { return bytes_[i]; }
    const uint8_t& operator[](size_t i) const { return bytes_[i]; }

private:
    struct Free {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t[], Free> bytes_;
    size_t size_ = 0;
};

// `bits` shows every fill once none is held: see RasterSettle.
struct Raster {
    int width = 0;
    int height = 0;
    int stride = 0;
    ZeroedBytes bits;
    HeldFills held;
};

// False (raster left empty) for sizes GDI refuses or memory cannot hold.
bool RasterCreate(Raster& raster, int width, int height);

// Pixels left .. right-1 and top .. bottom-1, clipped; nothing when empty.
// FillRect does not normalise reversed corners; Rectangle does (see below).
// Reversed corners cover what GDI covers for them: right+1 .. left (and
// bottom+1 .. top), the pixels one further along than a normalised rectangle.
void RasterFill(Raster& raster, int left, int top, int right, int bottom, bool white);

// Rectangle() with a one-pixel pen and a solid brush: corners normalised,
// then the outline in the pen's colour and the inside in the brush's. As in
// GDI, a rectangle of a single pixel paints nothing.
void RasterRectangle(Raster& raster, int left, int top, int right, int bottom, bool penWhite, bool brushWhite);

// Held painting. Barcode bars are vertical, so a bitmap row changes only where
// a rectangle starts or ends: RasterHoldFill and RasterHoldRectangle paint
// what RasterFill and RasterRectangle paint, but keep the fills back, and
// RasterSettle paints them together, each distinct row once, copied to every
// row that the same fills cover. The other painting calls, text included,
// first settle the rows they paint; readers of `bits` call RasterSettle.
void RasterHoldFill(Raster& raster, int left, int top, int right, int bottom, bool white);
void RasterHoldRectangle(Raster& raster, int left, int top, int right, int bottom, bool penWhite, bool brushWhite);
void RasterSettle(Raster& raster);
void RasterSettleRows(Raster& raster, int top, int bottom); // rows top .. bottom-1 only

// The rows as they show with the held fills painted, for a reader that leaves
// them held (GetDIBits). At(y) gives rows y .. y + count - 1, top-down from
// call to call: row y + i is at row + i * step, the raster's own rows where
// no fill covers them, else one row put together here (step 0).
class RowReader {
public:
    struct Span {
        const uint8_t* row;
        size_t step;
        int count;
    };
    explicit RowReader(const Raster& raster);
    Span At(int y); // y no smaller than in the call before

private:
    struct Run { // bytes copied whole, or merged where only some pixels are covered
        int from, to;
        bool whole;
    };
    void Prepare(int y);
    void Build();

    const Raster& raster_;
    std::vector<int> cuts_; // the fills' top and bottom edges, sorted: bands between them
    std::vector<uint16_t> active_, built_;
    std::vector<uint8_t> value_, cover_, composed_;
    std::vector<Run> runs_;
    size_t band_ = 0; // cuts_[band_] <= y < cuts_[band_ + 1]
    bool ready_ = false, covered_ = false, whole_ = false;
};

// For painters that have settled the rows they paint (text): RasterFill and
// a pixel set without looking for held fills.
void RasterFillSettled(Raster& raster, int left, int top, int right, int bottom, bool white);
void RasterSetPixelSettled(Raster& raster, int x, int y, bool white);

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

} // namespace lumtar::platform
