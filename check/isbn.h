// ISBN-10 <-> EAN-13 (Bookland "978") and the ISBN symbol.
#pragma once
#include "lumtar32_gdi.h"

namespace lumtar {

// The ISBN-10 of a 978 EAN-13 as "d-dddddd-dd-c" into isbnOut (15 bytes), or
// a message there; 1 or 0. Neither pointer is null.
int IsbnFromEan(char* isbnOut, const char* ean);
// The EAN-13 of an ISBN-10 (or of its first nine characters) into eanOut (19
// bytes), or a message there; 1 or 0. Neither pointer is null.
int EanFromIsbn(char* eanOut, const char* isbn);

// Renderer of BarTypIsbn: the header line "ISBN <text>" above the EAN-13 of
// the ISBN. Returns 1, or 0 (nothing drawn) when the ISBN does not convert to
// 13 digits.
int DrawIsbnSymbol(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
