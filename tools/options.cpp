#include "options.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lumtar32_print.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tool {
namespace {

std::string Lower(std::string s)
{
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

struct FormatEntry {
    const char* name;
    Format format;
};
constexpr FormatEntry Formats[] = {
    {"wmf", Format::Wmf}, {"bmp", Format::Bmp}, {"png", Format::Png},
    {"svg", Format::Svg}, {"pdf", Format::Pdf}, {"eps", Format::Eps},
    {"tif", Format::Tif}, {"tiff", Format::Tif}, {"emf", Format::Emf},
};

struct TypeEntry {
    const char* name;
    int flag;
};
constexpr TypeEntry TypeNames[] = {
    {"isbn", BarTypIsbn},   {"ean13", BarTypEan13}, {"ean8", BarTypEan8},       {"upca", BarTypUpc12},
    {"upc12", BarTypUpc12}, {"ean5", BarTypEan5},   {"ean2", BarTypEan2},       {"2of5", BarTyp2aus5},
    {"itf", BarTyp2aus5},   {"itf14", BarTypItf14}, {"codabar", BarTypCodabar}, {"code39", BarTyp3aus9}, {"3of9", BarTyp3aus9},
    {"all", BarTypAll},
};

// English names, by flag from 1 to 256.
constexpr const char* EnglishNames[] = {"ISBN",  "EAN-13",  "EAN-8",  "UPC-A",          "EAN-5",
                                        "EAN-2", "Interleaved 2 of 5", "Codabar", "Code 39"};

} // namespace

const char* const FormatList = "wmf, bmp, png, svg, pdf, eps, tif, emf";

const char* const TypesHelp = "code types to try, lowest flag first: names (isbn,ean13,ean8,upca,ean5,ean2,itf,codabar,"
                              "code39,all; itf14 after them; any case) or flags (2+256)";

std::optional<Format> FormatNamed(std::string name)
{
    name = Lower(name);
    for (const auto& f : Formats)
        if (name == f.name) return f.format;
    return std::nullopt;
}

std::optional<Format> FormatOfPath(const std::string& path)
{
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos) return std::nullopt;
    return FormatNamed(path.substr(dot + 1));
}

const char* FormatName(Format f)
{
    for (const auto& entry : Formats)
        if (entry.format == f) return entry.name;
    return "?";
}

namespace {

// The mask as written, before asking whether it names a type.
std::optional<int> ParseMask(const std::string& list)
{
    int mask = 0;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find_first_of(",+|", start);
        if (end == std::string::npos) end = list.size();
        const std::string item = Lower(list.substr(start, end - start));
        bool found = false;
        for (const auto& t : TypeNames)
            if (item == t.name) {
                mask |= t.flag;
                found = true;
            }
        if (!found) {
            char* rest = nullptr;
            const long value = std::strtol(item.c_str(), &rest, 0);
            if (item.empty() || *rest) return std::nullopt;
            mask |= static_cast<int>(value);
        }
        start = end + 1;
    }
    return mask;
}

} // namespace

std::optional<int> ParseTypes(const std::string& list)
{
    // Bits beyond the nine types name nothing; a mask of only those draws nothing.
    const auto mask = ParseMask(list);
    if (!mask || (*mask & (BarTypAll | BarTypItf14)) == 0) return std::nullopt;
    return mask;
}

std::string CheckTypes(const std::string& list)
{
    const auto mask = ParseMask(list);
    if (!mask) return "unknown code type in '" + list + "' (names: isbn,ean13,ean8,upca,ean5,ean2,itf,itf14,codabar,code39,all)";
    if ((*mask & (BarTypAll | BarTypItf14)) == 0) return "'" + list + "' holds none of the nine code types (flags 1 to 256)";
    return "";
}

std::optional<Size> ParseSize(std::string text)
{
    for (const char* times : {"\xC3\x97", "X"})
        for (std::size_t at; (at = text.find(times)) != std::string::npos;) text.replace(at, std::strlen(times), "x");
    const auto x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    auto number = [](const std::string& s) -> std::optional<int> {
        if (s.empty() || s.size() > 7 || s.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
        const int v = std::stoi(s);
        if (v < 1 || v > 1000000) return std::nullopt;
        return v;
    };
    const auto w = number(text.substr(0, x)), h = number(text.substr(x + 1));
    if (!w || !h) return std::nullopt;
    return Size{*w, *h};
}

std::string CheckSize(const std::string& text)
{
    return ParseSize(text) ? "" : "'" + text + "' is no size: give WIDTHxHEIGHT, whole numbers from 1, e.g. 5000x2000";
}

const char* TypeName(int type)
{
    if (type == BarTypItf14) return "ITF-14";
    for (int i = 0; i < 9; ++i)
        if (type == 1 << i) return EnglishNames[i];
    return "no type";
}

std::optional<int> ParseColor(const std::string& text)
{
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 16));
}

std::string CheckColor(const std::string& text)
{
    return ParseColor(text) ? "" : "'" + text + "' is no colour: give RRGGBB in hexadecimal, e.g. 1F3A93";
}

std::string Quoted(const std::string& text)
{
    constexpr std::size_t Longest = 60;
    if (text.size() <= Longest) return "\"" + text + "\"";
    return "\"" + text.substr(0, 40) + "...\" (" + std::to_string(text.size()) + " characters)";
}

std::string FromCp1252(const char* text)
{
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 0x80) {
            out += static_cast<char>(*p);
        } else {
            // Latin-1 covers every character the library writes (the umlauts among them).
            out += static_cast<char>(0xC0 | (*p >> 6));
            out += static_cast<char>(0x80 | (*p & 0x3F));
        }
    }
    return out;
}

bool StderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr));
#else
    return isatty(STDERR_FILENO);
#endif
}

void DrawProgress(std::size_t done, std::size_t total)
{
    constexpr int Width = 40;
    const int filled = static_cast<int>(done * Width / total);
    std::fprintf(stderr, "\r[%.*s%*s] %zu/%zu", filled, "########################################", Width - filled, "",
                 done, total);
    if (done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace tool
