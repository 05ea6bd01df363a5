// BarToBmp: one code drawn into a monochrome memory bitmap and stored as an
// uncompressed 1-bit BMP file.
#include <cstdint>

#include "lumtar32.h"
#include "output/le.h"

namespace lumtar {
namespace {

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;
constexpr int PaletteSize = 2 * 4;
constexpr int BitsOffset = FileHeaderSize + InfoHeaderSize + PaletteSize; // 62
constexpr int64_t HundredthsPerMetre = 100000;

// Rows are padded to whole 32-bit words.
int64_t Stride(int pixelWidth) { return (int64_t{pixelWidth} + 31) / 32 * 4; }

// Pixels per metre for the printed size; 0 when no physical size is known,
// the largest field value when the quotient does not fit it.
int32_t PixelsPerMetre(int pixels, int hundredths)
{
    if (hundredths <= 0) return 0;
    const int64_t ppm = int64_t{pixels} * HundredthsPerMetre / hundredths;
    return ppm > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ppm);
}

// Info header and palette as they go into the file (file offset 14 onward):
// only the non-zero fields are set, the block is zero-filled.
void PutInfoHeader(uint8_t* at, int pixelWidth, int pixelHeight, uint32_t imageSize, int physWidth, int physHeight)
{
    PutDword(at + 0, InfoHeaderSize);
    PutDword(at + 4, static_cast<uint32_t>(pixelWidth));
    PutDword(at + 8, static_cast<uint32_t>(pixelHeight)); // positive: bottom row first
    PutWord(at + 12, 1);                                   // planes
    PutWord(at + 14, 1);                                   // bits per pixel
    PutDword(at + 20, imageSize);
    PutDword(at + 24, static_cast<uint32_t>(PixelsPerMetre(pixelWidth, physWidth)));
    PutDword(at + 28, static_cast<uint32_t>(PixelsPerMetre(pixelHeight, physHeight)));
    PutDword(at + 32, 2); // colours used
    PutDword(at + 36, 2); // colours important
    // Palette entry 0 stays black (0, 0, 0, 0); entry 1 is white.
    at[44] = 255; // blue
    at[45] = 255; // green
    at[46] = 255; // red
}

void PutFileHeader(uint8_t (&header)[FileHeaderSize], uint32_t imageSize)
{
    for (auto& b : header) b = 0;
    header[0] = 'B';
    header[1] = 'M';
    PutDword(header + 2, BitsOffset + imageSize);
    PutDword(header + 10, BitsOffset);
}

// The description GetDIBits reads, in the host's own layout.
struct MonochromeInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
};

// Writes the 14-byte header and then the block; BarOk or BarErrFile.
int WriteFile(const char* path, const uint8_t (&header)[FileHeaderSize], const char* block, uint32_t blockSize)
{
    const HFILE file = _lcreat(path, 0);
    if (file == HFILE_ERROR) return BarErrFile;
    int result = BarOk;
    if (_lwrite(file, reinterpret_cast<const char*>(header), FileHeaderSize) != FileHeaderSize ||
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
    // GDI would hand out its 1 x 1 stock bitmap for an empty size.
    if (pixelWidth <= 0 || pixelHeight <= 0) return BarErrGdi;

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
        const int64_t imageSize = Stride(pixelWidth) * pixelHeight;
        const int64_t blockSize = InfoHeaderSize + PaletteSize + imageSize;
        HGLOBAL block = BitsOffset + imageSize <= UINT32_MAX ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, blockSize)
                                                               : nullptr;
        auto* bytes = block ? static_cast<uint8_t*>(GlobalLock(block)) : nullptr;
        if (!bytes) {
            result = BarErrGdi;
        } else {
            PutInfoHeader(bytes, pixelWidth, pixelHeight, static_cast<uint32_t>(imageSize), physWidth, physHeight);
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
            const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(pixelHeight), bytes + InfoHeaderSize + PaletteSize,
                                       reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
            if (rows != pixelHeight) {
                result = BarErrGdi;
            } else {
                uint8_t header[FileHeaderSize];
                PutFileHeader(header, static_cast<uint32_t>(imageSize));
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
