// The picture pipeline: a drawing into one of two surfaces (a metafile
// recorded in memory as BarToWmf records it, or the rows of a monochrome
// bitmap as BarToBmp draws them), the encoder of the format, and one of two
// sinks: a file or the caller's buffer.
#include <cstring>
#include <new>
#include <utility>

#include "lumtar32_formats.h"
#include "output/encoders.h"
#include "output/pdf_document.h"
#include "output/press.h"
#include "render/limits.h"

namespace lumtar {
namespace {

// A 1-bit DIB's description; GetDIBits fills in the two colours.
struct MonochromeInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
    BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

// The bitmap's rows as a bottom-up 1-bit DIB, in the host's layout; all
// rows, also beyond the 65535 that a 16-bit count would reach. False when
// GDI or memory cannot give every row, or a BMP could not state their size.
bool GetRows(HDC dc, HBITMAP bitmap, int width, int height, Bytes& rows)
{
    const int64_t imageSize = BmpStride(width) * height;
    if (BmpBitsOffset + imageSize > UINT32_MAX) return false;
    MonochromeInfo info{};
    info.header = {sizeof(BITMAPINFOHEADER), width, height, 1, 1, BI_RGB, static_cast<DWORD>(imageSize), 0, 0, 2, 2};
    try {
        rows.resize(static_cast<size_t>(imageSize));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), rows.data(), info.Get(), DIB_RGB_COLORS) == height;
}

// The header, then the body, into a new file: BarOk or BarErrFile.
int ToFile(const char* path, const uint8_t* head, size_t headSize, const Bytes& body)
{
    if (!path) return BarErrFile;
    const HFILE file = _lcreat(path, 0);
    if (file == HFILE_ERROR) return BarErrFile;
    const auto write = [file](const void* bytes, size_t size) {
        return size == 0 || _lwrite(file, static_cast<const char*>(bytes), static_cast<UINT>(size)) == size;
    };
    const bool whole = write(head, headSize) && write(body.data(), body.size());
    _lclose(file);
    return whole ? BarOk : BarErrFile;
}

int ToMemory(const uint8_t* head, size_t headSize, const Bytes& body, const Sink& sink)
{
    const auto length = static_cast<unsigned int>(headSize + body.size());
    if (sink.needed) *sink.needed = length;
    if (!sink.buffer) return BarOk; // the size query
    if (sink.size < length) return BarErrFile;
    auto* to = static_cast<uint8_t*>(sink.buffer);
    if (headSize) std::memcpy(to, head, headSize);
    if (!body.empty()) std::memcpy(to + headSize, body.data(), body.size());
    return BarOk;
}

int Store(int made, const uint8_t* head, size_t headSize, const Bytes& body, const Sink& sink)
{
    if (sink.memory && sink.needed) *sink.needed = 0;
    if (made != BarOk) return made;
    if (headSize + body.size() > UINT32_MAX) return BarErrGdi;
    return sink.memory ? ToMemory(head, headSize, body, sink) : ToFile(sink.path, head, headSize, body);
}

} // namespace

// ----------------------------------------------------------------- surfaces

int RecordedBits(const Recording& how, DrawFunction draw, const void* context, Bytes& bits)
{
    // As BarToWmf: the far edge of the drawing rectangle within the coordinate space.
    if (how.unit < 1 || (how.mapped && !VectorSizeFits(BarFmtWmf, how.width, how.height))) return BarErrGdi;
    HDC dc = CreateMetaFileA(nullptr);
    if (!dc) return BarErrGdi;
    const int unit = how.unit;
    RECT rect;
    SetRect(&rect, 0, 0, how.width, how.height);
    if (how.mapped) { // recorded ahead of the drawing: the player maps this window onto its target
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, how.width / unit, how.height / unit, nullptr);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetRect(&rect, 50 / unit, 50 / unit, (how.width - 100) / unit, (how.height - 100) / unit);
    }
    int result = draw(dc, &rect, context);

    HMETAFILE metafile = CloseMetaFile(dc);
    if (!metafile) return BarErrGdi;
    const UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
    if (size == 0) {
        result = BarErrGdi;
    } else if (result == BarOk) {
        try {
            bits.resize(size);
            if (GetMetaFileBitsEx(metafile, size, bits.data()) != size) result = BarErrGdi;
        } catch (const std::bad_alloc&) {
            result = BarErrGdi;
        }
    }
    DeleteMetaFile(metafile);
    return result;
}

int DrawnRows(int pixelWidth, int pixelHeight, DrawFunction draw, const void* context, Bytes& rows)
{
    // GDI would hand out its 1 x 1 stock bitmap for an empty size; and one
    // logical unit per pixel, a side beyond the coordinate space cannot be drawn.
    if (pixelWidth <= 0 || pixelHeight <= 0 || pixelWidth > MaxCoordinate || pixelHeight > MaxCoordinate)
        return BarErrGdi;
    if (BmpBitsOffset + BmpStride(pixelWidth) * pixelHeight > UINT32_MAX) return BarErrGdi; // every BMP size is 32-bit

    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = dc ? CreateBitmap(pixelWidth, pixelHeight, 1, 1, nullptr) : nullptr;
    if (!bitmap) {
        if (dc) DeleteDC(dc);
        return BarErrGdi;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT rect;
    SetRect(&rect, 0, 0, pixelWidth, pixelHeight);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    int result = draw(dc, &rect, context);
    if (result == BarOk && !GetRows(dc, bitmap, pixelWidth, pixelHeight, rows)) result = BarErrGdi;
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return result;
}

bool RowsOfBitmap(HBITMAP bitmap, Bytes& rows, int& width, int& height)
{
    HDC dc = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) return false;
    MonochromeInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    const bool known = GetDIBits(dc, bitmap, 0, 0, nullptr, info.Get(), DIB_RGB_COLORS) && info.header.biWidth > 0 &&
                       info.header.biHeight > 0;
    if (known) {
        width = info.header.biWidth;
        height = info.header.biHeight;
    }
    const bool done = known && GetRows(dc, bitmap, width, height, rows);
    DeleteDC(dc);
    return done;
}

bool RasterFormat(int format) { return format == BarFmtBmp || format == BarFmtPng || format == BarFmtTif; }

bool VectorSizeFits(int format, int width, int height)
{
    const bool recordable = InCoordinateSpace(int64_t{width} - 100) && InCoordinateSpace(int64_t{height} - 100);
    return format == BarFmtWmf ? recordable : recordable && width > 0 && height > 0;
}

int RecordingUnit(int format, int width, int height)
{
    const int larger = width > height ? width : height;
    return format == BarFmtWmf || larger <= INT16_MAX ? 1 : (larger + INT16_MAX - 1) / INT16_MAX;
}

// ----------------------------------------------------------------- encoders

int PictureOfBits(int format, Bytes&& bits, int width, int height, Picture& out)
{
    return PictureOfBits(format, std::move(bits), width, height, Ink{}, out);
}

int PictureOfBits(int format, Bytes&& bits, int width, int height, const Ink& ink, Picture& out)
{
    out.headSize = 0;
    out.body.clear();
    if (format == BarFmtWmf) {
        PutPlaceableHeader(out.head, width, height);
        out.headSize = PlaceableHeaderSize;
        out.body = std::move(bits);
        return BarOk;
    }
    if (format != BarFmtSvg && format != BarFmtPdf && format != BarFmtEps && format != BarFmtEmf) return BarErrFile;
    Scene scene;
    if (!SceneOf(bits.data(), bits.size(), width, height, scene) || scene.extX <= 0 || scene.extY <= 0) return BarErrGdi;
    return format == BarFmtSvg   ? SvgOfScene(scene, width, height, out.body)
           : format == BarFmtPdf ? PdfOfScene(scene, width, height, PdfOptions{ink, true}, out.body)
           : format == BarFmtEmf ? EmfOfScene(scene, width, height, out.body)
                                 : EpsOfScene(scene, width, height, ink, out.body);
}

int PictureOfRows(int format, Bytes&& rows, int width, int height, int physWidth, int physHeight, Picture& out)
{
    return PictureOfRows(format, std::move(rows), width, height, physWidth, physHeight, Ink{}, nullptr, out);
}

int PictureOfRows(int format, Bytes&& rows, int width, int height, int physWidth, int physHeight, const Ink& ink,
                  const Palette* palette, Picture& out)
{
    out.headSize = 0;
    out.body.clear();
    if (format == BarFmtPng) return PngOfRows(rows.data(), width, height, physWidth, physHeight, palette, out.body);
    if (format == BarFmtTif) return TiffOfRows(rows.data(), width, height, physWidth, physHeight, ink, out.body);
    if (format != BarFmtBmp) return BarErrFile;
    const auto imageSize = static_cast<uint32_t>(rows.size());
    PutBmpFileHeader(out.head, imageSize);
    uint8_t* info = out.head + BmpFileHeaderSize;
    std::memset(info, 0, BmpInfoSize);
    PutBmpInfo(info, width, height, imageSize, physWidth, physHeight);
    if (palette) PutBmpPalette(info, palette->ink, palette->paper);
    out.headSize = BmpBitsOffset;
    out.body = std::move(rows);
    return BarOk;
}

// ----------------------------------------------------------------- pipeline

int PictureOf(int format, int width, int height, int physWidth, int physHeight, DrawFunction draw,
              const void* context, Picture& out)
{
    Bytes drawing;
    if (RasterFormat(format)) {
        const int result = DrawnRows(width, height, draw, context, drawing);
        return result == BarOk ? PictureOfRows(format, std::move(drawing), width, height, physWidth, physHeight, out)
                               : result;
    }
    if (format < BarFmtWmf || format > BarFmtEmf) return BarErrFile;
    if (!VectorSizeFits(format, width, height)) return BarErrGdi;
    const Recording how{width, height, RecordingUnit(format, width, height)};
    const int result = RecordedBits(how, draw, context, drawing);
    return result == BarOk ? PictureOfBits(format, std::move(drawing), width, height, out) : result;
}

// -------------------------------------------------------------------- sinks

int Deliver(int made, const Picture& picture, const Sink& sink)
{
    return Store(made, picture.head, picture.headSize, picture.body, sink);
}

int Deliver(int made, const Bytes& picture, const Sink& sink) { return Store(made, nullptr, 0, picture, sink); }

} // namespace lumtar
