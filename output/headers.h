// The file headers that lumtar32 writes, field by field in little-endian
// order, so that neither the host's byte order nor structure packing ever
// reaches a file.
#pragma once

#include <cstdint>

#include "platform/bytes.h" // PutWord, PutDword, GetWord, BmpStride

namespace lumtar {

// ------------------------------------------------ placeable metafile header

constexpr int PlaceableHeaderSize = 22;
constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr int PlaceableUnitsPerInch = 2540; // hundredths of a millimetre

// Key, handle 0, bounding box (0, 0, width, height) in their low 16 bits, units
// per inch, reserved 0, and the XOR of the ten words before the checksum.
inline void PutPlaceableHeader(uint8_t* header, int width, int height)
{
    for (int i = 0; i < PlaceableHeaderSize; ++i) header[i] = 0;
    PutDword(header + 0, PlaceableKey);
    PutWord(header + 10, static_cast<uint32_t>(width));
    PutWord(header + 12, static_cast<uint32_t>(height));
    PutWord(header + 14, PlaceableUnitsPerInch);
    uint16_t checksum = 0;
    for (int at = 0; at < 20; at += 2) checksum ^= GetWord(header + at);
    PutWord(header + 20, checksum);
}

// ------------------------------------------------- monochrome bitmap headers

constexpr int BmpFileHeaderSize = 14;
constexpr int BmpInfoHeaderSize = 40;
constexpr int BmpPaletteSize = 2 * 4;
constexpr int BmpInfoSize = BmpInfoHeaderSize + BmpPaletteSize;  // 48: what follows the file header up to the rows
constexpr int BmpBitsOffset = BmpFileHeaderSize + BmpInfoSize;    // 62
constexpr int64_t HundredthsPerMetre = 100000;

// Pixels per metre for a printed size in 0.01 mm, from the 64-bit product: 0
// when no physical size is known, the largest field value when the quotient
// does not fit the field.
inline int32_t PixelsPerMetre(int pixels, int hundredths)
{
    if (hundredths <= 0) return 0;
    const int64_t ppm = int64_t{pixels} * HundredthsPerMetre / hundredths;
    return ppm > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ppm);
}

// "BM", file size, two reserved words, offset of the rows.
inline void PutBmpFileHeader(uint8_t* header, uint32_t imageSize)
{
    for (int i = 0; i < BmpFileHeaderSize; ++i) header[i] = 0;
    header[0] = 'B';
    header[1] = 'M';
    PutDword(header + 2, BmpBitsOffset + imageSize);
    PutDword(header + 10, BmpBitsOffset);
}

// The palette behind the info header `at`: entry 0 (the bits that are 0)
// and entry 1, each 0xRRGGBB, stored blue, green, red, reserved 0.
inline void PutBmpPalette(uint8_t* at, uint32_t zero, uint32_t one)
{
    for (int k = 0; k < 3; ++k) {
        at[BmpInfoHeaderSize + k] = static_cast<uint8_t>(zero >> (8 * k));
        at[BmpInfoHeaderSize + 4 + k] = static_cast<uint8_t>(one >> (8 * k));
    }
}

// Info header and palette as they go into the file behind the file header.
// Only the non-zero fields are set: `at` holds BmpInfoSize zero bytes.
inline void PutBmpInfo(uint8_t* at, int pixelWidth, int pixelHeight, uint32_t imageSize, int physWidth, int physHeight)
{
    PutDword(at + 0, BmpInfoHeaderSize);
    PutDword(at + 4, static_cast<uint32_t>(pixelWidth));
    PutDword(at + 8, static_cast<uint32_t>(pixelHeight)); // positive: bottom row first
    PutWord(at + 12, 1);                                   // planes
    PutWord(at + 14, 1);                                   // bits per pixel
    PutDword(at + 20, imageSize);                          // compression 0 (BI_RGB) before it
    PutDword(at + 24, static_cast<uint32_t>(PixelsPerMetre(pixelWidth, physWidth)));
    PutDword(at + 28, static_cast<uint32_t>(PixelsPerMetre(pixelHeight, physHeight)));
    PutDword(at + 32, 2); // colours used
    PutDword(at + 36, 2); // colours important
    PutBmpPalette(at, 0x000000, 0xFFFFFF);
}

} // namespace lumtar
