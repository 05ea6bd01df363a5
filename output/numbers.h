// Numbers and text appended to a picture being written: integers, and
// fractions to a hundredth without trailing zeros. The To* functions write at
// `at` and return the end, so that a whole element goes into the picture with
// one insert.
#pragma once

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "output/encoders.h"

namespace lumtar {

inline char* ToText(char* at, const char* text)
{
    const size_t length = std::strlen(text);
    std::memcpy(at, text, length);
    return at + length;
}

// At most 20 characters.
inline char* ToInt(char* at, long long value) { return std::to_chars(at, at + 24, value).ptr; }

// At most 24 characters.
inline char* ToFixed(char* at, double value)
{
    if (!(std::fabs(value) < 1e15)) value = 0; // nothing drawn reaches there; no NaN in a picture
    const long long hundredths = std::llround(value * 100);
    if (hundredths < 0) *at++ = '-';
    const long long magnitude = hundredths < 0 ? -hundredths : hundredths;
    at = ToInt(at, magnitude / 100);
    if (const long long fraction = magnitude % 100) {
        *at++ = '.';
        *at++ = static_cast<char>('0' + fraction / 10);
        if (fraction % 10) *at++ = static_cast<char>('0' + fraction % 10);
    }
    return at;
}

inline void Append(Bytes& out, const char* begin, const char* end)
{
    const size_t size = out.size(), length = static_cast<size_t>(end - begin);
    if (out.capacity() < size + length) out.reserve(2 * (size + length));
    out.resize(size + length);
    std::memcpy(out.data() + size, begin, length);
}

inline void Put(Bytes& out, const char* text) { Append(out, text, text + std::strlen(text)); }

inline void Put(Bytes& out, long long value)
{
    char digits[24];
    Append(out, digits, ToInt(digits, value));
}

inline void PutFixed(Bytes& out, double value)
{
    char digits[32];
    Append(out, digits, ToFixed(digits, value));
}

// A literal string of PostScript and PDF: parentheses and backslashes
// escaped, the bytes outside printable ASCII as octal escapes of their code
// page 1252 codes.
inline void PutLiteral(Bytes& out, const std::string& chars)
{
    out.push_back('(');
    for (const char c : chars) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '(' || c == ')' || c == '\\') {
            out.push_back('\\');
            out.push_back(byte);
        } else if (byte < 0x20 || byte > 0x7E) {
            const char octal[5] = {'\\', static_cast<char>('0' + (byte >> 6)), static_cast<char>('0' + (byte >> 3 & 7)),
                                   static_cast<char>('0' + (byte & 7)), 0};
            Put(out, octal);
        } else {
            out.push_back(byte);
        }
    }
    out.push_back(')');
}

} // namespace lumtar
