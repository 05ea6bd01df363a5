// Little-endian fields and the row stride of 1-bit bitmaps: the one copy
// shared by the file outputs, the metafile recorder and the native bitmaps.
// Header-only and free of native types, so both builds can include it.
#pragma once

#include <cstdint>

namespace lumtar {

inline void PutWord(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void PutDword(uint8_t* at, uint32_t value)
{
    PutWord(at, value);
    PutWord(at + 2, value >> 16);
}

inline uint16_t GetWord(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

inline uint32_t GetDword(const uint8_t* at) { return GetWord(at) | static_cast<uint32_t>(GetWord(at + 2)) << 16; }

// Bytes per row of a 1-bit bitmap: rows are padded to whole 32-bit words.
inline int64_t BmpStride(int64_t pixelWidth) { return (pixelWidth + 31) / 32 * 4; }

} // namespace lumtar
