#include "serve_query.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "options.h"
#include "serve_params.h"

namespace tool {

const ServeFormat ServeFormats[8] = {
    {"png", "image/png", true},           {"svg", "image/svg+xml", false},
    {"pdf", "application/pdf", false},    {"eps", "application/postscript", false},
    {"bmp", "image/bmp", true},           {"wmf", "image/wmf", false},
    {"tiff", "image/tiff", true},         {"emf", "image/emf", false},
};

const ServeFormat* ServeFormatNamed(const std::string& name)
{
    for (const auto& f : ServeFormats)
        if (name == f.name || (name == "tif" && std::string(f.name) == "tiff")) return &f;
    return nullptr;
}

std::string OneLine(std::string text)
{
    for (auto& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

namespace params {

// A setter reads one parameter's value into the query: "" when it is good,
// otherwise what is wrong with it (the parameter's name is put before it).
using Setter = std::string (*)(Query&, const std::string&);

bool Int(const std::string& s, int low, int high, int& out)
{
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v < low || v > high) return false;
    out = v;
    return true;
}

bool Real(const std::string& s, double low, double high, double& out)
{
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v) || v < low || v > high) return false;
    out = v;
    return true;
}

// "", 1, true, yes, on / 0, false, no, off (a bare ?quiet-zones means yes).
bool Flag(const std::string& s, bool& out)
{
    for (const char* yes : {"", "1", "true", "yes", "on"})
        if (s == yes) return out = true;
    for (const char* no : {"0", "false", "no", "off"})
        if (s == no) return !(out = false);
    return false;
}

// RRGGBB, #RRGGBB or #RGB.
bool Colour(std::string s, long& out)
{
    if (!s.empty() && s[0] == '#') s.erase(0, 1);
    if (s.size() == 3) s = {s[0], s[0], s[1], s[1], s[2], s[2]};
    if (s.size() != 6 || s.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    out = std::stol(s, nullptr, 16);
    return true;
}

std::string Need(bool ok, const char* what) { return ok ? "" : what; }

// The add-on after a space as well as after a plus: a URL's + arrives as a
// space unless it is written %2B, and bwip-js separates it by a space.
std::string SetText(Query& q, const std::string& v)
{
    q.text = v;
    const auto space = v.find(' ');
    if (space != std::string::npos && v.find_first_not_of("0123456789- ") == std::string::npos &&
        v.find(' ', space + 1) == std::string::npos)
        q.text[space] = '+';
    if (v.empty()) return "is empty";
    if (v.size() > MaxTextLength + 6) return "is longer than " + std::to_string(MaxTextLength) + " characters";
    return "";
}

// The tool's type names, and itf14 (a type of the print call only).
std::string SetTypes(Query& q, const std::string& v)
{
    std::string others;
    int itf14 = 0;
    for (std::size_t at = 0; at <= v.size();) {
        const auto end = std::min(v.find_first_of(",+|", at), v.size());
        const std::string item = v.substr(at, end - at);
        if (item == "itf14" || item == "ITF14") itf14 = 512;
        else others += (others.empty() ? "" : ",") + item;
        at = end + 1;
    }
    const auto mask = others.empty() ? std::optional<int>(0) : ParseTypes(others);
    if (!mask || (*mask & 511) + itf14 == 0) return CheckTypes(v) + " (or itf14)";
    q.types = (*mask & 511) | itf14;
    return "";
}

std::string SetFormat(Query& q, const std::string& v)
{
    const ServeFormat* f = ServeFormatNamed(v);
    if (!f) return "'" + v + "' is none of png, svg, pdf, eps, bmp, wmf, tiff, emf";
    q.format = f->name;
    return "";
}

std::string SetSize(Query& q, const std::string& v)
{
    const auto size = ParseSize(v);
    if (!size) return CheckSize(v);
    q.width = size->width;
    q.height = size->height;
    return "";
}

std::string SetBearer(Query& q, const std::string& v)
{
    constexpr const char* Names[] = {"frame", "none", "bars"}; // as the print call numbers them
    for (int i = 0; i < 3; ++i)
        if (v == Names[i]) return q.bearer = i, "";
    return "is none of none, frame, bars";
}

std::string SetFont(Query& q, const std::string& v)
{
    constexpr const char* Names[] = {"default", "none", "bold"};
    for (int i = 0; i < 3; ++i)
        if (v == Names[i]) return q.font = i, "";
    return "is none of default, none, bold";
}

std::string SetPaper(Query& q, const std::string& v)
{
    if (v == "none" || v == "transparent") return q.paper = -2, "";
    return Need(Colour(v, q.paper), "is no colour RRGGBB (or none)");
}

std::string SetTextFont(Query& q, const std::string& v)
{
    q.textFont = v;
    const bool plain = !v.empty() && v.size() < 32 &&
                       v.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 -_") ==
                           std::string::npos;
    return Need(plain, "is no face name (letters, digits, spaces, at most 31)");
}

// CCC,MMM,YYY,KKK in percent.
std::string SetCmyk(Query& q, const std::string& v)
{
    int c[4];
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const auto end = i < 3 ? v.find(',', at) : v.size();
        if (end == std::string::npos || !Int(v.substr(at, end - at), 0, 100, c[i])) return "is no C,M,Y,K in percent (0,0,0,100)";
        at = end + 1;
    }
    std::copy(c, c + 4, q.cmyk);
    return "";
}

// Black as K alone.
std::string SetBlack(Query& q, const std::string& v)
{
    bool k = false;
    if (!Flag(v, k)) return "is neither yes nor no";
    q.cmyk[0] = k ? 0 : -1;
    q.cmyk[3] = k ? 100 : 0;
    return "";
}

// MM, or X,Y in mm.
std::string SetPadding(Query& q, const std::string& v)
{
    const auto comma = v.find(',');
    const bool ok = comma == std::string::npos
                        ? Real(v, 0, 100, q.padX) && Real(v, 0, 100, q.padY)
                        : Real(v.substr(0, comma), 0, 100, q.padX) && Real(v.substr(comma + 1), 0, 100, q.padY);
    return Need(ok, "is no margin in mm from 0 to 100 (MM, or X,Y)");
}

struct Param {
    const char* name;
    Setter set;
};

// The tool's long options, one parameter each.
constexpr Param RenderParams[] = {
    {"text", SetText},
    {"type", SetTypes},
    {"types", SetTypes},
    {"format", SetFormat},
    {"size", SetSize},
    {"module", [](Query& q, const std::string& v) { return Need(Real(v, 0.01, 100, q.module), "is no width in mm from 0.01 to 100"); }},
    {"dpi", [](Query& q, const std::string& v) { return Need(Int(v, 1, 10000, q.dpi), "is no resolution from 1 to 10000"); }},
    {"height", [](Query& q, const std::string& v) { return Need(Real(v, 0.1, MaxMm, q.barHeight), "is no height in mm from 0.1 to 1000"); }},
    {"magnification", [](Query& q, const std::string& v) { return Need(Int(v, 80, 200, q.magnification), "is no percentage from 80 to 200"); }},
    {"quiet-zones", [](Query& q, const std::string& v) { return Need(Flag(v, q.quietZones), "is neither yes nor no"); }},
    {"indicators", [](Query& q, const std::string& v) { return Need(Flag(v, q.indicators), "is neither yes nor no"); }},
    {"bwr", [](Query& q, const std::string& v) { return Need(Real(v, 0, 10, q.bwr), "is no reduction in mm from 0 to 10"); }},
    {"bearer", SetBearer},
    {"ink", [](Query& q, const std::string& v) { return Need(Colour(v, q.ink), "is no colour RRGGBB"); }},
    {"ink-cmyk", SetCmyk},
    {"cmyk", SetBlack},
    {"padding", SetPadding},
    {"paper", SetPaper},
    {"rotate", [](Query& q, const std::string& v) { return Need(Int(v, 0, 270, q.rotate) && q.rotate % 90 == 0, "is none of 0, 90, 180, 270"); }},
    {"font", SetFont},
    {"text-font", SetTextFont},
    {"text-size", [](Query& q, const std::string& v) { return Need(Real(v, 0.5, 100, q.textSize), "is no height in mm from 0.5 to 100"); }},
    {"narrow", [](Query& q, const std::string& v) { return Need(Int(v, 1, 100, q.narrow), "is no weight from 1 to 100"); }},
    {"wide", [](Query& q, const std::string& v) { return Need(Int(v, 1, 100, q.wide), "is no weight from 1 to 100"); }},
    {"strict", [](Query& q, const std::string& v) { return Need(Flag(v, q.strict), "is neither yes nor no"); }},
};

Parsed Refuse(int status, std::string reason)
{
    Parsed p;
    p.status = status;
    p.reason = OneLine(std::move(reason));
    return p;
}

// What holds for a query from either form: options that go together, sizes
// within the limits.
Parsed Checked(const Query& q)
{
    if (q.text.empty()) return Refuse(400, "text: missing (e.g. text=4006381333931)");
    if (q.module > 0 && q.width) return Refuse(400, "module and size: give one of them (size is the box, module the X-dimension)");
    if (q.magnification && (q.module > 0 || q.width)) return Refuse(400, "magnification: sizes the picture itself, without module or size");
    if (q.barHeight > 0 && !(q.module > 0 || q.magnification)) return Refuse(400, "height: needs module or magnification");
    const bool raster = ServeFormatNamed(q.format)->raster;
    if (!raster && q.dpi) return Refuse(400, "dpi: applies to png, bmp and tiff; a vector picture's size is its printed size");
    if (raster && q.width && (q.width > MaxSide || q.height > MaxSide || 1LL * q.width * q.height > MaxPixels))
        return Refuse(413, "size: at most " + std::to_string(MaxSide) + " pixels a side and " +
                               std::to_string(MaxPixels) + " pixels in all");
    if (!raster && (q.width > MaxMm * 100 || q.height > MaxMm * 100))
        return Refuse(413, "size: at most 100000 (1000 mm) a side");
    Parsed p;
    p.query = q;
    return p;
}

} // namespace params

using namespace params;

// Each known parameter once; an unknown one is named, so a typo is not drawn
// silently with the default.
Parsed ParseRender(const Params& params)
{
    Query q;
    std::string last;
    for (const auto& [name, value] : params) {
        if (name == last) return Refuse(400, name + ": given twice");
        if (value.find('\0') != std::string::npos) return Refuse(400, name + ": holds a NUL byte");
        last = name;
        const Param* known = nullptr;
        for (const auto& p : RenderParams)
            if (name == p.name) known = &p;
        if (!known) return Refuse(400, name + ": no such parameter");
        const std::string why = known->set(q, value);
        if (!why.empty()) return Refuse(400, name + ": " + why);
    }
    return Checked(q);
}

std::string Normalised(const Query& q)
{
    char line[512];
    std::snprintf(line, sizeof line,
                  "%d|%s|%dx%d|%.4f|%d|%.4f|%d|%d%d|%.4f|%d|%ld|%d,%d,%d,%d|%ld|%d|%d|%s|%.4f|%d|%d|%.4f,%.4f|%d|",
                  q.types, q.format.c_str(), q.width, q.height, q.module, q.dpi, q.barHeight, q.magnification,
                  q.quietZones, q.indicators, q.bwr, q.bearer, q.ink, q.cmyk[0], q.cmyk[1], q.cmyk[2], q.cmyk[3],
                  q.paper, q.rotate, q.font, q.textFont.c_str(), q.textSize, q.narrow, q.wide, q.padX, q.padY,
                  q.strict);
    return line + q.text;
}

} // namespace tool
