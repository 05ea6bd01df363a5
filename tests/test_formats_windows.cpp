// The picture formats of lumtar32.dll, made from Windows' own DLLs: every
// format of every symbology is written; WIC reads the PNG and the TIFF back to
// the BMP's pixels and resolution (Wine's WIC writes the TIFF uncompressed,
// Windows' in CCITT Group 4 as asked); GDI takes the
// EMF back with its frame the picture's size; the PDF embeds the face GDI
// found. Windows build only (under wine64 or wine).
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#include <wincodec.h>

#include <string>
#include <vector>

#include "lumtar32_formats.h"

namespace {

using Bytes = std::vector<uint8_t>;

const struct {
    const char* text;
    int types;
} Samples[] = {
    {"0-306-40615-2", BarTypIsbn}, {"4006381333931", BarTypEan13}, {"96385074", BarTypEan8},
    {"03600029145", BarTypUpc12},  {"52495", BarTypEan5},          {"12", BarTypEan2},
    {"1234567890", BarTyp2aus5},   {"CODE 39", BarTyp3aus9},       {"A0123456789B", BarTypCodabar},
};

bool Raster(int format) { return format == BarFmtBmp || format == BarFmtPng || format == BarFmtTif; }

Bytes Memory(int format, const char* text, int types)
{
    const int w = Raster(format) ? 600 : 5000, h = Raster(format) ? 240 : 2000;
    unsigned needed = 0;
    if (BarToMemory(nullptr, 0, &needed, format, text, BarFontDefault, w, h, 5080, 2032, types, 0, 0) != BarOk) return {};
    Bytes bytes(needed);
    if (BarToMemory(bytes.data(), needed, &needed, format, text, BarFontDefault, w, h, 5080, 2032, types, 0, 0) != BarOk)
        return {};
    return bytes;
}

// The pixels as 1-bit rows top first (0 black), the resolution, through WIC.
struct Decoded {
    Bytes rows;
    double dpiX = 0, dpiY = 0;
};

Decoded ThroughWic(const Bytes& file)
{
    Decoded d;
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    UINT w = 0, h = 0;
    GUID format{};
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(file.data()), DWORD(file.size()))) &&
        SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnLoad, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&w, &h)) &&
        SUCCEEDED(frame->GetResolution(&d.dpiX, &d.dpiY)) && SUCCEEDED(frame->GetPixelFormat(&format)) &&
        IsEqualGUID(format, GUID_WICPixelFormatBlackWhite)) { // 1 bit, 0 black
        const UINT stride = (w + 31) / 32 * 4;
        d.rows.resize(size_t(stride) * h);
        if (FAILED(frame->CopyPixels(nullptr, stride, UINT(d.rows.size()), d.rows.data()))) d.rows.clear();
        for (UINT y = 0; y < h; ++y) // the padding as the BMP's rows are compared: none
            for (UINT x = w; x < stride * 8; ++x) d.rows[y * stride + x / 8] &= uint8_t(~(0x80 >> (x % 8)));
    }
    for (IUnknown* p : {static_cast<IUnknown*>(frame), static_cast<IUnknown*>(decoder),
                        static_cast<IUnknown*>(stream), static_cast<IUnknown*>(factory)})
        if (p) p->Release();
    return d;
}

// The BMP's rows, top first, without the padding at their ends.
Bytes BmpRows(const Bytes& bmp)
{
    const size_t stride = (600 + 31) / 32 * 4;
    Bytes rows;
    for (int y = 239; y >= 0; --y) {
        rows.insert(rows.end(), bmp.begin() + 62 + y * stride, bmp.begin() + 62 + y * stride + 75); // 600 pixels
        rows.insert(rows.end(), stride - 75, 0);
    }
    return rows;
}

TEST(WindowsFormats, EveryFormatFromWindowsOwnDlls)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (const auto& s : Samples) {
        const Bytes bmp = Memory(BarFmtBmp, s.text, s.types);
        ASSERT_EQ(bmp.size(), 62u + 76 * 240) << s.text;
        for (int format : {BarFmtPng, BarFmtTif}) {
            SCOPED_TRACE(std::string(s.text) + " " + std::to_string(format));
            const Decoded d = ThroughWic(Memory(format, s.text, s.types));
            EXPECT_TRUE(d.rows == BmpRows(bmp));
            EXPECT_NEAR(d.dpiX, 300, 0.01);
            EXPECT_NEAR(d.dpiY, 300, 0.01);
        }
        const Bytes emf = Memory(BarFmtEmf, s.text, s.types);
        HENHMETAFILE metafile = SetEnhMetaFileBits(UINT(emf.size()), emf.data());
        ENHMETAHEADER header{};
        ASSERT_TRUE(metafile && GetEnhMetaFileHeader(metafile, sizeof header, &header)) << s.text;
        EXPECT_EQ(header.rclFrame.right - header.rclFrame.left, 5000);
        EXPECT_EQ(header.rclFrame.bottom - header.rclFrame.top, 2000);
        DeleteEnhMetaFile(metafile);
        const Bytes svg = Memory(BarFmtSvg, s.text, s.types), eps = Memory(BarFmtEps, s.text, s.types),
                    pdf = Memory(BarFmtPdf, s.text, s.types);
        ASSERT_TRUE(svg.size() > 5 && eps.size() > 4 && !pdf.empty()) << s.text;
        EXPECT_EQ(std::string(svg.begin(), svg.begin() + 5), "<?xml");
        EXPECT_EQ(std::string(eps.begin(), eps.begin() + 4), "%!PS");
        EXPECT_NE(std::string(pdf.begin(), pdf.end()).find("/FontFile2"), std::string::npos) << s.text;
    }
    CoUninitialize();
}

} // namespace

#endif // _WIN32
