// PNG and TIFF on Windows through its own imaging component (WIC,
// windowscodecs.dll): the bitmap's rows top row first, 1 bit a pixel with 0
// black as the bitmap has them (WIC's BlackWhite format, or 1bppIndexed with
// a palette of ink and paper), the resolution in dots per inch; a TIFF in
// CCITT Group 4, or 32-bit CMYK for a CMYK ink.
// Written into a memory stream, then copied out.
#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "output/press.h"
#include "platform/bytes.h"

namespace lumtar {
namespace {

template <class T> void Release(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

// The rows top first, as WIC takes them: 1 bit a pixel, or four CMYK bytes.
std::vector<uint8_t> Pixels(const uint8_t* rows, int width, int height, const Ink& ink, UINT& stride)
{
    const size_t bmpStride = static_cast<size_t>(BmpStride(width));
    stride = ink.cmyk ? 4u * static_cast<UINT>(width) : static_cast<UINT>(bmpStride);
    std::vector<uint8_t> pixels(static_cast<size_t>(stride) * height);
    const uint8_t inked[4] = {static_cast<uint8_t>(std::lround(ink.cyan * 255)), static_cast<uint8_t>(std::lround(ink.magenta * 255)),
                              static_cast<uint8_t>(std::lround(ink.yellow * 255)), static_cast<uint8_t>(std::lround(ink.black * 255))};
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rows + static_cast<size_t>(height - 1 - y) * bmpStride;
        uint8_t* to = pixels.data() + static_cast<size_t>(y) * stride;
        if (!ink.cmyk) {
            std::memcpy(to, row, bmpStride);
            continue;
        }
        for (int x = 0; x < width; ++x)
            if (!(row[x / 8] >> (7 - x % 8) & 1)) std::memcpy(to + 4 * x, inked, 4);
    }
    return pixels;
}

bool Options(IPropertyBag2* options, bool tiff, bool cmyk)
{
    if (!tiff || cmyk || !options) return true;
    PROPBAG2 option{};
    option.pstrName = const_cast<LPOLESTR>(L"TiffCompressionMethod");
    VARIANT value{};
    value.vt = VT_UI1;
    value.bVal = WICTiffCompressionCCITT4;
    return SUCCEEDED(options->Write(1, &option, &value));
}

bool CopyOut(IStream* stream, Bytes& out)
{
    STATSTG stat{};
    LARGE_INTEGER start{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return false;
    out.resize(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    return SUCCEEDED(stream->Read(out.data(), static_cast<ULONG>(out.size()), &read)) && read == out.size();
}

struct Encoding {
    IWICImagingFactory* factory = nullptr;
    IStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IPropertyBag2* options = nullptr;
    IWICPalette* palette = nullptr;
    ~Encoding()
    {
        Release(palette);
        Release(options);
        Release(frame);
        Release(encoder);
        Release(stream);
        Release(factory);
    }
};

// A PNG's ink and paper as the palette of a 1-bit indexed picture, the same bits.
bool SetPalette(Encoding& e, const Palette& colors)
{
    WICColor entries[2] = {0xFF000000 | colors.ink, (colors.clearPaper ? 0 : 0xFF000000) | colors.paper};
    return SUCCEEDED(e.factory->CreatePalette(&e.palette)) && SUCCEEDED(e.palette->InitializeCustom(entries, 2)) &&
           SUCCEEDED(e.frame->SetPalette(e.palette));
}

bool Encode(Encoding& e, const GUID& container, const uint8_t* rows, int width, int height, int physWidth, int physHeight,
            const Ink& ink, const Palette* palette)
{
    const bool tiff = IsEqualGUID(container, GUID_ContainerFormatTiff);
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&e.factory))) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &e.stream)) ||
        FAILED(e.factory->CreateEncoder(container, nullptr, &e.encoder)) ||
        FAILED(e.encoder->Initialize(e.stream, WICBitmapEncoderNoCache)) ||
        FAILED(e.encoder->CreateNewFrame(&e.frame, &e.options)) || !Options(e.options, tiff, ink.cmyk) ||
        FAILED(e.frame->Initialize(e.options)) || FAILED(e.frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))))
        return false;
    const GUID wanted = ink.cmyk   ? GUID_WICPixelFormat32bppCMYK
                        : palette ? GUID_WICPixelFormat1bppIndexed
                                  : GUID_WICPixelFormatBlackWhite;
    GUID format = wanted;
    if (FAILED(e.frame->SetPixelFormat(&format)) || !IsEqualGUID(format, wanted)) return false;
    if (palette && !SetPalette(e, *palette)) return false;
    if (physWidth > 0 && physHeight > 0 &&
        FAILED(e.frame->SetResolution(width * 2540.0 / physWidth, height * 2540.0 / physHeight)))
        return false;
    UINT stride = 0;
    std::vector<uint8_t> pixels = Pixels(rows, width, height, ink, stride);
    return SUCCEEDED(e.frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(pixels.size()), pixels.data())) &&
           SUCCEEDED(e.frame->Commit()) && SUCCEEDED(e.encoder->Commit());
}

int Encoded(const GUID& container, const uint8_t* rows, int width, int height, int physWidth, int physHeight,
            const Ink& ink, const Palette* palette, Bytes& out)
{
    if (!rows || width <= 0 || height <= 0) return BarErrGdi;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED); // or the thread's own apartment, as it is
    bool done = false;
    try {
        Encoding e;
        done = Encode(e, container, rows, width, height, physWidth, physHeight, ink, palette) && CopyOut(e.stream, out);
    } catch (...) { // memory for the pixels or the copy
        done = false;
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return done ? BarOk : BarErrGdi;
}

} // namespace

int PngOfRows(const uint8_t* rows, int width, int height, int physWidth, int physHeight, const Palette* palette,
              Bytes& out)
{
    return Encoded(GUID_ContainerFormatPng, rows, width, height, physWidth, physHeight, Ink{}, palette, out);
}

int TiffOfRows(const uint8_t* rows, int width, int height, int physWidth, int physHeight, const Ink& ink, Bytes& out)
{
    return Encoded(GUID_ContainerFormatTiff, rows, width, height, physWidth, physHeight, ink, nullptr, out);
}

} // namespace lumtar
