// Label sheets as a person checks a test print: every page drawn at 300 dpi
// by pdftoppm, every label cut out where the template says it is, its symbol
// read by zbarimg, its text lines by pdftotext, and its grey outline found
// within 0.2 mm of the template's edges. Besides: the built-in templates
// against glabels' data, a glabels file against the built-in sheet, and the
// tool's report of refused records.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "lumtar32_sheet.h"
#include "sheet/sheet.h"
#include "support/shell.h"

namespace {

using namespace lumtar::sheet;

const std::string Dir = std::string(LUMTAR_TEST_BINARY_DIR) + "/sheet-test";
constexpr double Dpi = 300, PxPerMm = Dpi / 25.4;

const char* const Records = "code,title,price,copies\n"
                            "4006381333931,Pencil,1.20,2\n"
                            "96385074,Eraser \xC3\xA4,0.50,1\n" // UTF-8 a-umlaut
                            "4006381333932,Wrong check digit,9.99,1\n"
                            "\"9781234567897\",\"Book, paper\",24.95,1\n";

struct Expected {
    long slot;             // on the first sheet
    const char* code;      // what zbarimg reads
    const char* title;     // above the symbol
};
// Two labels skipped; the pencil twice; line 4 refused, the book takes the next label.
constexpr Expected Labels[] = {{2, "EAN-13:4006381333931", "Pencil"}, {3, "EAN-13:4006381333931", "Pencil"},
                               {4, "EAN-8:96385074", "Eraser \xC3\xA4"}, {5, "EAN-13:9781234567897", "Book, paper"}};

std::vector<unsigned char> Sheet(BarSheetStyle style, BarSheetInfo& info, const char* records = Records)
{
    unsigned int needed = 0;
    std::vector<unsigned char> pdf;
    if (BarSheetToMemory(nullptr, 0, &needed, records, &style, &info) != BarOk) return pdf;
    pdf.resize(needed);
    EXPECT_EQ(BarSheetToMemory(pdf.data(), needed, &needed, records, &style, nullptr), BarOk);
    return pdf;
}

BarSheetStyle Style(const char* sheet)
{
    static const BarSheetLine lines[] = {{"title", 0, 1}, {"price", 3500, 0}};
    BarSheetStyle s{};
    s.size = sizeof s;
    s.sheet = sheet;
    s.labelMargin = -1;
    s.lineCount = 2;
    s.lines = lines;
    return s;
}

// A grey level image from pdftoppm: the first page's region x, y, w, h in pixels.
std::vector<int> Cut(const std::string& pdf, int x, int y, int w, int h, const std::string& name)
{
    Shell("pdftoppm -r 300 -gray -f 1 -l 1 -singlefile -x " + std::to_string(x) + " -y " + std::to_string(y) + " -W " +
          std::to_string(w) + " -H " + std::to_string(h) + " '" + pdf + "' '" + name + "'");
    std::ifstream in(name + ".pgm", std::ios::binary);
    std::string magic;
    int width = 0, height = 0, max = 0;
    in >> magic >> width >> height >> max;
    in.get();
    std::vector<int> pixels;
    for (char c; pixels.size() < static_cast<size_t>(width) * height && in.get(c);) pixels.push_back(static_cast<unsigned char>(c));
    return width == w && height == h ? pixels : std::vector<int>{};
}

// The first column (from the left, or right) and row (from the top, or bottom)
// where the grey outline runs along most of the cut: its pixel, -1 when none.
int Edge(const std::vector<int>& px, int w, int h, bool columns, bool fromEnd)
{
    const int n = columns ? w : h, along = columns ? h : w;
    for (int k = 0; k < n; ++k) {
        const int i = fromEnd ? n - 1 - k : k;
        int dark = 0;
        for (int j = 0; j < along; ++j) dark += px[static_cast<size_t>(columns ? j * w + i : i * w + j)] < 200;
        if (dark > along / 2) return i;
    }
    return -1;
}

TEST(Sheet, EveryLabelDecodesWhereTheTemplatePutsIt)
{
    if (!HaveProgram("pdftoppm") || !HaveProgram("pdftotext") || !HaveProgram("zbarimg")) GTEST_SKIP() << "poppler-utils, zbar-tools";
    std::system(("mkdir -p '" + Dir + "'").c_str());
    for (const double offset : {0.0, 1.5}) {
        BarSheetStyle style = Style("Avery L7160");
        style.types = BarTypEan13 | BarTypEan8; // the wrong check digit makes no Code 39
        style.skip = 2, style.outline = 1, style.offsetX = style.offsetY = static_cast<int>(offset * 1000);
        BarSheetInfo info{};
        info.size = sizeof info;
        const auto pdf = Sheet(style, info);
        ASSERT_FALSE(pdf.empty());
        EXPECT_EQ(info.labels, 4);
        EXPECT_EQ(info.refused, 1);
        const std::string file = Dir + "/l7160.pdf";
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(pdf.data()), static_cast<long>(pdf.size()));
        Template t;
        ASSERT_TRUE(BuiltinTemplate("L7160", t));
        for (const Expected& e : Labels) {
            SCOPED_TRACE(std::string(e.code) + " offset " + std::to_string(offset));
            const Slot s = SlotsOf(t)[static_cast<size_t>(e.slot)];
            // The label and a millimetre around it, where the outline must be.
            const int x = static_cast<int>(std::floor((s.x + offset - 1) * PxPerMm)), y = static_cast<int>(std::floor((s.y + offset - 1) * PxPerMm));
            const int w = static_cast<int>((t.width + 2) * PxPerMm), h = static_cast<int>((t.height + 2) * PxPerMm);
            const std::string cut = Dir + "/label";
            const auto px = Cut(file, x, y, w, h, cut);
            ASSERT_FALSE(px.empty());
            EXPECT_EQ(Shell("zbarimg -q --nodbus '" + cut + ".pgm'"), std::string(e.code) + "\n");
            const std::string text = Shell("pdftotext -r 300 -x " + std::to_string(x) + " -y " + std::to_string(y) + " -W " +
                                           std::to_string(w) + " -H " + std::to_string(h) + " '" + file + "' -");
            EXPECT_NE(text.find(e.title), std::string::npos) << text;
            const double found[4] = {x + Edge(px, w, h, true, false) + 0.5, y + Edge(px, w, h, false, false) + 0.5,
                                     x + Edge(px, w, h, true, true) + 0.5, y + Edge(px, w, h, false, true) + 0.5};
            const double edges[4] = {s.x + offset, s.y + offset, s.x + offset + t.width, s.y + offset + t.height};
            for (int k = 0; k < 4; ++k) EXPECT_NEAR(found[k] / PxPerMm, edges[k], 0.2) << "edge " << k;
        }
    }
}

TEST(Sheet, GlabelsFileAndBuiltinGiveTheSamePdf)
{
    const std::string file = Dir + "/l7160.xml";
    std::system(("mkdir -p '" + Dir + "'").c_str());
    std::ofstream(file) << "<?xml version=\"1.0\"?>\n<Glabels-templates>\n"
                           "  <Template brand=\"Avery\" part=\"7160\" size=\"A4\" _description=\"Address labels\">\n"
                           "    <Label-rectangle id=\"0\" width=\"63.5mm\" height=\"1.5in\" round=\"1.76mm\">\n"
                           "      <Markup-margin size=\"1.76mm\"/>\n"
                           "      <Layout nx=\"3\" ny=\"7\" x0=\"7.21mm\" y0=\"15.15mm\" dx=\"66.04mm\" dy=\"108pt\"/>\n"
                           "    </Label-rectangle>\n  </Template>\n"
                           "  <Template brand=\"Avery\" part=\"L7160\" equiv=\"7160\"/>\n</Glabels-templates>\n";
    BarSheetInfo a{}, b{};
    a.size = b.size = sizeof a;
    BarSheetStyle fromFile = Style("L7160");
    fromFile.sheetFile = file.c_str();
    const auto builtin = Sheet(Style("Avery L7160"), a), read = Sheet(fromFile, b);
    ASSERT_FALSE(builtin.empty());
    EXPECT_TRUE(builtin == read);
}

// The built-in geometry (the vendors') beside glabels-data's for the same part:
// the same grid, label sizes within 0.6 mm (glabels rounds to points).
TEST(Sheet, BuiltinTemplatesAgreeWithGlabelsData)
{
    std::ifstream probe(std::string(GlabelsFolder) + "/avery-iso-templates.xml");
    if (!probe) GTEST_SKIP() << "glabels-data is not installed";
    const std::vector<Template> installed = InstalledTemplates();
    for (const Template& b : BuiltinTemplates()) {
        SCOPED_TRACE(b.name);
        const auto g = std::find_if(installed.begin(), installed.end(), [&](const Template& t) { return t.name == b.name; });
        ASSERT_NE(g, installed.end());
        ASSERT_EQ(g->layouts.size(), 1u);
        EXPECT_EQ(g->layouts[0].nx, b.layouts[0].nx);
        EXPECT_EQ(g->layouts[0].ny, b.layouts[0].ny);
        EXPECT_NEAR(g->width, b.width, 0.6);
        EXPECT_NEAR(g->height, b.height, 0.6);
        EXPECT_NEAR(g->pageHeight, b.pageHeight, 0.1);
    }
}

TEST(Sheet, ToolReportsRefusedRecordsByLineAndGoesOn)
{
    const std::string tool = std::string(LUMTAR_TEST_BINARY_DIR) + "/tools/lumtar";
    std::system(("mkdir -p '" + Dir + "'").c_str());
    std::ofstream(Dir + "/records.tsv") << "title\tcode\ttypes\nA\t4006381333931\t\nB\tno code!\t\n\nC\t12345670\t\n"
                                           "D\tCODE 39 FAR TOO WIDE\tcode39\n";
    const std::string out = Shell("'" + tool + "' sheet -i '" + Dir + "/records.tsv' -o '" + Dir + "/t.pdf' --template 5160 "
                                  "--start 2,3 --types 6 2>&1; echo status $?");
    EXPECT_NE(out.find("line 3: 'no code!' fits none of the types"), std::string::npos) << out;
    EXPECT_NE(out.find("line 6: 'CODE 39 FAR TOO WIDE' drawn at an X-dimension of 0.1"), std::string::npos) << out;
    EXPECT_NE(out.find("3 labels on 1 sheet"), std::string::npos) << out;
    EXPECT_NE(out.find("; 1 record refused"), std::string::npos) << out;
    EXPECT_NE(out.find("status 1"), std::string::npos) << out;
}

} // namespace
#endif
