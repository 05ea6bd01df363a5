// The exports of lumtar32_sheet.h: the style record checked field by field,
// the template found, the records read, then the document made in memory and
// stored. Under the guard (api/guard.h), as the other exports.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "api/guard.h"
#include "lumtar32_formats.h"
#include "lumtar32_sheet.h"
#include "sheet/draw.h"

namespace lumtar::sheet {
namespace {

constexpr int MaxLength = 1000000;       // micrometres: 1 m, beyond any sheet
constexpr int MaxLines = 16;
constexpr int DefaultLineSize = 3175;    // 9 points
constexpr int GridLabelMargin = 2000;    // micrometres
constexpr int Unreadable = -1;           // the template file: BarErrFile
constexpr size_t MinStyleSize = offsetof(BarSheetStyle, context) + sizeof(void*);

double Mm(int micrometres) { return micrometres / 1000.0; }
bool Length(int value, int low = 0) { return value >= low && value <= MaxLength; }

struct Asked {
    Run run;
    Table table;
    int problem = BarSheetProblemNone;
};

bool FindTemplate(const BarSheetStyle& s, Template& t, int& problem)
{
    const std::string name = s.sheet ? s.sheet : "";
    problem = BarSheetProblemSheet;
    if (s.sheetFile) {
        std::string error;
        const std::vector<Template> found = ReadGlabels(s.sheetFile, error);
        if (error.rfind("cannot read", 0) == 0) problem = Unreadable;
        for (const Template& each : found)
            if (name.empty() ? found.size() == 1 : NameMatches(name, each.name)) return t = each, true;
        return false;
    }
    if (!name.empty()) {
        if (BuiltinTemplate(name, t)) return true;
        for (const Template& each : InstalledTemplates())
            if (NameMatches(name, each.name)) return t = each, true;
        return false;
    }
    problem = BarSheetProblemGrid;
    double width = 0, height = 0;
    if ((s.page != BarPageA4 && s.page != BarPageLetter) || s.columns < 1 || s.rows < 1 || s.columns > 100 ||
        s.rows > 100 || !PageNamed(s.page == BarPageA4 ? "a4" : "letter", width, height))
        return false;
    const double margins[4] = {Mm(s.marginTop), Mm(s.marginRight), Mm(s.marginBottom), Mm(s.marginLeft)};
    if (!Length(s.marginTop) || !Length(s.marginRight) || !Length(s.marginBottom) || !Length(s.marginLeft) ||
        margins[1] + margins[3] >= width || margins[0] + margins[2] >= height)
        return false;
    t = GridTemplate(width, height, s.columns, s.rows, margins, Mm(GridLabelMargin));
    return true;
}

// A named column must be there; an unnamed one is looked for by its usual name.
bool Column(const Table& table, const char* given, const char* usual, int& column)
{
    column = ColumnOf(table, given ? given : usual);
    return column >= 0 || !given;
}

int Columns(const BarSheetStyle& s, Asked& a)
{
    if (a.table.names.empty()) return BarSheetProblemRecords;
    if (!Column(a.table, s.codeColumn, "code", a.run.codeColumn) ||
        !Column(a.table, s.typesColumn, "types", a.run.typesColumn) ||
        !Column(a.table, s.copiesColumn, "copies", a.run.copiesColumn))
        return BarSheetProblemColumn;
    a.run.codeColumn = std::max(a.run.codeColumn, 0);
    if (s.lineCount < 0 || s.lineCount > MaxLines || (s.lineCount > 0 && !s.lines)) return BarSheetProblemLines;
    for (int i = 0; i < s.lineCount; ++i) {
        const BarSheetLine& line = s.lines[i];
        LineSpec spec;
        if (!line.column || (spec.column = ColumnOf(a.table, line.column)) < 0) return BarSheetProblemColumn;
        if (!Length(line.textSize) || line.textSize > 100000) return BarSheetProblemLines;
        spec.points = Mm(line.textSize ? line.textSize : DefaultLineSize) / MmPerPoint;
        spec.above = line.above != 0;
        a.run.lines.push_back(spec);
    }
    return BarSheetProblemNone;
}

int Settle(const char* records, const BarSheetStyle* style, Asked& a)
{
    if (!style || style->size < static_cast<int>(MinStyleSize)) return BarSheetProblemSize;
    const BarSheetStyle& s = *style;
    int problem = BarSheetProblemNone;
    if (!FindTemplate(s, a.run.sheet, problem)) return problem;
    if (s.labelMargin != -1 && !Length(s.labelMargin)) return BarSheetProblemPlace;
    if (s.labelMargin != -1) a.run.sheet.margin = Mm(s.labelMargin);
    if (s.skip < 0 || s.skip > 1000000 || !Length(std::abs(s.offsetX)) || !Length(std::abs(s.offsetY)))
        return BarSheetProblemPlace;
    a.run.skip = s.skip;
    if (s.startRow || s.startColumn) {
        a.run.skip = SlotAt(SlotsOf(a.run.sheet), s.startRow, s.startColumn);
        if (s.skip || a.run.skip < 0) return BarSheetProblemPlace;
    }
    a.run.offsetX = Mm(s.offsetX);
    a.run.offsetY = Mm(s.offsetY);
    if ((s.module && s.magnification) || (s.module && (s.module < 10 || s.module > 100000)) ||
        (s.magnification && (s.magnification < 80 || s.magnification > 200)))
        return BarSheetProblemModule;
    a.run.module = s.module ? s.module : 330 * (s.magnification ? s.magnification : 100) / 100;
    if (s.types < 0 || s.types > BarTypAll) return BarSheetProblemTypes;
    a.run.types = s.types ? s.types : BarTypAll;
    a.run.outline = s.outline != 0;
    a.run.progress = s.progress;
    a.run.context = s.context;
    // Fields after context came later: a record of the first size leaves them out.
    const bool withCmyk = s.size >= static_cast<int>(offsetof(BarSheetStyle, cmyk) + sizeof(int));
    if (withCmyk && (s.cmyk < 0 || s.cmyk > 1)) return BarSheetProblemPlace;
    a.run.cmyk = withCmyk && s.cmyk;
    if (!records) return BarSheetProblemRecords;
    a.table = ReadTable(records);
    return Columns(s, a);
}

void Report(const Outcome& o, int problem, BarSheetInfo* info)
{
    if (!info || info->size < static_cast<int>(sizeof(BarSheetInfo))) return;
    info->problem = problem;
    info->labels = static_cast<int>(o.labels);
    info->pages = static_cast<int>(o.pages);
    info->refused = static_cast<int>(o.refused);
    info->shrunk = static_cast<int>(o.shrunk);
    if (info->messages && info->messagesSize > 0) {
        const size_t length = std::min<size_t>(o.messages.size(), info->messagesSize - 1);
        std::memcpy(info->messages, o.messages.data(), length);
        info->messages[length] = '\0';
    }
}

int Document(const char* records, const BarSheetStyle* style, BarSheetInfo* info, Bytes& pdf)
{
    Asked asked;
    Outcome outcome;
    const int problem = Settle(records, style, asked);
    int result = problem == Unreadable ? BarErrFile : problem != BarSheetProblemNone ? BarErrStyle : BarOk;
    if (result == BarOk) result = SheetPdf(asked.table, asked.run, pdf, outcome);
    Report(outcome, problem == Unreadable ? BarSheetProblemSheet : problem, info);
    return result;
}

} // namespace
} // namespace lumtar::sheet

using lumtar::Bytes;

extern "C" {

int LUMTAR_CALL BarSheet(const char* path, const char* records, const BarSheetStyle* style, BarSheetInfo* info)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        if (!path) return BarErrFile;
        Bytes pdf;
        const int result = lumtar::sheet::Document(records, style, info, pdf);
        return lumtar::Deliver(result, pdf, lumtar::FileSink(path));
    });
}

int LUMTAR_CALL BarSheetToMemory(void* buffer, unsigned int size, unsigned int* needed, const char* records,
                                 const BarSheetStyle* style, BarSheetInfo* info)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        if (needed) *needed = 0;
        Bytes pdf;
        const int result = lumtar::sheet::Document(records, style, info, pdf);
        return lumtar::Deliver(result, pdf, lumtar::MemorySink(buffer, size, needed));
    });
}

int LUMTAR_CALL BarSheetTemplates(char* buffer, unsigned int size, unsigned int* needed)
{
    return lumtar::Guarded(BarErrGdi, [&] {
        std::vector<lumtar::sheet::Template> all = lumtar::sheet::BuiltinTemplates();
        for (auto& t : lumtar::sheet::InstalledTemplates()) all.push_back(std::move(t));
        std::string list;
        for (const auto& t : all) {
            char paper[48];
            if (std::fabs(t.pageWidth - 210) < 0.5 && std::fabs(t.pageHeight - 297) < 0.5)
                std::snprintf(paper, sizeof paper, "A4");
            else if (std::fabs(t.pageWidth - 215.9) < 0.5 && std::fabs(t.pageHeight - 279.4) < 0.5)
                std::snprintf(paper, sizeof paper, "Letter");
            else
                std::snprintf(paper, sizeof paper, "%.1f x %.1f mm", t.pageWidth, t.pageHeight);
            list += t.name + "\t" + t.description + "\t" + paper + "\n";
        }
        Bytes bytes(list.begin(), list.end());
        bytes.push_back(0);
        if (needed) *needed = 0;
        return lumtar::Deliver(BarOk, bytes, lumtar::MemorySink(buffer, size, needed));
    });
}

} // extern "C"
