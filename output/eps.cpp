// Encapsulated PostScript written directly from the recorded drawing: the
// bounding box of the picture's size (whole points, and exact as the
// high-resolution box), the window's logical units scaled onto it with y
// downwards, each bar a rectfill and each line of text shown in the face
// fontconfig finds for the recorded one, asked for by its PostScript name
// (LiberationMono for Courier New) and Courier where the interpreter lacks
// it; Courier has the same advances. Characters are code page 1252 in a
// Latin-1 encoding of the face.
#include <cmath>
#include <numbers>
#include <cstdio>

#include "output/encoders.h"
#include "output/numbers.h"
#include "output/press.h"

namespace lumtar {
namespace {

constexpr double PointsPerHundredth = 72.0 / 2540.0;

constexpr const char* Prolog =
    "%%BeginProlog\n"
    "/lumtar32 8 dict def lumtar32 begin\n"
    "/R { rectfill } bind def\n"
    "% /key /name /fallback Face -> the named font if there is one, else the\n"
    "% fallback, re-encoded in Latin-1 and defined under key\n"
    "/Face { exch dup /Font resourcestatus { pop pop exch pop } { pop } ifelse findfont\n"
    "  dup length dict begin { 1 index /FID ne { def } { pop pop } ifelse } forall\n"
    "  /Encoding ISOLatin1Encoding def currentdict end definefont pop } bind def\n"
    "% string x y Show\n"
    "/Show { moveto show } bind def\n"
    "end\n"
    "%%EndProlog\n";

void PutNumber(Bytes& out, double value)
{
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%.6g", value);
    out.insert(out.end(), text, text + length);
}

// A PostScript name only of the characters that need no escape.
bool PlainName(const std::string& name)
{
    if (name.empty() || name.size() > 127) return false;
    for (const char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '+'))
            return false;
    return true;
}

const char* Fallback(const SceneFont& font)
{
    if (font.stock) return "Helvetica-Bold";
    const bool bold = font.weight >= 600;
    return font.italic ? (bold ? "Courier-BoldOblique" : "Courier-Oblique") : (bold ? "Courier-Bold" : "Courier");
}

void PutGray(Bytes& out, uint32_t color, const Ink& ink)
{
    if (ink.cmyk) { // the press's own four inks
        const Colour c = ColourOf(color, ink);
        for (const double v : c.v) {
            PutNumber(out, v);
            out.push_back(' ');
        }
        Put(out, "setcmykcolor\n");
    } else if (color == 0) {
        Put(out, "0 setgray\n");
    } else if (color == 0xFFFFFF) {
        Put(out, "1 setgray\n");
    } else {
        for (int shift = 0; shift < 24; shift += 8) {
            PutNumber(out, (color >> shift & 0xFF) / 255.0);
            out.push_back(' ');
        }
        Put(out, "setrgbcolor\n");
    }
}

void PutRect(Bytes& out, double x, double y, double width, double height)
{
    char line[128];
    char* at = ToFixed(line, x);
    *at++ = ' ';
    at = ToFixed(at, y);
    *at++ = ' ';
    at = ToFixed(at, width);
    *at++ = ' ';
    at = ToFixed(at, height);
    Append(out, line, ToText(at, " R\n"));
}

// color: the colour set outside; what is set here ends with the grestore.
void PutText(Bytes& out, const Mark& text, const Face& face, size_t fontIndex, uint32_t color, const Ink& ink)
{
    const LineLayout line = LayoutOf(face, text);
    int tenths = text.font.escapement % 3600;
    if (tenths < 0) tenths += 3600;
    static constexpr int QuarterCos[4] = {1, 0, -1, 0}, QuarterSin[4] = {0, 1, 0, -1};
    const double radians = tenths * std::numbers::pi / 1800.0;
    const double c = tenths % 900 == 0 ? QuarterCos[tenths / 900] : std::cos(radians);
    const double s = tenths % 900 == 0 ? QuarterSin[tenths / 900] : std::sin(radians);
    Put(out, "gsave ");
    Put(out, text.left);
    out.push_back(' ');
    Put(out, text.top);
    Put(out, " translate");
    if (tenths != 0) { // the line's u along it and v downwards across it
        Put(out, " [");
        for (const double m : {c, -s, s, c}) {
            PutNumber(out, m);
            out.push_back(' ');
        }
        Put(out, "0 0] concat");
    }
    out.push_back('\n');
    // GDI fills the cell behind upright text in the opaque background mode.
    if (text.opaque && tenths == 0 && line.width > 0) {
        PutGray(out, text.background, ink);
        PutRect(out, line.left, line.baseline - line.ascent, line.width, line.ascent + line.descent);
        color = text.background;
    }
    if (color != text.color) PutGray(out, text.color, ink);
    Put(out, "/F");
    Put(out, static_cast<long long>(fontIndex));
    Put(out, " findfont [");
    PutFixed(out, line.em);
    Put(out, " 0 0 ");
    PutFixed(out, -line.em);
    Put(out, " 0 0] makefont setfont ");
    PutLiteral(out, text.chars);
    out.push_back(' ');
    PutFixed(out, line.left);
    out.push_back(' ');
    PutFixed(out, line.baseline);
    Put(out, " Show grestore\n");
}

// The faces of the lines, each defined once in the prolog ("/name /fallback"):
// faces[i] and fontOf[i] say which one mark i is drawn in.
std::vector<std::string> FontsOf(const Scene& scene, std::vector<std::shared_ptr<const Face>>& faces,
                                 std::vector<size_t>& fontOf)
{
    std::vector<std::string> fonts;
    for (size_t i = 0; i < scene.marks.size(); ++i) {
        const Mark& mark = scene.marks[i];
        if (!mark.text || !(faces[i] = FaceOf(mark.font))) continue;
        const std::string& name = faces[i]->postscript;
        const std::string font = "/" + (PlainName(name) ? name : std::string(Fallback(mark.font))) + " /" + Fallback(mark.font);
        size_t index = 0;
        while (index < fonts.size() && fonts[index] != font) ++index;
        if (index == fonts.size()) fonts.push_back(font);
        fontOf[i] = index;
    }
    return fonts;
}

} // namespace

int EpsOfScene(const Scene& scene, int width, int height, Bytes& out) { return EpsOfScene(scene, width, height, Ink{}, out); }

int EpsOfScene(const Scene& scene, int width, int height, const Ink& ink, Bytes& out)
{
    if (width <= 0 || height <= 0 || scene.extX <= 0 || scene.extY <= 0) return BarErrGdi;
    std::vector<std::shared_ptr<const Face>> faces(scene.marks.size());
    std::vector<size_t> fontOf(scene.marks.size());
    const std::vector<std::string> fonts = FontsOf(scene, faces, fontOf);

    const double pageWidth = width * PointsPerHundredth, pageHeight = height * PointsPerHundredth;
    out.clear();
    out.reserve(2048 + 40 * scene.marks.size());
    char header[256];
    std::snprintf(header, sizeof header,
                  "%%!PS-Adobe-3.0 EPSF-3.0\n%%%%Creator: lumtar32\n%%%%BoundingBox: 0 0 %d %d\n"
                  "%%%%HiResBoundingBox: 0 0 %.6f %.6f\n%%%%LanguageLevel: 2\n%%%%Pages: 1\n%%%%EndComments\n",
                  static_cast<int>(std::ceil(pageWidth)), static_cast<int>(std::ceil(pageHeight)), pageWidth, pageHeight);
    Put(out, header);
    Put(out, Prolog);
    Put(out, "%%BeginSetup\nlumtar32 begin\n");
    for (size_t i = 0; i < fonts.size(); ++i) {
        Put(out, "/F");
        Put(out, static_cast<long long>(i));
        out.push_back(' ');
        Put(out, fonts[i].c_str());
        Put(out, " Face\n");
    }
    Put(out, "end\n%%EndSetup\n%%Page: 1 1\nlumtar32 begin gsave\n");
    // Logical units, y downwards, the window's corner at the top left.
    Put(out, "0 ");
    PutNumber(out, pageHeight);
    Put(out, " translate ");
    PutNumber(out, pageWidth / scene.extX);
    out.push_back(' ');
    PutNumber(out, -pageHeight / scene.extY);
    Put(out, " scale ");
    Put(out, -static_cast<long long>(scene.orgX));
    out.push_back(' ');
    Put(out, -static_cast<long long>(scene.orgY));
    Put(out, " translate\n");
    PutGray(out, 0xFFFFFF, ink);
    PutRect(out, scene.orgX, scene.orgY, scene.extX, scene.extY);
    uint32_t color = 0xFFFFFF;
    for (size_t i = 0; i < scene.marks.size(); ++i) {
        const Mark& mark = scene.marks[i];
        if (mark.text) {
            if (faces[i]) PutText(out, mark, *faces[i], fontOf[i], color, ink);
            continue;
        }
        if (mark.color != color) PutGray(out, mark.color, ink);
        color = mark.color;
        PutRect(out, mark.left, mark.top, mark.right - mark.left, mark.bottom - mark.top);
    }
    Put(out, "grestore end\nshowpage\n%%Trailer\n%%EOF\n");
    return BarOk;
}

} // namespace lumtar
