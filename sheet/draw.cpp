// The pages of a run: for every record its symbol fitted once, then placed
// on each of its copies' labels with the record's text lines, page after
// page of one PDF document (lengths in mm, the document's in points).
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/typeface.h"
#include "sheet/draw.h"

namespace lumtar::sheet {
namespace {

constexpr double MicrometresPerMm = 1000;
constexpr double PointsPerMm = 72 / 25.4;
constexpr const char* LineFace = "Arial";    // Liberation Sans where there is no Arial
constexpr double SmallestShrink = 0.5;       // a long text line keeps at least half its size, then is cut
constexpr uint32_t OutlineColor = 0x808080;
constexpr double OutlineWidth = 0.1 * PointsPerMm; // points
constexpr long MaxCopies = 100000;
constexpr long MaxLabels = 1000000; // in one document: 47,620 sheets of L7160

// The label's edge, its line just inside it.
void Outline(PdfDocument& document, const Box& label)
{
    const double half = OutlineWidth / 2;
    PdfPlaceRectangle(document, label.x * PointsPerMm + half, label.y * PointsPerMm + half,
                      label.width * PointsPerMm - OutlineWidth, label.height * PointsPerMm - OutlineWidth, OutlineColor,
                      OutlineWidth);
}

// A text line with its reference point at (x, y) points: a scene of its own
// in hundredths of a point, so that its size need not be whole points.
void PlaceLine(PdfDocument& document, Mark line, double em, double x, double y)
{
    Scene scene;
    scene.extX = scene.extY = 100;
    line.left = line.top = 0;
    line.font.height = -static_cast<int>(std::lround(em * 100));
    scene.marks.push_back(std::move(line));
    PdfPlaceScene(document, scene, x, y, 1, 1, true);
}

// The longest beginning of chars that, with an ellipsis after it, is at most
// `room` ems wide (at least one character).
std::string Cut(const Face& face, const std::string& chars, double room)
{
    const double perEm = 1 / face.unitsPerEm;
    double width = face.advance[0x85] * perEm;
    size_t keep = 0;
    while (keep + 1 < chars.size() && width + face.advance[static_cast<unsigned char>(chars[keep])] * perEm <= room)
        width += face.advance[static_cast<unsigned char>(chars[keep++])] * perEm;
    return chars.substr(0, std::max<size_t>(keep, 1)) + '\x85';
}

// A text line centred in its box; shrunk to the box's width, and past half
// its size cut with an ellipsis. True when it went in as asked.
bool Text(PdfDocument& document, const std::string& chars, double points, const Box& box)
{
    Mark m;
    m.text = true;
    m.align = TA_CENTER | TA_TOP;
    m.opaque = false;
    m.font.face = LineFace;
    m.font.height = -1; // measured at one point, scaled by em
    const auto face = chars.empty() ? nullptr : FaceOf(m.font);
    if (!face) return true;
    m.chars = chars;
    const double room = box.width * PointsPerMm;
    double em = points;
    const bool fits = LayoutOf(*face, m).width * em <= room;
    if (!fits) {
        em *= std::max(SmallestShrink, room / (LayoutOf(*face, m).width * em));
        if (LayoutOf(*face, m).width * em > room) m.chars = Cut(*face, m.chars, room / em);
    }
    const LineLayout line = LayoutOf(*face, m);
    const double cell = (line.ascent + line.descent) * em;
    PlaceLine(document, m, em, (box.x + box.width / 2) * PointsPerMm,
              box.y * PointsPerMm + (box.height * PointsPerMm - cell) / 2);
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
    const size_t first = r.code.find_first_not_of(" \t"), last = r.code.find_last_not_of(" \t");
    r.code = first == std::string::npos ? std::string() : r.code.substr(first, last - first + 1);
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

// A code for a message, on one line: quoted, control characters as '?', a
// long one cut to its beginning and its length.
std::string Quoted(const std::string& code)
{
    constexpr size_t Longest = 40;
    std::string shown = code.substr(0, Longest);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    return "'" + shown + (code.size() > Longest ? "...' (" + std::to_string(code.size()) + " characters)" : "'");
}

void Say(Outcome& outcome, int line, const std::string& message)
{
    outcome.messages += "line " + std::to_string(line) + ": " + message + "\n";
}

std::string Millimetres(int micrometres)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f mm", micrometres / MicrometresPerMm);
    return text;
}

} // namespace

namespace {

// One label: its outline, its symbol centred in the symbol's room, its text lines.
bool DrawLabel(PdfDocument& document, const Run& run, const Table::Row& row, const Symbol& symbol, const Box& label)
{
    const LabelParts parts = SplitLabel(label, run.sheet.margin, run.lines);
    if (run.outline) Outline(document, label);
    const double width = symbol.width / 100.0, height = symbol.height / 100.0; // mm
    PdfPlaceScene(document, symbol.scene, (parts.symbol.x + (parts.symbol.width - width) / 2) * PointsPerMm,
                  (parts.symbol.y + (parts.symbol.height - height) / 2) * PointsPerMm, width * PointsPerMm,
                  height * PointsPerMm, true);
    size_t above = 0, below = 0;
    bool whole = true;
    for (const LineSpec& line : run.lines)
        whole &= Text(document, Cp1252Of(FieldOf(row, line.column)), line.points,
                      line.above ? parts.above[above++] : parts.below[below++]);
    return whole;
}

// The record's symbol, once for all its copies: false (and why, reported) when it has none.
bool RecordSymbol(const Table::Row& row, const Record& record, const Run& run, const Box& room, Symbol& symbol,
                  Outcome& outcome)
{
    const int result = record.why.empty() ? FitSymbol(record.code, record.types, run.module, room, symbol) : BarErrCode;
    if (result != BarOk) {
        ++outcome.refused;
        Say(outcome, row.line, !record.why.empty()    ? record.why
                               : result == BarErrCode ? Quoted(record.code) + " fits none of the types"
                                                      : Quoted(record.code) + " does not fit its label at any size");
        return false;
    }
    if (symbol.module && symbol.module < symbol.asked) {
        ++outcome.shrunk;
        Say(outcome, row.line, Quoted(record.code) + " drawn at an X-dimension of " + Millimetres(symbol.module) + " (" +
                                   Millimetres(symbol.asked) + " asked) to fit its label");
    }
    return true;
}

} // namespace

void DrawSheet(PdfDocument& document, const Table& table, const Run& run, Outcome& outcome)
{
    const std::vector<Slot> slots = SlotsOf(run.sheet);
    const Box room = SplitLabel(Box{0, 0, run.sheet.width, run.sheet.height}, run.sheet.margin, run.lines).symbol;
    const int total = static_cast<int>(table.rows.size());
    long index = 0;
    for (int i = 0; i < total; ++i) {
        if (run.progress) run.progress(i, total, run.context);
        const Table::Row& row = table.rows[static_cast<size_t>(i)];
        const Record record = RecordOf(row, run);
        Symbol symbol;
        if (outcome.labels + record.copies > MaxLabels) {
            ++outcome.refused;
            Say(outcome, row.line, "a document holds at most 1000000 labels");
            continue;
        }
        if (!RecordSymbol(row, record, run, room, symbol, outcome)) continue;
        for (long copy = 0; copy < record.copies; ++copy, ++index) {
            const Placed at = PlaceLabel(slots, run.sheet, index, run.skip, run.offsetX, run.offsetY);
            while (static_cast<long>(document.pages.size()) <= at.page)
                PdfAddPage(document, run.sheet.pageWidth * PointsPerMm, run.sheet.pageHeight * PointsPerMm);
            if (!DrawLabel(document, run, row, symbol, at.label) && copy == 0)
                Say(outcome, row.line, "a text line is too long for its label: set smaller");
            ++outcome.labels;
        }
    }
    if (run.progress) run.progress(total, total, run.context);
    outcome.pages = static_cast<long>(document.pages.size());
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
        // Code page 1252 is Latin-1 but for 0x80 to 0x9F.
        char byte = code < 0x80 || (code >= 0xA0 && code <= 0xFF) ? static_cast<char>(code) : '?';
        for (int b = 0x80; b < 0xA0 && code >= 0x100; ++b)
            if (platform::UnicodeOf(static_cast<unsigned char>(b)) == code) byte = static_cast<char>(b);
        out += byte;
    }
    return out;
}

int SheetPdf(const Table& table, const Run& run, Bytes& pdf, Outcome& outcome)
{
    PdfOptions options;
    options.ink.cmyk = run.cmyk; // black as 0 0 0 1
    options.deflate = true;
    PdfDocument document{options, {}, {}};
    DrawSheet(document, table, run, outcome);
    if (document.pages.empty()) // nothing drawn
        PdfAddPage(document, run.sheet.pageWidth * PointsPerMm, run.sheet.pageHeight * PointsPerMm);
    return PdfFinish(document, pdf);
}

} // namespace lumtar::sheet
