// UPC-A: 99-module box, one rectangle per dark module (ISO/IEC 15420, UPC-A).
#pragma once
#include <cstdint>

#include "lumtar32_gdi.h"

namespace lumtar {

// Right-aligned codes of number set C: the seven modules in bits 6 to 0, bit 6
// leftmost, 1 = bar; entry 10 repeats digit 0 so that 10 - (sum mod 10) needs no reduction.
inline constexpr int32_t UpcRightCodes[11] = {
    0x72, 0x66, 0x6C, 0x42, 0x5C, 0x4E, 0x50, 0x44, 0x48, 0x74, // number set C, 0 - 9
    0x72,                                                       // 0 again, for check value 10
};

// Dark modules of a right-aligned pattern; the first lands on startModule + 2.
// Returns moduleCount.
int DrawUpcModules(HDC hdc, int32_t pattern, const RECT* rect, int startModule, int moduleCount, int bottomOffset);

// text: exactly 11 digits; the twelfth is computed here.
int DrawUpcA(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
