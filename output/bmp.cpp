// BarToBmp: one code drawn into a monochrome memory bitmap and stored as an
// uncompressed 1-bit BMP file.
#include <cstdint>

#include "lumtar32.h"
#include "output/headers.h"
#include "render/rotation.h"

namespace lumtar {
namespace {

// The description GetDIBits reads, in the host's own layout.
struct MonochromeInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
};

// Writes the 14-byte header and then the block; BarOk or BarErrFile.
int WriteFile(const char* path, const uint8_t (&header)[BmpFileHeaderSize], const char* block, uint32_t blockSize)
{
    const HFILE file = _lcreat(path, 0);
    if (file == HFILE_ERROR) return BarErrFile;
    int result = BarOk;
    if (_lwrite(file, reinterpret_cast<const char*>(header), BmpFileHeaderSize) != BmpFileHeaderSize ||
        _lwrite(file, block, blockSize) != blockSize)
        result = BarErrFile;
    _lclose(file);
    return result;
}

} // namespace
} // namespace lumtar

using namespace lumtar;

extern "C" int LUMTAR_CALL BarToBmp(const char* path, const char* text, const LOGFONTA* font, int pixelWidth,
                                    int pixelHeight, int physWidth, int physHeight, int types)
{
    if (!text) return BarErrCode;
    if (!path) return BarErrFile;
    // GDI would hand out its 1 x 1 stock bitmap for an empty size; and one
    // logical unit per pixel, a side beyond the coordinate space cannot be drawn.
    if (pixelWidth <= 0 || pixelHeight <= 0) return BarErrGdi;
    if (pixelWidth > MaxCoordinate || pixelHeight > MaxCoordinate) return BarErrGdi;

    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(pixelWidth, pixelHeight, 1, 1, nullptr);
    if (!dc || !bitmap) {
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
        return BarErrGdi;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);

    // One logical unit per pixel; the code fills the whole bitmap.
    RECT rect;
    SetRect(&rect, 0, 0, pixelWidth, pixelHeight);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    int result = BarOk;
    if (!Bar2Hdc(dc, text, &rect, font, types)) {
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
            PutBmpInfo(bytes, pixelWidth, pixelHeight, static_cast<uint32_t>(imageSize), physWidth, physHeight);
            MonochromeInfo info{};
            info.header.biSize = sizeof(BITMAPINFOHEADER);
            info.header.biWidth = pixelWidth;
            info.header.biHeight = pixelHeight;
            info.header.biPlanes = 1;
            info.header.biBitCount = 1;
            info.header.biCompression = BI_RGB;
            info.header.biSizeImage = static_cast<DWORD>(imageSize);
            info.header.biClrUsed = 2;
            info.header.biClrImportant = 2;
            info.colors[1] = RGBQUAD{255, 255, 255, 0};
            // All rows, also beyond the 65535 that a 16-bit count would reach.
            const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(pixelHeight), bytes + BmpInfoSize,
                                       reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
            if (rows != pixelHeight) {
                result = BarErrGdi;
            } else {
                uint8_t header[BmpFileHeaderSize];
                PutBmpFileHeader(header, static_cast<uint32_t>(imageSize));
                result = WriteFile(path, header, reinterpret_cast<const char*>(bytes), static_cast<uint32_t>(blockSize));
            }
            GlobalUnlock(block);
        }
        if (block) GlobalFree(block);
    }

    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return result;
}
