// The five- and two-digit add-ons (GS1 General Specifications 5.2.2.6,
// ISO/IEC 15420 annex: add-on symbols).
#pragma once
#include <bit>
#include <cstdint>

#include "lumtar32_gdi.h"

namespace lumtar {

// Number sets of the digits, bit 15 the first digit, 1 = number set B.
inline constexpr int32_t Ean5ParityPatterns[10] = {
    0b11000 << 11, // 0  B B A A A
    0b10100 << 11, // 1  B A B A A
    0b10010 << 11, // 2  B A A B A
    0b10001 << 11, // 3  B A A A B
    0b01100 << 11, // 4  A B B A A
    0b00110 << 11, // 5  A A B B A
    0b00011 << 11, // 6  A A A B B
    0b01010 << 11, // 7  A B A B A
    0b01001 << 11, // 8  A B A A B
    0b00101 << 11, // 9  A A B A B
};
inline constexpr int32_t Ean2ParityPatterns[4] = {
    0b00 << 14, // 0  A A
    0b01 << 14, // 1  A B
    0b10 << 14, // 2  B A
    0b11 << 14, // 3  B B
};
static_assert([] {
    for (int i = 0; i < 10; ++i) {
        if (std::popcount(static_cast<uint32_t>(Ean5ParityPatterns[i])) != 2) return false;
        if (Ean5ParityPatterns[i] & ~0xF800) return false;
        for (int j = 0; j < i; ++j)
            if (Ean5ParityPatterns[j] == Ean5ParityPatterns[i]) return false;
    }
    return true;
}(), "EAN-5 number sets: two B of five, every index its own combination");

// (3 (d0 + d2 + d4) + 9 (d1 + d3)) mod 10
int Ean5ParityIndex(const char* text);
// the two-digit value mod 4
int Ean2ParityIndex(const char* text);

// text: exactly 5 (2) digits, printed above the bars.
int DrawEan5(HDC hdc, const char* text, const RECT* rect, int textHeight);
int DrawEan2(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
