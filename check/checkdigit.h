// The GS1 modulo-10 check digit of EAN-13, EAN-8 and UPC-A, and the ISBN-10
// check character (ISO 2108, modulo 11).
#pragma once

namespace lumtar {

// Over the first count characters (12 for EAN-13, 7 for EAN-8, 11 for UPC-A),
// never the terminator: weight 3 for the last and every second one before it,
// 1 for the others; d = 10 - (sum mod 10) with truncating remainder, 10 read
// as 0. Every character counts as its signed code minus "0", so a text with
// characters below "0" can give 11 to 19.
int Gs1CheckDigit(const char* text, int count);
// "0" to "9" or "X" over the first 9 characters; 0 when the weighted sum is
// negative (no text character).
char IsbnCheckChar(const char* text);

} // namespace lumtar
