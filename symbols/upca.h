// UPC-A: 99-module box, one rectangle per dark module (ISO/IEC 15420, UPC-A).
#pragma once
#include "lumtar32_gdi.h"

namespace lumtar {

// text: exactly 11 digits; the twelfth is computed here.
int DrawUpcA(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
