// Number sets A, B and C of the EAN/UPC digits, the guards, and the module
// writer of the whole family: EAN-13, EAN-8, UPC-A and the add-ons (GS1
// General Specifications 5.2.1.2, ISO/IEC 15420 tables 1 and 2).
#pragma once
#include <bit>
#include <cstdint>

#include "lumtar32_gdi.h"

namespace lumtar {

// Every pattern of the family is written as it reads: count modules, the
// first (leftmost) in bit count - 1, 1 = bar. A set choice reads the same
// way: one bit per digit, the first digit's highest, 1 = number set B.
struct Modules {
    uint8_t bits;
    uint8_t count;
};

enum NumberSet : uint8_t { SetA, SetB, SetC };

struct EanDigit {
    uint8_t ean13Sets; // the six left-half digits of an EAN-13 whose leading digit this is
    uint8_t codes[3];  // seven modules in number set A, B and C
};

inline constexpr EanDigit EanDigits[10] = {
    // EAN-13 sets   number set A  number set B  number set C
    {0b000000, {0b0001101, 0b0100111, 0b1110010}}, // 0  AAAAAA
    {0b001011, {0b0011001, 0b0110011, 0b1100110}}, // 1  AABABB
    {0b001101, {0b0010011, 0b0011011, 0b1101100}}, // 2  AABBAB
    {0b001110, {0b0111101, 0b0100001, 0b1000010}}, // 3  AABBBA
    {0b010011, {0b0100011, 0b0011101, 0b1011100}}, // 4  ABAABB
    {0b011001, {0b0110001, 0b0111001, 0b1001110}}, // 5  ABBAAB
    {0b011100, {0b0101111, 0b0000101, 0b1010000}}, // 6  ABBBAA
    {0b010101, {0b0111011, 0b0010001, 0b1000100}}, // 7  ABABAB
    {0b010110, {0b0110111, 0b0001001, 0b1001000}}, // 8  ABABBA
    {0b011010, {0b0001011, 0b0010111, 0b1110100}}, // 9  ABBABA
};

inline constexpr Modules NormalGuard{0b101, 3};
inline constexpr Modules CentreGuard{0b01010, 5};
inline constexpr Modules AddOnStartGuard{0b1011, 4};
inline constexpr Modules AddOnSeparator{0b01, 2};

namespace ean_table_checks {
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
    for (const auto& d : EanDigits) {
        const unsigned a = d.codes[SetA], b = d.codes[SetB], c = d.codes[SetC];
        if ((a | b | c) >= 0x80) return false;
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
        const unsigned sets = EanDigits[d].ean13Sets;
        if (sets & ~0x1Fu) return false; // the first left-half digit is always A
        if (std::popcount(sets) != (d == 0 ? 0 : 3)) return false;
        for (int e = 0; e < d; ++e)
            if (EanDigits[e].ean13Sets == sets) return false; // the leading digit must be recoverable
    }
    return true;
}(), "EAN-13 number-set table: 0 is all A, every other leading digit three B, all distinct");

// A symbol laid out on a box of modules across a rectangle's width: module k
// spans rect.left + k * moduleWidth to the next module, whichever way the
// rectangle faces; the width's remainder stays blank at the right. Bars
// start at rect.top.
struct ModuleBox {
    HDC hdc;
    const RECT* rect;
    int moduleWidth;
    bool rectanglePerModule; // one rectangle per dark module (UPC-A), else one per bar
    bool digitText;          // each digit's character follows its code...
    int textModule;          // ...at this module of the code
    int textY;
};

// The first count characters of text and their GS1 check digit into digits.
void CopyWithCheckDigit(char* digits, const char* text, int count);

// |rect width| / boxModules, truncated.
int ModuleWidth(const RECT* rect, int boxModules);

// The modules of pattern from module start, bars ending at rect.bottom +
// bottomOffset. Returns the module after them.
int DrawModules(const ModuleBox& box, Modules pattern, int start, int bottomOffset);

// count digits from module start, each in number set set, or B where its bit
// of setB is 1, with separator between two digits. Returns the module after them.
struct DigitRun {
    const char* digits;
    int count;
    NumberSet set;
    unsigned setB = 0;
    Modules separator = {0, 0};
};
int DrawDigits(const ModuleBox& box, const DigitRun& run, int start, int bottomOffset);

// Normal guard, count left-half digits (number set A, or B by leftSetB),
// centre guard, count right-half digits in number set C, normal guard; the
// guards' bars end at guardBottom, the digits' at digitBottom (offsets from
// rect.bottom). digits holds both halves.
void DrawGuardedHalves(const ModuleBox& box, const char* digits, int count, unsigned leftSetB, int start,
                       int digitBottom, int guardBottom);

} // namespace lumtar
