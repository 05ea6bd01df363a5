// EAN-13 on a 107-module box: 8 blank modules carrying the leading digit, the
// 95 modules of the symbol, 4 blank modules.
#include "symbols/ean13.h"

#include <cstdlib>
#include <cstring>

#include "check/checkdigit.h"
#include "render/rotation.h"
#include "symbols/ean_modules.h"

namespace lumtar {
namespace {

constexpr int Box = 8 + 3 + 6 * 7 + 5 + 6 * 7 + 3 + 4; // margin, guard, left half, centre, right half and check, guard, margin
static_assert(Box == 107);

} // namespace

int DrawEan13(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    char digits[13]; // the twelve of the text and the check digit
    std::memcpy(digits, text, 12);
    digits[12] = static_cast<char>('0' + Gs1CheckDigit(text, 12));
    const ModuleBox box{hdc, rect, ModuleWidth(rect, Box), false, textHeight != 0, 3, rect->bottom};
    const int guardBottom = -(std::abs(rect->top - rect->bottom) / 15);

    const UINT savedAlign = SetTextAlign(hdc, TA_BOTTOM | TA_CENTER);
    if (textHeight != 0) DrawBarText(hdc, rect->left + 4 * box.moduleWidth, rect->bottom, digits, 1); // in the margin
    // The leading digit has no code: it chooses number set A or B for each left-half digit.
    DrawGuardedHalves(box, digits + 1, 6, EanDigits[digits[0] - '0'].ean13Sets, 8, -textHeight, guardBottom);
    SetTextAlign(hdc, savedAlign);
    return 1;
}

} // namespace lumtar
