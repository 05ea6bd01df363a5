#include "print/picture.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "lumtar32_formats.h"
#include "output/press.h"

namespace lumtar::print {
namespace {

COLORREF Colorref(int rgb) { return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF); }

// The press's ink: the record's CMYK where it gave one, for the marks recolored to its RGB.
Ink InkOf(const Output& o)
{
    Ink ink;
    ink.cmyk = o.cmyk;
    ink.rgb = Colorref(o.ink);
    ink.cyan = o.cmykInk[0] / 100.0;
    ink.magenta = o.cmykInk[1] / 100.0;
    ink.yellow = o.cmykInk[2] / 100.0;
    ink.black = o.cmykInk[3] / 100.0;
    return ink;
}

// One picture: vector, recorded with the window of the picture in units of
// `unit` hundredths of a millimetre (coarser where a plain picture is larger
// than 16-bit coordinates, as BarToFile records it); or raster, one unit a pixel.
struct Job {
    const Output& o;
    const Resolved& r;
    const Style& s;
    const Plan& plan;
    bool vector = true;
    int unit = 1;
};

// The paper behind everything and the text's colours, recorded ahead of the drawing.
void SetColors(HDC dc, const Output& o, int width, int height)
{
    if (o.paper == BarPaperColor) {
        HGDIOBJ brush = SelectObject(dc, GetStockObject(WHITE_BRUSH)); // recorded white, edited into the paper
        PatBlt(dc, 0, 0, width, height, PATCOPY);
        SelectObject(dc, brush);
        SetBkColor(dc, Colorref(o.paperColor));
    }
    if (o.ink) SetTextColor(dc, Colorref(o.ink));
    if (o.paper == BarPaperNone) SetBkMode(dc, TRANSPARENT);
}

// The drawing as a metafile records it: a DrawFunction of the pipeline.
int DrawRecorded(HDC dc, const RECT*, const void* context)
{
    const Job& j = *static_cast<const Job*>(context);
    if (j.vector) SetColors(dc, j.o, j.plan.width / j.unit, j.plan.height / j.unit);
    if (j.unit == 1) return DrawPicture(dc, j.r, j.s, j.plan) ? BarOk : BarErrCode;
    Plan coarse = j.plan;
    const RECT& rect = j.plan.rect;
    coarse.rect = {rect.left / j.unit, rect.top / j.unit, rect.right / j.unit, rect.bottom / j.unit};
    return DrawPicture(dc, j.r, j.s, coarse) ? BarOk : BarErrCode;
}

Edit EditOf(const Job& j)
{
    Edit e;
    e.bwr = j.plan.bwrUnits;
    e.across = j.plan.turned;
    e.flip = j.plan.flip;
    e.width = j.plan.width / j.unit;
    e.height = j.plan.height / j.unit;
    e.recolor = j.vector && j.o.Colored();
    e.ink = Colorref(j.o.ink);
    e.paper = Colorref(j.o.paperColor);
    return e;
}

// The recorded bits, edited where the record asks for it; a vector picture's
// with the window of the picture.
int EditedBits(const Job& j, Bytes& bits)
{
    const Recording how{j.plan.width, j.plan.height, j.unit, j.vector};
    const int result = RecordedBits(how, DrawRecorded, &j, bits);
    const Edit e = EditOf(j);
    if (result != BarOk || (!e.bwr && !e.flip && !e.recolor)) return result;
    Bytes edited;
    if (!EditRecords(bits, e, edited)) return BarErrGdi;
    bits.swap(edited);
    return BarOk;
}

// An SVG without its white background, or with a note on the CMYK ink.
void EditSvg(const Output& o, Bytes& svg)
{
    if (o.paper == BarPaperNone) { // the background's rectangle comes first
        const char rect[] = "<rect ";
        const auto begin = std::search(svg.begin(), svg.end(), rect, rect + 6);
        const auto end = std::find(begin, svg.end(), '\n');
        if (end != svg.end()) svg.erase(begin, end + 1);
    }
    if (o.cmyk) { // after the XML declaration
        char note[160];
        const int length = std::snprintf(note, sizeof note, "<!-- ink C %d M %d Y %d K %d, stated as RGB #%06x: SVG has no CMYK -->\n",
                                         o.cmykInk[0], o.cmykInk[1], o.cmykInk[2], o.cmykInk[3], o.ink);
        svg.insert(std::find(svg.begin(), svg.end(), '\n') + 1, note, note + length);
    }
}

int VectorPicture(Job& j, Picture& out)
{
    const int w = j.plan.width, h = j.plan.height;
    if (!VectorSizeFits(j.o.format, w, h)) return BarErrGdi;
    j.unit = RecordingUnit(j.o.format, w, h);
    Bytes bits;
    const int result = EditedBits(j, bits);
    if (result != BarOk) return result;
    if (PictureOfBits(j.o.format, std::move(bits), w, h, InkOf(j.o), out) != BarOk) return BarErrGdi;
    if (j.o.format == BarFmtSvg) EditSvg(j.o, out.body);
    return BarOk;
}

// Drawn straight onto the bitmap, or recorded, edited and played onto it: a
// DrawFunction of the pipeline.
int DrawRaster(HDC dc, const RECT*, const void* context)
{
    const Job& j = *static_cast<const Job*>(context);
    if (!j.plan.bwrUnits && !j.plan.flip) return DrawPicture(dc, j.r, j.s, j.plan) ? BarOk : BarErrCode;
    Bytes bits;
    const int result = EditedBits(j, bits);
    if (result != BarOk) return result;
    HMETAFILE metafile = SetMetaFileBitsEx(static_cast<UINT>(bits.size()), bits.data());
    if (!metafile) return BarErrGdi;
    PlayMetaFile(dc, metafile);
    DeleteMetaFile(metafile);
    return BarOk;
}

int RasterPicture(const Job& j, Picture& out)
{
    const Output& o = j.o;
    Bytes rows;
    const int result = DrawnRows(j.plan.width, j.plan.height, DrawRaster, &j, rows);
    if (result != BarOk) return result;
    // A BMP's palette is always the ink and the paper; a PNG's only when they are not black on white.
    const Palette palette{static_cast<uint32_t>(o.ink), static_cast<uint32_t>(o.paperColor), o.paper == BarPaperNone};
    const Palette* colors = o.format == BarFmtBmp || o.Colored() ? &palette : nullptr;
    return PictureOfRows(o.format, std::move(rows), j.plan.width, j.plan.height, o.physWidth, o.physHeight, InkOf(o),
                         colors, out) == BarOk
               ? BarOk
               : BarErrGdi;
}

} // namespace

int PrintPicture(const Output& o, const Resolved& r, const Style& s, const Plan& plan, Picture& out)
{
    Job j{o, r, s, plan};
    const bool raster = RasterFormat(o.format);
    j.vector = !raster;
    return raster ? RasterPicture(j, out) : VectorPicture(j, out);
}

} // namespace lumtar::print
