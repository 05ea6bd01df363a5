// PNG, SVG, PDF and EPS, checked by others than us: libpng reads the PNG back
// to the BMP's pixels; rsvg-convert, pdftoppm and Ghostscript draw the vector
// formats, which zbarimg and ZXingReader then decode, and whose text lands on
// the bitmap's text; and the rules of the memory form. Native build only:
// lumtar32.dll has none of these.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "lumtar32_formats.h"
#include "lumtar32_gdi.h"
#include "lumtar32_print.h"
#include "output/pdf_document.h"
#include "support/shell.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

struct Sample {
    const char* text;
    int types;
    const char* zbar;  // what zbarimg reports, "" for the add-ons no reader takes alone
    const char* zxing; // what ZXingReader reports
    int width, height; // pixels; the vector pictures are ten times that in 0.01 mm
};

const Sample Samples[] = {
    {"0-306-40615-2", BarTypIsbn, "EAN-13:9780306406157", "EAN-13 \"9780306406157\"", 428, 200},
    {"4006381333931", BarTypEan13, "EAN-13:4006381333931", "EAN-13 \"4006381333931\"", 428, 160},
    {"96385074", BarTypEan8, "EAN-8:96385074", "EAN-8 \"96385074\"", 300, 120},
    {"03600029145", BarTypUpc12, "EAN-13:0036000291452", "UPC-A \"036000291452\"", 428, 160},
    {"52495", BarTypEan5, "", "", 300, 120},
    {"12", BarTypEan2, "", "", 200, 120},
    {"1234567890", BarTyp2aus5, "I2/5:1234567890", "ITF \"1234567890\"", 600, 120},
    {"CODE 39-. $/+%", BarTyp3aus9, "CODE-39:CODE 39-. $/+%", "Code39 \"CODE 39-. $/+%\"", 960, 120},
    {"A0123456789B", BarTypCodabar, "Codabar:A0123456789B", "Codabar \"0123456789\"", 800, 120},
};

Bytes Memory(int format, const Sample& s, int width, int height, const LOGFONTA* font = BarFontDefault)
{
    unsigned needed = 0;
    if (BarToMemory(nullptr, 0, &needed, format, s.text, font, width, height, width * 10, height * 10, s.types, 0, 0) != BarOk)
        return {};
    Bytes bytes(needed);
    if (BarToMemory(bytes.data(), needed, &needed, format, s.text, font, width, height, width * 10, height * 10, s.types,
                    0, 0) != BarOk)
        return {};
    return bytes;
}

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// What a command prints, without its last line break.
std::string Output(const std::string& command)
{
    std::string out = Shell(command);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}


std::string Dir()
{
    const std::string dir = std::string(LUMTAR_TEST_BINARY_DIR) + "/formats";
    fs::create_directories(dir);
    return dir;
}

// Pixels as 0 (black) and 1 (white), top row first.
struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> white;
    png_uint_32 ppmX = 0, ppmY = 0;
};

Image FromBmp(const Bytes& f)
{
    auto dword = [&](size_t at) { return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | uint32_t(f[at + 3]) << 24; };
    Image image{int(dword(18)), int(dword(22)), {}, dword(38), dword(42)};
    const size_t stride = (size_t(image.width) + 31) / 32 * 4;
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) image.white.push_back(f[62 + y * stride + x / 8] >> (7 - x % 8) & 1);
    return image;
}

// Any PNG, gray at half intensity and up white.
Image FromPng(const Bytes& bytes)
{
    Image image;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return image;
    png.format = PNG_FORMAT_GRAY;
    std::vector<uint8_t> gray(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, gray.data(), 0, nullptr)) return image;
    image.width = int(png.width);
    image.height = int(png.height);
    for (uint8_t g : gray) image.white.push_back(g >= 128);
    png_structp s = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(s);
    struct Source { const Bytes* bytes; size_t at; } source{&bytes, 0};
    png_set_read_fn(s, &source, [](png_structp s, png_bytep out, png_size_t n) {
        auto* src = static_cast<Source*>(png_get_io_ptr(s));
        std::memcpy(out, src->bytes->data() + src->at, n);
        src->at += n;
    });
    if (!setjmp(png_jmpbuf(s))) {
        png_read_info(s, info);
        int unit = 0;
        png_get_pHYs(s, info, &image.ppmX, &image.ppmY, &unit);
    }
    png_destroy_read_struct(&s, &info, nullptr);
    return image;
}

// Any TIFF libtiff reads, through its RGBA interface; the resolution in pixels per metre.
Image FromTiff(const Bytes& bytes)
{
    Image image;
    const std::string path = Dir() + "/read.tif";
    WriteAll(path, bytes);
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff) return image;
    uint32_t w = 0, h = 0;
    float x = 0, y = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &h);
    std::vector<uint32_t> rgba(size_t(w) * h);
    if (TIFFReadRGBAImageOriented(tiff, w, h, rgba.data(), ORIENTATION_TOPLEFT, 0)) {
        image.width = int(w);
        image.height = int(h);
        for (uint32_t p : rgba) image.white.push_back(TIFFGetG(p) >= 128);
    }
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) && TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y)) {
        image.ppmX = png_uint_32(std::lround(x / 0.0254));
        image.ppmY = png_uint_32(std::lround(y / 0.0254));
    }
    TIFFClose(tiff);
    return image;
}

TEST(Raster, PixelsAndResolutionAreTheBitmaps)
{
    static const struct {
        int format;
        Image (*read)(const Bytes&);
    } Readers[] = {{BarFmtPng, FromPng}, {BarFmtTif, FromTiff}};
    for (const auto& r : Readers) {
        for (const Sample& s : Samples) {
            for (const bool turned : {false, true}) {
                SCOPED_TRACE(std::to_string(r.format) + " " + s.text + (turned ? " turned" : ""));
                const int w = turned ? s.height : s.width, h = turned ? s.width : s.height;
                const Image bmp = FromBmp(Memory(BarFmtBmp, s, w, h)), other = r.read(Memory(r.format, s, w, h));
                ASSERT_EQ(other.width, w);
                ASSERT_EQ(other.height, h);
                EXPECT_TRUE(other.white == bmp.white);
                EXPECT_NEAR(other.ppmX, bmp.ppmX, 1); // a TIFF states dots per inch
                EXPECT_NEAR(other.ppmY, bmp.ppmY, 1);
            }
        }
    }
    if (HaveProgram("tiffinfo")) {
        WriteAll(Dir() + "/info.tif", Memory(BarFmtTif, Samples[1], 600, 240));
        const std::string info = Shell("tiffinfo '" + Dir() + "/info.tif' 2>&1");
        for (const char* line : {"Compression Scheme: CCITT Group 4", "Bits/Sample: 1", "Resolution: 254, 254 pixels/inch"})
            EXPECT_NE(info.find(line), std::string::npos) << info;
    }
}

// The three independent renderers, each to a PNG at `dpi`.
struct Renderer {
    int format;
    const char* program;
    const char* extension;
    std::string (*command)(const std::string& in, const std::string& out, const std::string& dpi);
};

const Renderer Renderers[] = {
    {BarFmtSvg, "rsvg-convert", "svg",
     [](const std::string& in, const std::string& out, const std::string& dpi) {
         return "rsvg-convert -d " + dpi + " -p " + dpi + " '" + in + "' -o '" + out + ".png'";
     }},
    {BarFmtPdf, "pdftoppm", "pdf",
     [](const std::string& in, const std::string& out, const std::string& dpi) {
         return "pdftoppm -singlefile -gray -png -r " + dpi + " '" + in + "' '" + out + "'";
     }},
    {BarFmtEps, "gs", "eps",
     [](const std::string& in, const std::string& out, const std::string& dpi) {
         return "gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=pnggray -dTextAlphaBits=4 -dGraphicsAlphaBits=4 -r" +
                dpi + " -o '" + out + ".png' '" + in + "'";
     }},
    // Wine's own GDI plays the EMF (tests/support/playemf.c, built for x86-64 Windows).
    {BarFmtEmf, "/usr/lib/wine/wine64", "emf",
     [](const std::string& in, const std::string& out, const std::string& dpi) {
         const std::string player = Dir() + "/playemf.exe";
         return "{ [ -f '" + player + "' ] || x86_64-w64-mingw32-gcc -O -o '" + player + "' '" LUMTAR_TEST_SOURCE_DIR
                "/tests/support/playemf.c' -lgdi32; } && WINEPREFIX='" + Dir() + "/wineprefix' WINEDEBUG=-all "
                "WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY= /usr/lib/wine/wine64 '" + player + "' 'Z:" + in + "' 'Z:" + out +
                ".bmp' " + dpi + " >/dev/null && convert '" + out + ".bmp' '" + out + ".png'";
     }},
};

std::string Rendered(const Renderer& r, const Sample& s, int width, int height, int dpi)
{
    const std::string base = Dir() + "/" + std::to_string(s.types) + "-" + std::to_string(width) + "x" + std::to_string(height);
    const std::string in = base + "." + r.extension;
    fs::remove(base + ".png");
    EXPECT_EQ(BarToFile(in.c_str(), r.format, s.text, BarFontDefault, width, height, 0, 0, s.types, 0, 0), BarOk);
    Shell(r.command(in, base, std::to_string(dpi)) + " 2>&1");
    return base + ".png";
}

TEST(Vector, RenderedByOthersDecodes)
{
    for (const char* reader : {"zbarimg", "ZXingReader"})
        if (!HaveProgram(reader)) GTEST_SKIP() << reader << " is not installed";
    for (const Renderer& r : Renderers) {
        if (!HaveProgram(r.program)) {
            ADD_FAILURE() << r.program << " is not installed: " << r.extension << " not checked";
            continue;
        }
        for (const Sample& s : Samples) {
            if (!*s.zbar) continue;
            for (const bool turned : {false, true}) {
                SCOPED_TRACE(std::string(r.extension) + " " + s.text + (turned ? " turned" : ""));
                const int w = (turned ? s.height : s.width) * 10, h = (turned ? s.width : s.height) * 10;
                const std::string png = Rendered(r, s, w, h, 508); // 2 pixels a bitmap pixel
                EXPECT_EQ(Output("zbarimg -q --nodbus '" + png + "' 2>/dev/null"), s.zbar);
                const std::string zxing = Output("ZXingReader -1 '" + png + "' 2>/dev/null");
                EXPECT_NE(zxing.find(s.zxing), std::string::npos) << zxing;
            }
        }
    }
}

// At 254 dpi, one pixel per 10 units, the vector picture's drawing rectangle
// (50, 50, W - 100, H - 100) is a bitmap's whole rectangle at ten times its
// size; EAN-13 at 4 pixels a module with a text line of 20 rows lays out
// alike in both. Over the text line (the symbol's bottom rows, turned: the
// columns at the right) the rendering overlaps the bitmap best unshifted:
// glyph shapes differ between renderers, their places must not. The
// rendered size is the picture's physical size.
TEST(Vector, TextLandsWhereTheBitmapsTextIs)
{
    const Sample& s = Samples[1];
    for (const Renderer& r : Renderers) {
        if (!HaveProgram(r.program)) continue;
        for (const bool turned : {false, true}) {
            SCOPED_TRACE(std::string(r.extension) + (turned ? " turned" : ""));
            const int bw = turned ? 160 : 428, bh = turned ? 428 : 160, band = 20;
            const Image bmp = FromBmp(Memory(BarFmtBmp, s, bw, bh));
            const Image vector = FromPng(ReadAll(Rendered(r, s, bw * 10 + 150, bh * 10 + 150, 254)));
            ASSERT_NEAR(vector.width, bw + 15, 1); // renderers round the page up or down
            ASSERT_NEAR(vector.height, bh + 15, 1);
            auto black = [&](const Image& image, int x, int y) {
                return x >= 0 && y >= 0 && x < image.width && y < image.height && !image.white[size_t(y) * image.width + x];
            };
            double best = -1;
            int bestX = 0, bestY = 0;
            for (int dy = -6; dy <= 6; ++dy)
                for (int dx = -6; dx <= 6; ++dx) {
                    long both = 0, either = 0;
                    for (int y = turned ? 0 : bh - band; y < bh; ++y)
                        for (int x = turned ? bw - band : 0; x < bw; ++x) {
                            const bool a = black(bmp, x, y), b = black(vector, x + 5 + dx, y + 5 + dy);
                            both += a && b;
                            either += a || b;
                        }
                    if (double(both) / double(either) > best) {
                        best = double(both) / double(either);
                        bestX = dx;
                        bestY = dy;
                    }
                }
            EXPECT_LE(std::abs(bestX), 1);
            EXPECT_LE(std::abs(bestY), 1);
            EXPECT_GT(best, 0.5);
        }
    }
}

TEST(Vector, PhysicalSizeIsTheRequested)
{
    const Sample& s = Samples[1];
    const auto svg = Memory(BarFmtSvg, s, 5000, 2000), pdf = Memory(BarFmtPdf, s, 5000, 2000), eps = Memory(BarFmtEps, s, 5000, 2000);
    const std::string svgText(svg.begin(), svg.end()), pdfText(pdf.begin(), pdf.end()), epsText(eps.begin(), eps.end());
    EXPECT_NE(svgText.find("width=\"50mm\" height=\"20mm\" viewBox=\"0 0 5000 2000\""), std::string::npos);
    EXPECT_NE(pdfText.find("/MediaBox [ 0 0 141.732283 56.692913 ]"), std::string::npos); // 50 x 20 mm in points
    EXPECT_NE(epsText.find("%%HiResBoundingBox: 0 0 141.732283 56.692913"), std::string::npos);
    const auto emf = Memory(BarFmtEmf, s, 5000, 2000); // rclFrame in 0.01 mm
    ASSERT_GE(emf.size(), 40u);
    EXPECT_TRUE(Bytes(emf.begin() + 24, emf.begin() + 40) == Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0x88, 0x13, 0, 0, 0xD0, 7, 0, 0}));
    if (HaveProgram("file")) {
        WriteAll(Dir() + "/size.emf", emf);
        EXPECT_NE(Shell("file '" + Dir() + "/size.emf'").find("Windows Enhanced Metafile"), std::string::npos);
    }
    if (HaveProgram("pdfinfo")) {
        WriteAll(Dir() + "/size.pdf", pdf);
        EXPECT_NE(Shell("pdfinfo '" + Dir() + "/size.pdf'").find("141.732 x 56.6929 pts"), std::string::npos);
    }
    // 600 mm wide is beyond the metafile's 16 bits: recorded in 0.02 mm, and
    // still a whole symbol where the drawing rectangle says.
    const auto wide = Memory(BarFmtSvg, s, 60000, 20000);
    const std::string wideText(wide.begin(), wide.end());
    EXPECT_NE(wideText.find("width=\"600mm\" height=\"200mm\" viewBox=\"0 0 30000 10000\""), std::string::npos);
    if (HaveProgram("rsvg-convert") && HaveProgram("zbarimg")) {
        WriteAll(Dir() + "/wide.svg", wide);
        Shell("rsvg-convert -d 30 -p 30 '" + Dir() + "/wide.svg' -o '" + Dir() + "/wide.png'");
        EXPECT_EQ(Output("zbarimg -q --nodbus '" + Dir() + "/wide.png' 2>/dev/null"), s.zbar);
    }
}

// Many pages of placed drawings, text and outlines, the face embedded once
// (or named as a standard font); every drawing decodes.
TEST(Pdf, DocumentOfManyPages)
{
    if (!HaveProgram("pdffonts") || !HaveProgram("zbarimg")) GTEST_SKIP() << "poppler-utils or zbarimg missing";
    Bytes bits;
    const std::string text = Samples[1].text;
    auto draw = [](HDC dc, const RECT* rect, const void* t) {
        return Bar2Hdc(dc, static_cast<const std::string*>(t)->c_str(), rect, BarFontDefault, BarTypEan13) ? BarOk : BarErrCode;
    };
    ASSERT_EQ(lumtar::RecordedBits({5000, 2000}, draw, &text, bits), BarOk);
    lumtar::Scene scene;
    ASSERT_TRUE(lumtar::SceneOf(bits.data(), bits.size(), 5000, 2000, scene));
    for (const bool embed : {true, false}) {
        lumtar::PdfDocument document;
        document.options.embed = embed;
        lumtar::Mark label;
        label.chars = "Label \xC4 (1)";
        label.font.face = "Courier New";
        label.font.height = -10;
        for (int page = 0; page < 2; ++page) {
            lumtar::PdfAddPage(document, 595, 842);
            for (int row = 0; row < 3; ++row) {
                ASSERT_TRUE(lumtar::PdfPlaceScene(document, scene, 40, 40 + 200 * row, 283, 113));
                ASSERT_TRUE(lumtar::PdfPlaceText(document, label, 40, 180 + 200 * row));
                ASSERT_TRUE(lumtar::PdfPlaceRectangle(document, 30, 30 + 200 * row, 303, 170, 0, 0.5));
            }
        }
        Bytes pdf;
        ASSERT_EQ(lumtar::PdfFinish(document, pdf), BarOk);
        const std::string path = Dir() + "/document.pdf";
        WriteAll(path, pdf);
        const std::string fonts = Shell("pdffonts '" + path + "'");
        EXPECT_NE(fonts.find(embed ? "LiberationMono " : "Courier "), std::string::npos) << fonts;
        EXPECT_EQ(std::count(fonts.begin(), fonts.end(), '\n'), 3) << fonts; // two header lines, one face
        Shell("pdftoppm -r 150 -gray -png '" + path + "' '" + Dir() + "/document'");
        for (const char* page : {"1", "2"})
            EXPECT_EQ(Output("zbarimg -q --nodbus '" + Dir() + "/document-" + page + ".png' 2>/dev/null"), Samples[1].zbar);
    }
}

// A CMYK ink is stated as CMYK: Ghostscript's ink coverage finds only the
// ink's plates, and the TIFF's pixels are the ink or no ink.
TEST(Ink, CmykIsStatedAsCmyk)
{
    static const struct {
        int format;
        int cmyk[4];
    } Cases[] = {
        {BarFmtPdf, {0, 0, 0, 100}}, {BarFmtEps, {0, 0, 0, 100}}, {BarFmtTif, {0, 0, 0, 100}},
        {BarFmtPdf, {100, 0, 0, 0}}, {BarFmtEps, {0, 60, 0, 0}},  {BarFmtTif, {0, 0, 100, 20}},
    };
    for (const auto& c : Cases) {
        SCOPED_TRACE(std::to_string(c.format) + " " + std::to_string(c.cmyk[0]) + " " + std::to_string(c.cmyk[1]) + " " +
                     std::to_string(c.cmyk[2]) + " " + std::to_string(c.cmyk[3]));
        BarPrintStyle style{};
        style.size = sizeof style;
        style.inkModel = BarInkCmyk;
        style.cyan = c.cmyk[0], style.magenta = c.cmyk[1], style.yellow = c.cmyk[2], style.black = c.cmyk[3];
        const std::string path = Dir() + "/ink." + std::to_string(c.format);
        ASSERT_EQ(BarPrint(path.c_str(), c.format, Samples[1].text, &style, nullptr), BarOk);
        double coverage[4] = {};
        if (c.format == BarFmtTif) {
            TIFF* tiff = TIFFOpen(path.c_str(), "r");
            ASSERT_TRUE(tiff);
            uint32_t w = 0, h = 0;
            TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &w);
            TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &h);
            std::vector<uint8_t> line(TIFFScanlineSize(tiff));
            for (uint32_t y = 0; y < h; ++y) {
                ASSERT_EQ(TIFFReadScanline(tiff, line.data(), y, 0), 1);
                for (uint32_t x = 0; x < w; ++x) {
                    const bool inked = line[4 * x] || line[4 * x + 1] || line[4 * x + 2] || line[4 * x + 3];
                    for (int k = 0; k < 4; ++k) {
                        EXPECT_EQ(line[4 * x + k], inked ? std::lround(c.cmyk[k] * 2.55) : 0);
                        coverage[k] += line[4 * x + k] / 255.0 / w / h;
                    }
                }
            }
            TIFFClose(tiff);
        } else {
            if (!HaveProgram("gs")) GTEST_SKIP() << "Ghostscript is not installed";
            const std::string out = Shell("gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=inkcov -o - '" + path + "'");
            ASSERT_EQ(std::sscanf(out.c_str(), "%lf %lf %lf %lf", &coverage[0], &coverage[1], &coverage[2], &coverage[3]), 4)
                << out;
        }
        for (int k = 0; k < 4; ++k) {
            if (c.cmyk[k]) EXPECT_GT(coverage[k], 0.05) << k;
            else EXPECT_EQ(coverage[k], 0) << k;
        }
    }
    // SVG has RGB only, and says so.
    BarPrintStyle style{};
    style.size = sizeof style;
    style.inkModel = BarInkCmyk;
    style.black = 100;
    const std::string svg = Dir() + "/ink.svg";
    ASSERT_EQ(BarPrint(svg.c_str(), BarFmtSvg, Samples[1].text, &style, nullptr), BarOk);
    const Bytes bytes = ReadAll(svg);
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("<!-- ink C 0 M 0 Y 0 K 100, stated as RGB #000000: SVG has no CMYK -->"),
              std::string::npos);
}

TEST(Memory, FileFormsHoldTheSameBytes)
{
    const Sample& s = Samples[7];
    const std::string path = Dir() + "/same";
    for (int format = BarFmtWmf; format <= BarFmtEmf; ++format) {
        SCOPED_TRACE(format);
        const bool raster = format == BarFmtBmp || format == BarFmtPng || format == BarFmtTif;
        const int w = raster ? 960 : 9600, h = raster ? 120 : 1200;
        const Bytes memory = Memory(format, s, w, h);
        ASSERT_FALSE(memory.empty());
        ASSERT_EQ(BarToFile(path.c_str(), format, s.text, BarFontDefault, w, h, w * 10, h * 10, s.types, 0, 0), BarOk);
        EXPECT_TRUE(ReadAll(path) == memory);
        const int single = format == BarFmtPng   ? BarToPng(path.c_str(), s.text, BarFontDefault, w, h, w * 10, h * 10, s.types, 0, 0)
                           : format == BarFmtSvg ? BarToSvg(path.c_str(), s.text, BarFontDefault, w, h, s.types, 0, 0)
                           : format == BarFmtPdf ? BarToPdf(path.c_str(), s.text, BarFontDefault, w, h, s.types, 0, 0)
                           : format == BarFmtEps ? BarToEps(path.c_str(), s.text, BarFontDefault, w, h, s.types, 0, 0)
                           : format == BarFmtWmf ? BarToWmf(path.c_str(), s.text, BarFontDefault, w, h, s.types)
                           : format == BarFmtBmp ? BarToBmp(path.c_str(), s.text, BarFontDefault, w, h, w * 10, h * 10, s.types)
                                                 : BarToFile(path.c_str(), format, s.text, BarFontDefault, w, h, w * 10, h * 10, s.types, 0, 0);
        ASSERT_EQ(single, BarOk);
        EXPECT_TRUE(ReadAll(path) == memory);
    }
}

// A drawing of the caller's own, recorded or drawn as the library does it,
// gives the library's bytes.
TEST(Memory, CallersDrawingsGiveTheLibrarysBytes)
{
    const Sample& s = Samples[1];
    HDC recording = CreateMetaFileA(nullptr);
    SetMapMode(recording, MM_ANISOTROPIC);
    SetWindowExtEx(recording, 5000, 2000, nullptr);
    SetWindowOrgEx(recording, 0, 0, nullptr);
    RECT rect{50, 50, 4900, 1900};
    ASSERT_EQ(Bar2Hdc(recording, s.text, &rect, BarFontDefault, s.types), 1);
    HMETAFILE metafile = CloseMetaFile(recording);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(428, 160, 1, 1, nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    rect = {0, 0, 428, 160};
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ASSERT_EQ(Bar2Hdc(dc, s.text, &rect, BarFontDefault, s.types), 1);
    SelectObject(dc, previous);
    DeleteDC(dc);
    for (int format : {BarFmtWmf, BarFmtSvg, BarFmtPdf, BarFmtEps, BarFmtEmf, BarFmtBmp, BarFmtPng, BarFmtTif}) {
        SCOPED_TRACE(format);
        const bool raster = format == BarFmtBmp || format == BarFmtPng || format == BarFmtTif;
        Bytes bytes(1 << 20);
        unsigned needed = 0;
        const int result = raster ? BarBitmapToMemory(bitmap, format, 4280, 1600, bytes.data(), unsigned(bytes.size()), &needed)
                                  : BarMetaFileToMemory(metafile, format, 5000, 2000, bytes.data(), unsigned(bytes.size()), &needed);
        ASSERT_EQ(result, BarOk);
        bytes.resize(needed);
        EXPECT_TRUE(bytes == (raster ? Memory(format, s, 428, 160) : Memory(format, s, 5000, 2000)));
    }
    unsigned needed = 1;
    EXPECT_EQ(BarBitmapToMemory(bitmap, BarFmtSvg, 0, 0, nullptr, 0, &needed), BarErrFile);
    EXPECT_EQ(BarMetaFileToMemory(metafile, BarFmtPng, 5000, 2000, nullptr, 0, &needed), BarErrFile);
    EXPECT_EQ(BarMetaFileToMemory(nullptr, BarFmtSvg, 5000, 2000, nullptr, 0, &needed), BarErrGdi);
    EXPECT_EQ(needed, 0u);
    DeleteMetaFile(metafile);
    DeleteObject(bitmap);
}

// The faces are found once and shared: threads making every format at once
// get the bytes one thread gets.
TEST(Memory, ThreadsGetTheSameBytes)
{
    const Sample& s = Samples[1];
    auto size = [](int format, bool height) {
        return (format == BarFmtBmp || format == BarFmtPng || format == BarFmtTif ? 1 : 10) * (height ? 160 : 428);
    };
    std::vector<Bytes> expected;
    for (int format = BarFmtWmf; format <= BarFmtEmf; ++format)
        expected.push_back(Memory(format, s, size(format, false), size(format, true)));
    std::vector<int> mismatches(4);
    std::vector<std::thread> threads;
    for (int& mismatch : mismatches)
        threads.emplace_back([&] {
            for (int round = 0; round < 20; ++round)
                for (int format = BarFmtWmf; format <= BarFmtEmf; ++format)
                    mismatch += Memory(format, s, size(format, false), size(format, true)) != expected[format - 1];
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST(Memory, ShortBufferIsLeftAlone)
{
    const Sample& s = Samples[1];
    for (int format = BarFmtWmf; format <= BarFmtEmf; ++format) {
        SCOPED_TRACE(format);
        unsigned needed = 0;
        ASSERT_EQ(BarToMemory(nullptr, 0, &needed, format, s.text, BarFontDefault, 4280, 1600, 0, 0, s.types, 0, 0), BarOk);
        ASSERT_GT(needed, 0u);
        Bytes buffer(needed + 16, 0xA5);
        unsigned reported = 0;
        EXPECT_EQ(BarToMemory(buffer.data(), needed - 1, &reported, format, s.text, BarFontDefault, 4280, 1600, 0, 0, s.types,
                              0, 0),
                  BarErrFile);
        EXPECT_EQ(reported, needed);
        EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xA5), long(buffer.size()));
        EXPECT_EQ(BarToMemory(buffer.data(), needed, &reported, format, s.text, BarFontDefault, 4280, 1600, 0, 0, s.types, 0, 0),
                  BarOk);
        EXPECT_EQ(std::count(buffer.begin() + needed, buffer.end(), 0xA5), 16);
    }
}

TEST(BadInput, NothingIsWritten)
{
    const std::string existing = Dir() + "/existing", missing = Dir() + "/missing/x";
    for (int format = BarFmtWmf; format <= BarFmtEmf; ++format) {
        SCOPED_TRACE(format);
        WriteAll(existing, {'k', 'e', 'e', 'p'});
        unsigned needed = 7;
        EXPECT_EQ(BarToFile(existing.c_str(), format, "12345", BarFontDefault, 3000, 1000, 0, 0, BarTypEan13, 0, 0), BarErrCode);
        EXPECT_TRUE(ReadAll(existing) == Bytes({'k', 'e', 'e', 'p'}));
        EXPECT_EQ(BarToMemory(nullptr, 0, &needed, format, "12345", BarFontDefault, 3000, 1000, 0, 0, BarTypEan13, 0, 0), BarErrCode);
        EXPECT_EQ(needed, 0u);
        EXPECT_EQ(BarToFile(missing.c_str(), format, "12", BarFontDefault, 3000, 1000, 0, 0, BarTypAll, 0, 0), BarErrFile);
        EXPECT_EQ(BarToFile(existing.c_str(), format, "12", BarFontDefault, 1 << 28, 1000, 0, 0, BarTypAll, 0, 0), BarErrGdi);
    }
    // An empty vector picture; an unknown format.
    for (int format : {BarFmtSvg, BarFmtPdf, BarFmtEps, BarFmtEmf})
        EXPECT_EQ(BarToFile(existing.c_str(), format, "12", BarFontDefault, 0, 1000, 0, 0, BarTypAll, 0, 0), BarErrGdi);
    EXPECT_EQ(BarToFile(existing.c_str(), 9, "12", BarFontDefault, 3000, 1000, 0, 0, BarTypAll, 0, 0), BarErrFile);
    EXPECT_TRUE(ReadAll(existing) == Bytes({'k', 'e', 'e', 'p'}));
}

} // namespace

#endif // !_WIN32
