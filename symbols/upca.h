// UPC-A: 99-module box, one rectangle per dark module (ISO/IEC 15420, UPC-A).
#pragma once
#include <cstdint>

#include "lumtar32_gdi.h"
#include "symbols/ean_modules.h"

namespace lumtar {

// Right-aligned codes: the seven modules in bits 6 to 0, bit 6 leftmost, 1 = bar.
inline constexpr int32_t UpcLeftCodes[10] = {
    0x0D, 0x19, 0x13, 0x3D, 0x23, 0x31, 0x2F, 0x3B, 0x37, 0x0B, // number set A, 0 - 9
};
// Number set C; entry 10 repeats digit 0 so that 10 - (sum mod 10) needs no reduction.
inline constexpr int32_t UpcRightCodes[11] = {
    0x72, 0x66, 0x6C, 0x42, 0x5C, 0x4E, 0x50, 0x44, 0x48, 0x74, // number set C, 0 - 9
    0x72,                                                       // 0 again, for check value 10
};
inline constexpr int32_t UpcNormalGuard = 0b101;   // 3 modules
inline constexpr int32_t UpcCentreGuard = 0b01010; // 5 modules

static_assert([] {
    for (int d = 0; d < 10; ++d)
        if (UpcLeftCodes[d] != EanDigitPatterns[d].SetA >> 9 || UpcRightCodes[d] != EanDigitPatterns[d].SetC >> 9)
            return false;
    return UpcRightCodes[10] == UpcRightCodes[0];
}(), "UPC-A codes are number sets A and C of the EAN digits");

// One bar module of the 99-module box, ending at rect.bottom + bottomOffset.
void DrawUpcModule(HDC hdc, const RECT* rect, int module, int bottomOffset);
// Dark modules of a right-aligned pattern; the first lands on startModule + 2.
// Returns moduleCount.
int DrawUpcModules(HDC hdc, int32_t pattern, const RECT* rect, int startModule, int moduleCount, int bottomOffset);

// text: exactly 11 digits; the twelfth is computed here.
int DrawUpcA(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
