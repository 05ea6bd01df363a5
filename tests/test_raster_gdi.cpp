// Bars and text drawn through the public graphics calls into a monochrome
// memory bitmap and read back with GetDIBits: the same program runs against
// the real GDI (under Wine) and against the native layer of liblumtar32.so.
// Bars must match pixel for pixel; text is compared by the box of its black
// pixels, within a pixel or two of what the Windows build draws (the two
// builds have different faces behind "Courier New").
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lumtar32_gdi.h"
#include "support/canvas.h"

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace {

// The calls this test makes. On Windows they are gdi32's and user32's; natively
// they are looked up in the shipped library, so the test runs the very code
// that native callers get.
struct Gdi : CanvasGdi {
    decltype(&::Rectangle) Rectangle = nullptr;
    decltype(&::CreateFontIndirectA) CreateFontIndirectA = nullptr;
    decltype(&::SetTextAlign) SetTextAlign = nullptr;
    decltype(&::TextOutA) TextOutA = nullptr;
    bool ready = false;

    static const Gdi& Get()
    {
        static const Gdi gdi = Load();
        return gdi;
    }

private:
    static Gdi Load()
    {
        Gdi g;
#ifdef _WIN32
        g.CreateCompatibleDC = &::CreateCompatibleDC;
        g.DeleteDC = &::DeleteDC;
        g.CreateBitmap = &::CreateBitmap;
        g.SelectObject = &::SelectObject;
        g.DeleteObject = &::DeleteObject;
        g.GetStockObject = &::GetStockObject;
        g.FillRect = &::FillRect;
        g.Rectangle = &::Rectangle;
        g.CreateFontIndirectA = &::CreateFontIndirectA;
        g.SetTextAlign = &::SetTextAlign;
        g.TextOutA = &::TextOutA;
        g.GetDIBits = &::GetDIBits;
        g.ready = true;
#else
        void* library = dlopen("./" LUMTAR_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!library) return g;
        bool all = true;
        auto find = [&](auto& slot, const char* name) {
            slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(library, name));
            all = all && slot;
        };
        find(g.CreateCompatibleDC, "CreateCompatibleDC");
        find(g.DeleteDC, "DeleteDC");
        find(g.CreateBitmap, "CreateBitmap");
        find(g.SelectObject, "SelectObject");
        find(g.DeleteObject, "DeleteObject");
        find(g.GetStockObject, "GetStockObject");
        find(g.FillRect, "FillRect");
        find(g.Rectangle, "Rectangle");
        find(g.CreateFontIndirectA, "CreateFontIndirectA");
        find(g.SetTextAlign, "SetTextAlign");
        find(g.TextOutA, "TextOutA");
        find(g.GetDIBits, "GetDIBits");
        g.ready = all; // the library stays loaded for the rest of the run
#endif
        return g;
    }
};

#define REQUIRE_GDI()                                                    \
    if (!Gdi::Get().ready) {                                             \
        GTEST_SKIP() << "the shared library has no graphics layer yet"; \
    }

std::string Picture(const std::vector<std::vector<bool>>& pixels)
{
    std::string out;
    for (const auto& row : pixels) {
        for (bool white : row) out += white ? '.' : '#';
        out += '\n';
    }
    return out;
}

// ---- Bars -----------------------------------------------------------------

struct BarCase {
    const char* what;
    int left, top, right, bottom;
};

// The painted pixels of a bar: its corners put in order, then left .. right-1
// by top .. bottom-1, clipped to the bitmap; a lone pixel is not painted.
std::string ExpectedBar(int width, int height, const BarCase& c)
{
    int l = std::min(c.left, c.right), r = std::max(c.left, c.right);
    int t = std::min(c.top, c.bottom), b = std::max(c.top, c.bottom);
    std::vector<std::vector<bool>> pixels(height, std::vector<bool>(width, true));
    if (r - l == 1 && b - t == 1) return Picture(pixels); // a single pixel paints nothing
    for (int y = std::max(t, 0); y < std::min(b, height); ++y)
        for (int x = std::max(l, 0); x < std::min(r, width); ++x) pixels[y][x] = false;
    return Picture(pixels);
}

TEST(RasterGdi, BarsArePaintedPixelForPixel)
{
    REQUIRE_GDI();
    const BarCase cases[] = {
        {"plain", 3, 2, 9, 7},
        {"one pixel wide", 5, 1, 6, 8},
        {"two pixels wide", 5, 1, 7, 8},
        {"one pixel high", 2, 4, 30, 5},
        {"reversed horizontally", 9, 2, 3, 7},
        {"reversed both ways", 9, 7, 3, 2},
        {"a single pixel", 4, 1, 5, 2},
        {"a single pixel, reversed", 5, 2, 4, 1},
        {"empty: no width", 4, 1, 4, 8},
        {"empty: no height", 1, 3, 20, 3},
        {"over the top left corner", -5, -4, 4, 3},
        {"over the bottom right corner", 30, 6, 60, 20},
        {"across a byte boundary", 6, 0, 18, 2},
        {"whole bytes", 8, 8, 32, 11},
        {"the whole bitmap", 0, 0, 37, 11},
        {"beyond every edge", -100, -100, 100, 100},
        {"outside", 40, 0, 50, 11},
    };
    for (const auto& c : cases) {
        Canvas canvas(37, 11, true, Gdi::Get());
        Gdi::Get().Rectangle(canvas.dc(), c.left, c.top, c.right, c.bottom);
        EXPECT_EQ(canvas.Picture(), ExpectedBar(37, 11, c)) << c.what;
    }
}

TEST(RasterGdi, BarsLikeTheEan13SymbolAreExact)
{
    REQUIRE_GDI();
    // Module width 3 in a 321-pixel bitmap: guard bars and a few digit bars,
    // drawn one after the other as a renderer draws them.
    const int modules[] = {8, 10, 11, 13, 17, 18, 53, 55, 100, 102};
    Canvas canvas(321, 40, true, Gdi::Get());
    for (int m : modules) Gdi::Get().Rectangle(canvas.dc(), m * 3, 0, (m + 1) * 3, 35);
    auto pixels = canvas.Pixels();
    for (int x = 0; x < 321; ++x) {
        bool bar = false;
        for (int m : modules) bar = bar || (x >= m * 3 && x < (m + 1) * 3);
        for (int y = 0; y < 40; ++y) ASSERT_EQ(pixels[y][x], !(bar && y < 35)) << "x " << x << " y " << y;
    }
}

TEST(RasterGdi, FillRectWithReversedCornersIsShiftedByOne)
{
    REQUIRE_GDI();
    struct FillCase {
        RECT rect;
        const char* picture;
    };
    // Measured under Wine: reversed corners cover from the smaller + 1 to the
    // larger coordinate, both included.
    const FillCase cases[] = {
        {{2, 1, 6, 5}, "........\n"
                       "..####..\n"
                       "..####..\n"
                       "..####..\n"
                       "..####..\n"
                       "........\n"},
        {{6, 5, 2, 1}, "........\n"
                       "........\n"
                       "...####.\n"
                       "...####.\n"
                       "...####.\n"
                       "...####.\n"},
        {{6, 1, 2, 5}, "........\n"
                       "...####.\n"
                       "...####.\n"
                       "...####.\n"
                       "...####.\n"
                       "........\n"},
        {{-3, -2, 4, 3}, "####....\n"
                         "####....\n"
                         "####....\n"
                         "........\n"
                         "........\n"
                         "........\n"},
        {{3, 3, 3, 5}, "........\n"
                       "........\n"
                       "........\n"
                       "........\n"
                       "........\n"
                       "........\n"},
    };
    for (const auto& c : cases) {
        Canvas canvas(8, 6, true, Gdi::Get());
        Gdi::Get().FillRect(canvas.dc(), &c.rect, static_cast<HBRUSH>(Gdi::Get().GetStockObject(BLACK_BRUSH)));
        EXPECT_EQ(canvas.Picture(), c.picture)
            << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
    }
}

// ---- Text -----------------------------------------------------------------

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    bool empty = true;
};

// The box of the pixels of one colour, relative to (x, y).
Box BoxOf(const std::vector<std::vector<bool>>& pixels, bool white, int x, int y)
{
    Box box;
    for (int py = 0; py < static_cast<int>(pixels.size()); ++py)
        for (int px = 0; px < static_cast<int>(pixels[py].size()); ++px) {
            if (pixels[py][px] != white) continue;
            if (box.empty) box = {px, py, px + 1, py + 1, false};
            box.left = std::min(box.left, px);
            box.right = std::max(box.right, px + 1);
            box.top = std::min(box.top, py);
            box.bottom = std::max(box.bottom, py + 1);
        }
    box.left -= x, box.right -= x, box.top -= y, box.bottom -= y;
    return box;
}

std::string Describe(const Box& box)
{
    if (box.empty) return "empty";
    return "x [" + std::to_string(box.left) + ", " + std::to_string(box.right) + ") y [" + std::to_string(box.top) + ", " +
           std::to_string(box.bottom) + ")";
}

LOGFONTA Font(int height, int escapement, int weight = 400, const char* face = "Courier New")
{
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfEscapement = escapement;
    font.lfWeight = weight;
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return font;
}

// Draws one text with the reference point in the middle of a white bitmap and
// returns the box of its black pixels, or with black underneath, the box of
// its white background cell.
Box DrawText(const LOGFONTA& font, UINT align, const char* text, bool cell)
{
    const Gdi& g = Gdi::Get();
    Canvas canvas(400, 400, true, Gdi::Get());
    if (cell) canvas.Fill(false);
    HFONT handle = g.CreateFontIndirectA(&font);
    HGDIOBJ old = g.SelectObject(canvas.dc(), handle);
    g.SetTextAlign(canvas.dc(), align);
    g.TextOutA(canvas.dc(), 200, 200, text, static_cast<int>(std::strlen(text)));
    g.SelectObject(canvas.dc(), old);
    g.DeleteObject(handle);
    return BoxOf(canvas.Pixels(), cell, 200, 200);
}

// One text drawn upright or turned; the expected ink box relative to the
// reference point is Wine's. Along the line only the edge the alignment fixes
// (or the centre) is compared, since the faces' widths differ.
struct TextCase {
    int height;
    int escapement;
    UINT align;
    const char* text;
    Box ink; // as the Windows build draws it
};

enum class Along { Start, Centre, End };

Along AlongOf(UINT align)
{
    if ((align & TA_CENTER) == TA_CENTER) return Along::Centre;
    return (align & TA_RIGHT) ? Along::End : Along::Start;
}

// Along the line the ink must be within a pixel or two of Wine's. Across it,
// the faces differ in where their glyphs sit in the cell (Wine puts a sans
// serif face behind "Courier New", whose digits stand lower), so the
// tolerance grows by a tenth of the height there.
void ExpectNear(const TextCase& c, const Box& actual)
{
    const int alongTolerance = 2;
    const int acrossTolerance = 2 + std::abs(c.height) / 10;
    std::string where = std::string(c.text) + " height " + std::to_string(c.height) + " escapement " + std::to_string(c.escapement) +
                        " align " + std::to_string(c.align) + ": " + Describe(actual) + ", Wine " + Describe(c.ink);
    ASSERT_FALSE(actual.empty) << where;
    bool upright = c.escapement == 0;
    int acrossLow = upright ? actual.top : actual.left, acrossHigh = upright ? actual.bottom : actual.right;
    int wantLow = upright ? c.ink.top : c.ink.left, wantHigh = upright ? c.ink.bottom : c.ink.right;
    EXPECT_NEAR(acrossLow, wantLow, acrossTolerance) << where;
    EXPECT_NEAR(acrossHigh, wantHigh, acrossTolerance) << where;
    // Along the line, in the direction the text runs (up the device when turned).
    int alongLow = upright ? actual.left : -actual.bottom, alongHigh = upright ? actual.right : -actual.top;
    int wantAlongLow = upright ? c.ink.left : -c.ink.bottom, wantAlongHigh = upright ? c.ink.right : -c.ink.top;
    switch (AlongOf(c.align)) {
    case Along::Start: EXPECT_NEAR(alongLow, wantAlongLow, alongTolerance) << where; break;
    case Along::End: EXPECT_NEAR(alongHigh, wantAlongHigh, alongTolerance) << where; break;
    case Along::Centre: EXPECT_NEAR(alongLow + alongHigh, wantAlongLow + wantAlongHigh, 2 * alongTolerance) << where; break;
    }
    // The line runs along its direction: longer along than across.
    if (std::strlen(c.text) > 2) {
        EXPECT_GT(alongHigh - alongLow, 3 * (acrossHigh - acrossLow)) << where;
    }
}

const TextCase WineTextCases[] = {
    // height, escapement, alignment, text, Wine's ink box
    {20, 0, TA_LEFT | TA_TOP, "0123456789", {1, 4, 99, 16, false}},
    {20, 0, TA_CENTER | TA_BOTTOM, "0123456789", {-49, -16, 49, -4, false}},
    {20, 0, TA_RIGHT | TA_BASELINE, "0123456789", {-99, -12, -1, 0, false}},
    {20, 900, TA_LEFT | TA_TOP, "0123456789", {4, -99, 16, -1, false}},
    {20, 900, TA_CENTER | TA_BOTTOM, "0123456789", {-16, -50, -4, 48, false}},
    {20, 900, TA_RIGHT | TA_BASELINE, "0123456789", {-12, 1, 0, 99, false}},
    {38, 0, TA_CENTER | TA_BOTTOM, "4", {-8, -30, 9, -7, false}},
    {38, 900, TA_CENTER | TA_BOTTOM, "4", {-30, -10, -7, 7, false}},
    {38, 0, TA_LEFT | TA_TOP, "UNGUELTIG", {3, 8, 197, 31, false}},
    {38, 900, TA_LEFT | TA_TOP, "UNGUELTIG", {8, -197, 31, -3, false}},
    {75, 0, TA_CENTER | TA_BOTTOM, "7", {-15, -60, 16, -14, false}},
    {75, 900, TA_CENTER | TA_BOTTOM, "7", {-60, -17, -14, 14, false}},
    {-16, 0, TA_CENTER | TA_TOP, "12", {-8, 3, 8, 14, false}},
    {-16, 900, TA_CENTER | TA_TOP, "12", {3, -8, 14, 8, false}},
};

TEST(RasterGdi, TextInkLiesWhereTheWindowsBuildPutsIt)
{
    REQUIRE_GDI();
    for (const auto& c : WineTextCases) {
        LOGFONTA font = Font(c.height, c.escapement);
        ExpectNear(c, DrawText(font, c.align, c.text, false));
    }
}

// The opaque background of an upright line: as high as the font's cell and
// placed by the alignment. Wine paints none behind turned text.
struct CellCase {
    int height;
    UINT align;
    const char* text;
    Box cell; // as the Windows build paints it
};

const CellCase WineCellCases[] = {
    // height, alignment, text, Wine's cell
    {20, TA_LEFT | TA_TOP, "0123456789", {0, 0, 100, 20, false}},
    {20, TA_CENTER | TA_BOTTOM, "0123456789", {-50, -20, 50, 0, false}},
    {20, TA_RIGHT | TA_BASELINE, "0123456789", {-100, -16, 0, 4, false}},
    {38, TA_CENTER | TA_BOTTOM, "4", {-9, -38, 10, 0, false}},
    {75, TA_CENTER | TA_BOTTOM, "7", {-18, -75, 19, 0, false}},
    {-16, TA_CENTER | TA_TOP, "12", {-9, 0, 9, 17, false}},
    {0, TA_LEFT | TA_TOP, "0", {0, 0, 8, 16, false}},
};

TEST(RasterGdi, UprightTextHasAnOpaqueCell)
{
    REQUIRE_GDI();
    for (const auto& c : WineCellCases) {
        Box actual = DrawText(Font(c.height, 0), c.align, c.text, true);
        std::string where = std::string(c.text) + " height " + std::to_string(c.height) + " align " + std::to_string(c.align) + ": " +
                            Describe(actual) + ", Wine " + Describe(c.cell);
        ASSERT_FALSE(actual.empty) << where;
        EXPECT_NEAR(actual.bottom - actual.top, c.cell.bottom - c.cell.top, 1) << where;
        if ((c.align & TA_BASELINE) == TA_BASELINE) {
            EXPECT_NEAR(actual.top, c.cell.top, 1) << where;
        } else if (c.align & TA_BOTTOM) {
            EXPECT_EQ(actual.bottom, 0) << where;
        } else {
            EXPECT_EQ(actual.top, 0) << where;
        }
        switch (AlongOf(c.align)) {
        case Along::Start: EXPECT_EQ(actual.left, c.cell.left) << where; break;
        case Along::End: EXPECT_EQ(actual.right, c.cell.right) << where; break;
        case Along::Centre: EXPECT_NEAR(actual.left + actual.right, c.cell.left + c.cell.right, 2) << where; break;
        }
    }
}

} // namespace
