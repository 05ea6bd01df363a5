// lumtar: the command-line face of liblumtar32.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lumtar32.h"

namespace {

// The library's names and messages are code page 1252; terminals speak UTF-8.
std::string FromCp1252(const char* text)
{
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 0x80) {
            out += static_cast<char>(*p);
        } else {
            // Latin-1 covers every character the library writes (ü, Ä, ...).
            out += static_cast<char>(0xC0 | (*p >> 6));
            out += static_cast<char>(0x80 | (*p & 0x3F));
        }
    }
    return out;
}

struct TypeNameFlag {
    const char* name;
    int flag;
};
constexpr TypeNameFlag TypeNames[] = {
    {"isbn", BarTypIsbn}, {"ean13", BarTypEan13}, {"ean8", BarTypEan8}, {"upca", BarTypUpc12},
    {"upc12", BarTypUpc12}, {"ean5", BarTypEan5}, {"ean2", BarTypEan2}, {"2of5", BarTyp2aus5},
    {"itf", BarTyp2aus5}, {"codabar", BarTypCodabar}, {"code39", BarTyp3aus9}, {"3of9", BarTyp3aus9},
    {"all", BarTypAll},
};

// "ean13,code39", "2+256" or a number.
int ParseTypes(const std::string& list)
{
    int mask = 0;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find_first_of(",+|", start);
        if (end == std::string::npos) end = list.size();
        const std::string item = list.substr(start, end - start);
        bool found = false;
        for (const auto& t : TypeNames)
            if (item == t.name) {
                mask |= t.flag;
                found = true;
            }
        if (!found) {
            char* rest = nullptr;
            const long value = std::strtol(item.c_str(), &rest, 0);
            if (item.empty() || *rest) throw CLI::ValidationError("--types", "unknown code type '" + item + "'");
            mask |= static_cast<int>(value);
        }
        start = end + 1;
    }
    return mask;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"lumtar - barcode rendering with liblumtar32"};
    app.require_subcommand(1);

    std::string text;
    std::string types = "all";

    auto* detect = app.add_subcommand("detect", "Print the first code type that TEXT fits");
    detect->add_option("TEXT", text, "code text")->required();
    detect->add_option("--types", types, "code types to try: names (isbn,ean13,ean8,upca,ean5,ean2,itf,codabar,code39,all) or flags");

    auto* isbn = app.add_subcommand("isbn", "Convert an ISBN EAN-13 to its ISBN-10");
    isbn->add_option("EAN", text, "EAN-13 beginning with 978")->required();

    auto* ean = app.add_subcommand("ean", "Convert an ISBN-10 to its EAN-13");
    ean->add_option("ISBN", text, "ISBN-10, with or without hyphens")->required();

    CLI11_PARSE(app, argc, argv);

    if (detect->parsed()) {
        const int type = BarCodeTyp(text.c_str(), ParseTypes(types));
        std::printf("%d %s\n", type, FromCp1252(BarCodeName(type)).c_str());
        return type ? 0 : 1;
    }
    if (isbn->parsed() || ean->parsed()) {
        char out[32] = {};
        const int ok = isbn->parsed() ? BarIsbnFromEan(out, text.c_str()) : BarEanFromIsbn(out, text.c_str());
        std::fprintf(ok ? stdout : stderr, "%s\n", FromCp1252(out).c_str());
        return ok ? 0 : 1;
    }
    return 2;
}
