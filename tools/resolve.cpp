#include "resolve.h"

#include "check/checkdigit.h"
#include "print/resolve.h"
#include "lumtar32.h"
#include "options.h"

namespace tool {
namespace {

constexpr int AddOnHosts = BarTypIsbn | BarTypEan13 | BarTypUpc12;

using lumtar::print::Gs1Check;
using lumtar::print::IsDigits;

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
        c = {BarTypIsbn, lumtar::IsbnCheckChar(form.c_str())};
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

// 12 digits are an EAN-13 without its check digit, and a UPC-A with one: say which was drawn.
void Aside(Resolved& r, const std::string& text, int types)
{
    if (r.type == BarTypEan13 && text.size() == 12 && IsDigits(text) && (types & BarTypUpc12) &&
        Gs1Check(text.substr(0, 11)) == text[11])
        r.aside = "drawn as EAN-13 " + text + Gs1Check(text) + "; as a UPC-A (--types upca) it is 0" + text;
}

} // namespace

// What the library draws is what its print call resolves (ITF-14 aside: the
// tool leaves that to the print call); the words about it are the tool's.
Resolved Resolve(const std::string& text, int types)
{
    const lumtar::print::Resolved drawn = lumtar::print::Resolve(text, types & BarTypAll);
    Resolved r;
    r.text = drawn.text, r.types = drawn.types, r.type = drawn.type, r.addOn = drawn.addOn;
    const auto plus = text.rfind('+');
    const bool split = !drawn.addOn.empty();
    const std::string symbol = split ? text.substr(0, plus) : text;
    const int symbolTypes = split ? types & AddOnHosts : types;
    Explain(r, ClaimOf(symbol, symbolTypes));
    Aside(r, symbol, symbolTypes);
    // "+NN" that is no add-on here: a word on the main part too.
    if (!split && plus != std::string::npos && (types & AddOnHosts)) {
        const std::string addOn = text.substr(plus + 1);
        if ((addOn.size() == 2 || addOn.size() == 5) && IsDigits(addOn))
            Explain(r, ClaimOf(text.substr(0, plus), types & AddOnHosts));
    }
    return r;
}

} // namespace tool
