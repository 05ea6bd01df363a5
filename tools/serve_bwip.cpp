// bwip-js's query form (/?bcid=...&text=...) read into the query of
// /render: its symbologies that the library draws, its options in its units.
#include <cmath>

#include "serve_params.h"

namespace tool {

using namespace params;

namespace {

// bwip-js's symbologies that the library draws. digits: the length with the
// check digit, which bwip-js computes when the text is one shorter.
struct BwipId {
    const char* bcid;
    int types;
    std::size_t digits;
};
constexpr BwipId BwipIds[] = {
    {"ean13", 2, 13}, {"ean8", 4, 8}, {"upca", 8, 0}, {"ean5", 16, 0}, {"ean2", 32, 0}, {"isbn", 1, 0},
    {"interleaved2of5", 64, 0}, {"rationalizedCodabar", 128, 0}, {"code39", 256, 0}, {"itf14", 512, 0},
};

char Gs1CheckDigit(const std::string& digits)
{
    int sum = 0, weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it, weight = 4 - weight) sum += (*it - '0') * weight;
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// bwip-js's scales: pixels per point, so its picture is 72 x scale dots per
// inch of a symbol whose module is one point.
struct BwipScale {
    int x = 0, y = 0, any = 0;
};

// bwip-js's colours: RRGGBB, #RRGGBB, #RGB or CCMMYYKK (made RGB as bwip-js makes it).
bool BwipColour(const std::string& s, long& out)
{
    if (s.size() != 8 || s.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return Colour(s, out);
    const auto part = [&](int i) { return std::stoi(s.substr(2 * i, 2), nullptr, 16) / 255.0; };
    const double k = part(3);
    const auto rgb = [&](int i) { return static_cast<long>(std::floor((1 - part(i)) * (1 - k) * 255)); };
    out = rgb(0) << 16 | rgb(1) << 8 | rgb(2);
    return true;
}

std::string SetBwipOption(Query& q, BwipScale& scale, const std::string& name, const std::string& v)
{
    bool on = false;
    if (name == "scale") return Need(Int(v, 1, 100, scale.any), "is no whole scale from 1 to 100");
    if (name == "scaleX") return Need(Int(v, 1, 100, scale.x), "is no whole scale from 1 to 100");
    if (name == "scaleY") return Need(Int(v, 1, 100, scale.y), "is no whole scale from 1 to 100");
    if (name == "height") return Need(Real(v, 1, MaxMm, q.barHeight), "is no height in mm from 1 to 1000");
    if (name == "includetext") return Flag(v, on) ? (q.font = on ? 0 : 1, "") : "is neither true nor false";
    if (name == "guardwhitespace") return Flag(v, on) ? (q.quietZones = q.indicators = on, "") : "is neither true nor false";
    if (name == "inkspread") return Real(v, 0, 10, q.bwr) ? (q.bwr *= 25.4 / 72, "") : "is no spread in points from 0 to 10";
    if (name == "backgroundcolor") return Need(BwipColour(v, q.paper), "is no colour RRGGBB or CCMMYYKK");
    if (name == "barcolor") return Need(BwipColour(v, q.ink), "is no colour RRGGBB or CCMMYYKK");
    if (name == "format") return SetFormat(q, v);
    if (name == "rotate") {
        constexpr std::pair<const char*, int> Turns[] = {{"N", 0}, {"R", 90}, {"I", 180}, {"L", 270}};
        for (const auto& [letter, degrees] : Turns)
            if (v == letter) return q.rotate = degrees, "";
        return "is none of N, R, I, L";
    }
    if (name == "padding" || name == "paddingwidth" || name == "paddingheight") {
        int points = 0; // bwip-js's padding is in points, as its modules
        if (!Int(v, 0, 999, points)) return "is no padding in points from 0 to 999";
        // padding comes first (the names are sorted), the sides' own after it
        if (name != "paddingheight") q.padX = points * 25.4 / 72;
        if (name != "paddingwidth") q.padY = points * 25.4 / 72;
        return "";
    }
    return "is not taken here (taken: bcid, text, scale, scaleX, scaleY, height, includetext, guardwhitespace, "
           "inkspread, rotate, padding, paddingwidth, paddingheight, backgroundcolor, barcolor, format)";
}

// The text as the library takes it: the check digit bwip-js would compute,
// the add-on after a space, an ISBN-13 as the ISBN-10 the ISBN type draws.
std::string BwipText(const BwipId& id, Query& q)
{
    std::string& t = q.text;
    if (id.digits && t.find_first_not_of("0123456789") == std::string::npos && t.size() + 1 == id.digits)
        t += Gs1CheckDigit(t);
    if (id.types != 1) return "";
    std::string digits;
    for (char c : t)
        if (c != '-') digits += c;
    if (digits.size() != 13) return "";
    if (digits.rfind("978", 0) != 0) return "text: an ISBN beginning 979 has no ISBN-10; ask for bcid=ean13";
    t = digits.substr(3, 9);
    int sum = 0;
    for (int i = 0; i < 9; ++i) sum += (t[i] - '0') * (10 - i);
    const int check = (11 - sum % 11) % 11;
    t += check == 10 ? 'X' : static_cast<char>('0' + check);
    return "";
}

} // namespace

Parsed ParseBwip(const Params& params)
{
    Query q;
    q.font = 1; // bwip-js draws no text unless asked (includetext)
    const BwipId* id = nullptr;
    BwipScale scale;
    std::string last;
    for (const auto& [given, value] : params) {
        // bwip-js's !includetext (empty) is includetext=false.
        const bool negated = given.size() > 1 && given[0] == '!' && value.empty();
        const std::string name = negated ? given.substr(1) : given;
        if (name == last || params.count(negated ? name : "!" + name)) return Refuse(400, name + ": given twice");
        if (value.find('\0') != std::string::npos) return Refuse(400, name + ": holds a NUL byte");
        last = name;
        std::string why;
        if (name == "bcid") {
            for (const auto& b : BwipIds)
                if (value == b.bcid) id = &b;
            if (!id) why = "'" + value + "' is not drawn here (drawn: ean13, ean8, upca, ean5, ean2, isbn, "
                                         "interleaved2of5, itf14, rationalizedCodabar, code39)";
        } else {
            why = name == "text" ? SetText(q, value) : SetBwipOption(q, scale, name, negated ? "false" : value);
        }
        if (!why.empty()) return Refuse(400, name + ": " + why);
    }
    if (!id) return Refuse(400, "bcid: missing (e.g. bcid=ean13)");
    if (q.text.empty()) return Refuse(400, "text: missing");
    q.types = id->types;
    if (const std::string why = BwipText(*id, q); !why.empty()) return Refuse(400, why);
    const int sx = scale.x ? scale.x : scale.any ? scale.any : 2, sy = scale.y ? scale.y : sx;
    q.module = 25.4 / 72; // one point
    if (ServeFormatNamed(q.format)->raster) q.dpi = 72 * sx;
    if (q.barHeight > 0 || sy != sx) q.barHeight = (q.barHeight > 0 ? q.barHeight : 25.4) * sy / sx;
    return Checked(q);
}

} // namespace tool
