// Number sets A, B and C of the EAN/UPC digits and the run-merging module
// writer shared by EAN-13, EAN-8 and the add-ons (GS1 General Specifications
// 5.2.1.2, ISO/IEC 15420 tables 1 and 2).
#pragma once
#include <bit>
#include <cstdint>
#include <iterator>

#include "lumtar32_gdi.h"

namespace lumtar {

// Code words are left-aligned: the seven modules of a digit in bits 15 to 9,
// bit 15 the leftmost, 1 = bar. Parity: bits 15 to 10 are the six left-half
// digits of an EAN-13 whose leading digit is this one, 1 = number set B.
struct EanDigitRecord {
    uint16_t Parity;
    uint16_t SetA;
    uint16_t SetB;
    uint16_t SetC;
};

inline constexpr EanDigitRecord EanDigitPatterns[10] = {
    // parity            number set A        number set B        number set C
    {0b000000 << 10, 0b0001101 << 9, 0b0100111 << 9, 0b1110010 << 9}, // 0  AAAAAA
    {0b001011 << 10, 0b0011001 << 9, 0b0110011 << 9, 0b1100110 << 9}, // 1  AABABB
    {0b001101 << 10, 0b0010011 << 9, 0b0011011 << 9, 0b1101100 << 9}, // 2  AABBAB
    {0b001110 << 10, 0b0111101 << 9, 0b0100001 << 9, 0b1000010 << 9}, // 3  AABBBA
    {0b010011 << 10, 0b0100011 << 9, 0b0011101 << 9, 0b1011100 << 9}, // 4  ABAABB
    {0b011001 << 10, 0b0110001 << 9, 0b0111001 << 9, 0b1001110 << 9}, // 5  ABBAAB
    {0b011100 << 10, 0b0101111 << 9, 0b0000101 << 9, 0b1010000 << 9}, // 6  ABBBAA
    {0b010101 << 10, 0b0111011 << 9, 0b0010001 << 9, 0b1000100 << 9}, // 7  ABABAB
    {0b010110 << 10, 0b0110111 << 9, 0b0001001 << 9, 0b1001000 << 9}, // 8  ABABBA
    {0b011010 << 10, 0b0001011 << 9, 0b0010111 << 9, 0b1110100 << 9}, // 9  ABBABA
};

// Guards, left-aligned like the digit codes, with their module counts.
inline constexpr uint16_t EanNormalGuard = 0b101 << 13;   // 3 modules
inline constexpr uint16_t EanCentreGuard = 0b01010 << 11; // 5 modules
inline constexpr uint16_t AddOnStartGuard = 0b1011 << 12; // 4 modules
inline constexpr uint16_t AddOnSeparator = 0b01 << 14;    // 2 modules

namespace ean_table_checks {
constexpr unsigned Modules(uint16_t word) { return word >> 9; }
constexpr unsigned Reversed7(unsigned m)
{
    unsigned r = 0;
    for (int i = 0; i < 7; ++i) r |= ((m >> i) & 1u) << (6 - i);
    return r;
}
// Dark/light changes inside the seven modules plus the edges: two bars and two spaces.
constexpr int Runs(unsigned m)
{
    int runs = 1;
    for (int i = 0; i < 6; ++i) runs += ((m >> i) & 1u) != ((m >> (i + 1)) & 1u);
    return runs;
}
} // namespace ean_table_checks

static_assert([] {
    using namespace ean_table_checks;
    for (const auto& d : EanDigitPatterns) {
        const unsigned a = Modules(d.SetA), b = Modules(d.SetB), c = Modules(d.SetC);
        if ((d.SetA | d.SetB | d.SetC) & 0x1FF) return false;
        if (Runs(a) != 4 || Runs(b) != 4 || Runs(c) != 4) return false;
        if (std::popcount(a) % 2 != 1 || std::popcount(b) % 2 != 0) return false; // A odd, B even
        if (c != (~a & 0x7F)) return false;                                         // C is A inverted
        if (b != Reversed7(c)) return false;                                        // B is C reversed
        if (a & 0x40 || !(a & 1)) return false; // a left-half code opens with a space, ends with a bar
    }
    return true;
}(), "number sets A, B and C: two bars each, A odd, C = not A, B = C mirrored");
static_assert([] {
    for (int d = 0; d < 10; ++d) {
        const uint16_t p = EanDigitPatterns[d].Parity;
        if ((p & 0x83FF) != 0) return false;                    // first digit always A, bits 9..0 clear
        if (std::popcount(static_cast<unsigned>(p)) != (d == 0 ? 0 : 3)) return false;
        for (int e = 0; e < d; ++e)
            if (EanDigitPatterns[e].Parity == p) return false; // the leading digit must be recoverable
    }
    return true;
}(), "EAN-13 number-set table: 0 is all A, every other leading digit three B, all distinct");

// Draws the first moduleCount modules of a left-aligned pattern from module
// startModule of a box of boxModules modules spanning the rectangle's width,
// one rectangle per run of bars ending at rect.bottom + bottomOffset.
// Returns moduleCount.
int DrawEanModules(HDC hdc, uint16_t pattern, const RECT* rect, int startModule, int moduleCount, int bottomOffset,
                   int boxModules);

// Draws the right half from the centre guard at module centre: count digits in
// number set C, the check digit, the end guard, each digit's text below its
// modules unless textHeight is 0.
void DrawEanRightHalf(HDC hdc, const RECT* rect, int boxModules, int centre, const char* digits, int count,
                      char checkChar, int dataBottom, int guardBottom, int textHeight);

} // namespace lumtar
