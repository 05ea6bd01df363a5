// Label sheets: a list of records laid out onto the labels of a sheet
// template (a vendor's part, a glabels template file, or a plain grid), one
// label per record and copy, every page into one PDF document.
//
// Lengths inside are millimetres as doubles; the page's drawing is in
// micrometres, whole numbers (see draw.cpp).
#pragma once

#include <string>
#include <vector>

namespace lumtar::sheet {

// ------------------------------------------------------------ templates

// One grid of labels on the sheet: nx x ny labels, the first one's top-left
// corner at x0, y0 from the page's top-left, dx and dy from one to the next.
struct Layout {
    int nx = 1, ny = 1;
    double x0 = 0, y0 = 0, dx = 0, dy = 0;
};

struct Template {
    std::string name;        // "Avery L7160"
    std::string description; // "Address labels 63.5 x 38.1 mm"
    double pageWidth = 0, pageHeight = 0;
    double width = 0, height = 0; // one label
    double round = 0;             // corner radius
    double margin = 0;            // nothing is drawn nearer the label's edge
    std::vector<Layout> layouts;
};

// The labels' top-left corners in the order they are filled: top to bottom,
// left to right across every layout of the sheet.
struct Slot {
    double x = 0, y = 0;
};
std::vector<Slot> SlotsOf(const Template& t);
// The index among those of the label in row and column (from 1), -1 when the
// sheet has no such label.
long SlotAt(const std::vector<Slot>& slots, int row, int column);

// A built-in template by its name ("Avery L7160", "L7160", "avery-l7160",
// case and spaces and hyphens aside); false when there is none.
bool BuiltinTemplate(const std::string& name, Template& out);
std::vector<Template> BuiltinTemplates();

// Templates of glabels' XML format (<Glabels-templates>) read from a file;
// aliases (equiv) resolved within the file and against `known`. An empty
// result with `error` set when the file cannot be read or parsed.
std::vector<Template> ReadGlabels(const std::string& path, std::string& error);
std::vector<Template> ReadGlabelsText(const std::string& xml, std::string& error,
                                      const std::vector<Template>& known = {});

// The folder where glabels-data installs its templates.
extern const char* const GlabelsFolder;
// Every template of that folder (empty when it is not there).
std::vector<Template> InstalledTemplates();

// The name as a user types it matches the template's ("Avery L7160" by
// "l7160", "Avery-L7160", ...).
bool NameMatches(const std::string& typed, const std::string& name);

// A4 or Letter by name ("a4", "letter", "US-Letter"): width and height in mm.
bool PageNamed(const std::string& name, double& width, double& height);

// The free grid: columns x rows labels filling the page inside its margins
// (top, right, bottom, left), no gaps between them.
Template GridTemplate(double pageWidth, double pageHeight, int columns, int rows, const double margins[4],
                      double labelMargin);

// ------------------------------------------------------------- records

// A CSV or TSV table: the header's names and the records under it, each
// with the line it starts on. Quoted fields ("a, b", "say ""hi""") may hold
// the delimiter, quotes and line breaks. The delimiter is a tab when the
// header line has one, else a comma (or semicolon when it has no comma).
struct Table {
    std::vector<std::string> names;
    struct Row {
        int line = 0;
        std::vector<std::string> fields;
    };
    std::vector<Row> rows;
};
Table ReadTable(const std::string& text);
// The index of a column by name (case aside), -1 when there is none.
int ColumnOf(const Table& table, const std::string& name);

// ------------------------------------------------------------ placement

// A text line of the label: a column's value at a size in points, above the
// symbol or below it.
struct LineSpec {
    int column = -1;
    double points = 9;
    bool above = false;
};

struct Box {
    double x = 0, y = 0, width = 0, height = 0;
};

// Where record i of the run goes: the page and the label's box, counting
// `skip` labels left blank first; the offset moves every label.
struct Placed {
    int page = 0;
    Box label;
};
Placed PlaceLabel(const std::vector<Slot>& slots, const Template& t, long index, long skip, double offsetX,
                  double offsetY);

// The label's inside (the box less the margin) split between the text lines
// above, the symbol's room and the lines below. Line heights are 1.2 times
// their size.
struct LabelParts {
    Box symbol;
    std::vector<Box> above, below; // one per line, in the order given
};
LabelParts SplitLabel(const Box& label, double margin, const std::vector<LineSpec>& lines);

constexpr double MmPerPoint = 25.4 / 72;
constexpr double LineSpacing = 1.2;

} // namespace lumtar::sheet
