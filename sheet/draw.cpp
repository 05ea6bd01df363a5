// The pages of a run: for every record its symbol fitted once, then placed
// on each of its copies' labels with the record's text lines, all in
// micrometres on the page's scene.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/font.h"
#include "sheet/draw.h"

namespace lumtar::sheet {
namespace {

constexpr double Um = 1000; // micrometres per mm
constexpr const char* LineFace = "Arial"; // Liberation Sans where there is no Arial
constexpr double SmallestShrink = 0.5;    // a long text line keeps at least half its size, then is cut
constexpr uint32_t OutlineColor = 0x808080;
constexpr int OutlineWidth = 100; // micrometres
constexpr long MaxCopies = 100000;

int Micro(double mm) { return static_cast<int>(std::lround(mm * Um)); }

// The symbol's marks moved onto the page, its picture's top-left at x, y (micrometres).
void Place(Scene& page, const Symbol& symbol, int x, int y)
{
    const Scene& s = symbol.scene;
    const double sx = symbol.width * 10.0 / s.extX, sy = symbol.height * 10.0 / s.extY;
    for (Mark m : s.marks) {
        m.left = x + static_cast<int>(std::lround((m.left - s.orgX) * sx));
        m.top = y + static_cast<int>(std::lround((m.top - s.orgY) * sy));
        if (m.text) {
            m.font.height = static_cast<int>(std::lround(m.font.height * sy));
        } else {
            m.right = x + static_cast<int>(std::lround((m.right - s.orgX) * sx));
            m.bottom = y + static_cast<int>(std::lround((m.bottom - s.orgY) * sy));
        }
        page.marks.push_back(std::move(m));
    }
}

void Rectangle(Scene& page, int left, int top, int right, int bottom, uint32_t color)
{
    Mark m;
    m.left = left, m.top = top, m.right = right, m.bottom = bottom, m.color = color;
    if (left < right && top < bottom) page.marks.push_back(m);
}

// The label's edge, inside it; rounded corners are left open.
void Outline(Scene& page, const Box& label, double round)
{
    const int l = Micro(label.x), t = Micro(label.y), r = Micro(label.x + label.width), b = Micro(label.y + label.height);
    const int c = Micro(round), w = OutlineWidth;
    Rectangle(page, l + c, t, r - c, t + w, OutlineColor);
    Rectangle(page, l + c, b - w, r - c, b, OutlineColor);
    Rectangle(page, l, t + c, l + w, b - c, OutlineColor);
    Rectangle(page, r - w, t + c, r, b - c, OutlineColor);
}

// A text line centred in its box; shrunk to the box's width, and past half
// its size cut. True when it went in as asked.
bool Text(Scene& page, std::string chars, double points, const Box& box)
{
    Mark m;
    m.text = true;
    m.align = TA_CENTER | TA_TOP;
    m.opaque = false;
    m.font.face = LineFace;
    m.font.height = -Micro(points * MmPerPoint);
    const auto face = FaceOf(m.font);
    if (!face || chars.empty()) return true;
    m.chars = chars;
    double width = LayoutOf(*face, m).width;
    const double room = box.width * Um;
    const bool fits = width <= room;
    if (!fits) {
        const double shrink = std::max(SmallestShrink, room / width);
        m.font.height = static_cast<int>(m.font.height * shrink);
        for (width = LayoutOf(*face, m).width; width > room && m.chars.size() > 1; width = LayoutOf(*face, m).width)
            m.chars = m.chars.substr(0, m.chars.size() - (m.chars.size() > 2 && m.chars.back() == '\x85' ? 2 : 1)) + '\x85';
    }
    m.left = Micro(box.x + box.width / 2);
    m.top = Micro(box.y) + static_cast<int>((box.height * Um - LayoutOf(*face, m).ascent - LayoutOf(*face, m).descent) / 2);
    page.marks.push_back(std::move(m));
    return fits;
}

const std::string& FieldOf(const Table::Row& row, int column)
{
    static const std::string none;
    return column >= 0 && static_cast<size_t>(column) < row.fields.size() ? row.fields[static_cast<size_t>(column)] : none;
}

struct Record {
    std::string code;
    int types = 0;
    long copies = 1;
    std::string why; // why it is refused
};

Record RecordOf(const Table::Row& row, const Run& run)
{
    Record r;
    r.code = FieldOf(row, run.codeColumn);
    r.code.erase(std::remove_if(r.code.begin(), r.code.end(), [](char c) { return c == ' ' || c == '\t'; }), r.code.end());
    r.types = run.types;
    const std::string& types = FieldOf(row, run.typesColumn);
    if (run.typesColumn >= 0 && !types.empty() && !(r.types = TypesOf(types))) r.why = "the types '" + types + "' are none";
    const std::string& copies = FieldOf(row, run.copiesColumn);
    if (run.copiesColumn >= 0 && !copies.empty()) {
        char* end = nullptr;
        r.copies = std::strtol(copies.c_str(), &end, 10);
        if (*end || r.copies < 0 || r.copies > MaxCopies) r.why = "the copies '" + copies + "' are no number from 0 to 100000";
    }
    if (r.code.empty() && r.why.empty()) r.why = "no code";
    return r;
}

void Say(Outcome& outcome, int line, const std::string& message)
{
    outcome.messages += "line " + std::to_string(line) + ": " + message + "\n";
}

std::string Millimetres(int micrometres)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f mm", micrometres / Um);
    return text;
}

} // namespace

std::vector<Scene> PagesOf(const Table& table, const Run& run, Outcome& outcome)
{
    std::vector<Scene> pages;
    const std::vector<Slot> slots = SlotsOf(run.sheet);
    const LabelParts shape = SplitLabel(Box{0, 0, run.sheet.width, run.sheet.height}, run.sheet.margin, run.lines);
    long index = 0;
    for (size_t i = 0; i < table.rows.size(); ++i) {
        if (run.progress) run.progress(static_cast<int>(i), static_cast<int>(table.rows.size()), run.context);
        const Table::Row& row = table.rows[i];
        const Record record = RecordOf(row, run);
        Symbol symbol;
        int result = record.why.empty() ? FitSymbol(record.code, record.types, run.module, shape.symbol, symbol) : BarErrCode;
        if (result != BarOk) {
            ++outcome.refused;
            Say(outcome, row.line, !record.why.empty()    ? record.why
                                   : result == BarErrCode ? "'" + record.code + "' fits none of the types"
                                                          : "'" + record.code + "' does not fit its label at any size");
            continue;
        }
        if (symbol.module < symbol.asked) {
            ++outcome.shrunk;
            Say(outcome, row.line, "'" + record.code + "' drawn at an X-dimension of " + Millimetres(symbol.module) +
                                       " (" + Millimetres(symbol.asked) + " asked) to fit its label");
        }
        for (long copy = 0; copy < record.copies; ++copy, ++index) {
            const Placed at = PlaceLabel(slots, run.sheet, index, run.skip, run.offsetX, run.offsetY);
            while (static_cast<int>(pages.size()) <= at.page) {
                pages.emplace_back();
                pages.back().extX = Micro(run.sheet.pageWidth);
                pages.back().extY = Micro(run.sheet.pageHeight);
            }
            Scene& page = pages[static_cast<size_t>(at.page)];
            const LabelParts parts = SplitLabel(at.label, run.sheet.margin, run.lines);
            if (run.outline) Outline(page, at.label, run.sheet.round);
            Place(page, symbol, Micro(parts.symbol.x + parts.symbol.width / 2) - symbol.width * 5,
                  Micro(parts.symbol.y + parts.symbol.height / 2) - symbol.height * 5);
            size_t above = 0, below = 0;
            bool whole = true;
            for (const LineSpec& line : run.lines)
                whole &= Text(page, Cp1252Of(FieldOf(row, line.column)), line.points,
                              line.above ? parts.above[above++] : parts.below[below++]);
            if (!whole && copy == 0) Say(outcome, row.line, "a text line is too long for the label: set smaller");
            ++outcome.labels;
        }
    }
    if (run.progress) run.progress(static_cast<int>(table.rows.size()), static_cast<int>(table.rows.size()), run.context);
    outcome.pages = static_cast<long>(pages.size());
    return pages;
}

int TypesOf(const std::string& field)
{
    static constexpr struct {
        const char* name;
        int mask;
    } Names[] = {{"isbn", BarTypIsbn},    {"ean13", BarTypEan13},     {"ean8", BarTypEan8},   {"upca", BarTypUpc12},
                 {"upc", BarTypUpc12},    {"ean5", BarTypEan5},       {"ean2", BarTypEan2},   {"itf", BarTyp2aus5},
                 {"2of5", BarTyp2aus5},   {"codabar", BarTypCodabar}, {"code39", BarTyp3aus9}, {"all", BarTypAll}};
    char* end = nullptr;
    const long number = std::strtol(field.c_str(), &end, 10);
    if (!field.empty() && !*end) return number > 0 && number <= BarTypAll ? static_cast<int>(number) : 0;
    int mask = 0;
    for (size_t at = 0; at <= field.size();) {
        const size_t stop = std::min(field.find_first_of(",+|", at), field.size());
        std::string name;
        for (size_t k = at; k < stop; ++k)
            if (field[k] != ' ' && field[k] != '-') name += static_cast<char>(std::tolower(static_cast<unsigned char>(field[k])));
        const auto* found = std::find_if(std::begin(Names), std::end(Names), [&](const auto& n) { return name == n.name; });
        if (found == std::end(Names)) return 0;
        mask |= found->mask;
        at = stop + 1;
    }
    return mask;
}

std::string Cp1252Of(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return text; // no UTF-8: taken as code page 1252
        uint32_t code = length == 1 ? c : c & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return text;
            code = code << 6 | (next & 0x3F);
        }
        i += static_cast<size_t>(length);
        char byte = '?';
        for (int b = 0; b < 256; ++b)
            if (platform::UnicodeOf(static_cast<unsigned char>(b)) == code) byte = static_cast<char>(b);
        out += code < 0x80 ? static_cast<char>(code) : byte;
    }
    return out;
}

} // namespace lumtar::sheet

namespace lumtar::sheet {

int SheetPdf(const Table& table, const Run& run, Bytes& pdf, Outcome& outcome)
{
    std::vector<Scene> pages = PagesOf(table, run, outcome);
    if (pages.empty()) { // nothing drawn: one blank sheet, still a document
        pages.emplace_back();
        pages.back().extX = Micro(run.sheet.pageWidth);
        pages.back().extY = Micro(run.sheet.pageHeight);
    }
    return PdfOfPages(pages.data(), pages.size(), static_cast<int>(std::lround(run.sheet.pageWidth * 100)),
                      static_cast<int>(std::lround(run.sheet.pageHeight * 100)), pdf);
}

} // namespace lumtar::sheet
