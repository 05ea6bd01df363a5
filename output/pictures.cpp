// The two drawing pipelines in memory (the metafile of BarToWmf, the bitmap of
// BarToBmp), each picture format made from one of them, and the two ways a
// finished picture leaves: a file or the caller's buffer.
#include <cstring>
#include <new>

#include "lumtar32_formats.h"
#include "output/files.h"
#include "output/encoders.h"
#include "output/pdf_document.h"
#include "output/press.h"

namespace lumtar {

int RecordedBits(int width, int height, int unit, DrawFunction draw, const void* context, Bytes& bits)
{
    // As BarToWmf: the far edge of the drawing rectangle within the coordinate space.
    if (!VectorSizeFits(BarFmtWmf, width, height) || unit < 1) return BarErrGdi;
    HDC dc = CreateMetaFileA(nullptr);
    if (!dc) return BarErrGdi;
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, width / unit, height / unit, nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    RECT rect;
    SetRect(&rect, 50 / unit, 50 / unit, WrappingSub(width, 100) / unit, WrappingSub(height, 100) / unit);
    const int drawn = draw(dc, &rect, context);

    HMETAFILE metafile = CloseMetaFile(dc);
    if (!metafile) return BarErrGdi;
    int result = drawn ? BarOk : BarErrCode;
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
    // As BarToBmp: GDI's 1 x 1 stock bitmap for an empty size, and one
    // logical unit per pixel.
    if (pixelWidth <= 0 || pixelHeight <= 0 || pixelWidth > MaxCoordinate || pixelHeight > MaxCoordinate)
        return BarErrGdi;
    const int64_t imageSize = BmpStride(pixelWidth) * pixelHeight;
    if (BmpBitsOffset + imageSize > UINT32_MAX) return BarErrGdi;

    BitmapDc target;
    if (!OpenBitmapDc(pixelWidth, pixelHeight, target)) return BarErrGdi;

    int result = BarErrCode;
    if (draw(target.dc, &target.rect, context)) {
        try {
            rows.resize(static_cast<size_t>(imageSize));
            const uint32_t size = static_cast<uint32_t>(imageSize);
            result = MonochromeRows(target, pixelWidth, pixelHeight, size, rows.data()) ? BarOk : BarErrGdi;
        } catch (const std::bad_alloc&) {
            result = BarErrGdi;
        }
    }
    FreeBitmapDc(target);
    return result;
}

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

bool RowsOfBitmap(HBITMAP bitmap, Bytes& rows, int& width, int& height)
{
    HDC dc = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) return false;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    bool done = false;
    if (GetDIBits(dc, bitmap, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) &&
        info.header.biWidth > 0 && info.header.biHeight > 0) {
        width = info.header.biWidth;
        height = info.header.biHeight;
        const int64_t imageSize = BmpStride(width) * height;
        if (BmpBitsOffset + imageSize <= UINT32_MAX) {
            info.header = {sizeof(BITMAPINFOHEADER), width, height, 1, 1, BI_RGB, static_cast<DWORD>(imageSize), 0, 0, 2, 2};
            try {
                rows.resize(static_cast<size_t>(imageSize));
                done = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), rows.data(),
                                 reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
            } catch (const std::bad_alloc&) {
                done = false;
            }
        }
    }
    DeleteDC(dc);
    return done;
}

int PictureOfBits(int format, const Bytes& bits, int width, int height, Bytes& out)
{
    return PictureOfBits(format, bits, width, height, Ink{}, out);
}

int PictureOfBits(int format, const Bytes& bits, int width, int height, const Ink& ink, Bytes& out)
{
    if (format == BarFmtWmf) {
        out.resize(PlaceableHeaderSize + bits.size());
        PutPlaceableHeader(out.data(), width, height);
        std::memcpy(out.data() + PlaceableHeaderSize, bits.data(), bits.size());
        return BarOk;
    }
    if (format != BarFmtSvg && format != BarFmtPdf && format != BarFmtEps && format != BarFmtEmf) return BarErrFile;
    Scene scene;
    if (!SceneOf(bits.data(), bits.size(), width, height, scene) || scene.extX <= 0 || scene.extY <= 0) return BarErrGdi;
    return format == BarFmtSvg   ? SvgOfScene(scene, width, height, out)
           : format == BarFmtPdf ? PdfOfScene(scene, width, height, PdfOptions{ink, true}, out)
           : format == BarFmtEmf ? EmfOfScene(scene, width, height, out)
                                 : EpsOfScene(scene, width, height, ink, out);
}

int PictureOfRows(int format, const Bytes& rows, int width, int height, int physWidth, int physHeight, Bytes& out)
{
    return PictureOfRows(format, rows, width, height, physWidth, physHeight, Ink{}, out);
}

int PictureOfRows(int format, const Bytes& rows, int width, int height, int physWidth, int physHeight, const Ink& ink,
                  Bytes& out)
{
    if (format == BarFmtPng) return PngOfRows(rows.data(), width, height, physWidth, physHeight, out);
    if (format == BarFmtTif) return TiffOfRows(rows.data(), width, height, physWidth, physHeight, ink, out);
    if (format != BarFmtBmp) return BarErrFile;
    out.resize(BmpBitsOffset + rows.size());
    std::memset(out.data(), 0, BmpBitsOffset);
    PutBmpFileHeader(out.data(), static_cast<uint32_t>(rows.size()));
    PutBmpInfo(out.data() + BmpFileHeaderSize, width, height, static_cast<uint32_t>(rows.size()), physWidth,
               physHeight);
    std::memcpy(out.data() + BmpBitsOffset, rows.data(), rows.size());
    return BarOk;
}

int PictureOf(int format, int width, int height, int physWidth, int physHeight, DrawFunction draw,
              const void* context, Bytes& out)
{
    Bytes drawing;
    if (format == BarFmtBmp || format == BarFmtPng || format == BarFmtTif) {
        const int result = DrawnRows(width, height, draw, context, drawing);
        return result == BarOk ? PictureOfRows(format, drawing, width, height, physWidth, physHeight, out) : result;
    }
    if (format < BarFmtWmf || format > BarFmtEmf) return BarErrFile;
    if (!VectorSizeFits(format, width, height)) return BarErrGdi;
    const int result = RecordedBits(width, height, RecordingUnit(format, width, height), draw, context, drawing);
    return result == BarOk ? PictureOfBits(format, drawing, width, height, out) : result;
}

int StoreFile(const char* path, const Bytes& picture)
{
    if (!path) return BarErrFile;
    const HFILE file = _lcreat(path, 0);
    if (file == HFILE_ERROR) return BarErrFile;
    const UINT size = static_cast<UINT>(picture.size());
    const int result = _lwrite(file, reinterpret_cast<const char*>(picture.data()), size) == size ? BarOk : BarErrFile;
    _lclose(file);
    return result;
}

int StoreMemory(const Bytes& picture, void* buffer, unsigned int size, unsigned int* needed)
{
    if (picture.size() > UINT32_MAX) return BarErrGdi;
    const auto length = static_cast<unsigned int>(picture.size());
    if (needed) *needed = length;
    if (!buffer) return BarOk; // the size query
    if (size < length) return BarErrFile;
    std::memcpy(buffer, picture.data(), length);
    return BarOk;
}

} // namespace lumtar
