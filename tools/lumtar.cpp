// lumtar: the command-line face of liblumtar32.
//
//   lumtar detect TEXT            the first code type TEXT fits
//   lumtar isbn EAN / ean ISBN    ISBN-10 <-> EAN-13
//   lumtar render TEXT -o FILE    one code into a WMF or BMP file (by extension)
//   lumtar batch -i LIST -o PAT   one code per line into numbered files
//
// Files are written by the library's BarToWmf and BarToBmp, whose Interleaved
// 2 of 5 and Code 39 always have element widths 1 and 3. With --narrow or
// --wide the tool records the same picture itself (a metafile or a bitmap
// device context of the library's graphics layer, drawn by Bar2HdcEx) and
// writes the same headers: the files then differ only by those widths.
#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "lumtar32.h"
#include "output/files.h"

namespace {

// Exit status
constexpr int ExitOk = 0;
constexpr int ExitNoType = 1; // a text fits none of the requested types
constexpr int ExitUsage = 2;  // bad arguments
constexpr int ExitFile = 3;   // a file cannot be written
constexpr int ExitGdi = 4;    // the picture cannot be created (too large?)

// The library's names and messages are code page 1252; terminals speak UTF-8.
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
constexpr const char* TypesHelp =
    "code types to try, lowest flag first: names (isbn,ean13,ean8,upca,ean5,ean2,itf,codabar,code39,all) or flags (2+256)";

// "ean13,code39", "2+256" or a number; nullopt for an unknown name.
std::optional<int> ParseTypes(const std::string& list)
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
            if (item.empty() || *rest) return std::nullopt;
            mask |= static_cast<int>(value);
        }
        start = end + 1;
    }
    return mask;
}

std::string CheckTypes(const std::string& list)
{
    return ParseTypes(list) ? "" : "unknown code type in '" + list + "' (names: isbn,ean13,ean8,upca,ean5,ean2,itf,codabar,code39,all)";
}

struct Size {
    int width = 0, height = 0;
};

// "WxH" (also "W×H"), both whole numbers from 1 to 1000000.
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

enum class Format { Wmf, Bmp };

std::optional<Format> FormatOf(const std::string& path)
{
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return std::nullopt;
    std::string ext = path.substr(dot + 1);
    for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "wmf") return Format::Wmf;
    if (ext == "bmp") return Format::Bmp;
    return std::nullopt;
}

// ------------------------------------------------------------------ drawing

// What every picture of one run shares.
struct Settings {
    int types = BarTypAll;
    const LOGFONTA* font = BarFontDefault;
    Format format = Format::Bmp;
    Size size;          // 0.01 mm for WMF, pixels for BMP
    Size phys;          // BMP: printed size in 0.01 mm
    bool widths = false; // --narrow or --wide given: draw through Bar2HdcEx
    int narrow = 0, wide = 0;
};

// One picture into one file: BarOk, BarErrCode, BarErrFile or BarErrGdi.
int Render(const std::string& path, const std::string& text, const Settings& s)
{
    if (s.widths) {
        // The library's file exports draw Interleaved 2 of 5 and Code 39 with
        // the default widths: the same files, drawn with the chosen ones.
        auto draw = [&](HDC dc, const RECT* rect) {
            return Bar2HdcEx(dc, text.c_str(), rect, s.font, s.types, s.narrow, s.wide);
        };
        if (s.format == Format::Wmf) return lumtar::WmfFile(path.c_str(), s.size.width, s.size.height, draw);
        return lumtar::BmpFile(path.c_str(), s.size.width, s.size.height, s.phys.width, s.phys.height, draw);
    }
    if (s.format == Format::Wmf) return BarToWmf(path.c_str(), text.c_str(), s.font, s.size.width, s.size.height, s.types);
    return BarToBmp(path.c_str(), text.c_str(), s.font, s.size.width, s.size.height, s.phys.width, s.phys.height, s.types);
}

// The message for a failed picture and the exit status that goes with it.
int Report(int result, const std::string& path, const std::string& text, const std::string& types, const std::string& where)
{
    switch (result) {
    case BarOk: return ExitOk;
    case BarErrCode:
        std::cerr << "lumtar: " << where << "\"" << text << "\" fits none of the code types " << types << "\n";
        return ExitNoType;
    case BarErrFile:
        std::cerr << "lumtar: " << where << "cannot write " << path << (errno ? std::string(": ") + std::strerror(errno) : "") << "\n";
        return ExitFile;
    default:
        std::cerr << "lumtar: " << where << "the picture for " << path << " cannot be created (is the size too large?)\n";
        return ExitGdi;
    }
}

// ------------------------------------------------------------- batch names

// A file name pattern holds exactly one integer conversion, %d with an
// optional 0 flag and width ("label-%05d.bmp"); %% is a percent sign.
bool IsPattern(const std::string& pattern)
{
    int conversions = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        if (++i < pattern.size() && pattern[i] == '%') continue;
        while (i < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[i]))) ++i;
        if (i >= pattern.size() || pattern[i] != 'd') return false;
        ++conversions;
    }
    return conversions == 1;
}

std::string Numbered(const std::string& pattern, long number)
{
    char buf[4096];
    std::snprintf(buf, sizeof buf, pattern.c_str(), static_cast<int>(number));
    return buf;
}

class Progress {
public:
    Progress(std::size_t total) : total_(total), shown_(isatty(STDERR_FILENO) && total > 0) {}
    void update(std::size_t done)
    {
        if (!shown_) return;
        const auto now = std::chrono::steady_clock::now();
        if (done != total_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        constexpr int Width = 40;
        const int filled = static_cast<int>(done * Width / total_);
        std::fprintf(stderr, "\r[%.*s%*s] %zu/%zu", filled, "########################################", Width - filled, "",
                     done, total_);
        if (done == total_) std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    std::size_t total_;
    bool shown_;
    std::chrono::steady_clock::time_point last_{};
};

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"lumtar - barcode rendering with liblumtar32"};
    app.require_subcommand(1);
    app.footer("Exit status: 0 done, 1 a text fits none of the code types, 2 bad arguments, 3 a file cannot be written, "
               "4 the picture cannot be created.");

    std::string text;
    std::string types = "all";

    auto* detect = app.add_subcommand("detect", "Print the first code type that TEXT fits");
    detect->add_option("TEXT", text, "code text")->required();
    detect->add_option("--types", types, TypesHelp)->check(CheckTypes);

    auto* isbn = app.add_subcommand("isbn", "Convert an ISBN EAN-13 to its ISBN-10");
    isbn->add_option("EAN", text, "EAN-13 beginning with 978")->required();

    auto* ean = app.add_subcommand("ean", "Convert an ISBN-10 to its EAN-13");
    ean->add_option("ISBN", text, "ISBN-10, with or without hyphens")->required();

    // render and batch share their picture options.
    std::string output, font = "default", size, phys, input = "-";
    int dpi = 300, narrow = 0, wide = 0;
    long start = 1;
    auto pictureOptions = [&](CLI::App* cmd) {
        cmd->add_option("--types", types, TypesHelp)->check(CheckTypes);
        cmd->add_option("--font", font, "human-readable text: default, none or bold")
            ->check(CLI::IsMember({"default", "none", "bold"}));
        cmd->add_option("--size", size, "WIDTHxHEIGHT: 0.01 mm for WMF (default 5000x2000), pixels for BMP (default 600x240)")
            ->check(CheckSize);
        auto* physOpt = cmd->add_option("--phys", phys, "BMP: printed size WIDTHxHEIGHT in 0.01 mm (sets the resolution fields)")
                            ->check(CheckSize);
        cmd->add_option("--dpi", dpi, "BMP: printed resolution in dots per inch (default 300)")
            ->check(CLI::Range(1, 1000000))
            ->excludes(physOpt);
        cmd->add_option("--narrow", narrow, "narrow element width of Interleaved 2 of 5 and Code 39 (default 1)")
            ->check(CLI::Range(1, 100));
        cmd->add_option("--wide", wide, "wide element width of Interleaved 2 of 5 and Code 39 (default 3)")
            ->check(CLI::Range(1, 100));
    };
    auto* render = app.add_subcommand("render", "Draw TEXT into a WMF or BMP file, chosen by the file's extension");
    render->add_option("TEXT", text, "code text")->required();
    render->add_option("-o,--output", output, "file to write: NAME.wmf or NAME.bmp")->required();
    pictureOptions(render);

    auto* batch = app.add_subcommand("batch", "Draw one code per input line into numbered files");
    batch->add_option("-i,--input", input, "file with one code text per line; - or nothing for standard input");
    batch->add_option("-o,--output", output, "file name pattern with one %d, e.g. out/label-%05d.bmp")->required();
    batch->add_option("--start", start, "number of the first text (default 1)")->check(CLI::Range(0L, 1000000000L));
    pictureOptions(batch);
    batch->footer("Texts are numbered in input order; empty lines are skipped. A text that fits no type is reported and "
                  "its number left out; a file that cannot be written stops the run.");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? ExitOk : ExitUsage;
    }

    if (detect->parsed()) {
        const int type = BarCodeTyp(text.c_str(), *ParseTypes(types));
        std::printf("%d %s\n", type, FromCp1252(BarCodeName(type)).c_str());
        return type ? ExitOk : ExitNoType;
    }
    if (isbn->parsed() || ean->parsed()) {
        char out[32] = {};
        const int ok = isbn->parsed() ? BarIsbnFromEan(out, text.c_str()) : BarEanFromIsbn(out, text.c_str());
        std::fprintf(ok ? stdout : stderr, "%s\n", FromCp1252(out).c_str());
        return ok ? ExitOk : ExitNoType;
    }

    // render or batch
    Settings s;
    s.types = *ParseTypes(types);
    s.font = font == "none" ? BarFontNone : font == "bold" ? BarFontBold : BarFontDefault;
    const auto format = FormatOf(output);
    if (!format) {
        std::cerr << "lumtar: " << output << ": the file name must end in .wmf or .bmp\n";
        return ExitUsage;
    }
    s.format = *format;
    s.size = size.empty() ? (s.format == Format::Wmf ? Size{5000, 2000} : Size{600, 240}) : *ParseSize(size);
    CLI::App* cmd = render->parsed() ? render : batch;
    if (s.format == Format::Wmf) {
        if (cmd->count("--phys") || cmd->count("--dpi")) {
            std::cerr << "lumtar: --phys and --dpi apply to BMP files; a WMF's --size is its printed size\n";
            return ExitUsage;
        }
        // The placeable header holds the size in 16 signed bits.
        if (s.size.width > 32767 || s.size.height > 32767) {
            std::cerr << "lumtar: a WMF picture is at most 32767x32767 hundredths of a millimetre\n";
            return ExitUsage;
        }
    } else {
        s.phys = phys.empty() ? Size{static_cast<int>((int64_t{s.size.width} * 2540 + dpi / 2) / dpi),
                                     static_cast<int>((int64_t{s.size.height} * 2540 + dpi / 2) / dpi)}
                              : *ParseSize(phys);
    }
    s.widths = cmd->count("--narrow") || cmd->count("--wide");
    s.narrow = narrow;
    s.wide = wide;

    if (render->parsed()) {
        errno = 0;
        const int result = Render(output, text, s);
        if (result == BarOk) std::printf("%s  %s\n", output.c_str(), FromCp1252(BarCodeName(BarCodeTyp(text.c_str(), s.types))).c_str());
        return Report(result, output, text, types, "");
    }

    if (!IsPattern(output)) {
        std::cerr << "lumtar: the output pattern needs exactly one %d (e.g. out/label-%05d.bmp); write %% for a percent sign\n";
        return ExitUsage;
    }
    std::ifstream file;
    if (input != "-") {
        file.open(input);
        if (!file) {
            std::cerr << "lumtar: cannot read " << input << "\n";
            return ExitUsage;
        }
    }
    std::istream& in = input == "-" ? std::cin : file;
    std::vector<std::string> texts;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) texts.push_back(line);
    }

    const auto began = std::chrono::steady_clock::now();
    Progress progress(texts.size());
    std::size_t written = 0, unfit = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const long number = start + static_cast<long>(i);
        const std::string path = Numbered(output, number);
        errno = 0;
        const int result = Render(path, texts[i], s);
        if (result == BarOk) {
            ++written;
        } else {
            if (isatty(STDERR_FILENO)) std::fputc('\n', stderr);
            const int status = Report(result, path, texts[i], types, "text " + std::to_string(number) + ": ");
            if (result != BarErrCode) return status;
            ++unfit;
        }
        progress.update(i + 1);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::cerr << "lumtar: " << written << " of " << texts.size() << " files written (" << output << ") in "
              << static_cast<int>(seconds * 1000) << " ms";
    if (unfit) std::cerr << "; " << unfit << (unfit == 1 ? " text fits" : " texts fit") << " no type";
    std::cerr << "\n";
    return unfit ? ExitNoType : ExitOk;
}
