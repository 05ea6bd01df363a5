// The rendering frame and the two primitives: orientation, font and text
// height, the invalid marker, the weights, the caller's objects restored, the
// refusals, and each symbology's recording against its golden metafile.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "lumtar32.h"
#include "render/rotation.h"
#include "support/wmf.h"

using namespace lumtar;

namespace wmf {
void PrintTo(const Rect& r, std::ostream* os) { *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")"; }
void PrintTo(const Text& t, std::ostream* os) { *os << "\"" << t.chars << "\" at (" << t.x << ", " << t.y << ")"; }
} // namespace wmf

namespace {

struct Call {
    const char* text;
    RECT rect;
    const LOGFONTA* font;
    int types;
    int narrow = 0, wide = 0;
};

struct Recording {
    int result;
    wmf::Metafile metafile;
};

Recording Record(const Call& c)
{
    HDC dc = CreateMetaFileA(nullptr);
    const int result = Bar2HdcEx(dc, c.text, &c.rect, c.font, c.types, c.narrow, c.wide);
    return {result, wmf::CloseAndParse(dc)};
}

std::vector<wmf::Font> Fonts(const wmf::Metafile& m)
{
    std::vector<wmf::Font> fonts;
    for (const auto& r : m.records)
        if (r.function == wmf::Meta_CREATEFONTINDIRECT) fonts.push_back(wmf::AsFont(r));
    return fonts;
}

const wmf::Text Marker(int x, int y) { return {x, y, "UNGUELTIG"}; }

LOGFONTA CallerFont(LONG height)
{
    LOGFONTA f{};
    f.lfHeight = height;
    f.lfEscapement = 77; // replaced by the frame
    f.lfOrientation = 450;
    f.lfWeight = 300;
    f.lfItalic = 1;
    std::strcpy(f.lfFaceName, "Arial");
    return f;
}

// ---------------------------------------------------------------- primitives

TEST(Primitives, UprightAndTurnedMapping)
{
    struct Case {
        const char* name;
        Rotation state;
        RECT bar;
        wmf::Rect drawn;
        POINT at;
        wmf::Text text;
    };
    const Case cases[] = {
        {"upright", {0, 7, 8, 300}, {10, 20, 30, 40}, {10, 20, 30, 40}, {5, 6}, {5, 6, "abc"}},
        {"turned", {900, 100, 200, 300}, {10, 20, 30, 40}, {120, 470, 140, 490}, {0, 50}, {150, 500, "abc"}},
        {"turned: the whole rectangle in use lands on the caller's", {900, 100, 200, 300}, {0, 0, 300, 60},
         {100, 200, 160, 500}, {300, 0}, {100, 200, "abc"}},
        {"any angle but 0 turns", {1, 100, 200, 300}, {10, 20, 30, 40}, {120, 470, 140, 490}, {0, 0}, {100, 500, "abc"}},
    };
    for (const auto& c : cases) {
        RotationState = c.state;
        HDC dc = CreateMetaFileA(nullptr);
        DrawBarRect(dc, c.bar.left, c.bar.top, c.bar.right, c.bar.bottom);
        DrawBarText(dc, c.at.x, c.at.y, "abcdef", 3);
        const auto m = wmf::CloseAndParse(dc);
        EXPECT_EQ(wmf::Rectangles(m), std::vector<wmf::Rect>{c.drawn}) << c.name;
        EXPECT_EQ(wmf::Texts(m), std::vector<wmf::Text>{c.text}) << c.name;
    }
}

TEST(Primitives, UprightBeforeAnyDrawingCall)
{
    Rotation seen{1, 1, 1, 1};
    std::thread([&] { seen = RotationState; }).join();
    EXPECT_EQ(seen.angle, 0);
    EXPECT_EQ(seen.originX, 0);
    EXPECT_EQ(seen.originY, 0);
    EXPECT_EQ(seen.width, 0);
}

// ------------------------------------------------------------- orientation

// A text that fits nothing shows where the frame puts the rectangle in use:
// the marker stands at its left edge and vertical middle.
TEST(Frame, OrientationAndMarker)
{
    struct Case {
        const char* name;
        RECT rect;
        Rotation state;       // origin checked only when turned
        wmf::Text marker;
        int fontHeight, escapement;
    };
    const Case cases[] = {
        {"100 x 300 turns; the marker is the middle of the caller's bottom edge", {10, 20, 110, 320}, {900, 10, 20, 300},
         Marker(60, 320), 13, 900},
        {"square stays upright", {0, 0, 200, 200}, {0, 0, 0, 200}, Marker(0, 100), 25, 0},
        {"wider than high", {5, 0, 1005, 300}, {0, 0, 0, 1000}, Marker(5, 150), 38, 0},
        {"middle truncates toward zero", {0, -3, 100, 0}, {0, 0, 0, 100}, Marker(0, -1), 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = Record({"?", c.rect, BarFontDefault, BarTypAll});
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(RotationState.angle, c.state.angle);
        EXPECT_EQ(RotationState.width, c.state.width);
        if (c.state.angle) {
            EXPECT_EQ(RotationState.originX, c.state.originX);
            EXPECT_EQ(RotationState.originY, c.state.originY);
        }
        EXPECT_EQ(wmf::Texts(r.metafile), std::vector<wmf::Text>{c.marker});
        EXPECT_TRUE(wmf::Rectangles(r.metafile).empty());
        const auto fonts = Fonts(r.metafile);
        ASSERT_GE(fonts.size(), 1u);
        EXPECT_EQ(fonts[0].height, c.fontHeight);
        EXPECT_EQ(fonts[0].escapement, c.escapement);
    }
}

// Turned, an asymmetric symbol's first bar (the EAN-8 start guard) lies at the
// caller's bottom edge and its first character runs up from there.
TEST(Frame, TurnedSymbolMapsUpTheCallersRectangle)
{
    const auto r = Record({"96385074", {10, 20, 110, 320}, BarFontDefault, BarTypEan8});
    ASSERT_EQ(r.result, 1);
    // In use: (0, 0, 300, 100), module 4, guards to 100 - 100/40 = 98, text height 13.
    const auto rects = wmf::Rectangles(r.metafile);
    ASSERT_FALSE(rects.empty());
    EXPECT_EQ(rects.front(), (wmf::Rect{10, 316, 108, 320}));
    EXPECT_EQ(rects.back(), (wmf::Rect{10, 52, 108, 56})); // module 66 of 67 ends at 268: 32 units stay blank
    const auto texts = wmf::Texts(r.metafile);
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts.front(), (wmf::Text{110, 296, "9"}));
    EXPECT_EQ(texts.back(), (wmf::Text{110, 80, "4"}));
}

// ---------------------------------------------------------------- the font

TEST(Frame, FontAndTextHeight)
{
    const LOGFONTA minus16 = CallerFont(-16), plus16 = CallerFont(16), zero = CallerFont(0), minus13 = CallerFont(-13);
    struct Case {
        const char* name;
        RECT rect;
        const LOGFONTA* font;
        bool created;
        wmf::Font expected;  // height, escapement, orientation, weight, italic, face
        int dataBarBottom;   // rect.bottom - text height
        std::size_t texts;
    };
    auto font = [](int height, int escapement, int orientation, int weight, int italic, const char* face) {
        wmf::Font f{};
        f.height = height, f.escapement = escapement, f.orientation = orientation, f.weight = weight;
        f.italic = italic, f.face = face;
        return f;
    };
    const Case cases[] = {
        {"default: an eighth, 37.5 rounds up", {0, 0, 1070, 300}, BarFontDefault, true,
         font(38, 0, 0, 500, 0, "Courier New"), 262, 13},
        {"bold differs only in weight", {0, 0, 1070, 300}, BarFontBold, true, font(38, 0, 0, 700, 0, "Courier New"), 262,
         13},
        {"none: no font, bars full height, no characters", {0, 0, 1070, 300}, BarFontNone, false, {}, 300, 0},
        {"caller's -16 reads as 16/64 of the height", {0, 0, 1070, 300}, &minus16, true, font(75, 0, 450, 300, 1, "Arial"),
         225, 13},
        {"caller's +16 the same", {0, 0, 1070, 300}, &plus16, true, font(75, 0, 450, 300, 1, "Arial"), 225, 13},
        {"caller's -13 of 100: -20.3 rounds to -20", {0, 0, 1070, 100}, &minus13, true,
         font(20, 0, 450, 300, 1, "Arial"), 80, 13},
        {"caller's lfHeight 0: font created, no characters", {0, 0, 1070, 300}, &zero, true,
         font(0, 0, 450, 300, 1, "Arial"), 300, 0},
        {"3 units high: height 0, font still created", {0, 0, 1070, 3}, BarFontDefault, true,
         font(0, 0, 0, 500, 0, "Courier New"), 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = Record({"4006381333931", c.rect, c.font, BarTypEan13});
        EXPECT_EQ(r.result, 1);
        const auto fonts = Fonts(r.metafile);
        if (c.created) {
            // The frame's font is the first one recorded; a DC's own font may follow on restore.
            ASSERT_GE(fonts.size(), 1u);
            EXPECT_EQ(fonts[0].height, c.expected.height);
            EXPECT_EQ(fonts[0].escapement, c.expected.escapement);
            EXPECT_EQ(fonts[0].orientation, c.expected.orientation);
            EXPECT_EQ(fonts[0].weight, c.expected.weight);
            EXPECT_EQ(fonts[0].italic, c.expected.italic);
            EXPECT_EQ(fonts[0].face, c.expected.face);
        } else {
            EXPECT_TRUE(fonts.empty());
        }
        const auto rects = wmf::Rectangles(r.metafile);
        ASSERT_GT(rects.size(), 2u);
        EXPECT_EQ(rects[2].bottom, c.dataBarBottom); // the first data bar
        EXPECT_EQ(wmf::Texts(r.metafile).size(), c.texts);
    }
    EXPECT_EQ(minus16.lfHeight, -16); // the caller's record is only read
    EXPECT_EQ(minus16.lfEscapement, 77);
}

// ----------------------------------------------------- types and weights

std::vector<uint8_t> Bytes(const Call& c) { return Record(c).metafile.bytes; }

TEST(Frame, TypesZeroAndHighBitsDrawTheMarker)
{
    for (int types : {0, 512, 1024 | 2048}) {
        const auto r = Record({"4006381333931", {0, 0, 1070, 600}, BarFontDefault, types});
        EXPECT_EQ(r.result, 0) << types;
        EXPECT_EQ(wmf::Texts(r.metafile), std::vector<wmf::Text>{Marker(0, 300)}) << types;
        EXPECT_TRUE(wmf::Rectangles(r.metafile).empty()) << types;
    }
}

TEST(Frame, EquivalentCalls)
{
    struct Case {
        const char* name;
        Call a, b;
    };
    const RECT r{0, 0, 1000, 200};
    const Case cases[] = {
        {"types -1 is all types", {"4006381333931", r, BarFontDefault, -1}, {"4006381333931", r, BarFontDefault, BarTypAll}},
        {"types -1, Codabar", {"A1B", r, BarFontDefault, -1}, {"A1B", r, BarFontDefault, BarTypAll}},
        {"2 of 5: 0 and 0 are 1 and 3", {"1234", r, BarFontDefault, BarTyp2aus5, 0, 0},
         {"1234", r, BarFontDefault, BarTyp2aus5, 1, 3}},
        {"Code 39: 0 and 0 are 1 and 3", {"CODE 39", r, BarFontDefault, BarTyp3aus9, 0, 0},
         {"CODE 39", r, BarFontDefault, BarTyp3aus9, 1, 3}},
    };
    for (const auto& c : cases) EXPECT_EQ(Bytes(c.a), Bytes(c.b)) << c.name;

    // Bar2Hdc is Bar2HdcEx with both weights 0.
    for (const char* text : {"1234", "CODE 39", "4006381333931"}) {
        const RECT rect{0, 0, 1000, 200};
        HDC dc = CreateMetaFileA(nullptr);
        EXPECT_EQ(Bar2Hdc(dc, text, &rect, BarFontDefault, BarTypAll), 1);
        EXPECT_EQ(wmf::CloseAndParse(dc).bytes, Bytes({text, rect, BarFontDefault, BarTypAll, 0, 0})) << text;
    }
}

// Weights 2 and 5 reach the renderer: "12" is then (2*2+1)*5 + (3*2+6)*2 = 49 steps.
TEST(Frame, OtherWeightsPassUnchanged)
{
    const auto r = Record({"12", {0, 0, 98, 50}, BarFontNone, BarTyp2aus5, 2, 5});
    ASSERT_EQ(r.result, 1);
    const auto rects = wmf::Rectangles(r.metafile);
    ASSERT_EQ(rects.size(), 9u);
    EXPECT_EQ(rects[0], (wmf::Rect{0, 0, 4, 50}));
    EXPECT_EQ(rects.back(), (wmf::Rect{94, 0, 98, 50}));
}

// ----------------------------------------------------------------- refusals

std::string Repeat(const char* s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// What cannot be drawn as the caller asked draws only the marker and returns 0.
TEST(Frame, RefusedDrawMarkerOnly)
{
    const std::string code39_70 = Repeat("ABCDEFGHIJ", 7);
    const std::string digits70 = Repeat("0123456789", 7);
    struct Case {
        const char* name;
        Call call;
        int detected; // what detection alone says: the refusal is the frame's
    };
    const RECT r{0, 0, 1000, 200};
    const Case cases[] = {
        {"Code 39 of 70 characters would lose one", {code39_70.c_str(), r, BarFontDefault, BarTyp3aus9}, BarTyp3aus9},
        {"2 of 5 of 70 digits would lose one", {digits70.c_str(), r, BarFontDefault, BarTyp2aus5}, BarTyp2aus5},
        {"ISBN whose whole text does not convert", {"1-2-3-4-5-6-7-8-9X1", r, BarFontDefault, BarTypIsbn}, BarTypIsbn},
        {"ISBN with a non-digit body", {"12345678:8", r, BarFontDefault, BarTypIsbn}, BarTypIsbn},
        {"2 of 5, negative narrow", {"12", r, BarFontDefault, BarTyp2aus5, -1, 3}, BarTyp2aus5},
        {"2 of 5, negative wide", {"12", r, BarFontDefault, BarTyp2aus5, 1, -3}, BarTyp2aus5},
        {"Code 39, negative narrow", {"A", r, BarFontDefault, BarTyp3aus9, -1, 0}, BarTyp3aus9},
        {"Code 39, negative wide", {"A", r, BarFontDefault, BarTyp3aus9, 0, -2}, BarTyp3aus9},
        {"2 of 5, weights whose 32-bit step count would be 0", {"12", r, BarFontDefault, BarTyp2aus5, 1, 1717986916},
         BarTyp2aus5},
        {"Code 39, weights past 32 bits", {"A", r, BarFontDefault, BarTyp3aus9, INT_MAX, INT_MAX}, BarTyp3aus9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BarCodeTyp(c.call.text, c.call.types), c.detected);
        const auto rec = Record(c.call);
        EXPECT_EQ(rec.result, 0);
        EXPECT_EQ(wmf::Texts(rec.metafile), std::vector<wmf::Text>{Marker(0, 100)});
        EXPECT_TRUE(wmf::Rectangles(rec.metafile).empty());
    }
    // One character less is drawn whole: 69 characters, 34 pairs.
    const auto code39 = Record({code39_70.c_str() + 1, r, BarFontDefault, BarTyp3aus9});
    EXPECT_EQ(code39.result, 1);
    EXPECT_EQ(wmf::Texts(code39.metafile).size(), 69u);
    const auto itf = Record({digits70.c_str() + 2, r, BarFontDefault, BarTyp2aus5});
    EXPECT_EQ(itf.result, 1);
    EXPECT_EQ(wmf::Texts(itf.metafile).size(), 34u);
}

TEST(Frame, NullArgumentsDrawNothing)
{
    const RECT r{0, 0, 100, 50};
    EXPECT_EQ(Bar2HdcEx(nullptr, "12", &r, BarFontDefault, BarTypAll, 0, 0), 0);
    EXPECT_EQ(Bar2Hdc(nullptr, "12", &r, BarFontDefault, BarTypAll), 0);
    HDC dc = CreateMetaFileA(nullptr);
    EXPECT_EQ(Bar2HdcEx(dc, nullptr, &r, BarFontDefault, BarTypAll, 0, 0), 0);
    EXPECT_EQ(Bar2HdcEx(dc, "12", nullptr, BarFontDefault, BarTypAll, 0, 0), 0);
    const auto m = wmf::CloseAndParse(dc);
    ASSERT_EQ(m.records.size(), 1u) << wmf::Describe(m); // EOF only
}

// ------------------------------------------------- the caller's device context

// On a caller's memory DC: its brush, pen and font are selected again, and the
// text alignment is restored by every renderer but UPC-A, which leaves 0.
TEST(Frame, CallersObjectsAndAlignment)
{
    struct Case {
        const char* text;
        int types;
        const LOGFONTA* font;
        UINT alignAfter;
    };
    constexpr UINT callers = TA_RIGHT | TA_BASELINE;
    const Case cases[] = {
        {"123456789X", BarTypIsbn, BarFontDefault, callers},  {"4006381333931", BarTypEan13, BarFontDefault, callers},
        {"9638507", BarTypEan8, BarFontBold, callers},        {"03600029145", BarTypUpc12, BarFontDefault, 0},
        {"03600029145", BarTypUpc12, BarFontNone, callers},   {"52495", BarTypEan5, BarFontDefault, callers},
        {"34", BarTypEan2, BarFontDefault, callers},          {"1234", BarTyp2aus5, BarFontDefault, callers},
        {"A1B", BarTypCodabar, BarFontDefault, callers},      {"CODE 39", BarTyp3aus9, BarFontDefault, callers},
        {"?", BarTypAll, BarFontDefault, callers},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(400, 100, 1, 1, nullptr);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ brush = GetStockObject(GRAY_BRUSH), pen = GetStockObject(WHITE_PEN);
    LOGFONTA own{};
    own.lfHeight = 10;
    std::strcpy(own.lfFaceName, "Arial");
    HFONT font = CreateFontIndirectA(&own);
    HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen), oldFont = SelectObject(dc, font);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SetTextAlign(dc, callers);
        const RECT r{0, 0, 400, 100};
        Bar2Hdc(dc, c.text, &r, c.font, c.types);
        EXPECT_EQ(GetTextAlign(dc), c.alignAfter);
        EXPECT_EQ(SelectObject(dc, brush), brush);
        EXPECT_EQ(SelectObject(dc, pen), pen);
        EXPECT_EQ(SelectObject(dc, font), static_cast<HGDIOBJ>(font));
    }
    SelectObject(dc, oldBrush), SelectObject(dc, oldPen), SelectObject(dc, oldFont), SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// ------------------------------------------------------------------ goldens

// Each type's whole recording, as the Windows build records it under Wine.
// LUMTAR_WRITE_GOLDEN=1 writes the files instead of comparing.
struct Golden {
    const char* name;
    Call call;
};
const LOGFONTA GoldenFont = [] {
    LOGFONTA f = CallerFont(-10);
    return f;
}();
const Golden Goldens[] = {
    {"isbn", {"1-234567-89-X", {0, 0, 1070, 400}, BarFontDefault, BarTypAll}},
    {"ean13", {"4006381333931", {0, 0, 1070, 600}, BarFontDefault, BarTypAll}},
    {"ean8_turned", {"96385074", {10, 20, 110, 320}, BarFontDefault, BarTypAll}},
    {"upca", {"03600029145", {0, 0, 990, 600}, BarFontBold, BarTypAll}},
    {"ean5", {"52495", {100, 200, 590, 400}, BarFontDefault, BarTypAll}},
    {"ean2", {"34", {0, 0, 220, 100}, &GoldenFont, BarTypAll}},
    {"interleaved2of5", {"1234", {10, 0, 400, 80}, BarFontDefault, BarTyp2aus5, 2, 5}},
    {"codabar", {"A1B", {0, 0, 320, 100}, BarFontDefault, BarTypAll}},
    {"code39", {"CODE 39", {0, 0, 600, 120}, BarFontNone, BarTypAll}},
    {"invalid", {"?", {0, 0, 300, 100}, BarFontDefault, BarTypAll}},
};

std::string GoldenPath(const char* name) { return std::string(LUMTAR_TEST_SOURCE_DIR) + "/tests/golden/render/" + name + ".wmf"; }

TEST(Golden, RecordingsMatch)
{
    const char* write = std::getenv("LUMTAR_WRITE_GOLDEN");
    for (const auto& g : Goldens) {
        SCOPED_TRACE(g.name);
        const auto r = Record(g.call);
        ASSERT_EQ(r.metafile.error, "");
        if (write && std::string(write) == "1") {
            std::ofstream out(GoldenPath(g.name), std::ios::binary);
            out.write(reinterpret_cast<const char*>(r.metafile.bytes.data()), static_cast<std::streamsize>(r.metafile.bytes.size()));
            ASSERT_TRUE(out.good()) << GoldenPath(g.name);
            continue;
        }
        std::ifstream in(GoldenPath(g.name), std::ios::binary);
        ASSERT_TRUE(in.good()) << "missing " << GoldenPath(g.name);
        const std::vector<uint8_t> golden{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_TRUE(r.metafile.bytes == golden) << "recorded:\n"
                                                << wmf::Describe(r.metafile) << "golden:\n"
                                                << wmf::Describe(wmf::Parse(golden));
    }
}

} // namespace
