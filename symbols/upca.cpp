// UPC-A on a 99-module box; every code lands two modules right of the start
// index passed to DrawUpcModules, so the symbol fills modules 2 to 96.
#include "symbols/upca.h"

#include <cstdlib>

#include "render/rotation.h"
#include "symbols/ean_modules.h"

namespace lumtar {
namespace {

// Right-aligned codes: the seven modules in bits 6 to 0, bit 6 leftmost, 1 = bar.
constexpr int32_t UpcLeftCodes[10] = {
    0x0D, 0x19, 0x13, 0x3D, 0x23, 0x31, 0x2F, 0x3B, 0x37, 0x0B, // number set A, 0 - 9
};
constexpr int32_t UpcNormalGuard = 0b101;   // 3 modules
constexpr int32_t UpcCentreGuard = 0b01010; // 5 modules

static_assert([] {
    for (int d = 0; d < 10; ++d)
        if (UpcLeftCodes[d] != EanDigitPatterns[d].SetA >> 9 || UpcRightCodes[d] != EanDigitPatterns[d].SetC >> 9)
            return false;
    return UpcRightCodes[10] == UpcRightCodes[0];
}(), "UPC-A codes are number sets A and C of the EAN digits");

// One bar module of the 99-module box, ending at rect.bottom + bottomOffset.
void DrawUpcModule(HDC hdc, const RECT* rect, int module, int bottomOffset)
{
    const int w = std::abs(rect->right - rect->left) / 99;
    DrawBarRect(hdc, rect->left + module * w, rect->top, rect->left + (module + 1) * w, rect->bottom + bottomOffset);
}

} // namespace

int DrawUpcModules(HDC hdc, int32_t pattern, const RECT* rect, int startModule, int moduleCount, int bottomOffset)
{
    for (int n = moduleCount - 1; n >= 0; --n)
        if ((pattern >> n) & 1) DrawUpcModule(hdc, rect, startModule + moduleCount - n + 1, bottomOffset);
    return moduleCount;
}

int DrawUpcA(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    int sum = 0;
    for (int k = 0; k < 11; ++k) sum += (k % 2 == 0 ? 3 : 1) * (text[k] - '0');
    const int checkIndex = 10 - sum % 10; // 10 is the code of 0 again
    const int checkDigit = checkIndex == 10 ? 0 : checkIndex;

    DrawUpcModules(hdc, UpcNormalGuard, rect, 0, 3, 0);
    for (int i = 0; i < 6; ++i) DrawUpcModules(hdc, UpcLeftCodes[text[i] - '0'], rect, 3 + 7 * i, 7, -textHeight);
    DrawUpcModules(hdc, UpcCentreGuard, rect, 45, 5, 0);
    for (int j = 0; j < 5; ++j) DrawUpcModules(hdc, UpcRightCodes[text[6 + j] - '0'], rect, 50 + 7 * j, 7, -textHeight);
    DrawUpcModules(hdc, UpcRightCodes[checkIndex], rect, 85, 7, -textHeight);
    DrawUpcModules(hdc, UpcNormalGuard, rect, 92, 3, 0);

    if (textHeight == 0) return 1;
    SetTextAlign(hdc, TA_BOTTOM | TA_CENTER);
    char digits[16];
    lstrcpynA(digits, text, 12);
    digits[11] = static_cast<char>('0' + checkDigit);
    const int w = std::abs(rect->right - rect->left) / 99;
    DrawBarText(hdc, rect->left + 25 * w, rect->bottom, digits, 6);
    DrawBarText(hdc, rect->left + 75 * w, rect->bottom, digits + 6, 6);
    SetTextAlign(hdc, TA_LEFT | TA_TOP); // left at 0, whatever it was
    return 1;
}

} // namespace lumtar
