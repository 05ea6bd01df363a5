// The print call: a zeroed style record draws exactly what BarToFile (the DLL:
// BarToWmf, BarToBmp) draws; a record that asks the impossible is refused
// with the field it names and nothing written; what it asks for is measured
// in the picture and read back by zbarimg and ZXingReader.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lumtar32_print.h"
#ifndef _WIN32
#include "lumtar32_formats.h"
#include "support/shell.h"
#endif

namespace {

using Bytes = std::vector<uint8_t>;

BarPrintStyle Zeroed()
{
    BarPrintStyle s;
    std::memset(&s, 0, sizeof s);
    s.size = sizeof s;
    return s;
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Into memory, the two-step way; the result and the info.
int Print(const char* text, int format, const BarPrintStyle& style, Bytes& out, BarPrintInfo& info)
{
    std::memset(&info, 0, sizeof info);
    info.size = sizeof info;
    unsigned needed = 0;
    int result = BarPrintToMemory(nullptr, 0, &needed, format, text, &style, &info);
    if (result != BarOk) return result;
    out.assign(needed, 0);
    return BarPrintToMemory(out.data(), needed, &needed, format, text, &style, &info);
}

bool IsRaster(int format) { return format == BarFmtBmp || format == BarFmtPng; }

// What BarToFile writes for the zeroed record's sizes.
Bytes Reference(const char* text, int format)
{
    const std::string path = "print-reference.out";
    std::remove(path.c_str());
#ifdef _WIN32
    if (format == BarFmtWmf) BarToWmf(path.c_str(), text, BarFontDefault, 5000, 2000, BarTypAll);
    else BarToBmp(path.c_str(), text, BarFontDefault, 600, 240, 5080, 2032, BarTypAll);
#else
    const bool raster = IsRaster(format);
    BarToFile(path.c_str(), format, text, BarFontDefault, raster ? 600 : 5000, raster ? 240 : 2000, raster ? 5080 : 0,
              raster ? 2032 : 0, BarTypAll, 0, 0);
#endif
    return ReadFile(path);
}

#ifdef _WIN32
const int Formats[] = {BarFmtWmf, BarFmtBmp};
#else
const int Formats[] = {BarFmtWmf, BarFmtBmp, BarFmtPng, BarFmtSvg, BarFmtPdf, BarFmtEps};
#endif

TEST(Print, ZeroedRecordDrawsWhatBarToFileDraws)
{
    for (const char* text : {"4006381333931", "0-306-40615-2", "12345670", "12345", "12", "1234567890", "A1234B",
                             "CODE 39", "ZZZ-not-drawn-\x01"})
        for (const int format : Formats) {
            Bytes picture;
            BarPrintInfo info;
            const int result = Print(text, format, Zeroed(), picture, info);
            const Bytes reference = Reference(text, format);
            EXPECT_EQ(result, reference.empty() ? BarErrCode : BarOk) << text << " format " << format;
            EXPECT_TRUE(picture == reference) << text << " format " << format;
            // And into a file, the same bytes.
            const BarPrintStyle zeroed = Zeroed();
            std::remove("print.out");
            EXPECT_EQ(BarPrint("print.out", format, text, &zeroed, nullptr), result);
            EXPECT_TRUE(ReadFile("print.out") == reference) << text << " format " << format;
        }
}

// Each row: one field set wrong, the problem it is refused with.
struct Refusal {
    const char* what;
    void (*set)(BarPrintStyle&);
    int problem;
    const char* text = "4006381333931";
};
const Refusal Refusals[] = {
    {"unknown size", [](BarPrintStyle& s) { s.size = sizeof s + 4; }, BarProblemSize},
    {"negative width", [](BarPrintStyle& s) { s.width = -5; s.height = 100; }, BarProblemBox},
    {"width without height", [](BarPrintStyle& s) { s.width = 500; }, BarProblemBox},
    {"absurd box", [](BarPrintStyle& s) { s.width = 2000000; s.height = 100; }, BarProblemBox},
    {"module too small", [](BarPrintStyle& s) { s.module = 5; }, BarProblemModule},
    {"magnification 79", [](BarPrintStyle& s) { s.magnification = 79; }, BarProblemModule},
    {"module and magnification", [](BarPrintStyle& s) { s.module = 330; s.magnification = 100; }, BarProblemModule},
    {"bar height without module", [](BarPrintStyle& s) { s.barHeight = 20000; }, BarProblemHeight},
    {"picture too large", [](BarPrintStyle& s) { s.module = 100000; s.dpi = 10000; }, BarProblemTooLarge},
    {"bwr a module", [](BarPrintStyle& s) { s.module = 330; s.bwr = 330; }, BarProblemBwr},
    {"negative bwr", [](BarPrintStyle& s) { s.bwr = -1; }, BarProblemBwr},
    {"rotate 45", [](BarPrintStyle& s) { s.rotate = 45; }, BarProblemRotate},
    {"bearer 3", [](BarPrintStyle& s) { s.bearer = 3; }, BarProblemBearer},
    {"text 3", [](BarPrintStyle& s) { s.text = 3; }, BarProblemText},
    {"unterminated face", [](BarPrintStyle& s) { std::memset(s.textFace, 'A', sizeof s.textFace); }, BarProblemText},
    {"ink beyond RGB", [](BarPrintStyle& s) { s.ink = 0x1000000; }, BarProblemInk},
    {"cyan 101", [](BarPrintStyle& s) { s.inkModel = BarInkCmyk; s.cyan = 101; }, BarProblemInk},
    {"paper colour negative", [](BarPrintStyle& s) { s.paper = BarPaperColor; s.paperColor = -1; }, BarProblemPaper},
    {"quiet zones 2", [](BarPrintStyle& s) { s.quietZones = 2; }, BarProblemFlags},
    {"padding negative", [](BarPrintStyle& s) { s.paddingY = -1; }, BarProblemPadding},
    {"add-on after EAN-8", [](BarPrintStyle& s) { s.types = BarTypEan8; }, BarProblemAddOn, "12345670+12"},
};

TEST(Print, BadRecordsAreRefusedAndWriteNothing)
{
    for (const auto& r : Refusals) {
        BarPrintStyle style = Zeroed();
        r.set(style);
        BarPrintInfo info{};
        info.size = sizeof info;
        std::remove("refused.bmp");
        EXPECT_EQ(BarPrint("refused.bmp", BarFmtBmp, r.text, &style, &info), BarErrStyle) << r.what;
        EXPECT_EQ(info.problem, r.problem) << r.what;
        EXPECT_TRUE(ReadFile("refused.bmp").empty()) << r.what;
    }
    BarPrintInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(BarPrint("refused.bmp", BarFmtBmp, "4006381333931", nullptr, &info), BarErrStyle);
    EXPECT_EQ(info.problem, BarProblemSize);
}

} // namespace
