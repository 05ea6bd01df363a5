// SVG written directly from the recorded drawing: the picture's size in mm,
// a viewBox in the metafile's logical units, a white background as the
// bitmap has, each bar a <rect> and each line of text a <text> at the point
// where the recorded TextOut puts it (its alignment and the turn of its
// font), in the recorded face with Liberation Mono and monospace after it.
#include <cmath>
#include <string>

#include "output/encoders.h"
#include "output/numbers.h"

namespace lumtar {
namespace {

void PutColor(Bytes& out, uint32_t color)
{
    static constexpr char Hex[] = "0123456789abcdef";
    const uint8_t rgb[3] = {static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8), static_cast<uint8_t>(color >> 16)};
    out.push_back('#');
    for (const uint8_t c : rgb) {
        out.push_back(static_cast<uint8_t>(Hex[c >> 4]));
        out.push_back(static_cast<uint8_t>(Hex[c & 15]));
    }
}

// Characters of XML 1.0 only: the controls it cannot hold become U+FFFD.
void PutEscaped(Bytes& out, const std::string& utf8)
{
    for (const char c : utf8) {
        switch (c) {
        case '&': Put(out, "&amp;"); break;
        case '<': Put(out, "&lt;"); break;
        case '>': Put(out, "&gt;"); break;
        case '"': Put(out, "&quot;"); break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                Put(out, "\xEF\xBF\xBD");
            else
                out.push_back(static_cast<uint8_t>(c));
        }
    }
}

// Hundredths of a millimetre as mm.
void PutMillimetres(Bytes& out, int hundredths)
{
    PutFixed(out, hundredths / 100.0);
    Put(out, "mm");
}

void PutRect(Bytes& out, double x, double y, double width, double height, const uint32_t* color)
{
    char line[192];
    char* at = ToFixed(ToText(line, "<rect x=\""), x);
    at = ToFixed(ToText(at, "\" y=\""), y);
    at = ToFixed(ToText(at, "\" width=\""), width);
    at = ToFixed(ToText(at, "\" height=\""), height);
    at = ToText(at, "\"");
    Append(out, line, at);
    if (color) {
        Put(out, " fill=\"");
        PutColor(out, *color);
        out.push_back('"');
    }
    Put(out, "/>\n");
}

void PutText(Bytes& out, const Mark& text)
{
    const std::shared_ptr<const Face> face = FaceOf(text.font);
    if (!face) return;
    const LineLayout line = LayoutOf(*face, text);
    // The turn about the reference point: escapement counts anticlockwise,
    // SVG's rotation clockwise.
    const double degrees = std::fmod(text.font.escapement / 10.0, 360.0);
    // GDI fills the cell behind upright text in the opaque background mode.
    if (text.opaque && degrees == 0 && line.width > 0)
        PutRect(out, text.left + line.left, text.top + line.baseline - line.ascent, line.width,
                line.ascent + line.descent, &text.background);
    const unsigned align = text.align;
    const char* anchor = (align & TA_CENTER) == TA_CENTER ? "middle" : (align & TA_RIGHT) ? "end" : nullptr;
    Put(out, "<text x=\"");
    Put(out, text.left);
    Put(out, "\" y=\"");
    PutFixed(out, text.top + line.baseline);
    if (degrees != 0) {
        Put(out, "\" transform=\"rotate(");
        PutFixed(out, -degrees);
        out.push_back(' ');
        Put(out, text.left);
        out.push_back(' ');
        Put(out, text.top);
        out.push_back(')');
    }
    Put(out, "\" font-family=\"");
    if (!text.font.stock && !text.font.face.empty()) {
        out.push_back('\'');
        std::string face = Utf8Of(text.font.face); // a CSS string in quotes: none inside it
        std::erase_if(face, [](char c) { return c == '\'' || c == '\\'; });
        PutEscaped(out, face);
        Put(out, "', ");
    }
    Put(out, "'Liberation Mono', monospace\" font-size=\"");
    PutFixed(out, line.em);
    if (text.font.stock || text.font.weight >= 600) Put(out, "\" font-weight=\"bold");
    if (text.font.italic) Put(out, "\" font-style=\"italic");
    if (anchor) {
        Put(out, "\" text-anchor=\"");
        Put(out, anchor);
    }
    if (text.color != 0) {
        Put(out, "\" fill=\"");
        PutColor(out, text.color);
    }
    Put(out, "\">");
    PutEscaped(out, Utf8Of(text.chars));
    Put(out, "</text>\n");
}

} // namespace

int SvgOfScene(const Scene& scene, int width, int height, Bytes& out)
{
    out.clear();
    out.reserve(4096 + 64 * scene.marks.size());
    Put(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"");
    PutMillimetres(out, width);
    Put(out, "\" height=\"");
    PutMillimetres(out, height);
    Put(out, "\" viewBox=\"");
    const int box[] = {scene.orgX, scene.orgY, scene.extX, scene.extY};
    for (size_t i = 0; i < 4; ++i) {
        if (i) out.push_back(' ');
        Put(out, box[i]);
    }
    Put(out, "\" preserveAspectRatio=\"none\" xml:space=\"preserve\">\n");
    const uint32_t white = 0xFFFFFF;
    PutRect(out, scene.orgX, scene.orgY, scene.extX, scene.extY, &white);
    Put(out, "<g fill=\"#000000\">\n");
    for (const Mark& mark : scene.marks) {
        if (mark.text)
            PutText(out, mark);
        else
            PutRect(out, mark.left, mark.top, mark.right - mark.left, mark.bottom - mark.top,
                    mark.color != 0 ? &mark.color : nullptr);
    }
    Put(out, "</g>\n</svg>\n");
    return BarOk;
}

} // namespace lumtar
