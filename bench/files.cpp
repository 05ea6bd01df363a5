// File outputs side by side: BarToBmp against zint's BMP and the bare cost of
// writing that many bytes, BarToWmf against zint's EMF, and BarToBmp over
// bitmap sizes from 100 x 50 to 8000 x 4000.
#include <benchmark/benchmark.h>
#include <zint.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "lumtar32.h"

namespace {

using bench::Ean13Text;

// BarToBmp with the printed size of 300 dpi; the resolution only fills two header fields.
int LumtarBmp(const std::string& path, int width, int height)
{
    return BarToBmp(path.c_str(), Ean13Text, BarFontDefault, width, height, width * 254 / 30, height * 254 / 30,
                    BarTypEan13);
}

void BM_Bmp_Lumtar(benchmark::State& state)
{
    const std::string path = bench::ScratchDir() + "/lumtar.bmp";
    for (auto _ : state) {
        if (LumtarBmp(path, bench::BmpWidth, bench::BmpHeight) != BarOk) {
            state.SkipWithError("BarToBmp failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * bench::BmpFileSize(bench::BmpWidth, bench::BmpHeight));
}
BENCHMARK(BM_Bmp_Lumtar)->Name("bmp/lumtar_BarToBmp");

// One zint symbol, reused and cleared between symbols as its own batch mode does.
struct ZintSymbol {
    zint_symbol* symbol = ZBarcode_Create();
    ZintSymbol(const std::string& outfile)
    {
        symbol->symbology = BARCODE_EANX;
        symbol->scale = bench::ZintScale;
        std::strncpy(symbol->outfile, outfile.c_str(), sizeof symbol->outfile - 1);
    }
    ~ZintSymbol() { ZBarcode_Delete(symbol); }
    ZintSymbol(const ZintSymbol&) = delete;
    ZintSymbol& operator=(const ZintSymbol&) = delete;
};

void ZintPrint(benchmark::State& state, const std::string& outfile)
{
    ZintSymbol z(outfile);
    const auto* data = reinterpret_cast<const unsigned char*>(Ean13Text);
    for (auto _ : state) {
        ZBarcode_Clear(z.symbol);
        if (ZBarcode_Encode_and_Print(z.symbol, data, 0, 0) >= ZINT_ERROR) {
            state.SkipWithError(z.symbol->errtxt);
            break;
        }
    }
}

void BM_Bmp_Zint(benchmark::State& state) { ZintPrint(state, bench::ScratchDir() + "/zint.bmp"); }
BENCHMARK(BM_Bmp_Zint)->Name("bmp/zint_Encode_and_Print");

// The floor: create (truncate) a file, write a header (14 bytes for a BMP)
// and the rest of the same number of bytes as the library's file, close it.
void FileFloor(benchmark::State& state, long fileSize, std::size_t header = 14)
{
    const std::string path = bench::ScratchDir() + "/floor.bmp";
    const std::vector<char> bytes(static_cast<std::size_t>(fileSize), '\x55');
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), header) != static_cast<ssize_t>(header) ||
            ::write(fd, bytes.data() + header, bytes.size() - header) != static_cast<ssize_t>(bytes.size() - header)) {
            state.SkipWithError("cannot write the floor file");
            if (fd >= 0) ::close(fd);
            break;
        }
        ::close(fd);
    }
}

void BM_Floor(benchmark::State& state)
{
    FileFloor(state, bench::BmpFileSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
}
// At the BMP size of comparison 2 and at every size of the scaling series.
BENCHMARK(BM_Floor)
    ->Name("floor/create_write2_close")
    ->Args({100, 50})
    ->Args({200, 100})
    ->Args({400, 200})
    ->Args({bench::BmpWidth, bench::BmpHeight})
    ->Args({1000, 500})
    ->Args({2000, 1000})
    ->Args({4000, 2000})
    ->Args({8000, 4000});

void BM_Wmf_Lumtar(benchmark::State& state)
{
    const std::string path = bench::ScratchDir() + "/lumtar.wmf";
    for (auto _ : state) {
        if (BarToWmf(path.c_str(), Ean13Text, BarFontDefault, bench::WmfWidth, bench::WmfHeight, BarTypEan13) != BarOk) {
            state.SkipWithError("BarToWmf failed");
            break;
        }
    }
}
BENCHMARK(BM_Wmf_Lumtar)->Name("wmf/lumtar_BarToWmf");

// The floor of BarToWmf: the size of its file, as its 22-byte placeable
// header and the metafile.
void BM_WmfFloor(benchmark::State& state)
{
    const std::string path = bench::ScratchDir() + "/floor-size.wmf";
    struct stat file {};
    if (BarToWmf(path.c_str(), Ean13Text, BarFontDefault, bench::WmfWidth, bench::WmfHeight, BarTypEan13) != BarOk ||
        ::stat(path.c_str(), &file) != 0) {
        state.SkipWithError("BarToWmf failed");
        return;
    }
    FileFloor(state, static_cast<long>(file.st_size), 22);
}
BENCHMARK(BM_WmfFloor)->Name("floor/wmf_create_write2_close");

void BM_Wmf_Zint(benchmark::State& state) { ZintPrint(state, bench::ScratchDir() + "/zint.emf"); }
BENCHMARK(BM_Wmf_Zint)->Name("wmf/zint_emf");

// Scaling: the same symbol into bitmaps from 5000 to 32 million pixels.
void BM_Scaling(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const std::string path = bench::ScratchDir() + "/scaling.bmp";
    for (auto _ : state) {
        if (LumtarBmp(path, width, height) != BarOk) {
            state.SkipWithError("BarToBmp failed");
            break;
        }
    }
    state.counters["ns_per_px"] =
        benchmark::Counter(double(width) * height, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert,
                           benchmark::Counter::kIs1000);
    state.SetBytesProcessed(state.iterations() * bench::BmpFileSize(width, height));
}
BENCHMARK(BM_Scaling)
    ->Name("scaling/lumtar_BarToBmp")
    ->Args({100, 50})
    ->Args({200, 100})
    ->Args({400, 200})
    ->Args({bench::BmpWidth, bench::BmpHeight})
    ->Args({1000, 500})
    ->Args({2000, 1000})
    ->Args({4000, 2000})
    ->Args({8000, 4000});

// The smallest bitmap without human-readable text: what the characters cost there.
void BM_Small_NoText(benchmark::State& state)
{
    const std::string path = bench::ScratchDir() + "/small.bmp";
    for (auto _ : state) {
        if (BarToBmp(path.c_str(), Ean13Text, BarFontNone, 100, 50, 847, 423, BarTypEan13) != BarOk) {
            state.SkipWithError("BarToBmp failed");
            break;
        }
    }
}
BENCHMARK(BM_Small_NoText)->Name("scaling/lumtar_BarToBmp_FontNone")->Args({100, 50});

} // namespace
