// The five- and two-digit add-ons (GS1 General Specifications 5.2.2.6,
// ISO/IEC 15420 annex: add-on symbols).
#pragma once

#include "lumtar32_gdi.h"

namespace lumtar {

// text: exactly 5 (2) digits, printed above the bars.
int DrawEan5(HDC hdc, const char* text, const RECT* rect, int textHeight);
int DrawEan2(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
