// The file outputs: placeable metafile and monochrome bitmap files, byte by
// byte in their headers, what they hold behind them, their result codes, and
// that no failure leaves a trace on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lumtar32.h"
#include "support/wmf.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

// Paths as the library sees them (drive Z: under Wine); the test process
// opens the same strings.
std::string Scratch(const std::string& name)
{
    const std::string dir = std::string(LUMTAR_TEST_BINARY_DIR) + "/test_output";
    fs::create_directories(dir);
    return dir + "/" + name;
}

bool Exists(const std::string& path) { return fs::exists(fs::path(path)); }

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

uint32_t Dword(const Bytes& b, std::size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }
uint16_t Word(const Bytes& b, std::size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

std::string Hex(const Bytes& b)
{
    std::string s;
    char buf[4];
    for (auto x : b) {
        std::snprintf(buf, sizeof buf, "%02X ", x);
        s += buf;
    }
    return s;
}

// What the frame itself records for a rectangle, to compare a file's drawing with.
wmf::Metafile RecordFrame(const char* text, RECT rect, const LOGFONTA* font, int types, int narrow = 0, int wide = 0)
{
    HDC dc = CreateMetaFileA(nullptr);
    Bar2HdcEx(dc, text, &rect, font, types, narrow, wide);
    return wmf::CloseAndParse(dc);
}

// "" when both hold the same records; otherwise where they part, with a little context.
std::string Difference(const std::vector<wmf::Record>& actual, const std::vector<wmf::Record>& expected)
{
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i].function == expected[i].function &&
           actual[i].params == expected[i].params)
        ++i;
    if (i == actual.size() && i == expected.size()) return "";
    std::string s = "records differ from index " + std::to_string(i) + " (of " + std::to_string(actual.size()) + " and " +
                    std::to_string(expected.size()) + ")\n";
    for (std::size_t k = i > 2 ? i - 2 : 0; k < i + 3; ++k) {
        s += "  actual:   " + (k < actual.size() ? wmf::Describe(actual[k]) : std::string("-")) + "\n";
        s += "  expected: " + (k < expected.size() ? wmf::Describe(expected[k]) : std::string("-")) + "\n";
    }
    return s;
}

constexpr const char* Ean13 = "4006381333931";

// ---------------------------------------------------------------- WMF files

struct HeaderCase {
    int width, height;
    uint8_t bytes[22];
};

TEST(WmfFile, PlaceableHeaderFieldByField)
{
    const HeaderCase cases[] = {
        // key         handle left  top   right  bottom inch   reserved     checksum
        {5000, 2000, {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0x88, 0x13, 0xD0, 0x07, 0xEC, 0x09, 0, 0, 0, 0, 0xA5, 0x4A}},
        {0, 0, {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xEC, 0x09, 0, 0, 0, 0, 0xFD, 0x5E}},
        {1000, 300, {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0xE8, 0x03, 0x2C, 0x01, 0xEC, 0x09, 0, 0, 0, 0, 0x39, 0x5C}},
        // only the low 16 bits of the size reach the box: 70000 is 0x11170, -1 is 0xFFFF
        {70000, -1, {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0x70, 0x11, 0xFF, 0xFF, 0xEC, 0x09, 0, 0, 0, 0, 0x72, 0xB0}},
    };
    for (const auto& c : cases) {
        const std::string path = Scratch("header.wmf");
        ASSERT_EQ(BarToWmf(path.c_str(), Ean13, BarFontNone, c.width, c.height, BarTypEan13), BarOk) << c.width;
        const Bytes file = ReadAll(path);
        ASSERT_GE(file.size(), 22u);
        const Bytes head(file.begin(), file.begin() + 22);
        EXPECT_EQ(head, Bytes(std::begin(c.bytes), std::end(c.bytes)))
            << c.width << " x " << c.height << "\nactual   " << Hex(head) << "\nexpected " << Hex(Bytes(std::begin(c.bytes), std::end(c.bytes)));
    }
}

struct WmfCase {
    const char* what;
    const char* text;
    const LOGFONTA* font;
    int width, height, types;
};

// Behind the header: a complete metafile that starts with the mapping and then
// holds exactly what the frame draws into (50, 50, width - 100, height - 100).
TEST(WmfFile, MappingFirstThenTheFramesDrawing)
{
    const WmfCase cases[] = {
        {"EAN-13 with text", Ean13, BarFontDefault, 5000, 2000, BarTypAll},
        {"EAN-13 bold", Ean13, BarFontBold, 5000, 2000, BarTypAll},
        {"turned, higher than wide", Ean13, BarFontDefault, 2000, 5000, BarTypAll},
        {"Interleaved 2 of 5 takes widths 1 and 3", "1234567890", BarFontNone, 6000, 1500, BarTyp2aus5},
        {"Code 39 takes widths 1 and 3", "CODE 39", BarFontDefault, 8000, 1500, BarTyp3aus9},
        {"ISBN", "3-86640-001-2", BarFontDefault, 5000, 2500, BarTypIsbn},
        {"square picture", "A123B", BarFontDefault, 3000, 3000, BarTypCodabar},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Scratch("records.wmf");
        ASSERT_EQ(BarToWmf(path.c_str(), c.text, c.font, c.width, c.height, c.types), BarOk);
        const Bytes file = ReadAll(path);
        ASSERT_GT(file.size(), 22u);
        const wmf::Metafile m = wmf::Parse(Bytes(file.begin() + 22, file.end()));
        ASSERT_EQ(m.error, "") << wmf::Describe(m);
        // The whole metafile is in the file, and nothing but zero fill follows it.
        ASSERT_LE(22 + 2 * std::size_t(m.sizeWords), file.size());
        EXPECT_TRUE(std::all_of(file.begin() + 22 + 2 * m.sizeWords, file.end(), [](uint8_t b) { return b == 0; }));
        EXPECT_EQ(m.records.back().function, wmf::Meta_EOF);

        ASSERT_GE(m.records.size(), 4u);
        EXPECT_EQ(wmf::Describe(m.records[0]), "SETMAPMODE 8");
        EXPECT_EQ(m.records[1].function, wmf::Meta_SETWINDOWEXT);
        EXPECT_EQ(m.records[1].params, (std::vector<uint16_t>{uint16_t(c.height), uint16_t(c.width)}));
        EXPECT_EQ(wmf::Describe(m.records[2]), "SETWINDOWORG 0 0");

        const wmf::Metafile frame = RecordFrame(c.text, {50, 50, c.width - 100, c.height - 100}, c.font, c.types, 1, 3);
        const std::vector<wmf::Record> drawn(m.records.begin() + 3, m.records.end());
        EXPECT_EQ(Difference(drawn, frame.records), "");
    }
}

TEST(WmfFile, OtherElementWidthsWouldDrawDifferently)
{
    // Guards the test above: the widths do show in the records.
    const RECT rect{50, 50, 5900, 1400};
    EXPECT_NE(Difference(RecordFrame("1234567890", rect, BarFontNone, BarTyp2aus5, 1, 3).records,
                         RecordFrame("1234567890", rect, BarFontNone, BarTyp2aus5, 2, 5).records), "");
}

// ---------------------------------------------------------------- BMP files

TEST(BmpFile, HeadersFieldByField)
{
    const uint8_t expected[62] = {
        0x42, 0x4D, 0xDE, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3E, 0x00, 0x00, 0x00, // "BM", size 4062, 0, 0, offset 62
        0x28, 0x00, 0x00, 0x00, 0x2C, 0x01, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00,             // 40, width 300, height 100
        0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x0F, 0x00, 0x00,             // planes 1, bits 1, BI_RGB, image 4000
        0x10, 0x27, 0x00, 0x00, 0x10, 0x27, 0x00, 0x00,                                     // 10000 pixels per metre both ways
        0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,                                     // 2 colours used, 2 important
        0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00,                                     // black, white
    };
    const std::string path = Scratch("header.bmp");
    ASSERT_EQ(BarToBmp(path.c_str(), Ean13, BarFontDefault, 300, 100, 3000, 1000, BarTypAll), BarOk);
    const Bytes file = ReadAll(path);
    ASSERT_EQ(file.size(), 4062u);
    const Bytes head(file.begin(), file.begin() + 62);
    EXPECT_EQ(head, Bytes(std::begin(expected), std::end(expected))) << Hex(head);
}

struct BmpFieldCase {
    int pixelWidth, pixelHeight, physWidth, physHeight;
    uint32_t stride;
    int32_t xPerMetre, yPerMetre;
};

TEST(BmpFile, SizesStrideAndResolution)
{
    const BmpFieldCase cases[] = {
        {100, 40, 2540, 1016, 16, 3937, 3937},        // one inch: 3937.007... truncated
        {1, 40, 100, 100, 4, 1000, 40000},            // 1 to 32 pixels: one word
        {32, 40, 100, 100, 4, 32000, 40000},
        {33, 40, 100, 100, 8, 33000, 40000},          // 33: two words
        {64, 20, 100, 100, 8, 64000, 20000},
        {65, 20, 100, 100, 12, 65000, 20000},
        {200, 60, 0, 0, 28, 0, 0},                    // no physical size: no resolution
        {200, 60, -5, -1, 28, 0, 0},
        {30000, 20, 1000, 1000, 3752, 3000000, 2000}, // 30000 x 100000 does not fit 32 bits; the quotient does
        {30000, 20, 1, 1, 3752, INT32_MAX, 2000000},  // a quotient beyond the field stays at its largest value
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pixelWidth << " x " << c.pixelHeight << " over " << c.physWidth << " x " << c.physHeight);
        const std::string path = Scratch("fields.bmp");
        ASSERT_EQ(BarToBmp(path.c_str(), "1234567890", BarFontNone, c.pixelWidth, c.pixelHeight, c.physWidth, c.physHeight,
                           BarTyp2aus5), BarOk);
        const Bytes file = ReadAll(path);
        const uint32_t image = c.stride * c.pixelHeight;
        ASSERT_EQ(file.size(), 62 + image);
        EXPECT_EQ(Dword(file, 2), file.size()); // bfSize is the file's length
        EXPECT_EQ(Dword(file, 10), 62u);
        EXPECT_EQ(static_cast<int32_t>(Dword(file, 18)), c.pixelWidth);
        EXPECT_EQ(static_cast<int32_t>(Dword(file, 22)), c.pixelHeight);
        EXPECT_EQ(Word(file, 26), 1);
        EXPECT_EQ(Word(file, 28), 1);
        EXPECT_EQ(Dword(file, 34), image);
        EXPECT_EQ(static_cast<int32_t>(Dword(file, 38)), c.xPerMetre);
        EXPECT_EQ(static_cast<int32_t>(Dword(file, 42)), c.yPerMetre);
    }
}

// A pixel of the bottom-up rows: true when white (palette entry 1).
struct Bitmap {
    int width = 0, height = 0;
    uint32_t stride = 0;
    Bytes file;
    bool White(int x, int y) const
    {
        const std::size_t row = 62 + std::size_t(height - 1 - y) * stride;
        return file[row + x / 8] >> (7 - x % 8) & 1;
    }
};

Bitmap Load(const std::string& path)
{
    Bitmap b;
    b.file = ReadAll(path);
    if (b.file.size() < 62) return b;
    b.width = static_cast<int32_t>(Dword(b.file, 18));
    b.height = static_cast<int32_t>(Dword(b.file, 22));
    b.stride = Dword(b.file, 34) / b.height;
    return b;
}

struct PaintCase {
    const char* what;
    const char* text;
    int width, height, types;
};

// Bars run the whole height without text: a column (upright) or a row (turned)
// that no rectangle of the frame covers must be white from end to end, and one
// that a rectangle covers must hold black. The rectangles come from recording
// the same drawing into a metafile, in the bitmap's own units.
TEST(BmpFile, EveryUnpaintedPixelIsWhite)
{
    const PaintCase cases[] = {
        {"EAN-13", Ean13, 321, 90, BarTypEan13},
        {"Code 39", "CODE-39 $/+%", 700, 60, BarTyp3aus9},
        {"Codabar turned", "A0123456789B", 50, 500, BarTypCodabar},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Scratch("paint.bmp");
        ASSERT_EQ(BarToBmp(path.c_str(), c.text, BarFontNone, c.width, c.height, 1000, 1000, c.types), BarOk);
        const Bitmap bmp = Load(path);
        ASSERT_EQ(bmp.file.size(), 62 + std::size_t(bmp.stride) * c.height);

        const bool turned = c.width < c.height;
        const int along = turned ? c.height : c.width;
        const int across = turned ? c.width : c.height;
        std::vector<char> covered(along, 0);
        const auto rects = wmf::Rectangles(RecordFrame(c.text, {0, 0, c.width, c.height}, BarFontNone, c.types));
        ASSERT_FALSE(rects.empty());
        for (const auto& r : rects) {
            const int from = turned ? r.top : r.left, to = turned ? r.bottom : r.right;
            for (int i = std::max(from, 0); i < std::min(to, along); ++i) covered[i] = 1;
        }
        int wrong = 0;
        for (int i = 0; i < along && wrong < 5; ++i) {
            int white = 0;
            for (int j = 0; j < across; ++j) white += turned ? bmp.White(j, i) : bmp.White(i, j);
            if (!covered[i] && white != across) {
                ADD_FAILURE() << (turned ? "row " : "column ") << i << " is painted by no bar but has " << across - white << " black pixels";
                ++wrong;
            }
            if (covered[i] && white == across) {
                ADD_FAILURE() << (turned ? "row " : "column ") << i << " is covered by a bar but white";
                ++wrong;
            }
        }
    }
}

// Rows beyond the 65535th are read from the bitmap too: unread, they would stay
// zero, that is black, in the zero-filled block. The turned symbol's end lies
// in the top rows, which the file stores last; its white gaps must be there.
TEST(BmpFile, HeightsBeyondSixteenBitsAreWrittenWhole)
{
    const int height = 70000;
    const std::string path = Scratch("tall.bmp");
    ASSERT_EQ(BarToBmp(path.c_str(), Ean13, BarFontNone, 8, height, 100, 10000, BarTypEan13), BarOk);
    const Bitmap bmp = Load(path);
    ASSERT_EQ(bmp.file.size(), 62u + 4u * height);
    EXPECT_EQ(Dword(bmp.file, 42), 700000u); // 70000 x 100000 / 10000, a product beyond 32 bits
    int whiteRows = 0, blackRows = 0;
    for (int y = 0; y < height - 65535; ++y) {
        whiteRows += bmp.White(0, y) && bmp.White(7, y);
        blackRows += !bmp.White(0, y) && !bmp.White(7, y);
    }
    EXPECT_GT(whiteRows, 0);
    EXPECT_GT(blackRows, 0);
}

// ------------------------------------------------------ results, file safety

enum class Target { Wmf, Bmp };

struct ResultCase {
    const char* what;
    Target target;
    const char* text;
    int width, height, types;
    int expected;
};

int Call(const ResultCase& c, const char* path)
{
    if (c.target == Target::Wmf) return BarToWmf(path, c.text, BarFontDefault, c.width, c.height, c.types);
    return BarToBmp(path, c.text, BarFontDefault, c.width, c.height, 2540, 1000, c.types);
}

// Whatever fails leaves an existing file byte for byte as it was and creates
// none where there was none; only BarOk writes.
TEST(FileOutputs, ResultCodesAndNothingTouchedOnFailure)
{
    const ResultCase cases[] = {
        {"WMF drawn", Target::Wmf, Ean13, 5000, 2000, BarTypAll, BarOk},
        {"WMF wrong check digit", Target::Wmf, "4006381333932", 5000, 2000, BarTypEan13, BarErrCode},
        {"WMF no type requested", Target::Wmf, Ean13, 5000, 2000, 0, BarErrCode},
        {"WMF only bits that name no type", Target::Wmf, Ean13, 5000, 2000, 1024, BarErrCode},
        {"WMF text fits another type only", Target::Wmf, "CODE 39", 5000, 2000, BarTypEan13 | BarTypEan8, BarErrCode},
        {"WMF no text", Target::Wmf, nullptr, 5000, 2000, BarTypAll, BarErrCode},
        {"BMP drawn", Target::Bmp, Ean13, 300, 100, BarTypAll, BarOk},
        {"BMP wrong check digit", Target::Bmp, "4006381333932", 300, 100, BarTypEan13, BarErrCode},
        {"BMP no type requested", Target::Bmp, Ean13, 300, 100, 0, BarErrCode},
        {"BMP no text", Target::Bmp, nullptr, 300, 100, BarTypAll, BarErrCode},
        {"BMP zero width", Target::Bmp, Ean13, 0, 100, BarTypAll, BarErrGdi},
        {"BMP zero height", Target::Bmp, Ean13, 300, 0, BarTypAll, BarErrGdi},
        {"BMP negative width", Target::Bmp, Ean13, -300, 100, BarTypAll, BarErrGdi},
        {"BMP negative height", Target::Bmp, Ean13, 300, -100, BarTypAll, BarErrGdi},
    };
    const Bytes sentinel = {'k', 'e', 'e', 'p', ' ', 'm', 'e', '\n'};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // An existing file...
        const std::string existing = Scratch("existing.out");
        WriteAll(existing, sentinel);
        EXPECT_EQ(Call(c, existing.c_str()), c.expected);
        if (c.expected == BarOk)
            EXPECT_NE(ReadAll(existing), sentinel);
        else
            EXPECT_EQ(ReadAll(existing), sentinel);
        // ...and none.
        const std::string fresh = Scratch("fresh.out");
        fs::remove(fresh);
        EXPECT_EQ(Call(c, fresh.c_str()), c.expected);
        EXPECT_EQ(Exists(fresh), c.expected == BarOk);
    }
}

TEST(FileOutputs, PathsThatCannotBeWritten)
{
    const std::string missingDir = Scratch("no-such-directory");
    fs::remove_all(missingDir);
    const std::string inMissing = missingDir + "/code.out";
    const std::string directory = Scratch("a-directory");
    fs::create_directories(directory);

    for (Target t : {Target::Wmf, Target::Bmp}) {
        const ResultCase c{"", t, Ean13, t == Target::Wmf ? 5000 : 300, t == Target::Wmf ? 2000 : 100, BarTypAll, BarErrFile};
        EXPECT_EQ(Call(c, inMissing.c_str()), BarErrFile);
        EXPECT_FALSE(Exists(missingDir)) << "the directory must not be created";
        EXPECT_EQ(Call(c, directory.c_str()), BarErrFile);
        EXPECT_TRUE(fs::is_directory(directory));
        EXPECT_EQ(Call(c, nullptr), BarErrFile);
        EXPECT_EQ(Call(c, ""), BarErrFile);
    }
}

#ifndef _WIN32
// A device that takes no bytes: the writes come up short.
TEST(FileOutputs, ShortWriteIsAFileError)
{
    if (!Exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(BarToWmf("/dev/full", Ean13, BarFontDefault, 5000, 2000, BarTypAll), BarErrFile);
    EXPECT_EQ(BarToBmp("/dev/full", Ean13, BarFontDefault, 300, 100, 2540, 1000, BarTypAll), BarErrFile);
}
#endif

} // namespace
