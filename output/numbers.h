// Numbers and text appended to a picture being written: integers, and
// fractions to a hundredth without trailing zeros.
#pragma once

#include <charconv>
#include <cmath>

#include "output/formats.h"

namespace lumtar {

inline void Put(Bytes& out, const char* text)
{
    while (*text) out.push_back(static_cast<uint8_t>(*text++));
}

inline void Put(Bytes& out, long long value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.insert(out.end(), digits, end);
}

inline void PutFixed(Bytes& out, double value)
{
    const long long hundredths = std::llround(value * 100);
    if (hundredths < 0) out.push_back('-');
    const long long magnitude = hundredths < 0 ? -hundredths : hundredths;
    Put(out, magnitude / 100);
    if (const long long fraction = magnitude % 100) {
        out.push_back('.');
        out.push_back(static_cast<uint8_t>('0' + fraction / 10));
        if (fraction % 10) out.push_back(static_cast<uint8_t>('0' + fraction % 10));
    }
}

} // namespace lumtar
