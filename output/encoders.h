// The picture formats and the one pipeline that makes them: PNG from the
// pixels of a drawn bitmap (as BMP), SVG, PDF and EPS from the records of a
// recorded metafile (as WMF).
//
// A picture is made in memory first, whole; only then is a file created or the
// caller's buffer filled, so a failure on the way never touches either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lumtar32.h"
#include "lumtar32_gdi.h"
#include "output/headers.h"

namespace lumtar {

using Bytes = std::vector<uint8_t>;

// ------------------------------------------------------------------- PNG

// rows: bottom row first, each BmpStride(width) bytes, a bit per pixel with 0
// black and 1 white, as GetDIBits hands out a monochrome bitmap. The PNG is
// 1-bit grayscale with the same bit sense; pHYs when both physical sizes are
// known. BarOk or BarErrGdi.
// With a palette the PNG is 1-bit indexed instead, the same bits: index 0
// the ink, 1 the paper (0xRRGGBB each), the paper transparent or not.
struct Palette {
    uint32_t ink = 0, paper = 0xFFFFFF;
    bool clearPaper = false;
};
int PngOfRows(const uint8_t* rows, int width, int height, int physWidth, int physHeight, const Palette* palette,
              Bytes& out);

// --------------------------------------------------- the recorded drawing

// A font as its create record gives it.
struct SceneFont {
    std::string face; // code page 1252, as recorded
    int height = 0;   // lfHeight: > 0 the cell, < 0 the em, 0 the default
    int escapement = 0;
    int weight = 0;
    bool italic = false;
    bool stock = false; // the device's own font: no font was selected
};

// One rectangle or one line of text, in logical units, in drawing order.
struct Mark {
    bool text = false;
    int left = 0, top = 0, right = 0, bottom = 0; // a rectangle, normalised; text: its reference point in left, top
    uint32_t color = 0;                           // COLORREF of the brush or the text
    std::string chars;                            // code page 1252
    SceneFont font;
    unsigned align = 0;
    bool opaque = true; // text: the background mode
    uint32_t background = 0xFFFFFF;
};

struct Scene {
    int orgX = 0, orgY = 0; // the window
    int extX = 0, extY = 0;
    std::vector<Mark> marks;
};

// Walks the records of a standard metafile (its own header first). The window
// is taken from the records; without an extent record it is width x height.
// False when the bits are no metafile.
bool SceneOf(const uint8_t* bits, size_t size, int width, int height, Scene& scene);

// ------------------------------------------------------------------ faces

// The face fontconfig finds for a recorded font, with what is needed to place
// text as the raster places it: GDI's cell from the Windows metrics, and the
// advances of the code page 1252 characters.
struct Face {
    std::string family;     // the family found, UTF-8
    std::string postscript; // its PostScript name, as EPS asks for it
    double unitsPerEm = 2048;
    double ascent = 0, descent = 0; // font units
    uint16_t advance[256] = {};     // font units
    bool bold = false;
    bool italic = false;
    std::string file; // the face's file and its index in it, for embedding
    int index = 0;
};

// Null when no face can be had.
std::shared_ptr<const Face> FaceOf(const SceneFont& font);

// A line of text laid out in its own coordinates: u along the line from the
// reference point, v downwards across it. Left is where the pen starts,
// baseline where the glyphs sit; width, ascent and descent make GDI's cell.
struct LineLayout {
    double em = 0;
    double left = 0, baseline = 0;
    double width = 0, ascent = 0, descent = 0;
};
LineLayout LayoutOf(const Face& face, const Mark& text);

std::string Utf8Of(const std::string& cp1252);

// ------------------------------------------------------------ the writers

// BarOk or BarErrGdi; width x height is the physical size in 0.01 mm.
int SvgOfScene(const Scene& scene, int width, int height, Bytes& out);
int PdfOfScene(const Scene& scene, int width, int height, Bytes& out);
int EpsOfScene(const Scene& scene, int width, int height, Bytes& out);

// ------------------------------------------------------------ the pipeline
//
// A picture is drawn into a surface (a metafile recorded in memory, or the
// rows of a monochrome bitmap), encoded once into the bytes of its format,
// and then handed to a sink: a file or the caller's buffer.

// Draws into the DC it is given: BarOk, BarErrCode (nothing drawn) or BarErrGdi.
using DrawFunction = int (*)(HDC, const RECT*, const void* context);

// How a drawing is recorded: with mapped, the window of width x height
// hundredths of a millimetre in logical units of `unit` of them, set ahead of
// the drawing, and draw gets the rectangle 50 in from each edge, as BarToWmf
// draws; without, no mapping at all and the rectangle of the window.
struct Recording {
    int width = 0, height = 0;
    int unit = 1;
    bool mapped = true;
};
// The metafile bits: BarOk, BarErrCode or BarErrGdi.
int RecordedBits(const Recording& how, DrawFunction draw, const void* context, Bytes& bits);
// The bottom-up rows of a white monochrome bitmap drawn into, one logical unit
// a pixel, as BarToBmp draws; the size checked as BarToBmp checks it.
int DrawnRows(int pixelWidth, int pixelHeight, DrawFunction draw, const void* context, Bytes& rows);
// The rows and size of a monochrome bitmap of the caller's; false when it is none.
bool RowsOfBitmap(HBITMAP bitmap, Bytes& rows, int& width, int& height);

// Whether a format is made from a bitmap's rows (BMP, PNG, TIFF); the others
// are made from a recorded metafile.
bool RasterFormat(int format);
// Whether a vector picture of that size can be recorded: as BarToWmf takes
// it, and for SVG, PDF and EPS not empty.
bool VectorSizeFits(int format, int width, int height);
// The metafile's coordinates are 16 bits: WMF keeps what they hold (as
// BarToWmf), SVG, PDF and EPS larger than 327 mm are recorded in units of
// as many hundredths of a millimetre as bring the larger side within them.
int RecordingUnit(int format, int width, int height);

// A picture's bytes: the format's own header (a WMF's placeable header, a
// BMP's headers and palette) ahead of the drawing's bytes as they came, so
// that these are never copied; or the whole encoded picture in body.
struct Picture {
    uint8_t head[BmpBitsOffset] = {}; // the larger of the two
    size_t headSize = 0;
    Bytes body;
};

// The encoders, one per format: from a metafile's bits (WMF, SVG, PDF, EPS,
// EMF) or a bitmap's rows (BMP, PNG, TIFF), taken over by the picture where
// it can. BarOk, BarErrFile (not a format of that surface) or BarErrGdi.
int PictureOfBits(int format, Bytes&& bits, int width, int height, Picture& out);
int PictureOfRows(int format, Bytes&& rows, int width, int height, int physWidth, int physHeight, Picture& out);

// Surface, encoder and all for a drawing: BarOk, BarErrCode, BarErrFile (an
// unknown format) or BarErrGdi.
int PictureOf(int format, int width, int height, int physWidth, int physHeight, DrawFunction draw,
              const void* context, Picture& out);

// The two sinks, by the rules of lumtar32_formats.h: a file created only
// once the picture is whole (BarErrFile when it cannot be written whole), or
// the caller's buffer with the size needed (buffer null: the size only).
struct Sink {
    const char* path = nullptr;
    void* buffer = nullptr;
    unsigned int size = 0;
    unsigned int* needed = nullptr;
    bool memory = false;
};
inline Sink FileSink(const char* path) { return Sink{path}; }
inline Sink MemorySink(void* buffer, unsigned int size, unsigned int* needed)
{
    return Sink{nullptr, buffer, size, needed, true};
}
// `made`: the result of making the picture; anything but BarOk is handed
// back as it is, with no size needed and nothing stored.
int Deliver(int made, const Picture& picture, const Sink& sink);
int Deliver(int made, const Bytes& picture, const Sink& sink);

} // namespace lumtar
