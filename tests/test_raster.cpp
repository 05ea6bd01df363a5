// The native layer's 1-bit raster on its own: rectangles as GDI paints them
// (pictures measured under Wine), spans checked against a pixel-by-pixel
// reference, text sizing, alignment, turns, code page 1252, bad input and
// drawing from many threads. Windows has no such raster: there the program
// has no tests.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <chrono>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/raster.h"

using namespace lumtar::platform;

namespace {

std::string Picture(const Raster& raster)
{
    std::string out;
    for (int y = 0; y < raster.height; ++y) {
        for (int x = 0; x < raster.width; ++x) out += RasterPixel(raster, x, y) ? '.' : '#';
        out += '\n';
    }
    return out;
}

Raster Blank(int width, int height, bool white)
{
    Raster raster;
    EXPECT_TRUE(RasterCreate(raster, width, height));
    RasterFill(raster, 0, 0, width, height, white);
    return raster;
}

// Bits beyond the width in each row stay 0, as GetDIBits leaves them.
bool PaddingIsClear(const Raster& raster)
{
    for (int y = 0; y < raster.height; ++y)
        for (int x = raster.width; x < raster.stride * 8; ++x)
            if (raster.bits[static_cast<size_t>(y) * raster.stride + x / 8] & (0x80 >> (x % 8))) return false;
    return true;
}

// ---- Creation ---------------------------------------------------------------

TEST(Raster, CreateLaysRowsOutAsADib)
{
    struct Case {
        int width, height;
        bool created;
        int stride;
    };
    const Case cases[] = {
        {1, 1, true, 4},      {32, 2, true, 4},  {33, 2, true, 8},          {300, 100, true, 40}, {0, 5, false, 0},
        {5, 0, false, 0},     {-1, 5, false, 0}, {5, -1, false, 0},         {INT_MAX, 1, true, 268435456},
        {INT_MAX, INT_MAX, false, 0}, {100000, 100000, false, 0},
    };
    for (const auto& c : cases) {
        Raster raster;
        ASSERT_EQ(RasterCreate(raster, c.width, c.height), c.created) << c.width << " x " << c.height;
        EXPECT_EQ(raster.stride, c.stride) << c.width << " x " << c.height;
        if (!c.created) {
            EXPECT_TRUE(raster.bits.empty());
            continue;
        }
        EXPECT_EQ(raster.bits.size(), static_cast<size_t>(c.stride) * c.height);
        if (c.width < 1000) { // a new bitmap is black
            for (int y = 0; y < c.height; ++y)
                for (int x = 0; x < c.width; ++x) ASSERT_FALSE(RasterPixel(raster, x, y));
        }
    }
}

TEST(Raster, PixelsOutsideReadBlackAndIgnoreWrites)
{
    Raster raster = Blank(9, 3, true);
    const int outside[][2] = {{-1, 0}, {0, -1}, {9, 0}, {0, 3}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}};
    for (const auto& p : outside) {
        EXPECT_FALSE(RasterPixel(raster, p[0], p[1]));
        RasterSetPixel(raster, p[0], p[1], false);
    }
    EXPECT_EQ(Picture(raster), ".........\n.........\n.........\n");
    RasterSetPixel(raster, 8, 2, false);
    RasterSetPixel(raster, 0, 0, false);
    EXPECT_EQ(Picture(raster), "#........\n.........\n........#\n");
    EXPECT_TRUE(PaddingIsClear(raster));
}

// ---- Rectangles ---------------------------------------------------------------

struct RectangleCase {
    int left, top, right, bottom;
    const char* whitePenBlackBrushOnBlack; // the outline shows as the white ring
    const char* blackOnWhite;
};

// Pictures from Rectangle under Wine, 12 × 8 bitmaps: the stock white pen with
// the black brush on a black bitmap, and the library's black pen and brush on
// a white one.
const RectangleCase RectangleCases[] = {
    {2, 1, 6, 5,
     "############\n##....######\n##.##.######\n##.##.######\n##....######\n############\n############\n############\n",
     "............\n..####......\n..####......\n..####......\n..####......\n............\n............\n............\n"},
    {6, 5, 2, 1, // reversed: put in order
     "############\n##....######\n##.##.######\n##.##.######\n##....######\n############\n############\n############\n",
     "............\n..####......\n..####......\n..####......\n..####......\n............\n............\n............\n"},
    {2, 1, 3, 5, // one pixel wide: all outline
     "############\n##.#########\n##.#########\n##.#########\n##.#########\n############\n############\n############\n",
     "............\n..#.........\n..#.........\n..#.........\n..#.........\n............\n............\n............\n"},
    {2, 1, 4, 5, // two pixels wide: all outline
     "############\n##..########\n##..########\n##..########\n##..########\n############\n############\n############\n",
     "............\n..##........\n..##........\n..##........\n..##........\n............\n............\n............\n"},
    {3, 1, 2, 5, // reversed, one wide
     "############\n##.#########\n##.#########\n##.#########\n##.#########\n############\n############\n############\n",
     "............\n..#.........\n..#.........\n..#.........\n..#.........\n............\n............\n............\n"},
    {2, 1, 3, 2, // a single pixel: nothing
     "############\n############\n############\n############\n############\n############\n############\n############\n",
     "............\n............\n............\n............\n............\n............\n............\n............\n"},
    {2, 1, 5, 2, // one pixel high
     "############\n##...#######\n############\n############\n############\n############\n############\n############\n",
     "............\n..###.......\n............\n............\n............\n............\n............\n............\n"},
    {2, 2, 2, 5, // empty
     "############\n############\n############\n############\n############\n############\n############\n############\n",
     "............\n............\n............\n............\n............\n............\n............\n............\n"},
    {-3, -2, 4, 3, // over the top left corner: only the right and bottom edges show
     "###.########\n###.########\n....########\n############\n############\n############\n############\n############\n",
     "####........\n####........\n####........\n............\n............\n............\n............\n............\n"},
    {10, 6, 20, 20, // over the bottom right corner
     "############\n############\n############\n############\n############\n############\n##########..\n##########.#\n",
     "............\n............\n............\n............\n............\n............\n..........##\n..........##\n"},
};

TEST(Raster, RectangleMatchesGdi)
{
    for (const auto& c : RectangleCases) {
        Raster ring = Blank(12, 8, false);
        RasterRectangle(ring, c.left, c.top, c.right, c.bottom, true, false);
        EXPECT_EQ(Picture(ring), c.whitePenBlackBrushOnBlack) << c.left << "," << c.top << "," << c.right << "," << c.bottom;
        Raster bar = Blank(12, 8, true);
        RasterRectangle(bar, c.left, c.top, c.right, c.bottom, false, false);
        EXPECT_EQ(Picture(bar), c.blackOnWhite) << c.left << "," << c.top << "," << c.right << "," << c.bottom;
    }
}

// A reference painter, one pixel at a time, for the span arithmetic.
void ReferenceFill(Raster& raster, long long l, long long t, long long r, long long b, bool white)
{
    for (long long y = std::max(t, 0LL); y < std::min<long long>(b, raster.height); ++y)
        for (long long x = std::max(l, 0LL); x < std::min<long long>(r, raster.width); ++x)
            RasterSetPixel(raster, static_cast<int>(x), static_cast<int>(y), white);
}

TEST(Raster, SpansAgreeWithAPixelByPixelPainter)
{
    std::mt19937 random(1234);
    const int widths[] = {1, 7, 8, 9, 31, 32, 33, 77, 130};
    for (int width : widths) {
        Raster fast = Blank(width, 9, true), slow = Blank(width, 9, true);
        std::uniform_int_distribution<int> x(-10, width + 10), y(-4, 13), colour(0, 1);
        for (int i = 0; i < 300; ++i) {
            int l = x(random), r = x(random), t = y(random), b = y(random);
            bool white = colour(random);
            if (i % 2) {
                RasterFill(fast, l, t, r, b, white);
                // Reversed corners move one pixel further, per axis.
                long long fl = l <= r ? l : r + 1LL, fr = l <= r ? r : l + 1LL;
                long long ft = t <= b ? t : b + 1LL, fb = t <= b ? b : t + 1LL;
                ReferenceFill(slow, fl, ft, fr, fb, white);
            } else {
                bool pen = colour(random);
                RasterRectangle(fast, l, t, r, b, pen, white);
                long long nl = std::min(l, r), nr = std::max(l, r), nt = std::min(t, b), nb = std::max(t, b);
                if (nl != nr && nt != nb && !(nr - nl == 1 && nb - nt == 1)) {
                    ReferenceFill(slow, nl, nt, nr, nb, pen);
                    ReferenceFill(slow, nl + 1, nt + 1, nr - 1, nb - 1, white);
                }
            }
            ASSERT_EQ(Picture(fast), Picture(slow)) << "width " << width << " step " << i << ": " << l << "," << t << "," << r << "," << b;
        }
        EXPECT_TRUE(PaddingIsClear(fast)) << width;
    }
}

TEST(Raster, ExtremeCoordinatesAreClipped)
{
    struct Case {
        int l, t, r, b;
        const char* picture;
    };
    const Case cases[] = {
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, "#####\n#####\n#####\n"},
        {INT_MAX, INT_MAX, INT_MIN, INT_MIN, "#####\n#####\n#####\n"},
        {INT_MIN, 1, 2, 2, ".....\n##...\n.....\n"},
        {INT_MAX, 0, INT_MAX, 3, ".....\n.....\n.....\n"},
        {4, 2, INT_MAX, INT_MAX, ".....\n.....\n....#\n"},
    };
    for (const auto& c : cases) {
        Raster fill = Blank(5, 3, true);
        RasterFill(fill, c.l, c.t, c.r, c.b, false);
        EXPECT_EQ(Picture(fill), c.picture) << c.l << "," << c.t << "," << c.r << "," << c.b;
        Raster rect = Blank(5, 3, true);
        RasterRectangle(rect, c.l, c.t, c.r, c.b, false, false);
        EXPECT_EQ(Picture(rect), c.picture) << c.l << "," << c.t << "," << c.r << "," << c.b;
    }
    Raster empty; // a raster that was never created takes every call
    RasterFill(empty, 0, 0, 10, 10, true);
    RasterRectangle(empty, 0, 0, 10, 10, false, true);
    RasterSetPixel(empty, 0, 0, true);
    EXPECT_FALSE(RasterPixel(empty, 0, 0));
}

TEST(Raster, LargeBitmapsAreCheap)
{
    Raster raster;
    ASSERT_TRUE(RasterCreate(raster, 8000, 4000));
    auto start = std::chrono::steady_clock::now();
    RasterFill(raster, 0, 0, 8000, 4000, true);
    for (int bar = 0; bar < 1000; ++bar) RasterRectangle(raster, bar * 8 + 1, 0, bar * 8 + 5, 3500, false, false);
    auto elapsed = std::chrono::steady_clock::now() - start;
    // 32 million pixels painted byte-wise: milliseconds, and well under the
    // bound even in a debug build under ThreadSanitizer on a busy machine;
    // pixel by pixel it would take tens of seconds there.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 5000);
    EXPECT_FALSE(RasterPixel(raster, 1, 0));
    EXPECT_FALSE(RasterPixel(raster, 7996, 3499));
    EXPECT_TRUE(RasterPixel(raster, 7997, 100));
    EXPECT_TRUE(RasterPixel(raster, 0, 100));
    EXPECT_TRUE(RasterPixel(raster, 1, 3500));
}

// ---- Text -----------------------------------------------------------------------

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int count = 0;
};

Box BoxOf(const Raster& raster, bool white, int x = 0, int y = 0)
{
    Box box{INT_MAX, INT_MAX, INT_MIN, INT_MIN, 0};
    for (int py = 0; py < raster.height; ++py)
        for (int px = 0; px < raster.width; ++px) {
            if (RasterPixel(raster, px, py) != white) continue;
            ++box.count;
            box.left = std::min(box.left, px - x);
            box.right = std::max(box.right, px + 1 - x);
            box.top = std::min(box.top, py - y);
            box.bottom = std::max(box.bottom, py + 1 - y);
        }
    return box;
}

LOGFONTA Font(int height, int escapement = 0, int weight = 400, const char* face = "Courier New")
{
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfEscapement = escapement;
    font.lfWeight = weight;
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return font;
}

// Draws on a white raster and returns it.
Raster Draw(const LOGFONTA* font, UINT align, const char* text, int x = 200, int y = 200, int count = -1, int size = 400)
{
    Raster raster = Blank(size, size, true);
    TextStyle style;
    style.font = font;
    style.align = align;
    RasterText(raster, style, x, y, text, count < 0 ? static_cast<int>(std::strlen(text)) : count);
    return raster;
}

TEST(RasterText, CellHeightFollowsGdiSizing)
{
    // lfHeight > 0 asks for the cell, < 0 for the em, 0 for GDI's default.
    // Expected cells: GetTextMetrics under Wine for "Liberation Mono", which
    // is the face "Courier New" resolves to here; Wine rounds a few sizes one
    // pixel lower.
    struct Case {
        int height;
        int cell;
    };
    const Case cases[] = {{8, 8}, {13, 12}, {16, 16}, {20, 20}, {38, 37}, {75, 75}, {100, 99}, {-16, 18}, {-20, 23}, {0, 16}};
    for (const auto& c : cases) {
        LOGFONTA font = Font(c.height);
        TextExtent extent = RasterTextExtent(&font, "0", 1);
        EXPECT_NEAR(extent.ascent + extent.descent, c.cell, 1) << c.height;
        EXPECT_GT(extent.ascent, 2 * extent.descent) << c.height;
        // A fixed-pitch face: ten digits are ten advances.
        EXPECT_EQ(RasterTextExtent(&font, "0123456789", 10).width, 10 * extent.width) << c.height;
    }
}

TEST(RasterText, CellIsPlacedByTheAlignment)
{
    LOGFONTA font = Font(20);
    TextExtent e = RasterTextExtent(&font, "0123456789", 10);
    ASSERT_GT(e.width, 0);
    int h = e.ascent + e.descent;
    struct Case {
        UINT align;
        int left, top;
    };
    const Case cases[] = {
        {TA_LEFT | TA_TOP, 0, 0},
        {TA_CENTER | TA_TOP, -e.width / 2, 0},
        {TA_RIGHT | TA_TOP, -e.width, 0},
        {TA_LEFT | TA_BOTTOM, 0, -h},
        {TA_CENTER | TA_BOTTOM, -e.width / 2, -h},
        {TA_RIGHT | TA_BASELINE, -e.width, -e.ascent},
        {TA_CENTER | TA_BASELINE, -e.width / 2, -e.ascent},
    };
    for (const auto& c : cases) {
        Raster raster = Blank(400, 400, false);
        TextStyle style;
        style.font = &font;
        style.align = c.align;
        RasterText(raster, style, 200, 200, "0123456789", 10);
        Box cell = BoxOf(raster, true, 200, 200);
        EXPECT_EQ(cell.left, c.left) << c.align;
        EXPECT_EQ(cell.top, c.top) << c.align;
        EXPECT_EQ(cell.right - cell.left, e.width) << c.align;
        EXPECT_EQ(cell.bottom - cell.top, h) << c.align;
        // The ink lies inside the cell.
        Raster ink = Draw(&font, c.align, "0123456789");
        Box glyphs = BoxOf(ink, false, 200, 200);
        EXPECT_GE(glyphs.left, cell.left);
        EXPECT_LE(glyphs.right, cell.right);
        EXPECT_GE(glyphs.top, cell.top);
        EXPECT_LE(glyphs.bottom, cell.bottom);
    }
}

// Each quarter turn maps the upright line's pixel (c, r), relative to the
// reference point, onto one device pixel: the text runs up, left and down.
// Only an upright line gets an opaque background cell, as in GDI.
TEST(RasterText, QuarterTurnsMoveEveryPixelExactly)
{
    struct Turn {
        int escapement;
        int (*x)(int c, int r);
        int (*y)(int c, int r);
    };
    const Turn turns[] = {
        {900, [](int, int r) { return r; }, [](int c, int) { return -c - 1; }},
        {1800, [](int c, int) { return -c - 1; }, [](int, int r) { return -r - 1; }},
        {2700, [](int, int r) { return -r - 1; }, [](int c, int) { return c; }},
        {-900, [](int, int r) { return -r - 1; }, [](int c, int) { return c; }},
        {4500, [](int, int r) { return r; }, [](int c, int) { return -c - 1; }},
    };
    const UINT aligns[] = {TA_LEFT | TA_TOP, TA_CENTER | TA_BOTTOM, TA_RIGHT | TA_BASELINE};
    for (const auto& turn : turns)
        for (UINT align : aligns) {
            LOGFONTA upright = Font(24), turned = Font(24, turn.escapement);
            // Black ink on white, without a background cell (turned lines have none).
            Raster a = Blank(300, 300, true), b = Blank(300, 300, true);
            TextStyle style;
            style.opaque = false;
            style.align = align;
            style.font = &upright;
            RasterText(a, style, 150, 150, "Fj4_", 4);
            style.font = &turned;
            RasterText(b, style, 150, 150, "Fj4_", 4);
            int mismatches = 0, white = 0;
            for (int py = 0; py < 300; ++py)
                for (int px = 0; px < 300; ++px) {
                    int c = px - 150, r = py - 150;
                    bool expected = RasterPixel(a, px, py);
                    white += !expected; // counts ink
                    mismatches += RasterPixel(b, 150 + turn.x(c, r), 150 + turn.y(c, r)) != expected;
                }
            EXPECT_GT(white, 100);
            EXPECT_EQ(mismatches, 0) << "escapement " << turn.escapement << " align " << align;
        }
}

TEST(RasterText, OtherAnglesTurnTheLine)
{
    LOGFONTA font = Font(20, 450);
    Box box = BoxOf(Draw(&font, TA_LEFT | TA_BASELINE, "----------"), false, 200, 200);
    ASSERT_GT(box.count, 0);
    // A dash line at 45 degrees rises to the right about as much as it runs.
    EXPECT_GT(box.right, 60);
    EXPECT_LT(box.top, -50);
    EXPECT_NEAR(box.right - box.left, box.bottom - box.top, 12);
}

TEST(RasterText, CodePage1252CharactersHaveTheirGlyphs)
{
    LOGFONTA font = Font(40);
    auto ink = [&](const char* text) { return Picture(Draw(&font, TA_LEFT | TA_TOP, text, 10, 10, -1, 60)); };
    const std::string notdef = ink("\x01");
    // 0x80 is the euro sign, 0x9F Y diaeresis, 0xFC u diaeresis, 0xE9 e acute: each
    // is a glyph of its own, none the missing-glyph box.
    const char* distinct[] = {"\x80", "\x9F", "\xFC", "\xE9", "u", "Y", "e", "\xA7"};
    for (size_t i = 0; i < std::size(distinct); ++i) {
        EXPECT_NE(ink(distinct[i]), notdef) << i;
        for (size_t j = 0; j < i; ++j) EXPECT_NE(ink(distinct[i]), ink(distinct[j])) << i << " " << j;
    }
    // The diaeresis sits above the u: same bottom, higher top.
    Box u = BoxOf(Draw(&font, TA_LEFT | TA_TOP, "u"), false), uml = BoxOf(Draw(&font, TA_LEFT | TA_TOP, "\xFC"), false);
    EXPECT_EQ(u.bottom, uml.bottom);
    EXPECT_LT(uml.top, u.top - 3);
}

TEST(RasterText, GlyphsAreMonochromeAndBoldIsHeavier)
{
    LOGFONTA regular = Font(30), bold = Font(30, 0, 700), medium = Font(30, 0, 500);
    int regularInk = BoxOf(Draw(&regular, 0, "EAN 4006381333931"), false).count;
    int boldInk = BoxOf(Draw(&bold, 0, "EAN 4006381333931"), false).count;
    EXPECT_GT(boldInk, regularInk * 5 / 4);
    EXPECT_EQ(BoxOf(Draw(&medium, 0, "EAN 4006381333931"), false).count, regularInk); // 500 is not bold
    // Same cell for both weights.
    TextExtent r = RasterTextExtent(&regular, "0", 1), b = RasterTextExtent(&bold, "0", 1);
    EXPECT_EQ(r.ascent + r.descent, b.ascent + b.descent);
}

TEST(RasterText, OnlyUprightLinesGetABackgroundCell)
{
    for (int escapement : {0, 900, 2700}) {
        LOGFONTA font = Font(30, escapement);
        Raster canvas = Blank(200, 200, false); // black: a white cell would show
        TextStyle style;
        style.font = &font;
        RasterText(canvas, style, 100, 100, "88", 2);
        EXPECT_EQ(BoxOf(canvas, true).count > 0, escapement == 0) << "escapement " << escapement;
    }
}

TEST(RasterText, ColoursAndBackgroundFollowTheStyle)
{
    LOGFONTA font = Font(20);
    struct Case {
        bool textWhite, opaque, backgroundWhite, canvasWhite;
        bool cellVisible, inkVisible;
    };
    const Case cases[] = {
        {false, true, true, false, true, true},   // GDI's defaults on black: the white cell with black ink
        {false, false, true, true, false, true},  // transparent: only the ink
        {true, true, false, true, true, true},    // white on black, opaque, on white
        {true, false, false, false, false, true}, // white ink, transparent, on black
    };
    for (const auto& c : cases) {
        Raster raster = Blank(200, 60, c.canvasWhite);
        TextStyle style;
        style.font = &font;
        style.textWhite = c.textWhite;
        style.opaque = c.opaque;
        style.backgroundWhite = c.backgroundWhite;
        RasterText(raster, style, 10, 10, "HAM", 3);
        Box background = BoxOf(raster, !c.canvasWhite);
        if (c.cellVisible) {
            EXPECT_EQ(background.left, 10);
            EXPECT_EQ(background.top, 10);
        } else {
            EXPECT_GT(background.left, 10);
        }
        EXPECT_GT(background.count, 20);
    }
}

TEST(RasterText, NullFontAndUnknownFacesStillDraw)
{
    Box stock = BoxOf(Draw(nullptr, 0, "Stock"), false, 200, 200);
    EXPECT_GT(stock.count, 30);
    TextExtent e = RasterTextExtent(nullptr, "x", 1);
    EXPECT_EQ(e.ascent + e.descent, 16);
    LOGFONTA unknown = Font(20, 0, 400, "No Such Face \xFC");
    EXPECT_GT(BoxOf(Draw(&unknown, 0, "Text"), false).count, 30);
    LOGFONTA unterminated = Font(20);
    std::memset(unterminated.lfFaceName, 'A', LF_FACESIZE); // no terminating zero
    EXPECT_GT(BoxOf(Draw(&unterminated, 0, "Text"), false).count, 30);
}

TEST(RasterText, BadInputDrawsNothingOrClampsAndNeverCrashes)
{
    LOGFONTA font = Font(20);
    EXPECT_EQ(BoxOf(Draw(&font, 0, "abc", 200, 200, 0), false).count, 0);
    Raster raster = Blank(50, 50, true);
    TextStyle style;
    style.font = &font;
    RasterText(raster, style, 10, 10, "abc", -5);
    RasterText(raster, style, 10, 10, "abc", INT_MIN);
    RasterText(raster, style, 10, 10, nullptr, 5);
    RasterText(raster, style, INT_MAX, INT_MIN, "abc", 3);
    RasterText(raster, style, INT_MIN, INT_MAX, "abc", 3);
    EXPECT_EQ(BoxOf(raster, false).count, 0);
    const char nul[] = {'a', '\0', 'b'};
    RasterText(raster, style, 0, 0, nul, 3);
    EXPECT_GT(BoxOf(raster, false).count, 0);

    const int heights[] = {INT_MIN, INT_MIN + 1, -100000, 1, -1, 100000, INT_MAX};
    const int escapements[] = {0, 900, 1, INT_MIN, INT_MAX, -2700};
    for (int height : heights)
        for (int escapement : escapements) {
            LOGFONTA odd = Font(height, escapement);
            Raster canvas = Blank(64, 64, true);
            style.font = &odd;
            style.align = TA_CENTER | TA_BASELINE;
            RasterText(canvas, style, 32, 32, "W", 1);
            TextExtent e = RasterTextExtent(&odd, "W", 1);
            EXPECT_GE(e.ascent, 0);
            EXPECT_GE(e.width, 0);
        }
    Raster never; // never created
    RasterText(never, style, 0, 0, "abc", 3);
}

TEST(RasterText, ThreadsDrawTheSamePixels)
{
    // Eight threads, each its own raster, between them more sizes than the
    // font cache keeps: fonts are opened, rendered and dropped while other
    // threads draw. Afterwards one thread draws everything again.
    auto drawAll = [](int seed) {
        std::string pictures;
        for (int i = 0; i < 12; ++i) {
            int height = 10 + (seed * 5 + i) % 40;
            LOGFONTA font = Font(height, (i % 2) * 900, (i % 3) ? 400 : 700);
            pictures += Picture(Draw(&font, TA_CENTER | TA_BOTTOM, "4006381\xFC\x80", 60, 60, -1, 120));
        }
        return pictures;
    };
    std::vector<std::string> concurrent(8);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) threads.emplace_back([&, t] { concurrent[t] = drawAll(t); });
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < 8; ++t) EXPECT_EQ(concurrent[t], drawAll(t)) << t;
}

// ---- Held painting ----------------------------------------------------------

// The rows as RowReader gives them to GetDIBits, fills still held.
std::string HeldPicture(const Raster& raster)
{
    std::string out;
    RowReader rows(raster);
    for (int y = 0; y < raster.height;) {
        const RowReader::Span span = rows.At(y);
        for (int i = 0; i < span.count; ++i, ++y) {
            const uint8_t* row = span.row + i * span.step;
            for (int x = 0; x < raster.width; ++x) out += row[x / 8] & (0x80 >> (x % 8)) ? '.' : '#';
            out += '\n';
        }
    }
    return out;
}

TEST(RasterHeld, PaintsWhatImmediatePaintingPaints)
{
    std::mt19937 random(99);
    const int escapements[] = {0, 900, 1800, 2700, 450};
    for (int round = 0; round < 40; ++round) {
        const int width = 1 + static_cast<int>(random() % 140), height = 1 + static_cast<int>(random() % 90);
        Raster now = Blank(width, height, round % 2), held = Blank(width, height, round % 2);
        std::uniform_int_distribution<int> x(-8, width + 8), y(-8, height + 8), pick(0, 19);
        const int steps = round < 2 ? 700 : 60; // beyond the most fills held at once
        for (int step = 0; step < steps; ++step) {
            const int l = x(random), t = y(random), r = x(random), b = y(random), what = pick(random);
            const bool white = random() % 2, pen = random() % 2;
            if (what < 8) {
                RasterFill(now, l, t, r, b, white);
                RasterHoldFill(held, l, t, r, b, white);
            } else if (what < 15) {
                RasterRectangle(now, l, t, r, b, pen, white);
                RasterHoldRectangle(held, l, t, r, b, pen, white);
            } else if (what == 15) {
                RasterFill(now, 0, 0, width, height, white);
                RasterHoldFill(held, 0, 0, width, height, white);
            } else if (what < 18 && step % 7 == 0) {
                const LOGFONTA font = Font(6 + static_cast<int>(random() % 24), escapements[random() % 5]);
                TextStyle style;
                style.font = &font;
                style.opaque = pen;
                style.textWhite = white;
                style.backgroundWhite = !white;
                RasterText(now, style, l, b, "E4g", 3);
                RasterText(held, style, l, b, "E4g", 3);
            } else if (what == 18) {
                RasterSetPixel(now, l, t, white);
                RasterSetPixel(held, l, t, white);
            } else {
                RasterSettleRows(held, std::min(t, b), std::max(t, b));
            }
        }
        ASSERT_EQ(HeldPicture(held), Picture(now)) << "round " << round;
        RasterSettle(held);
        EXPECT_TRUE(held.held.empty());
        auto bytes = [](const Raster& r) { return std::vector<uint8_t>(r.bits.data(), r.bits.data() + r.bits.size()); };
        ASSERT_EQ(bytes(held), bytes(now)) << "round " << round; // the padding too
    }
}

} // namespace

#endif // !_WIN32
