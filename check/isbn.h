// ISBN-10 <-> EAN-13 (Bookland "978") and the ISBN symbol.
#pragma once
#include "lumtar32_gdi.h"

namespace lumtar {

// Renderer of BarTypIsbn: the header line "ISBN <text>" above the EAN-13 of
// the ISBN. Returns 1, or 0 (nothing drawn) when the ISBN does not convert to
// 13 digits.
int DrawIsbnSymbol(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
