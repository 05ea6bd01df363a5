// The lumtar tool as a user runs it: exit status, messages, the files it
// leaves (or does not), and that its files are the library's.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "lumtar32.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

#ifndef _WIN32

const std::string Tool = std::string(LUMTAR_TEST_BINARY_DIR) + "/tools/lumtar";

std::string Dir()
{
    const std::string dir = std::string(LUMTAR_TEST_BINARY_DIR) + "/test_cli";
    fs::create_directories(dir);
    return dir;
}

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Text(const std::string& path)
{
    const Bytes b = ReadAll(path);
    return std::string(b.begin(), b.end());
}

uint32_t Dword(const Bytes& b, std::size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }

struct Outcome {
    int status;
    std::string out, err;
};

// Runs the tool in the test's directory with the arguments as a shell would take them.
Outcome Lumtar(const std::string& args, const std::string& stdinFile = "/dev/null")
{
    const std::string dir = Dir();
    const std::string command = "cd '" + dir + "' && '" + Tool + "' " + args + " <" + stdinFile + " >stdout.txt 2>stderr.txt";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Text(dir + "/stdout.txt"), Text(dir + "/stderr.txt")};
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(Tool)) GTEST_SKIP() << "lumtar is not built (CLI11 missing?)";
        fs::remove_all(Dir());
        Dir();
    }
    std::string at(const std::string& name) const { return Dir() + "/" + name; }
};

struct UsageCase {
    const char* what;
    const char* args;
    int status;
    const char* message; // part of what stderr must say
    const char* file;    // must not exist afterwards
};

TEST_F(Cli, FailuresHaveAStatusAMessageAndNoFile)
{
    const UsageCase cases[] = {
        {"text fits no type", "render 4006381333932 --types ean13 -o a.bmp", 1, "fits none of the code types ean13", "a.bmp"},
        {"no type at all", "render 4006381333931 --types 0 -o a.wmf", 2, "holds none of the nine", "a.wmf"},
        {"no type in the mask", "render 4006381333931 --types 1024 -o a.wmf", 2, "holds none of the nine", "a.wmf"},
        {"missing directory", "render 4006381333931 -o no/such/dir/a.bmp", 3, "cannot write no/such/dir/a.bmp", "no"},
        {"size without x", "render 4006381333931 --size 5000 -o a.wmf", 2, "is no size", "a.wmf"},
        {"size of zero", "render 4006381333931 --size 0x100 -o a.bmp", 2, "is no size", "a.bmp"},
        {"negative size", "render 4006381333931 --size -5x100 -o a.bmp", 2, "", "a.bmp"},
        {"WMF beyond 16 bits", "render 4006381333931 --size 40000x2000 -o a.wmf", 2, "at most 32767", "a.wmf"},
        {"SVG beyond 16 bits", "render 4006381333931 --module 3 --quiet-zones -o a.svg", 2, "at most 32767", "a.svg"},
        {"unknown extension", "render 4006381333931 -o a.gif", 2, "must end in one of wmf, bmp", "a.gif"},
        {"unknown type name", "render 4006381333931 --types ean14 -o a.bmp", 2, "unknown code type", "a.bmp"},
        {"unknown font", "render 4006381333931 --font italic -o a.bmp", 2, "", "a.bmp"},
        {"resolution for a WMF", "render 4006381333931 --dpi 300 -o a.wmf", 2, "apply to BMP", "a.wmf"},
        {"both --phys and --dpi", "render 4006381333931 --dpi 300 --phys 100x100 -o a.bmp", 2, "", "a.bmp"},
        {"pattern without %d", "batch -o label.bmp", 2, "exactly one %d", "label.bmp"},
        {"pattern with two", "batch -o label-%d-%d.bmp", 2, "exactly one %d", "label-1-1.bmp"},
        {"pattern with %s", "batch -o label-%s.bmp", 2, "exactly one %d", "label-.bmp"},
        {"unreadable list", "batch -i nothing.txt -o l-%d.bmp", 2, "cannot read nothing.txt", "l-1.bmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = Lumtar(c.args);
        EXPECT_EQ(o.status, c.status) << o.err;
        EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
        EXPECT_FALSE(fs::exists(at(c.file)));
    }
}

// Written by the tool and by the library with the same arguments: the same bytes.
TEST_F(Cli, FilesAreTheLibrarys)
{
    ASSERT_EQ(Lumtar("render 4006381333931 --size 5000x2000 -o a.wmf").status, 0);
    ASSERT_EQ(BarToWmf(at("b.wmf").c_str(), "4006381333931", BarFontDefault, 5000, 2000, BarTypAll), BarOk);
    EXPECT_TRUE(ReadAll(at("a.wmf")) == ReadAll(at("b.wmf")));

    // 600 pixels at 300 dpi are 5080 hundredths of a millimetre.
    ASSERT_EQ(Lumtar("render CODE-39 --font bold --size 600x240 -o a.bmp").status, 0);
    ASSERT_EQ(BarToBmp(at("b.bmp").c_str(), "CODE-39", BarFontBold, 600, 240, 5080, 2032, BarTypAll), BarOk);
    EXPECT_TRUE(ReadAll(at("a.bmp")) == ReadAll(at("b.bmp")));

    ASSERT_EQ(Lumtar("render 12 --types ean2 --font none --size 200x100 --phys 2540x1270 -o c.bmp").status, 0);
    ASSERT_EQ(BarToBmp(at("d.bmp").c_str(), "12", BarFontNone, 200, 100, 2540, 1270, BarTypEan2), BarOk);
    EXPECT_TRUE(ReadAll(at("c.bmp")) == ReadAll(at("d.bmp")));
    EXPECT_EQ(Dword(ReadAll(at("c.bmp")), 38), 7874u); // 200 px over an inch
}

// --narrow/--wide draw through Bar2HdcEx: with 1 and 3 the files equal the
// library's, with other widths they differ.
TEST_F(Cli, ElementWidths)
{
    for (const char* ext : {"wmf", "bmp"}) {
        SCOPED_TRACE(ext);
        const std::string plain = std::string("p.") + ext, same = std::string("s.") + ext, other = std::string("o.") + ext;
        for (const char* text : {"1234567890", "CODE39"}) {
            ASSERT_EQ(Lumtar(std::string("render ") + text + " -o " + plain).status, 0);
            ASSERT_EQ(Lumtar(std::string("render ") + text + " --narrow 1 --wide 3 -o " + same).status, 0);
            ASSERT_EQ(Lumtar(std::string("render ") + text + " --narrow 2 --wide 5 -o " + other).status, 0);
            EXPECT_TRUE(ReadAll(at(plain)) == ReadAll(at(same))) << text;
            EXPECT_FALSE(ReadAll(at(plain)) == ReadAll(at(other))) << text;
        }
        EXPECT_EQ(Lumtar(std::string("render 4006381333932 --types ean13 --narrow 2 -o x.") + ext).status, 1);
        EXPECT_FALSE(fs::exists(at(std::string("x.") + ext)));
    }
}

TEST_F(Cli, RenderNamesTheType)
{
    const Outcome o = Lumtar("render 3-86640-001-2 -o isbn.bmp");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "isbn.bmp  ISBN\n");
}

TEST_F(Cli, BatchNumbersTextsAndReportsTheUnfit)
{
    {
        std::ofstream list(at("list.txt"), std::ios::binary);
        list << "4006381333931\r\n"   // 7: Windows line end
             << "\n"                  // skipped, takes no number
             << "NOT A CODE!\n"       // 8: fits nothing, reported
             << "96385074\n"          // 9
             << "12";                 // 10: no final line end
    }
    const Outcome o = Lumtar("batch -i list.txt --start 7 --types ean13,ean8,ean2 -o label-%03d.wmf");
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("text 8: \"NOT A CODE!\" fits none"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("3 of 4 files written"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find('\r'), std::string::npos) << "no progress bar when stderr is no terminal";
    for (const char* name : {"label-007.wmf", "label-009.wmf", "label-010.wmf"}) EXPECT_TRUE(fs::exists(at(name))) << name;
    EXPECT_FALSE(fs::exists(at("label-008.wmf")));
    EXPECT_FALSE(fs::exists(at("label-011.wmf")));

    // The same texts from standard input, all fitting.
    {
        std::ofstream list(at("good.txt"));
        list << "4006381333931\n96385074\n";
    }
    const Outcome piped = Lumtar("batch -o in-%d.bmp --font none --size 300x100", at("good.txt"));
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_TRUE(fs::exists(at("in-1.bmp")) && fs::exists(at("in-2.bmp")));
    ASSERT_EQ(BarToBmp(at("ref.bmp").c_str(), "96385074", BarFontNone, 300, 100, 2540, 847, BarTypAll), BarOk);
    EXPECT_TRUE(ReadAll(at("in-2.bmp")) == ReadAll(at("ref.bmp")));
}

TEST_F(Cli, BatchStopsAtAnUnwritablePath)
{
    {
        std::ofstream list(at("list.txt"));
        list << "4006381333931\n96385074\n";
    }
    const Outcome o = Lumtar("batch -i list.txt -o missing/l-%d.bmp");
    EXPECT_EQ(o.status, 3);
    EXPECT_NE(o.err.find("cannot write missing/l-1.bmp: No such file or directory"), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(at("missing")));
}

struct ParallelCase {
    const char* what;
    int status;
    bool stops; // a file cannot be written: the labels after it may differ
};

// Workers draw the labels; what the user sees is the serial run's: stderr
// (all but the time), the status and every file. The list is longer than the
// workers' window and names one file on two lines in a row: the later wins.
TEST_F(Cli, ParallelBatchIsTheSerialOne)
{
    for (const ParallelCase& c : {ParallelCase{"mixed", 2, false}, ParallelCase{"unwritable", 3, true}}) {
        {
            std::ofstream list(at("list.txt"), std::ios::binary);
            for (int i = 0; i < 300; ++i) {
                const std::string digits = std::to_string(400638133393 + i);
                int sum = 0;
                for (int k = 0; k < 12; ++k) sum += (digits[k] - '0') * (k % 2 ? 3 : 1);
                list << digits << (10 - sum % 10) % 10 << "\n";
                if (i == 40) list << "NOT A CODE!\n12\t../escape.bmp\n4006381333932\n96385074\ttwice.bmp\n12\ttwice.bmp\n";
                if (i == 200 && c.stops) list << "34\tmissing/x.bmp\nNOT A CODE!\nNOT A CODE!\n"; // unsaid
            }
        }
        std::string err[2];
        for (const int jobs : {1, 3}) {
            fs::create_directories(at("out"));
            const Outcome o = Lumtar("batch -i list.txt -j " + std::to_string(jobs) + " --size 200x80 -o out/%03d.bmp");
            EXPECT_EQ(o.status, c.status) << c.what << " -j " << jobs << "\n" << o.err;
            err[jobs > 1] = std::regex_replace(o.err, std::regex(" in [0-9]+ ms"), "");
            fs::rename(at("out"), at("j" + std::to_string(jobs)));
        }
        EXPECT_EQ(err[0], err[1]) << c.what;
        for (const auto& e : fs::directory_iterator(at("j1"))) {
            const std::string name = e.path().filename().string();
            EXPECT_TRUE(ReadAll(e.path().string()) == ReadAll(at("j3/" + name))) << c.what << ": " << name;
        }
        if (!c.stops) {
            EXPECT_EQ(std::distance(fs::directory_iterator(at("j1")), {}), std::distance(fs::directory_iterator(at("j3")), {}));
        }
        fs::remove_all(at("j1"));
        fs::remove_all(at("j3"));
    }
}

// ------------------------------------------------ print work: add-ons, sizing

// What zbarimg reads from a picture, one "TYPE:DATA" per line, sorted.
std::string Decoded(const std::string& path)
{
    const std::string out = Dir() + "/zbar.txt";
    std::system(("zbarimg -q --nodbus -Sean2.enable -Sean5.enable '" + path + "' 2>/dev/null | sort >'" + out + "'").c_str());
    return Text(out);
}

struct DecodeCase {
    const char* args;
    const char* read; // zbarimg's lines
};

// Both parts of a composed symbol read, upright and turned, in every size mode.
TEST_F(Cli, AddOnsAndQuietZonesDecode)
{
    if (std::system("command -v zbarimg >/dev/null") != 0) GTEST_SKIP() << "zbarimg is not installed";
    const DecodeCase cases[] = {
        {"9783161484100+51234", "EAN-13:9783161484100\nEAN-5:51234\n"},
        {"9783161484100+12 --font bold --quiet-zones --size 900x300", "EAN-13:9783161484100\nEAN-2:12\n"},
        {"3-86640-001-2+90000 --module 0.33 --turned", "EAN-13:9783866400016\nEAN-5:90000\n"},
        {"036000291452+07 --types upca --module 0.26 --dpi 600 --quiet-zones", "EAN-13:0036000291452\nEAN-2:07\n"},
        {"12345678901+12345 --font none --module 0.33 --height 12 --turned", "EAN-13:0123456789012\nEAN-5:12345\n"},
        {"96385074 --module 0.3 --quiet-zones", "EAN-8:96385074\n"},
        {"A40156B --module 0.4 --quiet-zones --turned", "Codabar:A40156B\n"},
        {"CODE-39 --narrow 2 --wide 5 --module 0.5 --quiet-zones", "CODE-39:CODE-39\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const Outcome o = Lumtar(std::string("render ") + c.args + " -o d.bmp");
        ASSERT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(Decoded(at("d.bmp")), c.read);
    }
}

// Every format, read back through an independent renderer.
TEST_F(Cli, EveryFormatDecodes)
{
    if (std::system("command -v zbarimg rsvg-convert pdftoppm gs >/dev/null") != 0) GTEST_SKIP() << "a reader is missing";
    const std::pair<const char*, const char*> formats[] = {
        {"png", "cp p.png p-r.png"},
        {"svg", "rsvg-convert -d 300 -p 300 p.svg -o p-r.png"},
        {"pdf", "pdftoppm -r 300 -png -singlefile p.pdf p-r"},
        {"eps", "gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=pnggray -r300 -sOutputFile=p-r.png p.eps"},
        {"tif", "convert p.tif p-r.png"},
        {"tif --cmyk", "convert p.tif -colorspace gray p-r.png"},
    };
    for (const auto& [format, raster] : formats) {
        for (const char* turned : {"", " --turned"}) {
            SCOPED_TRACE(std::string(format) + turned);
            fs::remove(at("p-r.png"));
            const Outcome o = Lumtar(std::string("render 9783161484100+51234 --module 0.33 --quiet-zones") + turned +
                                     " -o p.dat --format " + format);
            ASSERT_EQ(o.status, 0) << o.err;
            fs::rename(at("p.dat"), at(std::string("p.") + std::string(format).substr(0, 3)));
            ASSERT_EQ(std::system(("cd '" + Dir() + "' && " + raster + " 2>/dev/null").c_str()), 0);
            EXPECT_EQ(Decoded(at("p-r.png")), "EAN-13:9783161484100\nEAN-5:51234\n");
        }
    }
    // PNG sizes are pixels, its resolution from --dpi: 600 dpi are 23622 pixels per metre.
    ASSERT_EQ(Lumtar("render 96385074 --size 300x100 --dpi 600 -o s.png").status, 0);
    const Bytes png = ReadAll(at("s.png"));
    auto big = [&](std::size_t at) { return uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]; };
    ASSERT_GT(png.size(), 80u);
    EXPECT_EQ(big(16), 300u); // IHDR width
    const std::string text(png.begin(), png.end());
    const auto phys = text.find("pHYs");
    ASSERT_NE(phys, std::string::npos);
    EXPECT_EQ(big(phys + 4), 23622u);
}

// Bytes of the pictures in golden/tool/cases.txt, which lumtar.exe must write too.
TEST_F(Cli, PicturesEqualTheGoldens)
{
    const std::string golden = std::string(LUMTAR_TEST_SOURCE_DIR) + "/tests/golden/tool/";
    std::ifstream cases(golden + "cases.txt");
    int compared = 0;
    for (std::string line; std::getline(cases, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto tab = line.find('\t');
        const std::string file = line.substr(0, tab), name = fs::path(file).filename().string();
        ASSERT_EQ(Lumtar("render " + line.substr(tab + 1) + " -o " + name).status, 0) << line;
        EXPECT_TRUE(ReadAll(at(name)) == ReadAll(golden + file)) << name;
        ++compared;
    }
    EXPECT_GE(compared, 4);
}

struct SizeCase {
    const char* args;
    const char* file;
    std::size_t at; // the width field: BMP pixels, placeable bounding box in 0.01 mm
    uint32_t width;
};

// With --module the picture is as wide as the symbol's box and its quiet zones need.
TEST_F(Cli, ModuleWidthSizesThePicture)
{
    const SizeCase cases[] = {
        {"4006381333931 --module 0.33", "m.bmp", 18, 107 * 4},        // 3.9 pixels at 300 dpi: 4
        {"4006381333931 --module 0.33 --quiet-zones", "m.bmp", 18, 113 * 4},
        {"4006381333931+12 --module 0.33 --quiet-zones", "m.bmp", 18, (3 + 107 + 5 + 22 + 3) * 4},
        {"4006381333931 --module 0.33 --turned", "m.bmp", 22, 107 * 4}, // turned: the height
        {"4006381333931 --module 0.33", "m.wmf", 10, 107 * 33},
        {"12345678 --types itf --module 0.5 --quiet-zones", "m.wmf", 10, (10 + 17 * 3 + 30 + 10) * 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        ASSERT_EQ(Lumtar(std::string("render ") + c.args + " -o " + c.file).status, 0);
        const Bytes b = ReadAll(at(c.file));
        ASSERT_GT(b.size(), c.at + 2);
        EXPECT_EQ(b[c.at] | b[c.at + 1] << 8, c.width);
    }
    // 0.33 mm at 100 dpi is 1.3 pixels: one is drawn, and said.
    const Outcome o = Lumtar("render 4006381333931 --module 0.33 --dpi 100 -o n.bmp");
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.err.find("X-dimension 0.254 mm drawn for the 0.330 mm asked"), std::string::npos) << o.err;
}

struct MessageCase {
    std::string args;
    int status;
    const char* message; // part of stderr
    bool written;        // x.bmp exists afterwards
};

TEST_F(Cli, CheckDigitsAndRoughEdges)
{
    const std::string longText(100000, 'A');
    const MessageCase cases[] = {
        {"render 4006381333932 -o x.bmp", 0, "\"4006381333932\": drawn as Code 39; as an EAN-13 its check digit would be 1", true},
        {"render 4006381333932 --strict -o x.bmp", 1, "not drawn (--strict): as an EAN-13 its check digit would be 1", false},
        {"render 96385075 --strict -o x.bmp", 1, "as an EAN-8 its check digit would be 4", false},
        {"render 3-86640-001-3 --strict -o x.bmp", 1, "as an ISBN its check character would be 2", false},
        {"render 4006381333932+12 --strict -o x.bmp", 1, "as an EAN-13 its check digit would be 1", false},
        {"render 036000291453 --types upca -o x.bmp", 1, "as a UPC-A its check digit would be 2", false},
        {"render 036000291452 --types UPCA -o x.bmp", 0, "", true},
        {"render 036000291452 -o x.bmp", 0, "drawn as EAN-13 0360002914522; as a UPC-A (--types upca) it is 0036000291452", true},
        {"render " + longText + "a -o x.bmp", 1, "...\" (100001 characters) fits none", false},
        {"render 12 -o - ", 2, "needs --format", false},
        {"render 12 --height 10 -o x.bmp", 2, "--height goes with --module or --magnification", false},
        {"render 4006381333931 --module 0.33 --height 50 -o x.bmp", 2, "the frame would turn it", false},
        {"render 4006381333931 --size 100x100 --quiet-zones -o x.bmp", 2, "too small", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.substr(0, 80));
        fs::remove(at("x.bmp"));
        const Outcome o = Lumtar(c.args);
        EXPECT_EQ(o.status, c.status) << o.err;
        EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err.substr(0, 300);
        EXPECT_LT(o.err.size(), 1000u);
        EXPECT_EQ(fs::exists(at("x.bmp")), c.written);
    }
    EXPECT_EQ(Lumtar("--version").out, std::string("lumtar ") + LUMTAR32_VERSION + "\n");
}

TEST_F(Cli, StandardOutputAndNamedBatchFiles)
{
    ASSERT_EQ(Lumtar("render 96385074 --format bmp -o - ").status, 0);
    fs::rename(at("stdout.txt"), at("piped.bmp"));
    ASSERT_EQ(Lumtar("render 96385074 -o file.bmp").status, 0);
    EXPECT_TRUE(ReadAll(at("piped.bmp")) == ReadAll(at("file.bmp")));

    fs::create_directories(at("out"));
    {
        std::ofstream list(at("list.txt"), std::ios::binary);
        list << "4006381333931\tbook.wmf\n" // named, its own format
             << "96385074\n"                // numbered: out/l-2.bmp
             << "12\t../escape.bmp\n"       // leaves the folder: refused
             << "34\t/tmp/abs.bmp\n";       // absolute: refused
    }
    const Outcome o = Lumtar("batch -i list.txt -o out/l-%d.bmp");
    EXPECT_EQ(o.status, 2) << o.err;
    EXPECT_NE(o.err.find("text 3: the name \"../escape.bmp\" leaves the output folder"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("2 of 4 files written"), std::string::npos) << o.err;
    EXPECT_EQ(ReadAll(at("out/book.wmf")).at(0), 0xD7);
    EXPECT_TRUE(fs::exists(at("out/l-2.bmp")));
    EXPECT_FALSE(fs::exists(at("escape.bmp")) || fs::exists("/tmp/abs.bmp"));
}

#else

TEST(Cli, IsANativeTool)
{
    GTEST_SKIP() << "lumtar is built natively only";
}

#endif

} // namespace
