// lumtar sheet: records of a CSV or TSV file onto a sheet of labels, every
// sheet a page of one PDF (the library's BarSheet).
#include "sheet.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "lumtar32_sheet.h"
#include "options.h"

namespace tool {
namespace {

constexpr int Ok = 0, Refused = 1, Usage = 2, FileError = 3, DrawError = 4; // as the other subcommands

// The tool's own length options are millimetres; the library's micrometres.
int Micrometres(double mm) { return static_cast<int>(mm * 1000 + (mm < 0 ? -0.5 : 0.5)); }

// "X,Y" or "X" (both the same) in millimetres; false for anything else.
bool Numbers(const std::string& text, std::vector<double>& out, size_t most)
{
    out.clear();
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, ',');) {
        try {
            size_t used = 0;
            out.push_back(std::stod(part, &used));
            if (used != part.size()) return false;
        } catch (...) {
            return false;
        }
    }
    return !out.empty() && out.size() <= most;
}

std::string CheckNumbers(const std::string& text, size_t most)
{
    std::vector<double> n;
    return Numbers(text, n, most) ? "" : "'" + text + "' is not up to " + std::to_string(most) + " numbers with commas";
}

// COLUMN[:POINTS][:above|below]
bool LineOf(const std::string& spec, std::string& column, BarSheetLine& line)
{
    std::vector<std::string> parts;
    std::istringstream in(spec);
    for (std::string part; std::getline(in, part, ':');) parts.push_back(part);
    if (parts.empty() || parts[0].empty() || parts.size() > 3) return false;
    column = parts[0];
    line = BarSheetLine{nullptr, 0, 0};
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i] == "above" || parts[i] == "below") {
            line.above = parts[i] == "above";
            continue;
        }
        std::vector<double> points;
        if (!Numbers(parts[i], points, 1) || points[0] < 1 || points[0] > 200) return false;
        line.textSize = Micrometres(points[0] * 25.4 / 72);
    }
    return true;
}

// A bar on stderr while the records are drawn, at most ten times a second.
void LUMTAR_CALL ShowProgress(int done, int total, void*)
{
    static auto last = std::chrono::steady_clock::time_point{};
    static bool shown = false;
    const auto now = std::chrono::steady_clock::now();
    if (total < 200 || (done != total && now - last < std::chrono::milliseconds(100))) return;
    if (done == total && !shown) return;
    last = now;
    shown = done != total;
    DrawProgress(static_cast<std::size_t>(done), static_cast<std::size_t>(total));
}

int ListTemplates()
{
    unsigned int needed = 0;
    if (BarSheetTemplates(nullptr, 0, &needed) != BarOk) return DrawError;
    std::string list(needed, '\0');
    if (BarSheetTemplates(list.data(), needed, &needed) != BarOk) return DrawError;
    std::fputs(list.c_str(), stdout);
    return Ok;
}

bool ReadInput(const std::string& path, std::string& text)
{
    std::ostringstream all;
    if (path == "-") {
        all << std::cin.rdbuf();
    } else {
        std::ifstream file(path, std::ios::binary);
        if (!file) return false;
        all << file.rdbuf();
    }
    text = all.str();
    return true;
}

const char* ProblemOf(int problem)
{
    switch (problem) {
    case BarSheetProblemSheet: return "no template of that name (lumtar sheet --list-templates), or the file has none";
    case BarSheetProblemGrid: return "the grid does not fit its page (--grid, --page, --margins)";
    case BarSheetProblemColumn: return "a column named by --code, --types-column, --copies or --line is not in the header";
    case BarSheetProblemModule: return "--module or --magnification";
    case BarSheetProblemPlace: return "--skip, --start, --offset or --label-margin: no such label or too far";
    case BarSheetProblemLines: return "--line: at most 16 lines";
    case BarSheetProblemRecords: return "the input has no header line";
    default: return "the options do not go together";
    }
}

std::string Counted(int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

// The document into its file (or standard output), the report on stderr.
int Write(const std::string& output, const std::string& records, const BarSheetStyle& style)
{
    std::string messages(1 << 20, '\0');
    BarSheetInfo info{};
    info.size = sizeof info;
    info.messages = messages.data();
    info.messagesSize = static_cast<unsigned int>(messages.size());
    int result = BarErrGdi;
    if (output == "-") {
        unsigned int needed = 0;
        std::vector<char> pdf;
        result = BarSheetToMemory(nullptr, 0, &needed, records.c_str(), &style, &info);
        if (result == BarOk) pdf.resize(needed);
        if (result == BarOk) result = BarSheetToMemory(pdf.data(), needed, &needed, records.c_str(), &style, nullptr);
        if (result == BarOk && std::fwrite(pdf.data(), 1, pdf.size(), stdout) != pdf.size()) result = BarErrFile;
    } else {
        result = BarSheet(output.c_str(), records.c_str(), &style, &info);
    }
    if (result == BarErrStyle) return std::fprintf(stderr, "lumtar: %s\n", ProblemOf(info.problem)), Usage;
    if (result == BarErrFile) return std::fprintf(stderr, "lumtar: cannot write %s (or read the template file)\n", output.c_str()), FileError;
    if (result != BarOk) return std::fputs("lumtar: the sheet cannot be drawn\n", stderr), DrawError;
    std::istringstream report(messages.c_str());
    for (std::string line; std::getline(report, line);) std::fprintf(stderr, "lumtar: %s\n", line.c_str());
    std::fprintf(stderr, "lumtar: %s on %s", Counted(info.labels, "label").c_str(), Counted(info.pages, "sheet").c_str());
    if (info.shrunk) std::fprintf(stderr, "; %d drawn smaller than asked", info.shrunk);
    if (info.refused) std::fprintf(stderr, "; %s refused", Counted(info.refused, "record").c_str());
    std::fputc('\n', stderr);
    return info.refused ? Refused : Ok;
}

} // namespace

void AddSheet(CLI::App& app, SheetOptions& o)
{
    auto* sheet = app.add_subcommand("sheet", "Lay the records of a CSV or TSV file out on a sheet of labels, into a PDF");
    o.command = sheet;
    sheet->add_option("-i,--input", o.input, "CSV or TSV file with a header line; - or nothing for standard input");
    sheet->add_option("-o,--output", o.output, "PDF file to write; - for standard output");
    sheet->add_flag("--list-templates", o.list, "print the templates known by name and exit");
    sheet->add_option("--template", o.sheet, "a sheet by vendor and part: \"Avery L7160\", L7160, \"Zweckform 3474\"");
    sheet->add_option("--template-file", o.sheetFile, "a template file in glabels' XML format");
    sheet->add_option("--grid", o.grid, "instead of a template: COLSxROWS labels filling the page")
        ->check([](const std::string& g) {
            int c = 0, r = 0;
            char x = 0, extra = 0;
            return std::sscanf(g.c_str(), "%d%c%d%c", &c, &x, &r, &extra) == 3 && x == 'x' ? "" : "give COLSxROWS, e.g. 3x8";
        });
    sheet->add_option("--page", o.page, "the grid's page: a4 or letter (default a4)")->check(CLI::IsMember({"a4", "letter"}));
    sheet->add_option("--margins", o.margins, "the grid's page margins in mm: ALL, or TOP,RIGHT,BOTTOM,LEFT")
        ->check([](const std::string& m) { return CheckNumbers(m, 4); });
    sheet->add_option("--label-margin", o.labelMargin, "mm kept clear inside each label's edge (default: the template's)")
        ->check(CLI::Range(0.0, 100.0));
    sheet->add_option("--code", o.code, "the column of the codes (default code, else the first)");
    sheet->add_option("--types-column", o.typesColumn, "the column of each record's types (default types, if there)");
    sheet->add_option("--copies", o.copies, "the column of each record's copies (default copies, if there)");
    sheet->add_option("--line", o.lines, "a text line: COLUMN[:POINTS][:above|below] (default 9 points, below); repeat "
                                         "for more, in order");
    sheet->add_option("--types", o.types, "the types of records without a types column, a mask (default 511, all)")
        ->check(CLI::Range(1, BarTypAll));
    sheet->add_option("--skip", o.skip, "labels of the first sheet already used")->check(CLI::Range(0, 1000000));
    sheet->add_option("--start", o.start, "or: ROW,COL of the first label to use, from 1,1")
        ->check([](const std::string& s) { return CheckNumbers(s, 2); });
    sheet->add_option("--offset", o.offset, "X,Y in mm: every label moved right and down (printer calibration)")
        ->check([](const std::string& s) { return CheckNumbers(s, 2); });
    sheet->add_flag("--outline", o.outline, "draw each label's edge, for a test print");
    sheet->add_flag("--cmyk", o.cmyk, "black as K alone (0 0 0 1), for the press");
    auto* module = sheet->add_option("--module", o.module, "X-dimension in mm (default 0.33, 100 %)")->check(CLI::Range(0.01, 100.0));
    sheet->add_option("--magnification", o.magnification, "percent of 0.33 mm, 80 to 200")
        ->check(CLI::Range(80, 200))
        ->excludes(module);
    sheet->footer("A symbol too wide for its label is drawn at the largest X-dimension that fits and reported; a record "
                  "whose code fits none of its types is reported by its line and left out, the sheet goes on, and "
                  "the exit status is 1.");
}

int RunSheet(const SheetOptions& o)
{
    if (o.list) return ListTemplates();
    if (o.output.empty()) return std::fputs("lumtar: sheet needs -o FILE.pdf (or --list-templates)\n", stderr), Usage;
    std::string records;
    if (!ReadInput(o.input, records)) return std::fprintf(stderr, "lumtar: cannot read %s\n", o.input.c_str()), Usage;

    BarSheetStyle style{};
    style.size = sizeof style;
    style.sheet = o.sheet.empty() ? nullptr : o.sheet.c_str();
    style.sheetFile = o.sheetFile.empty() ? nullptr : o.sheetFile.c_str();
    if (!style.sheet && !style.sheetFile && o.grid.empty()) style.sheet = "Avery L7160";
    style.page = o.page == "letter" ? BarPageLetter : BarPageA4;
    std::sscanf(o.grid.c_str(), "%dx%d", &style.columns, &style.rows);
    std::vector<double> n;
    if (Numbers(o.margins, n, 4)) {
        const double all = n[0];
        style.marginTop = Micrometres(n[0]);
        style.marginRight = Micrometres(n.size() == 4 ? n[1] : all);
        style.marginBottom = Micrometres(n.size() == 4 ? n[2] : all);
        style.marginLeft = Micrometres(n.size() == 4 ? n[3] : all);
    }
    style.labelMargin = o.labelMargin < 0 ? -1 : Micrometres(o.labelMargin);
    style.skip = o.skip;
    if (Numbers(o.start, n, 2)) style.startRow = static_cast<int>(n[0]), style.startColumn = static_cast<int>(n.back());
    if (Numbers(o.offset, n, 2)) style.offsetX = Micrometres(n[0]), style.offsetY = Micrometres(n.back());
    style.module = o.module > 0 ? Micrometres(o.module) : 0;
    style.magnification = o.magnification;
    style.outline = o.outline;
    style.cmyk = o.cmyk;
    style.codeColumn = o.code.empty() ? nullptr : o.code.c_str();
    style.typesColumn = o.typesColumn.empty() ? nullptr : o.typesColumn.c_str();
    style.copiesColumn = o.copies.empty() ? nullptr : o.copies.c_str();
    style.types = o.types;
    std::vector<std::string> columns(o.lines.size());
    std::vector<BarSheetLine> lines(o.lines.size());
    for (size_t i = 0; i < o.lines.size(); ++i) {
        if (!LineOf(o.lines[i], columns[i], lines[i]))
            return std::fprintf(stderr, "lumtar: --line %s: give COLUMN[:POINTS][:above|below]\n", o.lines[i].c_str()), Usage;
        lines[i].column = columns[i].c_str();
    }
    style.lineCount = static_cast<int>(lines.size());
    style.lines = lines.data();
    if (StderrIsTerminal()) style.progress = ShowProgress;
    return Write(o.output, records, style);
}

} // namespace tool
