// Check digits of EAN-13, EAN-8 (GS1 modulo 10) and ISBN-10 (ISO 2108, modulo 11).
#pragma once

namespace lumtar {

// Each reads a fixed number of leading characters (12, 7, 9) and never the
// terminator; every character counts as its signed code minus "0".
int Ean13CheckDigit(const char* text);
int Ean8CheckDigit(const char* text);
// "0" to "9" or "X"; 0 when the weighted sum is negative (no text character).
char IsbnCheckChar(const char* text);

} // namespace lumtar
