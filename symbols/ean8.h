// EAN-8: 67-module box filled by the symbol.
#pragma once
#include "lumtar32_gdi.h"

namespace lumtar {

// text: 7 or 8 digits; the check digit is always computed from the first 7.
int DrawEan8(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
