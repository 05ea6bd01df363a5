// lumtar: the command-line face of liblumtar32 (and of lumtar32.dll).
//
//   lumtar detect TEXT            the first code type TEXT fits
//   lumtar isbn EAN / ean ISBN    ISBN-10 <-> EAN-13
//   lumtar render TEXT -o FILE    one code into a WMF, BMP, PNG, TIFF, SVG, PDF, EPS or EMF file
//   lumtar batch -i LIST -o PAT   one code per line into numbered (or named) files
//
// Every picture is one call of the library's print call (BarPrintToMemory)
// with a style record made from the options; the tool writes its bytes as
// they come. Without picture options they are the bytes BarToWmf, BarToBmp
// and BarToFile write.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "batch.h"
#include "job.h"
#include "lumtar32.h"
#include "resolve.h"
#ifdef LUMTAR_SERVE
#include "serve.h"
#endif
#ifdef LUMTAR_SHEET
#include "sheet.h"
#endif

using namespace tool;

namespace {

constexpr const char* Version = LUMTAR32_VERSION; // the library's, from its header

// Everything the command line can say.
struct Options {
    std::string text, types = "all", output, font = "default", size, phys, input = "-", format;
    std::string bearer = "frame", ink, paper, textFont;
    bool cmyk = false;    // --cmyk: black as K alone
    std::string inkCmyk;  // --ink-cmyk C,M,Y,K
    int dpi = 300, narrow = 0, wide = 0, magnification = 0, rotate = 0;
    long start = 1;
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    double module = 0, height = 0, bwr = 0, textSize = 0;
    bool quietZones = false, indicators = false, strict = false, turned = false;
};

int Detect(const Options& o)
{
    const int types = *ParseTypes(o.types);
    const int type = BarCodeTyp(o.text.c_str(), types);
    std::printf("%d %s\n", type, FromCp1252(BarCodeName(type)).c_str());
    const Resolved r = Resolve(o.text, types);
    if (!r.why.empty()) Say("", Quoted(o.text) + ": " + r.why);
    return type ? ExitOk : ExitNoType;
}

int Convert(const Options& o, bool toIsbn)
{
    char out[32] = {};
    const int ok = toIsbn ? BarIsbnFromEan(out, o.text.c_str()) : BarEanFromIsbn(out, o.text.c_str());
    std::fprintf(ok ? stdout : stderr, "%s\n", FromCp1252(out).c_str());
    return ok ? ExitOk : ExitNoType;
}

int Micrometres(double mm) { return static_cast<int>(std::lround(mm * 1000)); }

// The options as the library's style record.
Job JobOf(const Options& o, const CLI::App* cmd)
{
    Job job;
    job.types = *ParseTypes(o.types);
    job.typesText = o.types;
    job.style = StyleRecord();
    BarPrintStyle& s = job.style;
    s.types = job.types;
    s.text = o.font == "none" ? BarTextNone : o.font == "bold" ? BarTextBold : BarTextDefault;
    s.narrow = o.narrow;
    s.wide = o.wide;
    s.quietZones = o.quietZones;
    s.indicators = o.indicators;
    if (!o.format.empty()) job.format = FormatNamed(o.format);
    if (const auto size = ParseSize(o.size)) std::tie(s.width, s.height) = std::pair(size->width, size->height);
    if (const auto phys = ParseSize(o.phys)) std::tie(s.physWidth, s.physHeight) = std::pair(phys->width, phys->height);
    job.physGiven = !o.phys.empty();
    job.dpiGiven = cmd->count("--dpi") > 0;
    s.dpi = o.dpi;
    job.moduleMm = cmd->count("--module") ? o.module : o.magnification * 0.33 / 100;
    s.module = cmd->count("--module") ? Micrometres(o.module) : 0;
    s.magnification = o.magnification;
    s.barHeight = Micrometres(o.height);
    s.rotate = o.turned ? 90 : o.rotate;
    s.bwr = Micrometres(o.bwr);
    s.bearer = o.bearer == "none" ? BarBearerNone : o.bearer == "bars" ? BarBearerBars : BarBearerFrame;
    s.ink = o.ink.empty() ? 0 : *ParseColor(o.ink);
    if (o.cmyk || !o.inkCmyk.empty()) { // PDF, EPS and TIFF state it as CMYK
        s.inkModel = BarInkCmyk;
        s.black = 100;
        if (!o.inkCmyk.empty()) std::sscanf(o.inkCmyk.c_str(), "%d,%d,%d,%d", &s.cyan, &s.magenta, &s.yellow, &s.black);
    }
    s.paper = o.paper.empty() ? BarPaperWhite : o.paper == "none" ? BarPaperNone : BarPaperColor;
    s.paperColor = s.paper == BarPaperColor ? *ParseColor(o.paper) : 0;
    std::strncpy(s.textFace, o.textFont.c_str(), sizeof s.textFace - 1);
    s.textSize = Micrometres(o.textSize);
    job.strict = o.strict;
    return job;
}

int Render(const Options& o, const CLI::App* cmd)
{
    const Job job = JobOf(o, cmd);
    const auto format = FormatFor(o.output, job);
    if (!format || !CheckJob(job, *format)) return ExitUsage;
    const Drawn d = DrawOne(o.output, o.text, job, *format, "");
    if (d.status == ExitOk && o.output != "-") std::printf("%s  %s\n", o.output.c_str(), d.name.c_str());
    return d.status;
}

int Batch(const Options& o, const CLI::App* cmd)
{
    const Job job = JobOf(o, cmd);
    if (o.output == "-" || !IsPattern(o.output)) {
        Say("", "the output pattern needs exactly one %d (e.g. out/label-%05d.bmp); write %% for a percent sign");
        return ExitUsage;
    }
    const auto format = FormatFor(o.output, job);
    if (!format || !CheckJob(job, *format)) return ExitUsage;
    std::ifstream file;
    if (o.input != "-") {
        file.open(o.input);
        if (!file) {
            Say("", "cannot read " + o.input);
            return ExitUsage;
        }
    }
    return RunBatch(o.input == "-" ? std::cin : file, o.output, o.start, job, o.jobs);
}

// The ink (RGB or CMYK) and the paper.
void ColorOptions(CLI::App* cmd, Options& o)
{
    auto* ink = cmd->add_option("--ink", o.ink, "colour of the bars and text, RRGGBB (default 000000)")->check(CheckColor);
    auto* cmyk = cmd->add_flag("--cmyk", o.cmyk, "black as the press wants it: K alone (0,0,0,100) in PDF, EPS and TIFF")
                     ->excludes(ink);
    cmd->add_option("--ink-cmyk", o.inkCmyk, "C,M,Y,K: the ink in percent, stated as CMYK in PDF, EPS and TIFF (as RGB "
                                             "elsewhere)")
        ->check([](const std::string& v) {
            int c[4], end = 0;
            const bool read = std::sscanf(v.c_str(), "%d,%d,%d,%d%n", &c[0], &c[1], &c[2], &c[3], &end) == 4 &&
                              end == static_cast<int>(v.size());
            return read && std::all_of(c, c + 4, [](int p) { return p >= 0 && p <= 100; })
                       ? ""
                       : "give four percentages 0 to 100, C,M,Y,K";
        })
        ->excludes(ink)
        ->excludes(cmyk);
    cmd->add_option("--paper", o.paper, "background colour RRGGBB, or none: transparent (PNG, SVG, WMF)")
        ->check([](const std::string& p) { return p == "none" ? "" : CheckColor(p); });
}

// render and batch share their picture options.
void PictureOptions(CLI::App* cmd, Options& o)
{
    cmd->add_option("--types", o.types, TypesHelp)->check(CheckTypes);
    cmd->add_option("--font", o.font, "human-readable text: default, none or bold")
        ->check(CLI::IsMember({"default", "none", "bold"}));
    cmd->add_option("--format", o.format, "wmf, bmp, png, svg, pdf, eps, tif or emf, whatever the file name says")
        ->check([](const std::string& f) { return FormatNamed(f) ? "" : "'" + f + "' is none of " + FormatList; });
    auto* size = cmd->add_option("--size", o.size,
                                 "WIDTHxHEIGHT: pixels for BMP, PNG and TIFF (default 600x240), 0.01 mm for WMF, SVG, PDF, "
                                 "EPS and EMF (default 5000x2000)")
                     ->check(CheckSize);
    auto* physOpt = cmd->add_option("--phys", o.phys, "BMP, PNG, TIFF: printed size WIDTHxHEIGHT in 0.01 mm (sets the resolution)")
                        ->check(CheckSize);
    cmd->add_option("--dpi", o.dpi, "BMP, PNG, TIFF: printed resolution in dots per inch (default 300); with --module the pixels "
                                    "per inch")
        ->check(CLI::Range(1, 1000000))
        ->excludes(physOpt);
    auto* module = cmd->add_option("--module", o.module, "narrow module width (X-dimension) in mm; the picture is as large "
                                                         "as the symbol needs")
                       ->check(CLI::Range(0.01, 100.0))
                       ->excludes(size);
    cmd->add_option("--magnification", o.magnification,
                                           "X-dimension as a percentage of the EAN/UPC nominal 0.33 mm (80 to 200)")
                              ->check(CLI::Range(80, 200))
                              ->excludes(size)
                              ->excludes(module);
    cmd->add_option("--height", o.height, "with --module or --magnification: the symbol's height in mm")
        ->check(CLI::Range(0.1, 10000.0));
    auto* turned = cmd->add_flag("--turned", o.turned, "the symbol runs upwards (--rotate 90)");
    cmd->add_option("--rotate", o.rotate, "turn the picture 0, 90, 180 or 270 degrees anticlockwise")
        ->check(CLI::IsMember({0, 90, 180, 270}))
        ->excludes(turned);
    cmd->add_flag("--quiet-zones", o.quietZones, "margins of the standard quiet zones around the symbol");
    cmd->add_flag("--indicators", o.indicators, "EAN/UPC: the light margin indicators < and > (with the quiet zones)");
    cmd->add_option("--bwr", o.bwr, "bar width reduction in mm: each bar narrower by it, spaces wider (whole pixels in "
                                    "BMP and PNG)")
        ->check(CLI::Range(0.0, 100.0));
    cmd->add_option("--bearer", o.bearer, "ITF-14 (--types itf14): bearer bars as a frame, top and bottom bars, or none")
        ->check(CLI::IsMember({"frame", "bars", "none"}));
    ColorOptions(cmd, o);
    cmd->add_option("--text-font", o.textFont, "face of the human-readable text (default Courier New)")
        ->check([](const std::string& f) { return f.size() < 32 ? "" : "a face name has at most 31 characters"; });
    cmd->add_option("--text-size", o.textSize, "height of the human-readable text in mm")->check(CLI::Range(0.1, 1000.0));
    cmd->add_flag("--strict", o.strict, "refuse a text whose check digit is wrong instead of drawing a later type");
    cmd->add_option("--narrow", o.narrow, "narrow element width of Interleaved 2 of 5 and Code 39 (default 1)")
        ->check(CLI::Range(1, 100));
    cmd->add_option("--wide", o.wide, "wide element width of Interleaved 2 of 5 and Code 39 (default 3)")
        ->check(CLI::Range(1, 100));
}

CLI::App* AddBatch(CLI::App& app, Options& o)
{
    auto* batch = app.add_subcommand("batch", "Draw one code per input line into numbered files");
    batch->add_option("-i,--input", o.input, "file with one code text per line; - or nothing for standard input");
    batch->add_option("-o,--output", o.output, "file name pattern with one %d, e.g. out/label-%05d.bmp")->required();
    batch->add_option("--start", o.start, "number of the first text (default 1)")->check(CLI::Range(0L, 1000000000L));
    batch->add_option("-j,--jobs", o.jobs, "labels drawn at once, each on a thread of its own (default: the number of "
                                           "processors); 1 draws one after another. Messages and files are the same")
        ->check(CLI::Range(1u, 1024u));
    PictureOptions(batch, o);
    batch->footer("Texts are numbered in input order; empty lines are skipped. A line TEXT<TAB>NAME writes NAME, a file "
                  "in the pattern's folder. A text that fits no type is reported and its number left out; a file that "
                  "cannot be written stops the run.");
    return batch;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"lumtar - barcode rendering with liblumtar32"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("lumtar ") + Version);
    app.set_help_all_flag("--help-all", "Print the help of every subcommand and exit");
    app.footer("Exit status: 0 done, 1 a text fits none of the code types (or --strict refuses it), 2 bad arguments, "
               "3 a file cannot be written, 4 the picture cannot be created.");
    Options o;

    auto* detect = app.add_subcommand("detect", "Print the first code type that TEXT fits");
    detect->add_option("TEXT", o.text, "code text")->required();
    detect->add_option("--types", o.types, TypesHelp)->check(CheckTypes);

    auto* isbn = app.add_subcommand("isbn", "Convert an ISBN EAN-13 to its ISBN-10");
    isbn->add_option("EAN", o.text, "EAN-13 beginning with 978")->required();
    auto* ean = app.add_subcommand("ean", "Convert an ISBN-10 to its EAN-13");
    ean->add_option("ISBN", o.text, "ISBN-10, with or without hyphens")->required();

    auto* render = app.add_subcommand("render", "Draw TEXT into a picture file, its format chosen by the extension");
    render->add_option("TEXT", o.text, "code text; EAN-13, ISBN or UPC-A with +NN or +NNNNN for an add-on")->required();
    render->add_option("-o,--output", o.output, "file to write (.wmf .bmp .png .svg .pdf .eps .tif .emf); - for standard output")
        ->required();
    PictureOptions(render, o);

    auto* batch = AddBatch(app, o);

#ifdef LUMTAR_SERVE
    ServeConfig serveConfig;
    auto* serve = AddServeCommand(app, serveConfig);
#endif
#ifdef LUMTAR_SHEET
    SheetOptions sheet;
    AddSheet(app, sheet);
#endif

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? ExitOk : ExitUsage;
    }
    if (detect->parsed()) return Detect(o);
    if (isbn->parsed() || ean->parsed()) return Convert(o, isbn->parsed());
    if (render->parsed()) return Render(o, render);
#ifdef LUMTAR_SERVE
    if (serve->parsed()) return Serve(serveConfig);
#endif
#ifdef LUMTAR_SHEET
    if (sheet.command->parsed()) return RunSheet(sheet);
#endif
    return Batch(o, batch);
}
