// EAN-8 on a 67-module box that the symbol fills; all left digits number set A.
#include "symbols/ean8.h"

#include <cstdlib>
#include <cstring>

#include "check/checkdigit.h"
#include "symbols/ean_modules.h"

namespace lumtar {
namespace {

constexpr int Box = 3 + 4 * 7 + 5 + 4 * 7 + 3; // guard, left half, centre, right half and check, guard
static_assert(Box == 67);

} // namespace

int DrawEan8(HDC hdc, const char* text, const RECT* rect, int textHeight)
{
    char digits[8]; // the seven of the text and the check digit
    std::memcpy(digits, text, 7);
    digits[7] = static_cast<char>('0' + Gs1CheckDigit(text, 7));
    const ModuleBox box{hdc, rect, ModuleWidth(rect, Box), false, textHeight != 0, 3, rect->bottom};
    // Data bars stop short of the text line on the side of rect.bottom that
    // lies inside the rectangle; guard bars by a fortieth of the height.
    const int digitBottom = rect->top < rect->bottom ? -textHeight : textHeight;
    const int guardBottom = -(std::abs(rect->top - rect->bottom) / 40);

    const UINT savedAlign = SetTextAlign(hdc, TA_BOTTOM | TA_CENTER);
    DrawGuardedHalves(box, digits, 4, 0, 0, digitBottom, guardBottom);
    SetTextAlign(hdc, savedAlign);
    return 1;
}

} // namespace lumtar
