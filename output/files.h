// The two file pipelines: a picture recorded into a memory metafile and stored
// as a placeable metafile, or drawn into a monochrome bitmap and stored as a
// BMP. The drawing itself is the caller's: the frame for BarToWmf and
// BarToBmp, Bar2HdcEx with chosen element widths for the lumtar tool.
#pragma once

#include <cstdint>

#include "lumtar32.h"
#include "output/headers.h"
#include "render/limits.h"

namespace lumtar {

// size - amount without signed overflow for the extremes nobody should pass.
inline int WrappingSub(int value, int amount)
{
    return static_cast<int>(static_cast<uint32_t>(value) - static_cast<uint32_t>(amount));
}

// Creates path and writes the header, then the body: BarOk or BarErrFile.
inline int WriteFile(const char* path, const uint8_t* header, UINT headerSize, const char* body, UINT bodySize)
{
    const HFILE file = _lcreat(path, 0);
    if (file == HFILE_ERROR) return BarErrFile;
    int result = BarOk;
    if (_lwrite(file, reinterpret_cast<const char*>(header), headerSize) != headerSize ||
        _lwrite(file, body, bodySize) != bodySize)
        result = BarErrFile;
    _lclose(file);
    return result;
}

// draw(HDC, const RECT*) returns non-zero when it drew a symbol.
template <class Draw> int WmfFile(const char* path, int width, int height, Draw draw)
{
    if (!path) return BarErrFile;
    // A picture larger than the coordinate space cannot be recorded (the far
    // edge of the drawing rectangle, size - 100, lies beyond it); the text may
    // well fit, so this is no BarErrCode.
    if (!InCoordinateSpace(int64_t{width} - 100) || !InCoordinateSpace(int64_t{height} - 100)) return BarErrGdi;

    HDC dc = CreateMetaFileA(nullptr);
    if (!dc) return BarErrGdi;
    // Recorded ahead of the drawing: the player maps this window onto its target.
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, width, height, nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);

    RECT rect;
    SetRect(&rect, 50, 50, WrappingSub(width, 100), WrappingSub(height, 100));
    const int drawn = draw(dc, &rect);

    // The bits go into memory whatever was drawn: a failure there outranks a
    // text that fits no type.
    HMETAFILE metafile = CloseMetaFile(dc);
    const UINT size = metafile ? GetMetaFileBitsEx(metafile, 0, nullptr) : 0;
    HGLOBAL block = size ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size) : nullptr;
    UINT copied = 0;
    if (block) {
        if (void* bits = GlobalLock(block)) {
            copied = GetMetaFileBitsEx(metafile, size, bits);
            GlobalUnlock(block);
        }
    }
    if (metafile) DeleteMetaFile(metafile);

    const auto* bits = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!bits || copied != size) {
        if (bits) GlobalUnlock(block);
        if (block) GlobalFree(block);
        return BarErrGdi;
    }
    const SIZE_T blockSize = GlobalSize(block);

    uint8_t header[PlaceableHeaderSize];
    PutPlaceableHeader(header, width, height);
    const int result = drawn ? WriteFile(path, header, PlaceableHeaderSize, bits, static_cast<UINT>(blockSize))
                             : BarErrCode; // decided before the file system is touched
    GlobalUnlock(block);
    GlobalFree(block);
    return result;
}

// A memory DC with a white monochrome bitmap selected, what it had selected
// before, and the bitmap's whole area in logical units (one per pixel).
struct BitmapDc {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    RECT rect{};
};

// False, with nothing left behind, when GDI cannot give the DC and bitmap.
// FreeBitmapDc puts back what the DC had and frees both.
inline bool OpenBitmapDc(int pixelWidth, int pixelHeight, BitmapDc& target)
{
    target.dc = CreateCompatibleDC(nullptr);
    target.bitmap = target.dc ? CreateBitmap(pixelWidth, pixelHeight, 1, 1, nullptr) : nullptr;
    if (!target.bitmap) {
        if (target.dc) DeleteDC(target.dc);
        return false;
    }
    target.previous = SelectObject(target.dc, target.bitmap);
    SetRect(&target.rect, 0, 0, pixelWidth, pixelHeight);
    FillRect(target.dc, &target.rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return true;
}

// The bitmap's rows as a bottom-up 1-bit DIB of imageSize bytes, described
// in the host's layout; all rows, also beyond the 65535 that a 16-bit count
// would reach. True when GDI gave every row.
inline bool MonochromeRows(const BitmapDc& source, int pixelWidth, int pixelHeight, uint32_t imageSize, void* rows)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = pixelWidth;
    info.header.biHeight = pixelHeight;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage = imageSize;
    info.header.biClrUsed = 2;
    info.header.biClrImportant = 2;
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    return GetDIBits(source.dc, source.bitmap, 0, static_cast<UINT>(pixelHeight), rows,
                     reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == pixelHeight;
}

inline void FreeBitmapDc(const BitmapDc& target)
{
    SelectObject(target.dc, target.previous);
    DeleteObject(target.bitmap);
    DeleteDC(target.dc);
}

// draw(HDC, const RECT*) returns non-zero when it drew a symbol.
template <class Draw>
int BmpFile(const char* path, int pixelWidth, int pixelHeight, int physWidth, int physHeight, Draw draw)
{
    if (!path) return BarErrFile;
    // GDI would hand out its 1 x 1 stock bitmap for an empty size; and one
    // logical unit per pixel, a side beyond the coordinate space cannot be drawn.
    if (pixelWidth <= 0 || pixelHeight <= 0) return BarErrGdi;
    if (pixelWidth > MaxCoordinate || pixelHeight > MaxCoordinate) return BarErrGdi;

    // One logical unit per pixel; the code fills the whole bitmap.
    BitmapDc target;
    if (!OpenBitmapDc(pixelWidth, pixelHeight, target)) return BarErrGdi;

    int result = BarOk;
    if (!draw(target.dc, &target.rect)) {
        result = BarErrCode;
    } else {
        // Every size the file states is a 32-bit field.
        const int64_t imageSize = BmpStride(pixelWidth) * pixelHeight;
        const int64_t blockSize = BmpInfoSize + imageSize;
        HGLOBAL block = BmpBitsOffset + imageSize <= UINT32_MAX ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, blockSize)
                                                               : nullptr;
        auto* bytes = block ? static_cast<uint8_t*>(GlobalLock(block)) : nullptr;
        if (!bytes) {
            result = BarErrGdi;
        } else {
            // The file's headers go into the block field by field; GetDIBits
            // reads its own description, in the host's layout.
            PutBmpInfo(bytes, pixelWidth, pixelHeight, static_cast<uint32_t>(imageSize), physWidth, physHeight);
            if (!MonochromeRows(target, pixelWidth, pixelHeight, static_cast<uint32_t>(imageSize),
                                bytes + BmpInfoSize)) {
                result = BarErrGdi;
            } else {
                uint8_t header[BmpFileHeaderSize];
                PutBmpFileHeader(header, static_cast<uint32_t>(imageSize));
                result = WriteFile(path, header, BmpFileHeaderSize, reinterpret_cast<const char*>(bytes),
                                   static_cast<UINT>(blockSize));
            }
            GlobalUnlock(block);
        }
        if (block) GlobalFree(block);
    }

    FreeBitmapDc(target);
    return result;
}

} // namespace lumtar
