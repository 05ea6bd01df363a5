// EAN-13: 107-module box, the leading digit printed in the left margin.
#pragma once
#include "lumtar32_gdi.h"

namespace lumtar {

// text: 12 or 13 digits; the check digit is always computed from the first 12.
int DrawEan13(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
