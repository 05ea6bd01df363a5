#include "print/resolve.h"

#include "check/checkdigit.h"
#include "lumtar32_print.h"

namespace lumtar::print {
namespace {

constexpr int AddOnHosts = BarTypIsbn | BarTypEan13 | BarTypUpc12;

// ITF-14: 13 digits and their check digit, or 14 with the right one.
bool Itf14(const std::string& text, Resolved& r)
{
    if (!IsDigits(text) || (text.size() != 13 && text.size() != 14)) return false;
    const char check = Gs1Check(text.substr(0, 13));
    if (text.size() == 14 && text[13] != check) return false;
    r = {text.substr(0, 13) + check, BarTyp2aus5, BarTypItf14, "", false};
    return true;
}

Resolved Symbol(const std::string& text, int types)
{
    Resolved r{text, types, 0, "", false};
    // The ten exports take UPC-A as 11 digits; 12 with a right check digit are the same symbol.
    if ((types & BarTypUpc12) && !(types & BarTypEan13) && text.size() == 12 && IsDigits(text) &&
        Gs1Check(text.substr(0, 11)) == text[11]) {
        r.text = text.substr(0, 11);
        r.types = BarTypUpc12;
    }
    r.type = BarCodeTyp(r.text.c_str(), r.types & BarTypAll);
    if (!r.type && (types & BarTypItf14)) Itf14(text, r);
    return r;
}

} // namespace

bool IsDigits(const std::string& s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

char Gs1Check(const std::string& digits)
{
    return static_cast<char>('0' + Gs1CheckDigit(digits.c_str(), static_cast<int>(digits.size())));
}

Resolved Resolve(const std::string& text, int types)
{
    const auto plus = text.rfind('+');
    if (plus != std::string::npos) {
        const std::string main = text.substr(0, plus), addOn = text.substr(plus + 1);
        if ((addOn.size() == 2 || addOn.size() == 5) && IsDigits(addOn)) {
            Resolved r = Symbol(main, types & AddOnHosts);
            if (r.type) {
                r.addOn = addOn;
                return r;
            }
            // Code 39 takes "+" as a character; otherwise the main part fits
            // some other requested type, which takes no add-on.
            Resolved whole = Symbol(text, types);
            whole.addOnRefused = !whole.type && Symbol(main, types).type;
            return whole;
        }
    }
    return Symbol(text, types);
}

} // namespace lumtar::print
