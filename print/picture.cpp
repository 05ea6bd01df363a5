#include "print/picture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "output/files.h"
#include "render/limits.h"
#include "lumtar32_formats.h"
#include "output/encoders.h"
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

struct Job {
    const Output& o;
    const Resolved& r;
    const Style& s;
    const Plan& plan;
};

// The window the drawing is recorded in: the picture, in coarser units where a
// plain picture is larger than 16-bit coordinates (as BarToFile records it).
int Unit(const Job& j)
{
    const int larger = j.plan.width > j.plan.height ? j.plan.width : j.plan.height;
    return j.o.format == BarFmtWmf || larger <= INT16_MAX ? 1 : (larger + INT16_MAX - 1) / INT16_MAX;
}

int Draw(HDC dc, const Job& j, int unit)
{
    if (unit == 1) return DrawPicture(dc, j.r, j.s, j.plan);
    Plan coarse = j.plan;
    coarse.rect = {j.plan.rect.left / unit, j.plan.rect.top / unit, j.plan.rect.right / unit, j.plan.rect.bottom / unit};
    return DrawPicture(dc, j.r, j.s, coarse);
}

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

// The drawing's metafile bits; mapped: with the window of the picture.
int Recorded(const Job& j, bool mapped, int unit, Bytes& bits)
{
    HDC dc = CreateMetaFileA(nullptr);
    if (!dc) return BarErrGdi;
    if (mapped) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, j.plan.width / unit, j.plan.height / unit, nullptr);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetColors(dc, j.o, j.plan.width / unit, j.plan.height / unit);
    }
    const int drawn = Draw(dc, j, unit);
    HMETAFILE metafile = CloseMetaFile(dc);
    if (!metafile) return BarErrGdi;
    int result = drawn ? BarOk : BarErrCode;
    const UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
    if (size == 0) {
        result = BarErrGdi;
    } else if (result == BarOk) {
        try {
            bits.resize(size);
            if (GetMetaFileBitsEx(metafile, size, bits.data()) != size) result = BarErrGdi;
        } catch (const std::bad_alloc&) {
            result = BarErrGdi;
        }
    }
    DeleteMetaFile(metafile);
    return result;
}

Edit EditOf(const Job& j, bool vector, int unit)
{
    Edit e;
    e.bwr = j.plan.bwrUnits;
    e.across = j.plan.turned;
    e.flip = j.plan.flip;
    e.width = j.plan.width / unit;
    e.height = j.plan.height / unit;
    e.recolor = vector && j.o.Colored();
    e.ink = Colorref(j.o.ink);
    e.paper = Colorref(j.o.paperColor);
    return e;
}

// The recorded bits, edited where the record asks for it.
int EditedBits(const Job& j, bool vector, int unit, Bytes& bits)
{
    const int result = Recorded(j, vector, unit, bits);
    const Edit e = EditOf(j, vector, unit);
    if (result != BarOk || (!e.bwr && !e.flip && !e.recolor)) return result;
    Bytes edited;
    if (!EditRecords(bits, e, edited)) return BarErrGdi;
    bits.swap(edited);
    return BarOk;
}

int VectorPicture(const Job& j, Bytes& out)
{
    const int w = j.plan.width, h = j.plan.height;
    // As BarToWmf: the far edge of the drawing rectangle within the coordinate space.
    if (!InCoordinateSpace(int64_t{w} - 100) || !InCoordinateSpace(int64_t{h} - 100)) return BarErrGdi;
    if (j.o.format != BarFmtWmf && (w <= 0 || h <= 0)) return BarErrGdi;
    Bytes bits;
    const int result = EditedBits(j, true, Unit(j), bits);
    if (result != BarOk) return result;
    if (j.o.format == BarFmtWmf) {
        out.resize(PlaceableHeaderSize + bits.size());
        PutPlaceableHeader(out.data(), w, h);
        std::memcpy(out.data() + PlaceableHeaderSize, bits.data(), bits.size());
        return BarOk;
    }
    if (PictureOfBits(j.o.format, bits, w, h, InkOf(j.o), out) != BarOk) return BarErrGdi;
    if (j.o.format == BarFmtSvg && j.o.paper == BarPaperNone) {
        // Without the white background that comes first.
        const char rect[] = "<rect ";
        const auto begin = std::search(out.begin(), out.end(), rect, rect + 6);
        const auto end = std::find(begin, out.end(), '\n');
        if (end != out.end()) out.erase(begin, end + 1);
    }
    if (j.o.format == BarFmtSvg && j.o.cmyk) { // after the XML declaration
        char note[160];
        const int length = std::snprintf(note, sizeof note, "<!-- ink C %d M %d Y %d K %d, stated as RGB #%06x: SVG has no CMYK -->\n",
                                         j.o.cmykInk[0], j.o.cmykInk[1], j.o.cmykInk[2], j.o.cmykInk[3], j.o.ink);
        out.insert(std::find(out.begin(), out.end(), '\n') + 1, note, note + length);
    }
    return BarOk;
}

// Drawn straight onto the bitmap, or recorded, edited and played onto it.
int DrawRaster(const Job& j, const BitmapDc& target)
{
    if (!j.plan.bwrUnits && !j.plan.flip) return DrawPicture(target.dc, j.r, j.s, j.plan) ? BarOk : BarErrCode;
    Bytes bits;
    const int result = EditedBits(j, false, 1, bits);
    if (result != BarOk) return result;
    HMETAFILE metafile = SetMetaFileBitsEx(static_cast<UINT>(bits.size()), bits.data());
    if (!metafile) return BarErrGdi;
    PlayMetaFile(target.dc, metafile);
    DeleteMetaFile(metafile);
    return BarOk;
}

uint32_t Crc(const uint8_t* p, size_t n)
{
    uint32_t c = 0xFFFFFFFF;
    while (n--) {
        c ^= *p++;
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

void PutBig(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// The 1-bit grayscale PNG as a palette of ink and paper (the same pixels):
// IHDR's colour type 3, then PLTE and, for no paper, tRNS.
void PngColors(const Output& o, Bytes& png)
{
    constexpr size_t IhdrEnd = 8 + 25;
    if (png.size() < IhdrEnd) return;
    png[8 + 8 + 9] = 3;
    PutBig(&png[29], Crc(&png[12], 17));
    Bytes chunks;
    auto chunk = [&](const char* type, std::initializer_list<uint8_t> data) {
        const size_t at = chunks.size();
        chunks.resize(at + 12 + data.size());
        PutBig(&chunks[at], static_cast<uint32_t>(data.size()));
        std::memcpy(&chunks[at + 4], type, 4);
        std::copy(data.begin(), data.end(), chunks.begin() + at + 8);
        PutBig(&chunks[at + 8 + data.size()], Crc(&chunks[at + 4], 4 + data.size()));
    };
    const int i = o.ink, p = o.paperColor;
    chunk("PLTE", {uint8_t(i >> 16), uint8_t(i >> 8), uint8_t(i), uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    if (o.paper == BarPaperNone) chunk("tRNS", {255, 0});
    png.insert(png.begin() + IhdrEnd, chunks.begin(), chunks.end());
}

int Encode(const Job& j, const Bytes& rows, Bytes& out)
{
    const Output& o = j.o;
    if (o.format == BarFmtBmp) {
        out.assign(BmpBitsOffset + rows.size(), 0);
        PutBmpFileHeader(out.data(), static_cast<uint32_t>(rows.size()));
        PutBmpInfo(out.data() + BmpFileHeaderSize, j.plan.width, j.plan.height, static_cast<uint32_t>(rows.size()),
                   o.physWidth, o.physHeight);
        std::memcpy(out.data() + BmpBitsOffset, rows.data(), rows.size());
        // The palette: entry 0 the ink, entry 1 the paper (blue, green, red).
        for (int k = 0; k < 3; ++k) {
            out[BmpFileHeaderSize + BmpInfoHeaderSize + k] = static_cast<uint8_t>(o.ink >> (8 * k));
            out[BmpFileHeaderSize + BmpInfoHeaderSize + 4 + k] = static_cast<uint8_t>(o.paperColor >> (8 * k));
        }
        return BarOk;
    }
    if (o.format == BarFmtTif)
        return PictureOfRows(BarFmtTif, rows, j.plan.width, j.plan.height, o.physWidth, o.physHeight, InkOf(o), out);
    if (PictureOfRows(BarFmtPng, rows, j.plan.width, j.plan.height, o.physWidth, o.physHeight, out) != BarOk)
        return BarErrGdi;
    if (o.Colored()) PngColors(o, out);
    return BarOk;
}

int RasterPicture(const Job& j, Bytes& out)
{
    const int w = j.plan.width, h = j.plan.height;
    // As BarToBmp: GDI's 1 x 1 stock bitmap for an empty size, and one logical unit per pixel.
    if (w <= 0 || h <= 0 || w > MaxCoordinate || h > MaxCoordinate) return BarErrGdi;
    const int64_t imageSize = BmpStride(w) * h;
    if (BmpBitsOffset + imageSize > UINT32_MAX) return BarErrGdi;
    BitmapDc target;
    if (!OpenBitmapDc(w, h, target)) return BarErrGdi;
    Bytes rows;
    int result = DrawRaster(j, target);
    if (result == BarOk) {
        try {
            rows.resize(static_cast<size_t>(imageSize));
        } catch (const std::bad_alloc&) {
            result = BarErrGdi;
        }
        if (result == BarOk && !MonochromeRows(target, w, h, static_cast<uint32_t>(imageSize), rows.data()))
            result = BarErrGdi;
    }
    FreeBitmapDc(target);
    return result == BarOk ? Encode(j, rows, out) : result;
}

} // namespace

int PrintPicture(const Output& o, const Resolved& r, const Style& s, const Plan& plan, Bytes& out)
{
    const Job j{o, r, s, plan};
    const bool raster = o.format == BarFmtBmp || o.format == BarFmtPng || o.format == BarFmtTif;
    return raster ? RasterPicture(j, out) : VectorPicture(j, out);
}

} // namespace lumtar::print
