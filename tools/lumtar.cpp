// lumtar: the command-line face of liblumtar32 (and of lumtar32.dll).
//
//   lumtar detect TEXT            the first code type TEXT fits
//   lumtar isbn EAN / ean ISBN    ISBN-10 <-> EAN-13
//   lumtar render TEXT -o FILE    one code into a WMF, BMP, PNG, SVG, PDF or EPS file
//   lumtar batch -i LIST -o PAT   one code per line into numbered (or named) files
//
// Every picture is drawn by the library's frame (Bar2HdcEx) on a metafile or
// bitmap surface the tool records itself: one call for a plain picture, the
// bytes BarToWmf and BarToBmp would write; more for an add-on beside its
// symbol, quiet zones or a module width of the user's choice.
#include <CLI/CLI.hpp>

#include <algorithm>
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
    int dpi = 300, narrow = 0, wide = 0;
    long start = 1;
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    double module = 0, height = 0;
    bool quietZones = false, strict = false, turned = false;
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

Job JobOf(const Options& o, const CLI::App* cmd)
{
    Job job;
    job.types = *ParseTypes(o.types);
    job.typesText = o.types;
    job.style.font = o.font == "none" ? FontChoice::None : o.font == "bold" ? FontChoice::Bold : FontChoice::Default;
    job.style.narrow = o.narrow;
    job.style.wide = o.wide;
    job.style.quietZones = o.quietZones;
    if (!o.format.empty()) job.format = FormatNamed(o.format);
    if (!o.size.empty()) job.size = ParseSize(o.size);
    if (!o.phys.empty()) job.phys = ParseSize(o.phys);
    job.byModule = cmd->count("--module") > 0;
    job.moduleMm = o.module;
    job.heightMm = o.height;
    job.turned = o.turned;
    job.dpi = o.dpi;
    job.dpiGiven = cmd->count("--dpi") > 0;
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

// render and batch share their picture options.
void PictureOptions(CLI::App* cmd, Options& o)
{
    cmd->add_option("--types", o.types, TypesHelp)->check(CheckTypes);
    cmd->add_option("--font", o.font, "human-readable text: default, none or bold")
        ->check(CLI::IsMember({"default", "none", "bold"}));
    cmd->add_option("--format", o.format, "wmf, bmp, png, svg, pdf or eps, whatever the file name says")
        ->check([](const std::string& f) { return FormatNamed(f) ? "" : "'" + f + "' is none of " + FormatList; });
    auto* size = cmd->add_option("--size", o.size,
                                 "WIDTHxHEIGHT: pixels for BMP and PNG (default 600x240), 0.01 mm for WMF, SVG, PDF and "
                                 "EPS (default 5000x2000)")
                     ->check(CheckSize);
    auto* physOpt = cmd->add_option("--phys", o.phys, "BMP, PNG: printed size WIDTHxHEIGHT in 0.01 mm (sets the resolution)")
                        ->check(CheckSize);
    cmd->add_option("--dpi", o.dpi, "BMP, PNG: printed resolution in dots per inch (default 300); with --module the pixels "
                                    "per inch")
        ->check(CLI::Range(1, 1000000))
        ->excludes(physOpt);
    auto* module = cmd->add_option("--module", o.module, "narrow module width (X-dimension) in mm; the picture is as large "
                                                         "as the symbol needs")
                       ->check(CLI::Range(0.01, 100.0))
                       ->excludes(size);
    cmd->add_option("--height", o.height, "with --module: the picture's height in mm")
        ->check(CLI::Range(0.1, 10000.0))
        ->needs(module);
    cmd->add_flag("--turned", o.turned, "with --module: the symbol runs upwards")->needs(module);
    cmd->add_flag("--quiet-zones", o.quietZones, "margins of the standard quiet zones around the symbol");
    cmd->add_flag("--strict", o.strict, "refuse a text whose check digit is wrong instead of drawing a later type");
    cmd->add_option("--narrow", o.narrow, "narrow element width of Interleaved 2 of 5 and Code 39 (default 1)")
        ->check(CLI::Range(1, 100));
    cmd->add_option("--wide", o.wide, "wide element width of Interleaved 2 of 5 and Code 39 (default 3)")
        ->check(CLI::Range(1, 100));
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
    render->add_option("-o,--output", o.output, "file to write (.wmf .bmp .png .svg .pdf .eps); - for standard output")
        ->required();
    PictureOptions(render, o);

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
