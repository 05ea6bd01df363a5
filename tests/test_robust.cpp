// Arguments at the edges of the integer range: rectangles beyond GDI's
// coordinate space, font heights whose products overflow, element weights
// that make a symbol longer than that space, and picture sizes no file can
// hold. Each case once made a sanitizer or a fuzzer stop; each must now be
// refused or drawn predictably, on both targets alike.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "lumtar32.h"
#include "support/canvas.h"
#include "support/wmf.h"

namespace fs = std::filesystem;

namespace {

constexpr int Max = 134217727; // 2^27 - 1: GDI's largest logical coordinate

struct Recording {
    int result;
    wmf::Metafile metafile;
};

Recording Record(const char* text, RECT rect, const LOGFONTA* font, int types, int narrow = 0, int wide = 0)
{
    HDC dc = CreateMetaFileA(nullptr);
    const int result = Bar2HdcEx(dc, text, &rect, font, types, narrow, wide);
    return {result, wmf::CloseAndParse(dc)};
}

LOGFONTA Font(LONG height)
{
    LOGFONTA f{};
    f.lfHeight = height;
    f.lfWeight = 400;
    std::strcpy(f.lfFaceName, "Arial");
    return f;
}

// ------------------------------------------------------------- rectangles

// Beyond the coordinate space a rectangle is refused as a missing one is:
// nothing at all is recorded, not even the marker or the stock selections.
TEST(Extremes, RectanglesBeyondTheCoordinateSpaceAreRefused)
{
    const RECT cases[] = {
        {INT_MIN, 0, INT_MAX, 100},      // width overflows int
        {0, INT_MIN, 100, INT_MAX},      // height overflows int
        {INT_MIN, INT_MIN, INT_MIN, INT_MIN}, // (top + bottom) / 2 of the marker overflows
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {-Max - 1, 0, 100, 100},         // one past the limit, at each corner
        {0, -Max - 1, 100, 100},
        {0, 0, Max + 1, 100},
        {0, 0, 100, Max + 1},
        {Max + 1, Max + 1, Max + 1, Max + 1}, // empty, yet outside
    };
    for (const RECT& r : cases) {
        SCOPED_TRACE(testing::Message() << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom);
        for (const char* text : {"4006381333931", "no code"}) {
            const Recording rec = Record(text, r, BarFontDefault, BarTypAll);
            EXPECT_EQ(rec.result, 0);
            ASSERT_EQ(rec.metafile.records.size(), 1u) << wmf::Describe(rec.metafile); // EOF only
        }
    }
}

// Up to the limit everything is drawn: the same bars as in a small rectangle.
TEST(Extremes, RectanglesAtTheLimitAreDrawn)
{
    struct Case {
        const char* text;
        int types;
        RECT rect;
    };
    const Case cases[] = {
        {"4006381333931", BarTypEan13, {-Max, -1000, Max, 1000}},
        {"4006381333931", BarTypEan13, {-Max, -Max, Max, Max}},    // square: upright
        {"96385074", BarTypEan8, {-1000, -Max, 1000, Max}},        // turned
        {"123456789X", BarTypIsbn, {Max - 2000, Max - 900, Max, Max}},
        {"A40156B", BarTypCodabar, {-Max, -Max, -Max + 3000, -Max + 700}},
        {"12345678", BarTyp2aus5, {-Max, 0, Max, Max}},
        {"CODE 39", BarTyp3aus9, {-Max, -Max, Max, -Max + 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Recording big = Record(c.text, c.rect, BarFontNone, c.types);
        const Recording small = Record(c.text, {0, 0, 3000, 700}, BarFontNone, c.types);
        EXPECT_EQ(big.result, 1);
        EXPECT_EQ(wmf::Rectangles(big.metafile).size(), wmf::Rectangles(small.metafile).size());
    }
}

// ----------------------------------------------------------- font heights

// A caller's height whose share of the rectangle exceeds the coordinate space
// is held at its limit: the recording equals the one of the height that
// reaches the limit exactly (28633115 / 64 of 300 rounds to 134217727).
TEST(Extremes, TextTallerThanTheCoordinateSpaceIsHeldAtItsLimit)
{
    const LOGFONTA atLimit = Font(28633115), beyond = Font(30000000), farBeyond = Font(-400000000);
    struct Case {
        const char* text;
        int types;
    };
    const Case cases[] = {
        {"123456789X", BarTypIsbn}, // its header takes one and a half text heights
        {"4006381333931", BarTypEan13}, {"96385074", BarTypEan8}, {"03600029145", BarTypUpc12},
        {"52495", BarTypEan5},     {"34", BarTypEan2},          {"12345678", BarTyp2aus5},
        {"A40156B", BarTypCodabar}, {"CODE 39", BarTyp3aus9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        for (const RECT& r : {RECT{0, 0, 1070, 300}, RECT{-Max, -Max, -Max + 300, -Max + 1070}}) {
            const Recording expected = Record(c.text, r, &atLimit, c.types);
            ASSERT_EQ(expected.result, 1);
            for (const LOGFONTA* font : {&beyond, &farBeyond}) {
                const Recording rec = Record(c.text, r, font, c.types);
                EXPECT_EQ(rec.result, 1);
                EXPECT_EQ(rec.metafile.bytes, expected.metafile.bytes) << font->lfHeight;
            }
        }
    }
}

// MulDiv gives -1 when its quotient leaves the int range: such heights are
// taken as 1, as GDI's own MulDiv makes them.
TEST(Extremes, FontHeightsWhoseProductOverflows)
{
    for (LONG height : {INT_MIN, INT_MAX, INT_MIN + 1}) {
        const LOGFONTA font = Font(height);
        const Recording rec = Record("4006381333931", {0, 0, 1070, 300}, &font, BarTypEan13);
        EXPECT_EQ(rec.result, 1) << height;
        bool found = false;
        for (const auto& record : rec.metafile.records)
            if (record.function == wmf::Meta_CREATEFONTINDIRECT && !found) {
                EXPECT_EQ(wmf::AsFont(record).height, 1) << height;
                found = true;
            }
        EXPECT_TRUE(found) << height;
    }
}

// --------------------------------------------------------- element weights

// Code 39 draws at least one unit per step, so a symbol of more steps than the
// coordinate space holds is refused; one that fits is drawn whole even where
// it starts far from 0. "A" takes 9 wide and 20 narrow steps.
TEST(Extremes, Code39LongerThanTheCoordinateSpace)
{
    struct Case {
        int wide;
        RECT rect;
        int result;
    };
    const int fits = (Max - 20) / 9, tooMany = (Max - 20) / 9 + 1, int32Limit = (INT_MAX - 20) / 9;
    const Case cases[] = {
        {fits, {100000000, 0, 100001000, 50}, 1},
        {fits, {0, 100000000, 50, 100001000}, 1}, // turned
        {tooMany, {0, 0, 1000, 50}, 0},
        {int32Limit, {100000000, 0, 100001000, 50}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wide);
        const Recording rec = Record("A", c.rect, BarFontNone, BarTyp3aus9, 1, c.wide);
        EXPECT_EQ(rec.result, c.result);
        EXPECT_EQ(wmf::Rectangles(rec.metafile).size(), c.result ? 15u : 0u); // three characters of five bars
    }
}

// ------------------------------------------------------- text on bitmaps
#ifndef _WIN32
// Native only: GDI under Wine does not keep this for lines turned by 270
// degrees that cross an edge (some glyph pixels move by one).

// A line drawn in a transparent font of the given escapement.
void DrawTurned(const Canvas& canvas, LONG escapement, int x, int y)
{
    LOGFONTA f = Font(36);
    f.lfEscapement = f.lfOrientation = escapement;
    HFONT font = CreateFontIndirectA(&f);
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    SetBkMode(canvas.dc(), TRANSPARENT);
    TextOutA(canvas.dc(), x, y, "Ag8W", 4);
    SelectObject(canvas.dc(), old);
    DeleteObject(font);
}

// Text is painted where it lands, cut at the bitmap's edges: a small bitmap
// holds exactly the window of a large one, for every turn and for lines that
// cross each edge. (Turned glyphs are visited only where they meet the bitmap.)
TEST(Extremes, TextCutAtTheBitmapsEdges)
{
    constexpr int Big = 160, Small = 40, Offset = 60; // the small one is the big one's (60, 60) - (100, 100)
    const POINT points[] = {{80, 80}, {60, 75}, {100, 75}, {75, 60}, {75, 100}, {45, 45}, {115, 115}, {30, 95}, {95, 30}};
    int inked = 0;
    for (LONG escapement : {0, 900, 1800, 2700}) {
        for (const POINT& p : points) {
            SCOPED_TRACE(testing::Message() << "escapement " << escapement << " at " << p.x << ", " << p.y);
            Canvas big(Big, Big), small(Small, Small);
            DrawTurned(big, escapement, p.x, p.y);
            DrawTurned(small, escapement, p.x - Offset, p.y - Offset);
            const auto b = big.Pixels(), s = small.Pixels();
            int differences = 0;
            for (int y = 0; y < Small; ++y)
                for (int x = 0; x < Small; ++x) {
                    const bool white = s[y][x];
                    differences += white != b[y + Offset][x + Offset];
                    inked += !white;
                }
            EXPECT_EQ(differences, 0);
        }
    }
    EXPECT_GT(inked, 1000); // the windows did hold text
}
#endif

// ------------------------------------------------------------ file sizes

std::string Scratch(const std::string& name)
{
    const std::string dir = std::string(LUMTAR_TEST_BINARY_DIR) + "/test_robust";
    fs::create_directories(dir);
    return dir + "/" + name;
}

// A picture whose drawing rectangle would leave the coordinate space cannot be
// made: BarErrGdi (not BarErrCode, the text fits), and no file.
TEST(Extremes, PictureSizesBeyondTheCoordinateSpace)
{
    struct Case {
        const char* what;
        bool bmp;
        int width, height;
        int expected;
    };
    const Case cases[] = {
        {"WMF width INT_MIN", false, INT_MIN, 2000, BarErrGdi},
        {"WMF height INT_MAX", false, 5000, INT_MAX, BarErrGdi},
        {"WMF right edge one past the limit", false, Max + 101, 2000, BarErrGdi},
        {"WMF right edge one past the negative limit", false, -Max + 99, 2000, BarErrGdi},
        {"WMF right edge at the limit", false, Max + 100, 2000, BarOk},
        {"WMF right edge at the negative limit", false, 5000, -Max + 100, BarOk},
        {"BMP width past the limit", true, Max + 1, 1, BarErrGdi},
        {"BMP height past the limit", true, 1, Max + 1, BarErrGdi},
        {"BMP both INT_MAX", true, INT_MAX, INT_MAX, BarErrGdi},
    };
    const std::string path = Scratch("size.out");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(path);
        const int result = c.bmp ? BarToBmp(path.c_str(), "4006381333931", BarFontDefault, c.width, c.height, 2540, 2540,
                                            BarTypEan13)
                                 : BarToWmf(path.c_str(), "4006381333931", BarFontDefault, c.width, c.height, BarTypEan13);
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(fs::exists(path), c.expected == BarOk);
    }
}

#ifndef _WIN32
// The native raster refuses more than 512 MiB of rows rather than trying:
// 100000 x 100000 pixels would be 1.25 GB.
TEST(Extremes, BitmapsTooLargeForMemoryAreRefusedAtOnce)
{
    const std::string path = Scratch("huge.bmp");
    fs::remove(path);
    EXPECT_EQ(BarToBmp(path.c_str(), "4006381333931", BarFontDefault, 100000, 100000, 2540, 2540, BarTypAll), BarErrGdi);
    EXPECT_FALSE(fs::exists(path));
}
#endif

} // namespace
