#include "resolve.h"

#include "lumtar32.h"
#include "options.h"

namespace tool {
namespace {

constexpr int AddOnHosts = BarTypIsbn | BarTypEan13 | BarTypUpc12;

bool IsDigits(const std::string& s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

// GS1 modulo-10 check digit: weight 3 on the rightmost digit, then 1, 3, ...
char Gs1Check(const std::string& digits)
{
    int sum = 0, weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it, weight = 4 - weight) sum += (*it - '0') * weight;
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// ISBN-10 modulo-11 check character of nine digits (weights 10 down to 2).
char IsbnCheck(const std::string& nine)
{
    int sum = 0;
    for (int i = 0; i < 9; ++i) sum += (nine[i] - '0') * (10 - i);
    const int value = (11 - sum % 11) % 11;
    return value == 10 ? 'X' : static_cast<char>('0' + value);
}

// The type a text's form and length claim, among the requested ones, and the
// check character it would need as that type.
struct Claim {
    int type = 0;
    char expected = 0;
    bool wrong = false;
};

Claim ClaimOf(const std::string& text, int types)
{
    Claim c;
    std::string form;
    for (char ch : text)
        if (ch != '-') form += ch;
    if ((types & BarTypIsbn) && form.size() == 10 && IsDigits(form.substr(0, 9)) &&
        (IsDigits(form.substr(9)) || form[9] == 'X')) {
        c = {BarTypIsbn, IsbnCheck(form)};
    } else if (IsDigits(text) && text.size() == 13 && (types & BarTypEan13)) {
        c = {BarTypEan13, Gs1Check(text.substr(0, 12))};
    } else if (IsDigits(text) && text.size() == 8 && (types & BarTypEan8)) {
        c = {BarTypEan8, Gs1Check(text.substr(0, 7))};
    } else if (IsDigits(text) && text.size() == 12 && (types & BarTypUpc12) && !(types & BarTypEan13)) {
        // 12 digits are an EAN-13 without its check digit wherever EAN-13 is asked for.
        c = {BarTypUpc12, Gs1Check(text.substr(0, 11))};
    } else {
        return c;
    }
    c.wrong = form.back() != c.expected;
    return c;
}

// What a claim whose check character is wrong would have needed.
void Explain(Resolved& r, const Claim& claim)
{
    if (!claim.wrong) return;
    r.why = std::string(claim.type == BarTypUpc12 ? "as a " : "as an ") + TypeName(claim.type) + " its check " +
            (claim.type == BarTypIsbn ? "character" : "digit") + " would be " + claim.expected;
    r.fallback = r.type != 0;
}

Resolved ResolveSymbol(const std::string& text, int types)
{
    Resolved r;
    r.text = text;
    r.types = types;
    const Claim claim = ClaimOf(text, types);
    if (claim.type == BarTypUpc12 && !claim.wrong) {
        r.text = text.substr(0, 11); // the library draws UPC-A from 11 digits and adds the check digit itself
        r.types = BarTypUpc12;
    }
    r.type = BarCodeTyp(r.text.c_str(), r.types);
    Explain(r, claim);
    // 12 digits are an EAN-13 without its check digit, and a UPC-A with one: say which was drawn.
    if (r.type == BarTypEan13 && text.size() == 12 && IsDigits(text) && (types & BarTypUpc12) &&
        Gs1Check(text.substr(0, 11)) == text[11])
        r.aside = "drawn as EAN-13 " + text + Gs1Check(text) + "; as a UPC-A (--types upca) it is 0" + text;
    return r;
}

} // namespace

Resolved Resolve(const std::string& text, int types)
{
    const auto plus = text.rfind('+');
    if (plus != std::string::npos && (types & AddOnHosts)) {
        const std::string main = text.substr(0, plus), addOn = text.substr(plus + 1);
        if ((addOn.size() == 2 || addOn.size() == 5) && IsDigits(addOn)) {
            Resolved r = ResolveSymbol(main, types & AddOnHosts);
            if (r.type) {
                r.addOn = addOn;
                return r;
            }
            // The whole text as the library takes it (Code 39 allows "+"),
            // with a word on the main part.
            Resolved whole = ResolveSymbol(text, types);
            Explain(whole, ClaimOf(main, types & AddOnHosts));
            return whole;
        }
    }
    return ResolveSymbol(text, types);
}

} // namespace tool
