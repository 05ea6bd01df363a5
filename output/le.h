// Little-endian fields of the file formats we write, stored byte by byte so
// that the host's byte order and structure packing never reach a file.
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

} // namespace lumtar
