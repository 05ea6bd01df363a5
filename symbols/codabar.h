// Codabar character set (USS-Codabar, as in ANSI/AIM BC3) and its renderer.
#pragma once
#include <cstring>

#include "lumtar32_gdi.h"

namespace lumtar {

// A character's index is its position here; upper and lower case start/stop
// letters share one pattern.
inline constexpr char CodabarCharset[] = "0123456789-$:/.+AaBbCcDd";
// Letters allowed only at the first and the last position of a text.
inline constexpr char CodabarStartStop[] = "AaBbCcDd";

// Position of c in CodabarCharset, or -1 (the terminating zero is no character).
inline int CodabarIndex(char c)
{
    if (c == '\0') return -1;
    const char* p = std::strchr(CodabarCharset, c);
    return p ? static_cast<int>(p - CodabarCharset) : -1;
}

inline bool IsCodabarStartStop(char c) { return c != '\0' && std::strchr(CodabarStartStop, c) != nullptr; }

// text: start letter, data, stop letter, all drawn as given. Returns 1.
int DrawCodabar(HDC hdc, const char* text, const RECT* rect, int textHeight);

} // namespace lumtar
