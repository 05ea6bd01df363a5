// TIFF through libtiff, written into memory: the bitmap's rows top row
// first, 1-bit CCITT Group 4 as prepress and label printers take it, or
// 8-bit CMYK for an ink stated as CMYK. libtiff's messages go nowhere: the
// result says what went wrong.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "output/press.h"
#include "platform/bytes.h"

namespace lumtar {
namespace {

// The memory a TIFF is written into, with libtiff's file position in it.
struct Written {
    Bytes& out;
    size_t at = 0;
    bool failed = false;
};

tmsize_t Read(thandle_t handle, void* data, tmsize_t size)
{
    auto* sink = static_cast<Written*>(handle);
    const size_t n = std::min(static_cast<size_t>(size), sink->out.size() - std::min(sink->at, sink->out.size()));
    if (n) std::memcpy(data, sink->out.data() + sink->at, n);
    sink->at += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t Write(thandle_t handle, void* data, tmsize_t size)
{
    auto* sink = static_cast<Written*>(handle);
    if (!data || size < 0) return -1; // what libtiff hands on after its own allocation failed
    try {
        if (sink->out.size() < sink->at + size) sink->out.resize(sink->at + size);
    } catch (...) {
        sink->failed = true;
        return -1;
    }
    std::memcpy(sink->out.data() + sink->at, data, static_cast<size_t>(size));
    sink->at += size;
    return size;
}

toff_t Seek(thandle_t handle, toff_t offset, int whence)
{
    auto* sink = static_cast<Written*>(handle);
    sink->at = whence == SEEK_SET ? offset : whence == SEEK_CUR ? sink->at + offset : sink->out.size() + offset;
    return sink->at;
}

int Close(thandle_t) { return 0; }
toff_t Size(thandle_t handle) { return static_cast<Written*>(handle)->out.size(); }
int Silent(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// The fields of the one image: false when libtiff could not take one (its codec's memory, say).
bool SetFields(TIFF* tiff, int width, int height, int physWidth, int physHeight, bool cmyk)
{
    bool set = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width)) &&
               TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height)) &&
               TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
               TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height));
    if (cmyk)
        set = set && TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 4) &&
              TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED) && TIFFSetField(tiff, TIFFTAG_INKSET, INKSET_CMYK) &&
              TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    else
        set = set && TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1) && TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1) &&
              TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE) &&
              TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB) &&
              TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    if (set && physWidth > 0 && physHeight > 0)
        set = TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
              TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(width * 2540.0 / physWidth)) &&
              TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(height * 2540.0 / physHeight));
    return set && TIFFSetField(tiff, TIFFTAG_SOFTWARE, "lumtar32");
}

// Rows top first; a bitmap's 0 bits (black) as the ink.
bool WriteRows(TIFF* tiff, const uint8_t* rows, int width, int height, const Ink& ink)
{
    const size_t stride = static_cast<size_t>(BmpStride(width));
    std::vector<uint8_t> line(ink.cmyk ? 4 * static_cast<size_t>(width) : stride);
    static constexpr uint8_t None[4] = {0, 0, 0, 0};
    const uint8_t inked[4] = {static_cast<uint8_t>(std::lround(ink.cyan * 255)), static_cast<uint8_t>(std::lround(ink.magenta * 255)),
                              static_cast<uint8_t>(std::lround(ink.yellow * 255)), static_cast<uint8_t>(std::lround(ink.black * 255))};
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rows + static_cast<size_t>(height - 1 - y) * stride;
        if (ink.cmyk) {
            for (int x = 0; x < width; ++x) {
                const bool black = !(row[x / 8] >> (7 - x % 8) & 1);
                std::memcpy(&line[4 * static_cast<size_t>(x)], black ? inked : None, 4);
            }
        } else {
            for (size_t i = 0; i < stride; ++i) line[i] = static_cast<uint8_t>(~row[i]); // white is zero
        }
        if (TIFFWriteScanline(tiff, line.data(), static_cast<uint32_t>(y), 0) < 0) return false;
    }
    return true;
}

} // namespace

int TiffOfRows(const uint8_t* rows, int width, int height, int physWidth, int physHeight, const Ink& ink, Bytes& out)
{
    if (!rows || width <= 0 || height <= 0) return BarErrGdi;
    out.clear();
    Written sink{out};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return BarErrGdi;
    TIFFOpenOptionsSetErrorHandlerExtR(options, Silent, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Silent, nullptr);
    TIFF* tiff = TIFFClientOpenExt("picture", "wm", &sink, Read, Write, Seek, Close, Size, nullptr, nullptr, options);
    TIFFOpenOptionsFree(options);
    if (!tiff) return BarErrGdi;
    bool written = false;
    try {
        written = SetFields(tiff, width, height, physWidth, physHeight, ink.cmyk) && WriteRows(tiff, rows, width, height, ink) &&
                  TIFFWriteDirectory(tiff);
    } catch (...) {
        written = false;
    }
    TIFFClose(tiff);
    return written && !sink.failed ? BarOk : BarErrGdi;
}

} // namespace lumtar
