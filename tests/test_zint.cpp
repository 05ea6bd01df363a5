// Every symbology's modules, read back from a monochrome bitmap drawn at one
// logical unit per module without text, against zint, an independent
// implementation of the same standards. The expected rows were produced by
//   zint -b <barcode> -d <data> --dump
// (zint 2.11.1; hex digits expanded to modules, trailing light modules
// dropped). Natively the table itself is checked against zint when it is on
// the PATH.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lumtar32.h"
#include "lumtar32_gdi.h"

namespace {

struct ZintCase {
    const char* text;
    int types;
    int width;      // one unit per module: the box, or the symbol's steps
    int narrow, wide;
    int zintBarcode; // zint -b
    const char* modules;
};

// Codabar and Code 39 at wide = 2 narrow, as zint draws them; Interleaved
// 2 of 5 at 3.
constexpr ZintCase Cases[] = {
    {"4006381333931", BarTypEan13, 107, 0, 0, 13, "10100011010100111010111101111010001001011001101010100001010000101000010111010010000101100110101"},
    {"012345678905", BarTypEan13, 107, 0, 0, 13, "10100110010010011011110101000110110001010111101010100010010010001110100111001010011101110010101"},
    {"5901234123457", BarTypEan13, 107, 0, 0, 13, "10100010110100111011001100100110111101001110101010110011011011001000010101110010011101000100101"},
    {"123456789X", BarTypIsbn, 107, 0, 0, 13, "10101110110001001011001100100110100001010001101010100111010100001000100100100011101001000100101"}, // zint: 978123456789
    {"9638507", BarTypEan8, 67, 0, 0, 13, "1010001011010111101111010110111010101001110111001010001001011100101"},
    {"96385074", BarTypEan8, 67, 0, 0, 13, "1010001011010111101111010110111010101001110111001010001001011100101"}, // zint: 9638507
    {"12345670", BarTypEan8, 67, 0, 0, 13, "1010011001001001101111010100011010101001110101000010001001110010101"}, // zint: 1234567
    {"03600029145", BarTypUpc12, 99, 0, 0, 34, "10100011010111101010111100011010001101000110101010110110011101001100110101110010011101101100101"},
    {"12345678901", BarTypUpc12, 99, 0, 0, 34, "10100110010010011011110101000110110001010111101010100010010010001110100111001011001101101100101"},
    {"00000000000", BarTypUpc12, 99, 0, 0, 34, "10100011010001101000110100011010001101000110101010111001011100101110010111001011100101110010101"},
    {"52495", BarTypEan5, 49, 0, 0, 13, "10110111001010010011010011101010001011010110001"},
    {"00006", BarTypEan5, 49, 0, 0, 13, "10110001101010100111010001101010001101010000101"},
    {"00003", BarTypEan5, 49, 0, 0, 13, "10110001101010001101010100111010001101010100001"},
    {"12345", BarTypEan5, 49, 0, 0, 13, "10110110011010010011010100001010100011010110001"},
    {"00", BarTypEan2, 22, 0, 0, 13, "10110001101010001101"},
    {"01", BarTypEan2, 22, 0, 0, 13, "10110001101010110011"},
    {"34", BarTypEan2, 22, 0, 0, 13, "10110100001010100011"},
    {"99", BarTypEan2, 22, 0, 0, 13, "10110010111010010111"},
    {"12", BarTyp2aus5, 27, 1, 3, 3, "101011101000101011100011101"},
    {"1234", BarTyp2aus5, 45, 1, 3, 3, "101011101000101011100011101110100010100011101"},
    {"0123456789", BarTyp2aus5, 99, 1, 3, 3, "101010001011101110100010001110001010111010001011100010111010111011101000100011101000101110001011101"},
    {"A", BarTyp3aus9, 38, 1, 2, 8, "10010110110101101010010110100101101101"},
    {"CODE 39", BarTyp3aus9, 116, 1, 2, 8, "10010110110101101101001010110101101001010101100101101101011001010100110101101011011001010101011001011010100101101101"},
    {"-. $/+%", BarTyp3aus9, 116, 1, 2, 8, "10010110110101001010110110110010101101010011010110101001001001010100100101001010010100100101010010010010100101101101"},
    {"0123456789", BarTyp3aus9, 155, 1, 2, 8, "10010110110101010011011010110100101011010110010101101101100101010101001101011011010011010101011001101010101001011011011010010110101011001011010100101101101"},
    {"A1B", BarTypCodabar, 32, 0, 0, 18, "1011001001010101100101001001011"},
    {"A40156B", BarTypCodabar, 72, 0, 0, 18, "10110010010101101001010101001101010110010110101001010010101101001001011"},
    {"C-$:/.+D", BarTypCodabar, 86, 0, 0, 18, "1010010011010100110101011001010110101101101101101011011011011010101101101101010011001"},
    {"D0123456789A", BarTypCodabar, 122, 0, 0, 18, "1010011001010101001101010110010101001011011001010101011010010110101001010010101101001011010100110101011010010101011001001"},
};

std::string Trimmed(const std::string& s)
{
    const auto first = s.find('1');
    if (first == std::string::npos) return "";
    return s.substr(first, s.rfind('1') - first + 1);
}

// A white monochrome bitmap with the symbol drawn into all of it.
struct Drawing {
    int width, height, stride;
    std::vector<uint8_t> bits; // bottom-up rows
    bool black[2];             // palette: index -> black
    bool Black(int x, int yFromTop) const
    {
        const int line = height - 1 - yFromTop;
        return black[(bits[line * stride + x / 8] >> (7 - x % 8)) & 1];
    }
};

Drawing Draw(const char* text, int types, int width, int height, int narrow, int wide)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(width, height, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    Bar2HdcEx(dc, text, &all, BarFontNone, types, narrow, wide);
    SelectObject(dc, old);

    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    Drawing d{width, height, (width + 31) / 32 * 4, {}, {}};
    d.bits.resize(static_cast<std::size_t>(d.stride) * height);
    const int lines = GetDIBits(dc, bitmap, 0, height, d.bits.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    EXPECT_EQ(lines, height);
    for (int i = 0; i < 2; ++i) d.black[i] = info.colors[i].rgbRed == 0;
    DeleteObject(bitmap);
    DeleteDC(dc);
    return d;
}

std::string Row(const Drawing& d, int y)
{
    std::string s;
    for (int x = 0; x < d.width; ++x) s += d.Black(x, y) ? '1' : '0';
    return s;
}

TEST(Zint, ModulesAgree)
{
    for (const auto& c : Cases) {
        // Upright and tall enough that the row below the ISBN header crosses every bar.
        const int height = std::min(c.width, 80);
        const Drawing d = Draw(c.text, c.types, c.width, height, c.narrow, c.wide);
        EXPECT_EQ(Trimmed(Row(d, height * 7 / 8)), c.modules) << c.text << " as type " << c.types;
    }
}

// Drawn turned, the symbol runs up the bitmap: read bottom to top it is the
// same row, read top to bottom it would be mirrored (EAN-8 is not symmetric).
TEST(Zint, TurnedSymbolRunsUpwards)
{
    const Drawing d = Draw("96385074", BarTypEan8, 20, 67, 0, 0);
    std::string upwards;
    for (int y = d.height - 1; y >= 0; --y) upwards += d.Black(10, y) ? '1' : '0';
    EXPECT_EQ(upwards, "1010001011010111101111010110111010101001110111001010001001011100101");
}

// Offsets past 65535 units: the Codabar A1B at 2187 units per step.
TEST(Zint, WideCodabarKeepsItsLayout)
{
    const auto a1b = std::find_if(std::begin(Cases), std::end(Cases), [](const ZintCase& c) { return std::string(c.text) == "A1B"; });
    ASSERT_NE(a1b, std::end(Cases));
    const int unit = 70000 / a1b->width;
    const Drawing d = Draw("A1B", BarTypCodabar, 70000, 10, 0, 0);
    std::string expected;
    for (char m : std::string(a1b->modules)) expected.append(unit, m);
    EXPECT_TRUE(Row(d, 5) == expected + std::string(70000 - expected.size(), '0')) << "A1B 70000 units wide";
}

#ifndef _WIN32
// The table is what zint says today.
TEST(Zint, TableMatchesZint)
{
    if (std::system("zint --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "zint not on PATH";
    for (const auto& c : Cases) {
        std::string data = c.text;
        if (c.types == BarTypIsbn) data = "978123456789";
        if (c.types == BarTypEan8) data = data.substr(0, 7);
        const std::string command = "zint -b " + std::to_string(c.zintBarcode) + " --dump -d '" + data + "'";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string modules;
        for (int ch; (ch = std::fgetc(pipe)) != EOF;) {
            const int v = ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10 : -1;
            for (int bit = 3; v >= 0 && bit >= 0; --bit) modules += (v >> bit) & 1 ? '1' : '0';
        }
        pclose(pipe);
        EXPECT_EQ(Trimmed(modules), c.modules) << command;
    }
}
#endif

} // namespace
