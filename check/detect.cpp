// Type detection: which requested code type a text fits first, and the
// German display names of the types.
#include "check/detect.h"

#include <cstring>

#include "check/checkdigit.h"
#include "lumtar32.h"
#include "symbols/codabar.h"
#include "symbols/code39.h"

namespace lumtar {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What step 1 of detection computes before it looks at the mask.
struct TextFacts {
    const char* text;
    int digits;
    int length;
    char copy[20]; // the first 18 characters, always terminated: all the EAN and ISBN rules see
};

// The EAN-13/EAN-8 rule for a text that is all digits: 7 or 12 digits take
// their check digit from the renderer, 8 or 13 must carry the right one. The
// copy is then all digits too, and its length is the text's up to 18, which
// no rule accepts.
int IsEanDigitsValid(const TextFacts& t)
{
    switch (t.length) {
    case 7:
    case 12: return 1;
    case 8: return t.copy[7] == '0' + Gs1CheckDigit(t.copy, 7);
    case 13: return t.copy[12] == '0' + Gs1CheckDigit(t.copy, 12);
    default: return 0;
    }
}

int Fits(int flag, const TextFacts& t)
{
    switch (flag) {
    // A digit string has no hyphens to drop: only ten digits can be an ISBN.
    case BarTypIsbn: return t.digits && t.length != 10 ? 0 : IsIsbnValid(t.copy);
    case BarTypEan13: return t.digits && t.length >= 9 && IsEanDigitsValid(t);
    case BarTypEan8: return t.digits && t.length <= 8 && IsEanDigitsValid(t);
    case BarTypUpc12: return t.digits && t.length == 11;
    case BarTypEan5: return t.digits && t.length == 5;
    case BarTypEan2: return t.digits && t.length == 2;
    case BarTyp2aus5: return t.digits && t.length > 0 && t.length % 2 == 0;
    case BarTypCodabar: return IsCodabarValid(t.text);
    case BarTyp3aus9: return IsCode39Valid(t.text);
    default: return 0;
    }
}

// Display names, searched in this order; the pair with code 0 ends the table and names everything else.
struct TypeNameEntry {
    unsigned code;
    const char* name;
};
constexpr TypeNameEntry BarTypeNames[] = {
    {256, "3 aus 9"},
    {64, "2 aus 5"},
    {4, "EAN 8"},
    {2, "EAN 13"},
    {8, "UPC 12"},
    {1, "ISBN"},
    {16, "EAN5 Zusatz zu EAN13"},
    {32, "EAN2 Zusatz zu EAN13"},
    {128, "Codabar"},
    {0, "Ung\xFCltig"},
};

} // namespace

int IsDigitString(const char* text)
{
    for (; *text; ++text)
        if (!IsDigit(*text)) return 0;
    return 1;
}

int IsbnHyphenlessForm(const char* text, char (&form)[20])
{
    int n = 0;
    for (; *text; ++text) {
        if (*text == '-') continue;
        if (n == 19) {
            form[19] = '\0';
            return -1;
        }
        form[n++] = *text;
    }
    form[n] = '\0';
    return n;
}

int IsIsbnValid(const char* text)
{
    char form[20];
    if (IsbnHyphenlessForm(text, form) != 10) return 0;
    return form[9] == IsbnCheckChar(form);
}

int IsCodabarValid(const char* text)
{
    const int length = lstrlenA(text);
    if (length < 3) return 0;
    if (!IsCodabarStartStop(text[0]) || !IsCodabarStartStop(text[length - 1])) return 0;
    for (int i = 0; i < length; ++i) {
        if (CodabarIndex(text[i]) < 0) return 0;
        if (i != 0 && i != length - 1 && IsCodabarStartStop(text[i])) return 0;
    }
    return 1;
}

int IsCode39Valid(const char* text)
{
    for (int i = 0; text[i]; ++i) {
        if (i == 70) return 0; // 71 or more characters
        if (Code39Pattern(text[i]) == 0) return 0;
    }
    return 1;
}

int DetectType(const char* text, int types)
{
    // The digits from the start, the length from where they end, then the
    // first 18 characters.
    const char* rest = text;
    while (IsDigit(*rest)) ++rest;
    TextFacts facts{text, *rest == '\0', static_cast<int>(rest - text) + lstrlenA(rest), {}};
    std::memcpy(facts.copy, text, facts.length < 18 ? facts.length : 18);

    switch (types) {
    case 0: return 0;
    case BarTypIsbn: case BarTypEan13: case BarTypEan8: case BarTypUpc12: case BarTypEan5:
    case BarTypEan2: case BarTyp2aus5: case BarTypCodabar: case BarTyp3aus9:
        return Fits(types, facts) ? types : 0;
    default:
        // Several flags, or bits that name no type: lowest flag first; bits from 512 up are ignored.
        for (int flag = BarTypIsbn; flag <= BarTyp3aus9; flag <<= 1)
            if ((types & flag) && Fits(flag, facts)) return flag;
        return 0;
    }
}

const char* TypeName(int type)
{
    const TypeNameEntry* entry = BarTypeNames;
    while (entry->code != static_cast<unsigned>(type) && entry->code != 0)
        ++entry;
    return entry->name;
}

} // namespace lumtar
