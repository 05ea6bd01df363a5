// PNG, TIFF, SVG, EPS, EMF and PDF beside zint's files of the same EAN-13:
// PNG and TIFF at zint's scale-3 pixel size, the vector formats at 50 x 20
// mm; each also into memory.
#include <benchmark/benchmark.h>
#include <zint.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "lumtar32_formats.h"

namespace {

using bench::Ean13Text;

bool Raster(int format) { return format == BarFmtPng || format == BarFmtBmp || format == BarFmtTif; }

int Width(int format) { return Raster(format) ? bench::BmpWidth : bench::WmfWidth; }
int Height(int format) { return Raster(format) ? bench::BmpHeight : bench::WmfHeight; }

// The printed size of 300 dpi for the raster formats.
void File(benchmark::State& state, int format, const char* name)
{
    const std::string path = bench::ScratchDir() + "/lumtar." + name;
    const int w = Width(format), h = Height(format);
    for (auto _ : state) {
        if (BarToFile(path.c_str(), format, Ean13Text, BarFontDefault, w, h, w * 254 / 30, h * 254 / 30, BarTypEan13, 0, 0) !=
            BarOk) {
            state.SkipWithError("BarToFile failed");
            break;
        }
    }
}

// Into a buffer that is large enough, as a caller that keeps one would.
void Memory(benchmark::State& state, int format)
{
    std::vector<unsigned char> buffer(1 << 20);
    const int w = Width(format), h = Height(format);
    unsigned needed = 0;
    for (auto _ : state) {
        if (BarToMemory(buffer.data(), static_cast<unsigned>(buffer.size()), &needed, format, Ean13Text, BarFontDefault, w,
                        h, w * 254 / 30, h * 254 / 30, BarTypEan13, 0, 0) != BarOk) {
            state.SkipWithError("BarToMemory failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * needed);
}

// One zint symbol reused and cleared between symbols, as in its batch mode.
void Zint(benchmark::State& state, const char* extension)
{
    zint_symbol* symbol = ZBarcode_Create();
    symbol->symbology = BARCODE_EANX;
    symbol->scale = bench::ZintScale;
    const std::string out = bench::ScratchDir() + "/zint." + extension;
    std::strncpy(symbol->outfile, out.c_str(), sizeof symbol->outfile - 1);
    const auto* data = reinterpret_cast<const unsigned char*>(Ean13Text);
    for (auto _ : state) {
        ZBarcode_Clear(symbol);
        if (ZBarcode_Encode_and_Print(symbol, data, 0, 0) >= ZINT_ERROR) {
            state.SkipWithError(symbol->errtxt);
            break;
        }
    }
    ZBarcode_Delete(symbol);
}

BENCHMARK_CAPTURE(File, png, BarFmtPng, "png")->Name("formats/lumtar_BarToFile_png");
BENCHMARK_CAPTURE(Zint, png, "png")->Name("formats/zint_png");
BENCHMARK_CAPTURE(Memory, png, BarFmtPng)->Name("formats/lumtar_BarToMemory_png");
BENCHMARK_CAPTURE(File, svg, BarFmtSvg, "svg")->Name("formats/lumtar_BarToFile_svg");
BENCHMARK_CAPTURE(Zint, svg, "svg")->Name("formats/zint_svg");
BENCHMARK_CAPTURE(Memory, svg, BarFmtSvg)->Name("formats/lumtar_BarToMemory_svg");
BENCHMARK_CAPTURE(File, eps, BarFmtEps, "eps")->Name("formats/lumtar_BarToFile_eps");
BENCHMARK_CAPTURE(Zint, eps, "eps")->Name("formats/zint_eps");
BENCHMARK_CAPTURE(Memory, eps, BarFmtEps)->Name("formats/lumtar_BarToMemory_eps");
BENCHMARK_CAPTURE(File, tif, BarFmtTif, "tif")->Name("formats/lumtar_BarToFile_tif");
BENCHMARK_CAPTURE(Zint, tif, "tif")->Name("formats/zint_tif");
BENCHMARK_CAPTURE(Memory, tif, BarFmtTif)->Name("formats/lumtar_BarToMemory_tif");
BENCHMARK_CAPTURE(File, emf, BarFmtEmf, "emf")->Name("formats/lumtar_BarToFile_emf");
BENCHMARK_CAPTURE(Zint, emf, "emf")->Name("formats/zint_emf");
BENCHMARK_CAPTURE(Memory, emf, BarFmtEmf)->Name("formats/lumtar_BarToMemory_emf");
BENCHMARK_CAPTURE(File, pdf, BarFmtPdf, "pdf")->Name("formats/lumtar_BarToFile_pdf");
BENCHMARK_CAPTURE(Memory, pdf, BarFmtPdf)->Name("formats/lumtar_BarToMemory_pdf");

} // namespace
