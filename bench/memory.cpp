// The symbol drawn in memory: Bar2Hdc into a 678 x 348 monochrome bitmap
// device context and its rows read back with GetDIBits, against zint's
// Encode_and_Buffer (which leaves an RGB raster in the symbol).
#include <benchmark/benchmark.h>
#include <zint.h>

#include <cstring>
#include <vector>

#include "bench/bench.h"
#include "lumtar32.h"
#include "lumtar32_gdi.h"

namespace {

struct MonochromeInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
};

// A printing application's loop: one bitmap DC, whitened, drawn on and read
// back for every label.
void BM_Memory_Lumtar(benchmark::State& state)
{
    const int w = bench::BmpWidth, h = bench::BmpHeight;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(w, h, 1, 1, nullptr);
    if (!dc || !bitmap) {
        state.SkipWithError("no bitmap DC");
        return;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT rect;
    SetRect(&rect, 0, 0, w, h);
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    std::vector<unsigned char> rows(static_cast<std::size_t>((w + 31) / 32 * 4 * h));
    MonochromeInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = w;
    info.header.biHeight = h;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biSizeImage = static_cast<DWORD>(rows.size());
    info.colors[1] = RGBQUAD{255, 255, 255, 0};

    for (auto _ : state) {
        FillRect(dc, &rect, white);
        if (!Bar2Hdc(dc, bench::Ean13Text, &rect, BarFontDefault, BarTypEan13) ||
            GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), rows.data(), reinterpret_cast<BITMAPINFO*>(&info),
                      DIB_RGB_COLORS) != h) {
            state.SkipWithError("Bar2Hdc or GetDIBits failed");
            break;
        }
        benchmark::DoNotOptimize(rows.data());
        benchmark::ClobberMemory();
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}
BENCHMARK(BM_Memory_Lumtar)->Name("memory/lumtar_Bar2Hdc_GetDIBits");

// The same with the DC and the bitmap created and deleted for every label.
void BM_Memory_LumtarFresh(benchmark::State& state)
{
    const int w = bench::BmpWidth, h = bench::BmpHeight;
    std::vector<unsigned char> rows(static_cast<std::size_t>((w + 31) / 32 * 4 * h));
    MonochromeInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = w;
    info.header.biHeight = h;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    RECT rect;
    SetRect(&rect, 0, 0, w, h);
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    for (auto _ : state) {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateBitmap(w, h, 1, 1, nullptr);
        HGDIOBJ previous = SelectObject(dc, bitmap);
        FillRect(dc, &rect, white);
        const bool ok = Bar2Hdc(dc, bench::Ean13Text, &rect, BarFontDefault, BarTypEan13) &&
                        GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), rows.data(),
                                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == h;
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
        if (!ok) {
            state.SkipWithError("Bar2Hdc or GetDIBits failed");
            break;
        }
        benchmark::DoNotOptimize(rows.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memory_LumtarFresh)->Name("memory/lumtar_Bar2Hdc_GetDIBits_newDC");

void BM_Memory_Zint(benchmark::State& state)
{
    zint_symbol* symbol = ZBarcode_Create();
    symbol->symbology = BARCODE_EANX;
    symbol->scale = bench::ZintScale;
    const auto* data = reinterpret_cast<const unsigned char*>(bench::Ean13Text);
    for (auto _ : state) {
        ZBarcode_Clear(symbol);
        if (ZBarcode_Encode_and_Buffer(symbol, data, 0, 0) >= ZINT_ERROR) {
            state.SkipWithError(symbol->errtxt);
            break;
        }
        benchmark::DoNotOptimize(symbol->bitmap);
        benchmark::ClobberMemory();
    }
    if (symbol->bitmap_width != bench::BmpWidth || symbol->bitmap_height != bench::BmpHeight)
        state.SkipWithError("zint's raster is not 678 x 348");
    ZBarcode_Delete(symbol);
}
BENCHMARK(BM_Memory_Zint)->Name("memory/zint_Encode_and_Buffer");

} // namespace
