#include "check/checkdigit.h"

namespace lumtar {
namespace {

int Value(char c) { return static_cast<signed char>(c) - '0'; }

constexpr int IsbnWeights[9] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
// Indexed by 11 - (S mod 11): index 0 is never used, index 11 holds the "0" of remainder 0.
constexpr char IsbnCheckChars[] = "0123456789X0";

} // namespace

int Gs1CheckDigit(const char* text, int count)
{
    int sum = 0;
    for (int i = 0; i < count; ++i)
        sum += ((count - 1 - i) % 2 == 0 ? 3 : 1) * Value(text[i]);
    const int d = 10 - sum % 10;
    return d == 10 ? 0 : d;
}

char IsbnCheckChar(const char* text)
{
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += IsbnWeights[i] * Value(text[i]);
    if (sum < 0)
        return 0;
    return IsbnCheckChars[11 - sum % 11];
}

} // namespace lumtar
