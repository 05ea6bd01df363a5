// PDF written directly from recorded drawings, as the EPS is: each page's
// content a stream of plain operators (bars as rectangles in one path per
// colour, text as text in the recorded face), the objects and their cross
// reference table around them (pdf_objects.cpp). No dates, no random
// identifiers: the same drawing gives the same bytes.
#include <charconv>
#include <cmath>
#include <numbers>

#include "output/numbers.h"
#include "output/pdf_document.h"

namespace lumtar {
namespace {

constexpr double PointsPerHundredth = 72.0 / 2540.0;
constexpr double BoldStroke = 1.0 / 30; // of the em, where a bold face is made up
constexpr double ItalicSlant = 0.2;     // where an oblique face is made up

// A fraction to `decimals` places without trailing zeros (PDF knows no exponents).
void PutReal(Bytes& out, double value, int decimals = 6)
{
    if (!(std::fabs(value) < 1e9)) value = 0;
    char text[48];
    char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    while (end > text && end[-1] == '0') --end;
    if (end > text && end[-1] == '.') --end;
    if (end - text == 2 && text[0] == '-' && text[1] == '0') text[0] = '0', end = text + 1;
    Append(out, text, end);
}

void PutReals(Bytes& out, std::initializer_list<double> values, int decimals = 6)
{
    for (const double v : values) {
        PutReal(out, v, decimals);
        out.push_back(' ');
    }
}

void PutColour(Bytes& out, uint32_t color, const Ink& ink, bool stroke)
{
    const Colour c = ColourOf(color, ink);
    if (c.cmyk) {
        PutReals(out, {c.v[0], c.v[1], c.v[2], c.v[3]}, 4);
        Put(out, stroke ? "K\n" : "k\n");
    } else if (c.v[0] == c.v[1] && c.v[1] == c.v[2]) {
        PutReals(out, {c.v[0]}, 4);
        Put(out, stroke ? "G\n" : "g\n");
    } else {
        PutReals(out, {c.v[0], c.v[1], c.v[2]}, 4);
        Put(out, stroke ? "RG\n" : "rg\n");
    }
}

void PutRect(Bytes& out, double x, double y, double width, double height)
{
    PutReals(out, {x, y, width, height}, 2);
    Put(out, "re\n");
}

// The document's resource for a face, added when it is new; its characters noted.
size_t FontIndex(PdfDocument& document, const std::shared_ptr<const Face>& face, const Mark& text)
{
    const bool bold = text.font.stock || text.font.weight >= 600, italic = text.font.italic;
    size_t index = 0;
    while (index < document.fonts.size() &&
           !(document.fonts[index].face == face && document.fonts[index].bold == bold && document.fonts[index].italic == italic))
        ++index;
    if (index == document.fonts.size()) document.fonts.push_back(PdfFont{face, bold, italic, {}});
    for (const char c : text.chars) document.fonts[index].used[static_cast<unsigned char>(c)] = true;
    return index;
}

// A line of text in user space with y downwards (the current matrix flips it).
void PutText(PdfDocument& document, Bytes& out, const Mark& text, const std::shared_ptr<const Face>& face)
{
    const LineLayout line = LayoutOf(*face, text);
    int tenths = text.font.escapement % 3600;
    if (tenths < 0) tenths += 3600;
    static constexpr int QuarterCos[4] = {1, 0, -1, 0}, QuarterSin[4] = {0, 1, 0, -1};
    const double c = tenths % 900 == 0 ? QuarterCos[tenths / 900] : std::cos(tenths * std::numbers::pi / 1800.0);
    const double s = tenths % 900 == 0 ? QuarterSin[tenths / 900] : std::sin(tenths * std::numbers::pi / 1800.0);
    // GDI fills the cell behind upright text in the opaque background mode.
    if (text.opaque && tenths == 0 && line.width > 0) {
        PutColour(out, text.background, document.options.ink, false);
        PutRect(out, text.left + line.left, text.top + line.baseline - line.ascent, line.width, line.ascent + line.descent);
        Put(out, "f\n");
    }
    const size_t font = FontIndex(document, face, text);
    const PdfFont& used = document.fonts[font];
    const bool fakeBold = document.options.embed && used.bold && !face->bold;
    const double slant = document.options.embed && used.italic && !face->italic ? ItalicSlant : 0;
    PutColour(out, text.color, document.options.ink, false);
    if (fakeBold) {
        PutColour(out, text.color, document.options.ink, true);
        PutReal(out, line.em * BoldStroke, 2);
        Put(out, " w\n");
    }
    // Glyph space (up, one em) onto the line (u along it, v down across it)
    // turned anticlockwise about the reference point.
    const double em = line.em, u = line.left, v = line.baseline;
    const double a = c * em, b = -s * em, cc = -s * em + slant * a, d = -c * em + slant * b;
    Put(out, "BT /F");
    Put(out, static_cast<long long>(font));
    Put(out, fakeBold ? " 1 Tf 2 Tr " : " 1 Tf ");
    PutReals(out, {a, b, cc, d}, 4);
    PutReals(out, {text.left + c * u + s * v, text.top - s * u + c * v}, 2);
    Put(out, "Tm ");
    PutLiteral(out, text.chars);
    Put(out, " Tj ET\n");
}

// Consecutive rectangles of one colour go into one path and one fill.
void PutMarks(PdfDocument& document, Bytes& out, const Scene& scene)
{
    bool open = false, coloured = false;
    uint32_t color = 0;
    for (const Mark& mark : scene.marks) {
        if (open && (mark.text || mark.color != color)) {
            Put(out, "f\n");
            open = false;
        }
        if (mark.text) {
            if (std::shared_ptr<const Face> face = mark.chars.empty() ? nullptr : FaceOf(mark.font)) {
                Put(out, "q\n");
                PutText(document, out, mark, face);
                Put(out, "Q\n");
            }
            continue;
        }
        if (!open && (!coloured || mark.color != color)) {
            PutColour(out, mark.color, document.options.ink, false);
            color = mark.color;
            coloured = true;
        }
        open = true;
        PutRect(out, mark.left, mark.top, mark.right - mark.left, mark.bottom - mark.top);
    }
    if (open) Put(out, "f\n");
}

// The page's points, y downwards from the top left.
void PutPageMatrix(Bytes& out, double pageHeight)
{
    Put(out, "1 0 0 -1 0 ");
    PutReal(out, pageHeight);
    Put(out, " cm\n");
}

} // namespace

void PdfAddPage(PdfDocument& document, double width, double height)
{
    document.pages.push_back(PdfPage{width, height, {}});
}

bool PdfPlaceScene(PdfDocument& document, const Scene& scene, double x, double y, double width, double height, bool clear)
{
    if (document.pages.empty() || scene.extX == 0 || scene.extY == 0) return false;
    PdfPage& page = document.pages.back();
    Bytes& out = page.content;
    const double sx = width / scene.extX, sy = height / scene.extY;
    Put(out, "q\n");
    PutReals(out, {sx, 0, 0, -sy, x - scene.orgX * sx, page.height - y + scene.orgY * sy}, 8);
    Put(out, "cm\n");
    if (!clear) { // the bitmap's white background
        PutColour(out, 0xFFFFFF, document.options.ink, false);
        PutRect(out, scene.orgX, scene.orgY, scene.extX, scene.extY);
        Put(out, "f\n");
    }
    PutMarks(document, out, scene);
    Put(out, "Q\n");
    return true;
}

bool PdfPlaceText(PdfDocument& document, const Mark& text, double x, double y)
{
    const std::shared_ptr<const Face> face = document.pages.empty() || text.chars.empty() ? nullptr : FaceOf(text.font);
    if (!face) return false;
    PdfPage& page = document.pages.back();
    Mark placed = text;
    placed.left = 0;
    placed.top = 0;
    Put(page.content, "q\n");
    PutPageMatrix(page.content, page.height);
    PutReals(page.content, {1, 0, 0, 1, x, y}, 4);
    Put(page.content, "cm\n");
    PutText(document, page.content, placed, face);
    Put(page.content, "Q\n");
    return true;
}

bool PdfPlaceRectangle(PdfDocument& document, double x, double y, double width, double height, uint32_t color,
                       double lineWidth)
{
    if (document.pages.empty()) return false;
    PdfPage& page = document.pages.back();
    Put(page.content, "q\n");
    PutPageMatrix(page.content, page.height);
    PutColour(page.content, color, document.options.ink, lineWidth > 0);
    if (lineWidth > 0) {
        PutReal(page.content, lineWidth, 4);
        Put(page.content, " w\n");
    }
    PutRect(page.content, x, y, width, height);
    Put(page.content, lineWidth > 0 ? "S\nQ\n" : "f\nQ\n");
    return true;
}

int PdfOfScene(const Scene& scene, int width, int height, const PdfOptions& options, Bytes& out)
{
    if (width <= 0 || height <= 0 || scene.extX == 0 || scene.extY == 0) return BarErrGdi;
    PdfDocument document{options, {}, {}};
    const double pageWidth = width * PointsPerHundredth, pageHeight = height * PointsPerHundredth;
    PdfAddPage(document, pageWidth, pageHeight);
    document.pages.back().content.reserve(64 + 24 * scene.marks.size());
    PdfPlaceScene(document, scene, 0, 0, pageWidth, pageHeight);
    return PdfFinish(document, out);
}

int PdfOfScene(const Scene& scene, int width, int height, Bytes& out)
{
    return PdfOfScene(scene, width, height, PdfOptions{}, out);
}

} // namespace lumtar
