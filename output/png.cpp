// PNG through libpng: the bitmap's rows as 1-bit grayscale, or indexed with
// a palette of ink and paper, top row first, with the resolution in pHYs. A barcode's rows are long runs of equal bytes,
// which zlib's fastest level with no row filter compresses about as well as
// the slow levels do, at a fraction of their time.
#include <png.h>

#include <csetjmp>
#include <new>

#include "output/encoders.h"
#include "output/headers.h"

namespace lumtar {
namespace {

void Append(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        png_error(png, "out of memory");
    }
}

void Flush(png_structp) {}

png_color ColorOf(uint32_t rgb)
{
    return png_color{static_cast<png_byte>(rgb >> 16), static_cast<png_byte>(rgb >> 8), static_cast<png_byte>(rgb)};
}

// libpng reports its errors by longjmp: nothing in here has a destructor.
bool Encode(png_structp png, png_infop info, png_bytep* rowPointers, int width, int height, int physWidth,
            int physHeight, const Palette* palette)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 1,
                 palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (palette) {
        png_color colors[2] = {ColorOf(palette->ink), ColorOf(palette->paper)};
        png_set_PLTE(png, info, colors, 2);
        png_byte alpha[2] = {255, 0}; // the paper transparent
        if (palette->clearPaper) png_set_tRNS(png, info, alpha, 2, nullptr);
    }
    if (physWidth > 0 && physHeight > 0)
        png_set_pHYs(png, info, static_cast<png_uint_32>(PixelsPerMetre(width, physWidth)),
                     static_cast<png_uint_32>(PixelsPerMetre(height, physHeight)), PNG_RESOLUTION_METER);
    png_set_compression_level(png, 1);
    // zlib's default memory level allocates (and faults in) more than the
    // whole picture's rows; 5 compresses these rows within 4 % of it.
    png_set_compression_mem_level(png, 5);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_rows(png, info, rowPointers);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

} // namespace

int PngOfRows(const uint8_t* rows, int width, int height, int physWidth, int physHeight, const Palette* palette,
              Bytes& out)
{
    if (width <= 0 || height <= 0) return BarErrGdi;
    std::vector<png_bytep> rowPointers;
    try {
        rowPointers.resize(static_cast<size_t>(height));
        out.clear();
        out.reserve(4096);
    } catch (const std::bad_alloc&) {
        return BarErrGdi;
    }
    const auto stride = static_cast<size_t>(BmpStride(width));
    for (int row = 0; row < height; ++row) // the rows come bottom up
        rowPointers[static_cast<size_t>(row)] = const_cast<png_bytep>(rows + static_cast<size_t>(height - 1 - row) * stride);

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool done = false;
    if (info) {
        png_set_write_fn(png, &out, Append, Flush);
        done = Encode(png, info, rowPointers.data(), width, height, physWidth, physHeight, palette);
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    return done ? BarOk : BarErrGdi;
}

} // namespace lumtar
