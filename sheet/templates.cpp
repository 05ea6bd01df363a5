// The label sheets built in: the common A4 and Letter parts of Avery and
// Avery Zweckform, their geometry as the vendors publish it (label size, top
// and side margin, horizontal and vertical pitch), and the page sizes and
// free grid beside them.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "sheet/sheet.h"

namespace lumtar::sheet {
namespace {

constexpr double Inch = 25.4;
constexpr double A4Width = 210, A4Height = 297;
constexpr double LetterWidth = 8.5 * Inch, LetterHeight = 11 * Inch;

// All lengths in mm. Label size, margins and pitches are the vendors'
// published data; corner radius and markup margin (nothing printed nearer
// the edge) are glabels-data's for the same part, except where said.
struct Builtin {
    const char* name;
    const char* aliases; // other parts of the same geometry, space-separated
    const char* description;
    double pageWidth, pageHeight;
    double width, height, round, margin;
    int nx, ny;
    double x0, y0, dx, dy;
};

constexpr Builtin Builtins[] = {
    // Avery L7160: 63.5 x 38.1 mm, 21 per A4 sheet; top margin 15.15, side 7.21, pitch 66.04 x 38.1 (Avery UK data)
    {"Avery L7160", "J8160 7160", "Address labels 63.5 x 38.1 mm, 3 x 7", A4Width, A4Height, 63.5, 38.1, 1.76, 1.76,
     3, 7, 7.21, 15.15, 66.04, 38.1},
    // Avery L7163: 99.1 x 38.1 mm, 14 per sheet; top 15.15, side 4.65, pitch 101.6 x 38.1 (Avery UK data)
    {"Avery L7163", "J8163 7163", "Address labels 99.1 x 38.1 mm, 2 x 7", A4Width, A4Height, 99.1, 38.1, 1.76, 1.76,
     2, 7, 4.65, 15.15, 101.6, 38.1},
    // Avery L7651: 38.1 x 21.2 mm, 65 per sheet; top 10.7, side 4.75, pitch 40.6 x 21.2 (Avery UK data)
    {"Avery L7651", "J8651 L8651 8651", "Mini labels 38.1 x 21.2 mm, 5 x 13", A4Width, A4Height, 38.1, 21.2, 1.76,
     1.0, 5, 13, 4.75, 10.7, 40.6, 21.2},
    // Avery L7654: 45.7 x 25.4 mm, 40 per sheet; top 21.5, side 9.7, pitch 48.3 x 25.4 (Avery UK data)
    {"Avery L7654", "J8654 L4770", "Mini labels 45.7 x 25.4 mm, 4 x 10", A4Width, A4Height, 45.7, 25.4, 1.5, 1.0, 4,
     10, 9.7, 21.5, 48.3, 25.4},
    // Avery 5160: 2 5/8 x 1 in, 30 per Letter sheet; top 0.5, side 3/16, pitch 2.75 x 1 in (Avery US data)
    {"Avery 5160", "8160 5260 5960", "Address labels 2 5/8 x 1 in, 3 x 10", LetterWidth, LetterHeight, 2.625 * Inch,
     1 * Inch, 0.0625 * Inch, 0.0625 * Inch, 3, 10, 0.1875 * Inch, 0.5 * Inch, 2.75 * Inch, 1 * Inch},
    // Avery 5163: 4 x 2 in, 10 per sheet; top 0.5, side 5/32, pitch 4 3/16 x 2 in (Avery US data)
    {"Avery 5163", "8163 5263", "Shipping labels 4 x 2 in, 2 x 5", LetterWidth, LetterHeight, 4 * Inch, 2 * Inch,
     0.125 * Inch, 0.125 * Inch, 2, 5, 0.15625 * Inch, 0.5 * Inch, 4.1875 * Inch, 2 * Inch},
    // Avery 5167: 1 3/4 x 1/2 in, 80 per sheet; top 0.5, side 0.3, pitch 2.05 x 0.5 in (Avery US data)
    {"Avery 5167", "8167 5267", "Return address labels 1 3/4 x 1/2 in, 4 x 20", LetterWidth, LetterHeight,
     1.75 * Inch, 0.5 * Inch, 0.0625 * Inch, 0.0625 * Inch, 4, 20, 0.3 * Inch, 0.5 * Inch, 2.05 * Inch, 0.5 * Inch},
    // Zweckform 3474: 70 x 37 mm, 24 per sheet, edge to edge across; top margin 0.5 (Avery Zweckform data).
    // Markup margin 2 mm of our own: glabels says 0, and no printer prints to the sheet's edge.
    {"Zweckform 3474", "", "Labels 70 x 37 mm, 3 x 8", A4Width, A4Height, 70, 37, 0, 2, 3, 8, 0, 0.5, 70, 37},
    // Zweckform 3475: 70 x 36 mm, 24 per sheet; top margin 4.5 (Avery Zweckform data); margin 2 mm as 3474
    {"Zweckform 3475", "", "Labels 70 x 36 mm, 3 x 8", A4Width, A4Height, 70, 36, 0, 2, 3, 8, 0, 4.5, 70, 36},
    // Zweckform 3490: 70 x 36 mm, 24 per sheet; top margin 4.5 (Avery Zweckform data); margin glabels' 5 pt
    {"Zweckform 3490", "", "Copier labels 70 x 36 mm, 3 x 8", A4Width, A4Height, 70, 36, 0, 1.76, 3, 8, 0, 4.5, 70,
     36},
};

// Every label of a part lies on its page, its pitches no closer than its size.
constexpr bool OnPage(const Builtin& b)
{
    return b.x0 >= 0 && b.y0 >= 0 && b.dx >= b.width && b.dy >= b.height &&
           b.x0 + (b.nx - 1) * b.dx + b.width <= b.pageWidth + 0.01 &&
           b.y0 + (b.ny - 1) * b.dy + b.height <= b.pageHeight + 0.01;
}
static_assert(std::all_of(std::begin(Builtins), std::end(Builtins), OnPage));

Template TemplateOf(const Builtin& b)
{
    Template t;
    t.name = b.name;
    t.description = b.description;
    t.pageWidth = b.pageWidth;
    t.pageHeight = b.pageHeight;
    t.width = b.width;
    t.height = b.height;
    t.round = b.round;
    t.margin = b.margin;
    t.layouts = {Layout{b.nx, b.ny, b.x0, b.y0, b.dx, b.dy}};
    return t;
}

std::string Folded(const std::string& text)
{
    std::string folded;
    for (const char c : text)
        if (c != ' ' && c != '-' && c != '_') folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

// "Avery Zweckform 3474" and "Zweckform 3474" name the same part.
std::string Brandless(const std::string& name)
{
    const size_t space = name.rfind(' ');
    return space == std::string::npos ? name : name.substr(space + 1);
}

} // namespace

bool NameMatches(const std::string& typed, const std::string& name)
{
    const std::string t = Folded(typed);
    return !t.empty() && (t == Folded(name) || t == Folded(Brandless(name)) || t == "avery" + Folded(name));
}

bool BuiltinTemplate(const std::string& name, Template& out)
{
    for (const Builtin& b : Builtins) {
        bool found = NameMatches(name, b.name);
        const std::string aliases = b.aliases;
        for (size_t at = 0; !found && at < aliases.size();) {
            const size_t end = std::min(aliases.find(' ', at), aliases.size());
            found = NameMatches(name, std::string(b.name).substr(0, std::string(b.name).find(' ') + 1) +
                                          aliases.substr(at, end - at));
            at = end + 1;
        }
        if (found) {
            out = TemplateOf(b);
            return true;
        }
    }
    return false;
}

std::vector<Template> BuiltinTemplates()
{
    std::vector<Template> all;
    for (const Builtin& b : Builtins) all.push_back(TemplateOf(b));
    return all;
}

bool PageNamed(const std::string& name, double& width, double& height)
{
    const std::string n = Folded(name);
    if (n == "a4") {
        width = A4Width, height = A4Height;
    } else if (n == "letter" || n == "usletter") {
        width = LetterWidth, height = LetterHeight;
    } else if (n == "a5") {
        width = 148, height = 210;
    } else if (n == "a3") {
        width = 297, height = 420;
    } else if (n == "legal" || n == "uslegal") {
        width = 8.5 * Inch, height = 14 * Inch;
    } else {
        return false;
    }
    return true;
}

Template GridTemplate(double pageWidth, double pageHeight, int columns, int rows, const double margins[4],
                      double labelMargin)
{
    Template t;
    t.name = "grid " + std::to_string(columns) + "x" + std::to_string(rows);
    t.pageWidth = pageWidth;
    t.pageHeight = pageHeight;
    const double top = margins[0], right = margins[1], bottom = margins[2], left = margins[3];
    t.width = (pageWidth - left - right) / std::max(columns, 1);
    t.height = (pageHeight - top - bottom) / std::max(rows, 1);
    t.margin = labelMargin;
    t.layouts = {Layout{columns, rows, left, top, t.width, t.height}};
    return t;
}

std::vector<Slot> SlotsOf(const Template& t)
{
    std::vector<Slot> slots;
    for (const Layout& l : t.layouts)
        for (int row = 0; row < l.ny; ++row)
            for (int column = 0; column < l.nx; ++column) slots.push_back(Slot{l.x0 + column * l.dx, l.y0 + row * l.dy});
    // Rows less than 0.1 mm apart (a layout's rounding) count as one row.
    std::stable_sort(slots.begin(), slots.end(), [](const Slot& a, const Slot& b) {
        const long long ya = std::llround(a.y * 10), yb = std::llround(b.y * 10);
        return ya < yb || (ya == yb && a.x < b.x);
    });
    return slots;
}

long SlotAt(const std::vector<Slot>& slots, int row, int column)
{
    int r = 0, c = 0;
    for (size_t i = 0; i < slots.size(); ++i) {
        const bool newRow = i > 0 && std::llround(slots[i].y * 10) != std::llround(slots[i - 1].y * 10);
        r += i == 0 || newRow;
        c = newRow ? 1 : c + 1;
        if (r == row && c == column) return static_cast<long>(i);
    }
    return -1;
}

} // namespace lumtar::sheet
