// A corpus over every symbology and its characters, written as WMF and BMP
// files and checked by others than us:
// - the files equal the goldens in tests/golden/output/, which the Windows
//   build wrote under Wine (real GDI); both builds compare against them;
// - natively, zbarimg and ZXingReader decode the BMP files of this build and
//   the goldens to exactly the data each symbol must carry, and the WMF files
//   decode the same way after an independent player (wmf2gd) has drawn them;
// - the EAN add-ons, which those readers do not take alone, match zint's modules.
//
// LUMTAR_UPDATE_GOLDEN=1 in the environment of the Windows build's run writes
// the goldens afresh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "lumtar32.h"
#ifndef _WIN32
#include "support/shell.h"
#endif

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

enum Family { Ean, Itf, Code39, Codabar, AddOn };

struct Sample {
    const char* name;
    const char* text;
    int types;
    const char* data; // what a reader must return: EAN and UPC as 13 digits, Codabar with its start and stop
    Family family;
    int width, height; // BMP pixels; the WMF picture is ten times as large in 0.01 mm
};

// Widths are whole multiples of each symbol's unit count, so the bars fall on whole pixels.
const Sample Corpus[] = {
    // ISBN: with and without hyphens, with an X check; drawn and read as its 978 EAN-13
    {"isbn-hyphens", "0-306-40615-2", BarTypIsbn, "9780306406157", Ean, 428, 200},
    {"isbn-plain", "3866400012", BarTypIsbn, "9783866400016", Ean, 428, 200},
    {"isbn-x-plain", "080442957X", BarTypIsbn, "9780804429573", Ean, 428, 200},
    {"isbn-x-hyphens", "0-8044-2957-X", BarTypAll, "9780804429573", Ean, 428, 200},
    // EAN-13: every leading digit (it selects the parity of the left half)
    {"ean13-0", "0400638133390", BarTypEan13, "0400638133390", Ean, 428, 160},
    {"ean13-1", "1123456789011", BarTypEan13, "1123456789011", Ean, 428, 160},
    {"ean13-2", "2987654321096", BarTypEan13, "2987654321096", Ean, 428, 160},
    {"ean13-3", "3500000000002", BarTypEan13, "3500000000002", Ean, 428, 160},
    {"ean13-4", "4314159265354", BarTypEan13, "4314159265354", Ean, 428, 160},
    {"ean13-5", "5271828182840", BarTypEan13, "5271828182840", Ean, 428, 160},
    {"ean13-6", "6161803398870", BarTypEan13, "6161803398870", Ean, 428, 160},
    {"ean13-7", "7000000001239", BarTypEan13, "7000000001239", Ean, 428, 160},
    {"ean13-8", "8999999999995", BarTypEan13, "8999999999995", Ean, 428, 160},
    {"ean13-9", "9555555555556", BarTypEan13, "9555555555556", Ean, 428, 160},
    {"ean13-check-computed", "400638133393", BarTypAll, "4006381333931", Ean, 428, 160},
    // EAN-8, given whole and with the check digit computed
    {"ean8", "96385074", BarTypEan8, "96385074", Ean, 300, 120},
    {"ean8-check-computed", "5512345", BarTypEan8, "55123457", Ean, 300, 120},
    // UPC-A: 11 digits in, the check digit computed
    {"upca-1", "03600029145", BarTypUpc12, "0036000291452", Ean, 428, 160},
    {"upca-2", "12345678901", BarTypAll, "0123456789012", Ean, 428, 160},
    // Interleaved 2 of 5: all ten digits in both positions of a pair
    {"itf-10", "1234567890", BarTyp2aus5, "1234567890", Itf, 600, 120},
    {"itf-14", "09876543210123", BarTyp2aus5, "09876543210123", Itf, 800, 120},
    // Code 39: all 43 characters
    {"code39-digits", "0123456789", BarTyp3aus9, "0123456789", Code39, 720, 120},
    {"code39-a-m", "ABCDEFGHIJKLM", BarTyp3aus9, "ABCDEFGHIJKLM", Code39, 900, 120},
    {"code39-n-z", "NOPQRSTUVWXYZ", BarTyp3aus9, "NOPQRSTUVWXYZ", Code39, 900, 120},
    {"code39-signs", "CODE 39-. $/+%", BarTyp3aus9, "CODE 39-. $/+%", Code39, 960, 120},
    // Codabar: every start/stop letter, upper and lower case, at both ends; all signs
    {"codabar-a-b", "A0123456789B", BarTypCodabar, "A0123456789B", Codabar, 800, 120},
    {"codabar-c-d", "C-$:/.+D", BarTypCodabar, "C-$:/.+D", Codabar, 700, 120},
    {"codabar-b-a", "B4015A", BarTypCodabar, "B4015A", Codabar, 600, 120},
    {"codabar-d-c", "D31117C", BarTypCodabar, "D31117C", Codabar, 600, 120},
    {"codabar-lower-a-b", "a40156b", BarTypCodabar, "A40156B", Codabar, 600, 120},
    {"codabar-lower-c-d", "c1234d", BarTypCodabar, "C1234D", Codabar, 600, 120},
    {"codabar-lower-b-a", "b5678a", BarTypCodabar, "B5678A", Codabar, 600, 120},
    {"codabar-lower-d-c", "d90$c", BarTypCodabar, "D90$C", Codabar, 600, 120},
    // EAN add-ons alone: no reader takes them, zint's modules are the reference
    {"ean5", "52495", BarTypEan5, "52495", AddOn, 300, 120},
    {"ean2", "12", BarTypEan2, "12", AddOn, 200, 120},
    {"ean2-05", "05", BarTypEan2, "05", AddOn, 200, 120},
};

// The three files of a sample: WMF and BMP with the default font, BMP without text.
struct Files {
    std::string wmf, bmp, bars;
};

Files In(const std::string& dir, const Sample& s)
{
    return {dir + "/" + s.name + ".wmf", dir + "/" + s.name + ".bmp", dir + "/" + s.name + "-notext.bmp"};
}

std::string GoldenDir() { return std::string(LUMTAR_TEST_SOURCE_DIR) + "/tests/golden/output"; }

std::string CorpusDir()
{
    const std::string dir = std::string(LUMTAR_TEST_BINARY_DIR) + "/corpus";
    fs::create_directories(dir);
    return dir;
}

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Dword(const Bytes& b, std::size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }

void Write(const std::string& dir, const Sample& s)
{
    const Files f = In(dir, s);
    ASSERT_EQ(BarToWmf(f.wmf.c_str(), s.text, BarFontDefault, s.width * 10, s.height * 10, s.types), BarOk) << s.name;
    ASSERT_EQ(BarToBmp(f.bmp.c_str(), s.text, BarFontDefault, s.width, s.height, s.width * 10, s.height * 10, s.types), BarOk)
        << s.name;
    ASSERT_EQ(BarToBmp(f.bars.c_str(), s.text, BarFontNone, s.width, s.height, s.width * 10, s.height * 10, s.types), BarOk)
        << s.name;
}

// Rows of a BMP file, top row first.
std::vector<Bytes> Rows(const Bytes& file)
{
    std::vector<Bytes> rows;
    if (file.size() < 62) return rows;
    const int height = static_cast<int32_t>(Dword(file, 22));
    const std::size_t stride = Dword(file, 34) / std::max(height, 1);
    for (int y = height - 1; y >= 0; --y) {
        const std::size_t at = 62 + std::size_t(y) * stride;
        if (at + stride > file.size()) return {};
        rows.emplace_back(file.begin() + at, file.begin() + at + stride);
    }
    return rows;
}

std::string FirstDifference(const Bytes& actual, const Bytes& expected)
{
    if (actual == expected) return "";
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
    return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) + ", first difference at byte " +
           std::to_string(i);
}

TEST(Corpus, FilesEqualTheGoldens)
{
    const std::string dir = CorpusDir();
    const bool update = std::getenv("LUMTAR_UPDATE_GOLDEN") != nullptr;
#ifdef _WIN32
    if (update) fs::create_directories(GoldenDir());
#else
    if (update) GTEST_SKIP() << "goldens come from the Windows build (real GDI) only";
#endif
    for (const auto& s : Corpus) {
        SCOPED_TRACE(s.name);
        Write(dir, s);
        if (HasFatalFailure()) return;
        const Files mine = In(dir, s), golden = In(GoldenDir(), s);
        if (update) {
            for (const auto& [from, to] : {std::pair{mine.wmf, golden.wmf}, {mine.bmp, golden.bmp}, {mine.bars, golden.bars}})
                fs::copy_file(from, to, fs::copy_options::overwrite_existing);
            continue;
        }
        ASSERT_TRUE(fs::exists(golden.wmf)) << "no golden " << golden.wmf;
        const Bytes goldBars = ReadAll(golden.bars);
        // The metafile records text as text: identical on both targets.
        EXPECT_EQ(FirstDifference(ReadAll(mine.wmf), ReadAll(golden.wmf)), "") << mine.wmf;
        // Without text the whole bitmap is identical. The ISBN header line is
        // drawn even then, in the stock font: there the bar rows are compared,
        // the rows equal to the most frequent one, which the text does not reach.
        const Bytes bars = ReadAll(mine.bars);
        if (BarCodeTyp(s.text, s.types) != BarTypIsbn) {
            EXPECT_EQ(FirstDifference(bars, goldBars), "") << mine.bars;
        } else {
            const auto rows = Rows(bars), goldRows = Rows(goldBars);
            ASSERT_EQ(rows.size(), goldRows.size());
            const Bytes& barRow = *std::max_element(goldRows.begin(), goldRows.end(), [&](const Bytes& a, const Bytes& b) {
                return std::count(goldRows.begin(), goldRows.end(), a) < std::count(goldRows.begin(), goldRows.end(), b);
            });
            std::size_t compared = 0;
            for (std::size_t y = 0; y < rows.size(); ++y) {
                if (goldRows[y] != barRow) continue;
                ++compared;
                EXPECT_TRUE(rows[y] == goldRows[y]) << mine.bars << " bar row " << y;
            }
            EXPECT_GE(compared, rows.size() / 2) << "the header covers more rows than expected";
        }
        // With text, fonts differ between the targets: headers identical, and every
        // row that the golden's text leaves alone (equal in its two bitmaps) identical.
        const Bytes text = ReadAll(mine.bmp), goldText = ReadAll(golden.bmp);
        ASSERT_EQ(text.size(), goldText.size());
        EXPECT_TRUE(std::equal(text.begin(), text.begin() + 62, goldText.begin()));
        const auto rows = Rows(text), goldRows = Rows(goldText), barRows = Rows(goldBars);
        ASSERT_EQ(rows.size(), goldRows.size());
        ASSERT_EQ(barRows.size(), goldRows.size());
        std::size_t compared = 0;
        for (std::size_t y = 0; y < rows.size(); ++y) {
            if (goldRows[y] != barRows[y]) continue;
            ++compared;
            EXPECT_TRUE(rows[y] == goldRows[y]) << "bar row " << y;
        }
        EXPECT_GE(compared, rows.size() / 2) << "the text covers more rows than expected";
    }
}

#ifndef _WIN32

// ------------------------------------------------------------ native readers

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The readers' symbology names for each family.
bool ZbarNames(Family f, const std::string& name)
{
    switch (f) {
    case Ean: return name == "EAN-13" || name == "EAN-8" || name == "UPC-A";
    case Itf: return name == "I2/5";
    case Code39: return name == "CODE-39";
    case Codabar: return name == "Codabar";
    default: return false;
    }
}

bool ZxingNames(Family f, const std::string& name)
{
    switch (f) {
    case Ean: return name == "EAN-13" || name == "EAN-8" || name == "UPC-A";
    case Itf: return name == "ITF";
    case Code39: return name == "Code39";
    case Codabar: return name == "Codabar";
    default: return false;
    }
}

// UPC-A is EAN-13 with a leading 0; readers report either.
std::string AsThirteen(const Sample& s, std::string data)
{
    if (s.family == Ean && data.size() == 12 && std::string(s.data).size() == 13) data = "0" + data;
    return data;
}

// "" when zbarimg reads exactly the sample's data from the image, else what it read.
std::string Zbar(const Sample& s, const std::string& image)
{
    const auto lines = Lines(Shell("zbarimg -q --nodbus " + Quoted(image) + " 2>/dev/null"));
    if (lines.size() != 1) return "zbarimg read " + std::to_string(lines.size()) + " symbols";
    const auto colon = lines[0].find(':');
    const std::string name = lines[0].substr(0, colon), data = lines[0].substr(colon + 1);
    if (!ZbarNames(s.family, name) || AsThirteen(s, data) != s.data) return "zbarimg read " + lines[0];
    return "";
}

// ZXingReader leaves out the Codabar start and stop letters.
std::string Zxing(const Sample& s, const std::string& image)
{
    const auto lines = Lines(Shell("ZXingReader -1 " + Quoted(image) + " 2>/dev/null"));
    if (lines.size() != 1) return "ZXingReader read " + std::to_string(lines.size()) + " symbols";
    const std::string& line = lines[0];
    const auto open = line.find(" \""), close = line.rfind('"');
    const auto nameAt = line.rfind(' ', open - 1) + 1;
    if (open == std::string::npos || close <= open) return "ZXingReader said " + line;
    const std::string name = line.substr(nameAt, open - nameAt), data = line.substr(open + 2, close - open - 2);
    std::string expected = s.data;
    if (s.family == Codabar) expected = expected.substr(1, expected.size() - 2);
    if (!ZxingNames(s.family, name) || AsThirteen(s, data) != expected) return "ZXingReader said " + line;
    return "";
}

void RequireReaders()
{
    for (const char* program : {"zbarimg", "ZXingReader"})
        if (!HaveProgram(program)) GTEST_SKIP() << program << " is not installed (zbar-tools, zxing-cpp-tools)";
}

TEST(Readers, BitmapsOfBothTargetsDecode)
{
    RequireReaders();
    if (IsSkipped()) return;
    const std::string dir = CorpusDir();
    std::size_t read = 0;
    for (const auto& s : Corpus) {
        if (s.family == AddOn) continue;
        SCOPED_TRACE(s.name);
        Write(dir, s);
        const Files mine = In(dir, s), golden = In(GoldenDir(), s);
        for (const auto& image : {mine.bmp, mine.bars, golden.bmp, golden.bars}) {
            ASSERT_TRUE(fs::exists(image)) << image;
            EXPECT_EQ(Zbar(s, image), "") << image;
            EXPECT_EQ(Zxing(s, image), "") << image;
            read += 2;
        }
    }
    EXPECT_GT(read, 0u);
}

// libwmf looks for the PostScript core fonts; a Ghostscript-style font map
// points their names at the Liberation fonts. "" when those are missing.
std::string WriteFontMap(const std::string& dir)
{
    const std::string fonts = "/usr/share/fonts/truetype/liberation/";
    const std::pair<const char*, const char*> names[] = {
        {"Courier", "LiberationMono-Regular"}, {"Courier-Bold", "LiberationMono-Bold"},
        {"Courier-Oblique", "LiberationMono-Italic"}, {"Courier-BoldOblique", "LiberationMono-BoldItalic"},
        {"Times-Roman", "LiberationSerif-Regular"}, {"Times-Bold", "LiberationSerif-Bold"},
        {"Times-Italic", "LiberationSerif-Italic"}, {"Times-BoldItalic", "LiberationSerif-BoldItalic"},
        {"Helvetica", "LiberationSans-Regular"}, {"Helvetica-Bold", "LiberationSans-Bold"},
        {"Helvetica-Oblique", "LiberationSans-Italic"}, {"Helvetica-BoldOblique", "LiberationSans-BoldItalic"},
    };
    const std::string path = dir + "/libwmf-fontmap";
    std::ofstream out(path);
    for (const auto& [name, file] : names) {
        const std::string font = fonts + file + ".ttf";
        if (!fs::exists(font)) return "";
        out << '/' << name << " (" << font << ") ;\n";
    }
    return path;
}

TEST(Readers, MetafilesPlayedByAnotherPlayerDecode)
{
    RequireReaders();
    if (IsSkipped()) return;
    if (!HaveProgram("wmf2gd")) GTEST_SKIP() << "wmf2gd is not installed (libwmf-bin)";
    const std::string dir = CorpusDir();
    const std::string fontMap = WriteFontMap(dir);
    if (fontMap.empty()) GTEST_SKIP() << "the Liberation fonts (fonts-liberation) are missing; wmf2gd needs fonts";
    for (const auto& s : Corpus) {
        if (s.family == AddOn) continue;
        SCOPED_TRACE(s.name);
        Write(dir, s);
        const Files mine = In(dir, s);
        const std::string png = dir + "/" + s.name + "-wmf2gd.png";
        fs::remove(png);
        Shell("wmf2gd --wmf-gs-fontmap=" + Quoted(fontMap) + " --maxwidth=" + std::to_string(s.width * 2) + " --maxheight=" + std::to_string(s.height * 2) +
            " --maxpect -t png -o " + Quoted(png) + " " + Quoted(mine.wmf) + " 2>&1");
        ASSERT_TRUE(fs::exists(png)) << "wmf2gd drew nothing for " << mine.wmf;
        EXPECT_EQ(Zbar(s, png), "") << png;
        EXPECT_EQ(Zxing(s, png), "") << png;
    }
}

// zint --dump: the modules as hexadecimal digits, four to a digit, padded with
// zeros; an add-on ends with a bar, so trailing zeros are padding.
std::string ZintModules(const char* data)
{
    std::string bits;
    for (char c : Shell(std::string("zint -b 13 --dump -d ") + data + " 2>/dev/null")) {
        int v = -1;
        if (c >= '0' && c <= '9') v = c - '0';
        if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        if (v < 0) continue;
        for (int b = 3; b >= 0; --b) bits += (v >> b & 1) ? '1' : '0';
    }
    while (!bits.empty() && bits.back() == '0') bits.pop_back();
    return bits;
}

// The modules of the middle row of a BMP without text: from the first bar to
// the last, each module sampled at its centre.
std::string BitmapModules(const Bytes& file, std::size_t moduleCount)
{
    const auto rows = Rows(file);
    if (rows.empty() || moduleCount == 0) return "";
    const Bytes& row = rows[rows.size() / 2];
    const int width = static_cast<int32_t>(Dword(file, 18));
    auto black = [&](int x) { return !(row[x / 8] >> (7 - x % 8) & 1); };
    int first = 0, last = width - 1;
    while (first < width && !black(first)) ++first;
    while (last > first && !black(last)) --last;
    const double module = double(last + 1 - first) / double(moduleCount);
    std::string bits;
    for (std::size_t i = 0; i < moduleCount; ++i) bits += black(first + int((i + 0.5) * module)) ? '1' : '0';
    return bits;
}

TEST(Readers, AddOnsMatchZint)
{
    if (!HaveProgram("zint")) GTEST_SKIP() << "zint is not installed";
    const std::string dir = CorpusDir();
    for (const auto& s : Corpus) {
        if (s.family != AddOn) continue;
        SCOPED_TRACE(s.name);
        Write(dir, s);
        const std::string expected = ZintModules(s.data);
        ASSERT_FALSE(expected.empty());
        for (const auto& image : {In(dir, s).bars, In(GoldenDir(), s).bars})
            EXPECT_EQ(BitmapModules(ReadAll(image), expected.size()), expected) << image;
    }
}

#else

TEST(Readers, RunNativelyOverTheGoldensOfThisBuild)
{
    GTEST_SKIP() << "the readers are Linux programs: the native build decodes the goldens this build is compared with";
}

#endif

} // namespace
