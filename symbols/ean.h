// EAN-13 and EAN-8, each digit's character below its code.
#pragma once
#include "lumtar32_gdi.h"

namespace lumtar {

// text: 12 or 13 digits; the check digit is always computed from the first 12.
// A 107-module box: 8 blank modules carrying the leading digit, the 95 modules
// of the symbol, 4 blank modules.
int DrawEan13(HDC hdc, const char* text, const RECT* rect, int textHeight);
// text: 7 or 8 digits; the check digit is always computed from the first 7.
// A 67-module box that the symbol fills.
int DrawEan8(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
