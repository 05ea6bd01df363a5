// The renderers' layouts, called directly on a recording device context in
// the upright state: the worked examples for every symbology.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "check/isbn.h"
#include "lumtar32.h"
#include "render/rotation.h"
#include "support/wmf.h"
#include "symbols/addon.h"
#include "symbols/codabar.h"
#include "symbols/code39.h"
#include "symbols/ean.h"
#include "symbols/ean_modules.h"
#include "symbols/interleaved2of5.h"
#include "symbols/upca.h"

using namespace lumtar;

namespace wmf {
void PrintTo(const Rect& r, std::ostream* os) { *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")"; }
void PrintTo(const Text& t, std::ostream* os) { *os << "\"" << t.chars << "\" at (" << t.x << ", " << t.y << ")"; }
} // namespace wmf

namespace {

using Renderer = std::function<int(HDC, const char*, const RECT*, int)>;

Renderer Weighted(int (*draw)(HDC, const char*, const RECT*, int, int, int), int narrow, int wide)
{
    return [=](HDC h, const char* t, const RECT* r, int th) { return draw(h, t, r, th, narrow, wide); };
}

struct At {
    int index; // from the end when negative
    wmf::Rect rect;
};

constexpr unsigned AnyAlign = ~0u; // whatever the device context returned as its previous alignment

struct LayoutCase {
    const char* name;
    Renderer draw;
    const char* text;
    RECT rect;
    int textHeight;
    std::vector<At> rects;         // bars at given positions in drawing order
    int rectCount;                 // -1: not checked
    std::set<int> tops, bottoms;   // every bar's top and bottom is one of these, and each occurs
    std::vector<wmf::Text> texts;  // all of them, in order
    std::vector<unsigned> aligns;  // every SETTEXTALIGN, in order
};

// One text per character of chars at the given x positions.
std::vector<wmf::Text> Chars(const std::string& chars, std::vector<int> xs, int y)
{
    std::vector<wmf::Text> texts;
    for (std::size_t i = 0; i < chars.size(); ++i) texts.push_back({xs.at(i), y, chars.substr(i, 1)});
    return texts;
}

std::vector<At> All(std::vector<wmf::Rect> rects)
{
    std::vector<At> at;
    for (std::size_t i = 0; i < rects.size(); ++i) at.push_back({static_cast<int>(i), rects[i]});
    return at;
}

wmf::Metafile Record(const LayoutCase& c, int* result)
{
    RotationState = {};
    HDC dc = CreateMetaFileA(nullptr);
    *result = c.draw(dc, c.text, &c.rect, c.textHeight);
    return wmf::CloseAndParse(dc);
}

// Character positions of EAN-13 and EAN-8 at ten units per module.
const std::vector<int> Ean13Xs = {40, 140, 210, 280, 350, 420, 490, 610, 680, 750, 820, 890, 960};
const std::vector<int> Ean8Xs = {60, 130, 200, 270, 390, 460, 530, 600};

std::vector<wmf::Text> IsbnTexts(const char* header)
{
    auto texts = Chars("9781234567897", Ean13Xs, 400);
    texts.insert(texts.begin(), {535, 0, header});
    return texts;
}

const std::vector<LayoutCase>& Layouts()
{
    static const std::vector<LayoutCase> cases = {
        {"EAN-13 1070x600", DrawEan13, "4006381333931", {0, 0, 1070, 600}, 75,
         {{0, {80, 0, 90, 560}}, {1, {100, 0, 110, 560}}, {-2, {1000, 0, 1010, 560}}, {-1, {1020, 0, 1030, 560}}}, -1,
         {0}, {525, 560},
         Chars("4006381333931", Ean13Xs, 600), {14, AnyAlign}},
        {"EAN-13 without text: guards shorter than data bars", DrawEan13, "4006381333931", {0, 0, 1070, 600}, 0,
         {{0, {80, 0, 90, 560}}}, -1, {0}, {560, 600}, {}, {14, AnyAlign}},
        {"EAN-13 top below bottom", DrawEan13, "4006381333931", {0, 600, 1070, 0}, 75,
         {{0, {80, 600, 90, -40}}}, -1, {600}, {-75, -40}, Chars("4006381333931", Ean13Xs, 0), {14, AnyAlign}},
        {"EAN-13 narrower than its box", DrawEan13, "4006381333931", {5, 0, 106, 600}, 75, {}, 0, {}, {},
         Chars("4006381333931", std::vector<int>(13, 5), 600), {14, AnyAlign}},
        {"EAN-8 670x600", DrawEan8, "9638507", {0, 0, 670, 600}, 75,
         {{0, {0, 0, 10, 585}}, {1, {20, 0, 30, 585}}, {-1, {660, 0, 670, 585}}}, -1, {0}, {525, 585},
         Chars("96385074", Ean8Xs, 600), {14, AnyAlign}},
        {"EAN-8 top below bottom: data bars end inside", DrawEan8, "96385074", {0, 600, 670, 0}, 75,
         {{0, {0, 600, 10, -15}}}, -1, {600}, {-15, 75}, Chars("96385074", Ean8Xs, 0), {14, AnyAlign}},
        {"EAN-8 67 units wide fills the box", DrawEan8, "9638507", {0, 0, 67, 600}, 0,
         {{0, {0, 0, 1, 585}}, {-1, {66, 0, 67, 585}}}, -1, {0}, {585, 600}, {}, {14, AnyAlign}},
        {"EAN-8 narrower than its box", DrawEan8, "9638507", {0, 0, 66, 600}, 75, {}, 0, {}, {},
         Chars("96385074", std::vector<int>(8, 0), 600), {14, AnyAlign}},
        {"UPC-A 990x600", DrawUpcA, "03600029145", {0, 0, 990, 600}, 75,
         {{0, {20, 0, 30, 600}}, {1, {40, 0, 50, 600}}, {-1, {960, 0, 970, 600}}}, -1, {0}, {525, 600},
         {{250, 600, "036000"}, {750, 600, "291452"}}, {14, 0}},
        {"UPC-A check digit 0 from the eleventh code", DrawUpcA, "00000000000", {0, 0, 990, 600}, 75, {}, -1, {0},
         {525, 600}, {{250, 600, "000000"}, {750, 600, "000000"}}, {14, 0}},
        {"UPC-A without text leaves the alignment alone", DrawUpcA, "03600029145", {0, 0, 99, 50}, 0,
         {{0, {2, 0, 3, 50}}, {-1, {96, 0, 97, 50}}}, -1, {0}, {50}, {}, {}},
        {"UPC-A narrower than its box: empty bars at the left", DrawUpcA, "03600029145", {7, 0, 105, 50}, 0,
         {{0, {7, 0, 7, 50}}, {-1, {7, 0, 7, 50}}}, -1, {0}, {50}, {}, {}},
        {"EAN-5 490x200", DrawEan5, "52495", {100, 200, 590, 400}, 25,
         {{0, {100, 225, 110, 395}}, {1, {120, 225, 140, 395}}}, -1, {225}, {395},
         Chars("52495", {180, 270, 360, 450, 540}, 200), {6, AnyAlign}},
        {"EAN-5 without text", DrawEan5, "52495", {100, 200, 590, 400}, 0, {{0, {100, 200, 110, 395}}}, -1, {200},
         {395}, {}, {6, AnyAlign}},
        {"EAN-5 narrower than its box", DrawEan5, "52495", {100, 200, 148, 400}, 25, {}, 0, {}, {},
         Chars("52495", std::vector<int>(5, 100), 200), {6, AnyAlign}},
        {"EAN-2 220x100", DrawEan2, "34", {0, 0, 220, 100}, 10,
         {{0, {0, 10, 10, 98}}, {1, {20, 10, 40, 98}}, {-1, {180, 10, 200, 98}}}, -1, {10}, {98},
         Chars("34", {80, 170}, 0), {6, AnyAlign}},
        {"2 of 5 \"12\"", Weighted(DrawInterleaved2of5, 1, 3), "12", {0, 0, 100, 50}, 10,
         All({{0, 0, 3, 40}, {6, 0, 9, 40}, {12, 0, 21, 40}, {24, 0, 27, 40}, {36, 0, 39, 40}, {42, 0, 45, 40},
              {48, 0, 57, 40}, {66, 0, 75, 40}, {78, 0, 81, 40}}),
         9, {0}, {40}, {{12, 40, "12"}}, {}},
        {"2 of 5 \"1234\" from x 10", Weighted(DrawInterleaved2of5, 1, 3), "1234", {10, 0, 400, 80}, 10,
         {{-1, {362, 0, 370, 70}}}, -1, {0}, {70}, {{42, 70, "12"}, {186, 70, "34"}}, {}},
        {"2 of 5 weights 2 and 5", Weighted(DrawInterleaved2of5, 2, 5), "12", {0, 0, 98, 50}, 10,
         {{0, {0, 0, 4, 40}}, {1, {8, 0, 12, 40}}, {2, {16, 0, 26, 40}}, {-1, {94, 0, 98, 40}}}, 9, {0}, {40},
         {{16, 40, "12"}}, {}},
        {"2 of 5 without text", Weighted(DrawInterleaved2of5, 1, 3), "12", {0, 0, 100, 50}, 0, {}, 9, {0}, {50}, {}, {}},
        {"2 of 5 narrower than its steps: unit 0", Weighted(DrawInterleaved2of5, 1, 3), "12", {0, 0, 26, 50}, 10,
         {{0, {0, 0, 0, 40}}, {-1, {0, 0, 0, 40}}}, 9, {0}, {40}, {{0, 40, "12"}}, {}},
        {"Code 39 \"A\"", Weighted(DrawCode39, 1, 3), "A", {0, 0, 100, 50}, 10,
         All({{0, 0, 2, 40}, {8, 0, 10, 40}, {12, 0, 18, 40}, {20, 0, 26, 40}, {28, 0, 30, 40}, {32, 0, 38, 40},
              {40, 0, 42, 40}, {44, 0, 46, 40}, {52, 0, 54, 40}, {56, 0, 62, 40}, {64, 0, 66, 40}, {72, 0, 74, 40},
              {76, 0, 82, 40}, {84, 0, 90, 40}, {92, 0, 94, 40}}),
         15, {0}, {40}, {{32, 40, "A"}}, {}},
        {"Code 39 empty text: start and stop", Weighted(DrawCode39, 1, 3), "", {0, 0, 100, 50}, 10,
         {{-1, {90, 0, 93, 40}}}, 10, {0}, {40}, {}, {}},
        {"Code 39 unit raised to 1 beyond the rectangle", Weighted(DrawCode39, 1, 3), "AB", {0, 0, 40, 50}, 0,
         {{-1, {62, 0, 63, 50}}}, 20, {0}, {50}, {}, {}},
        {"Codabar A1B", DrawCodabar, "A1B", {0, 0, 320, 100}, 20,
         All({{0, 0, 10, 80}, {20, 0, 40, 80}, {60, 0, 70, 80}, {90, 0, 100, 80}, {110, 0, 120, 80}, {130, 0, 140, 80},
              {150, 0, 170, 80}, {190, 0, 200, 80}, {210, 0, 220, 80}, {240, 0, 250, 80}, {270, 0, 280, 80},
              {290, 0, 310, 80}}),
         12, {0}, {80}, Chars("A1B", {50, 160, 260}, 100), {14, AnyAlign}},
        {"Codabar a1b: same bars, its own case shown", DrawCodabar, "a1b", {0, 0, 330, 100}, 20,
         {{0, {0, 0, 10, 80}}, {-1, {290, 0, 310, 80}}}, 12, {0}, {80}, Chars("a1b", {50, 160, 260}, 100),
         {14, AnyAlign}},
        {"Codabar without text", DrawCodabar, "A1B", {0, 0, 320, 100}, 0, {}, 12, {0}, {100}, {}, {14, AnyAlign}},
        {"Codabar unit 0", DrawCodabar, "A1B", {0, 0, 20, 100}, 20, {{0, {0, 0, 0, 80}}, {-1, {0, 0, 0, 80}}}, 12, {0},
         {80}, Chars("A1B", {0, 0, 0}, 100), {14, AnyAlign}},
        {"ISBN header and the EAN-13 below it", DrawIsbnSymbol, "1-234567-89-X", {0, 0, 1070, 400}, 20,
         {{0, {80, 30, 90, 376}}}, -1, {30}, {376, 380},
         IsbnTexts("ISBN 1-234567-89-X"),
         {6, AnyAlign, 14, AnyAlign}},
        {"ISBN with text height 7", DrawIsbnSymbol, "123456789X", {0, 0, 1070, 400}, 7, {{0, {80, 10, 90, 374}}}, -1,
         {10}, {374, 393}, IsbnTexts("ISBN 123456789X"), {6, AnyAlign, 14, AnyAlign}},
    };
    return cases;
}

TEST(Layout, WorkedExamples)
{
    for (const auto& c : Layouts()) {
        SCOPED_TRACE(c.name);
        int result = 0;
        const wmf::Metafile m = Record(c, &result);
        ASSERT_EQ(m.error, "");
        EXPECT_EQ(result, 1);
        const auto rects = wmf::Rectangles(m);
        if (c.rectCount >= 0) {
            EXPECT_EQ(static_cast<int>(rects.size()), c.rectCount);
        }
        for (const auto& at : c.rects) {
            const int i = at.index < 0 ? static_cast<int>(rects.size()) + at.index : at.index;
            ASSERT_TRUE(i >= 0 && i < static_cast<int>(rects.size())) << "no bar " << at.index;
            EXPECT_EQ(rects[i], at.rect) << "bar " << at.index << "\n" << wmf::Describe(m);
        }
        std::set<int> tops, bottoms;
        for (const auto& r : rects) tops.insert(r.top), bottoms.insert(r.bottom);
        EXPECT_EQ(tops, c.tops);
        EXPECT_EQ(bottoms, c.bottoms);
        const auto texts = wmf::Texts(m);
        EXPECT_EQ(texts, c.texts) << wmf::Describe(m);
        const auto aligns = wmf::TextAligns(m);
        ASSERT_EQ(aligns.size(), c.aligns.size());
        for (std::size_t i = 0; i < aligns.size(); ++i)
            if (c.aligns[i] != AnyAlign) {
                EXPECT_EQ(aligns[i], c.aligns[i]) << "alignment " << i;
            }
    }
}

// Twelve digits and thirteen draw the same: the check digit is always computed.
TEST(Layout, CheckDigitAlwaysComputed)
{
    struct Pair {
        Renderer draw;
        const char* computed;
        const char* given;
    };
    const Pair pairs[] = {
        {DrawEan13, "400638133393", "4006381333931"},
        {DrawEan13, "400638133393", "4006381333930"}, // a wrong thirteenth digit is never read
        {DrawEan8, "9638507", "96385074"},
    };
    for (const auto& p : pairs) {
        int result = 0;
        const auto a = Record({"", p.draw, p.computed, {0, 0, 1070, 600}, 75, {}, -1, {}, {}, {}, {}}, &result);
        const auto b = Record({"", p.draw, p.given, {0, 0, 1070, 600}, 75, {}, -1, {}, {}, {}, {}}, &result);
        EXPECT_EQ(a.bytes, b.bytes) << p.computed << " / " << p.given;
    }
}

// The module writer: one rectangle per bar for EAN, one per dark module for UPC-A.
TEST(Layout, ModuleWriter)
{
    const RECT box{0, 0, 1070, 100};
    const RECT reversed{1070, 0, 0, 100};
    auto on = [](HDC h, const RECT& r, bool perModule) {
        return ModuleBox{h, &r, ModuleWidth(&r, 107), perModule, false, 0, 0};
    };
    struct Writer {
        const char* name;
        std::function<void(HDC)> draw;
        std::vector<wmf::Rect> rects;
    };
    const Writer cases[] = {
        {"normal guard at module 8", [&](HDC h) { DrawModules(on(h, box, false), NormalGuard, 8, 0); },
         {{80, 0, 90, 100}, {100, 0, 110, 100}}},
        {"set C of 0: runs of three and one",
         [&](HDC h) { DrawModules(on(h, box, false), {EanDigits[0].codes[SetC], 7}, 0, -10); },
         {{0, 0, 30, 90}, {50, 0, 60, 90}}},
        {"set C of 0, a rectangle per module",
         [&](HDC h) { DrawModules(on(h, box, true), {EanDigits[0].codes[SetC], 7}, 2, 0); },
         {{20, 0, 30, 100}, {30, 0, 40, 100}, {40, 0, 50, 100}, {70, 0, 80, 100}}},
        {"narrower than the box: a rectangle per module still drawn, empty",
         [&](HDC h) {
             const RECT narrow{5, 0, 100, 100};
             DrawModules(on(h, narrow, true), NormalGuard, 0, 0);
             DrawModules(on(h, narrow, false), NormalGuard, 0, 0);
         },
         {{5, 0, 5, 100}, {5, 0, 5, 100}}},
        {"reversed rectangle: still from left towards increasing x",
         [&](HDC h) { DrawModules(on(h, reversed, false), NormalGuard, 0, 0); },
         {{1070, 0, 1080, 100}, {1090, 0, 1100, 100}}},
        {"add-on digits 1 and 2 in sets B and A, a separator between",
         [&](HDC h) { DrawDigits(on(h, box, false), {"12", 2, SetA, 0b10, AddOnSeparator}, 0, 0); },
         {{10, 0, 30, 100}, {50, 0, 70, 100}, {80, 0, 90, 100}, {110, 0, 120, 100}, {140, 0, 160, 100}}},
    };
    for (const auto& c : cases) {
        RotationState = {};
        HDC dc = CreateMetaFileA(nullptr);
        c.draw(dc);
        EXPECT_EQ(wmf::Rectangles(wmf::CloseAndParse(dc)), c.rects) << c.name;
    }
}

} // namespace
