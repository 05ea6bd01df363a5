// Type detection alone: a 13-digit EAN against every type, and a
// 70-character Code 39 text, which every other type turns down first.
#include <benchmark/benchmark.h>

#include "lumtar32.h"

namespace {

constexpr const char* Ean13 = "4006381333931";
// 70 characters of the Code 39 alphabet, the longest texts the frame sees.
constexpr const char* Code39Text = "CODE 39-0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ $/+%. THE QUICK FOX 1234";
static_assert(sizeof("CODE 39-0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ $/+%. THE QUICK FOX 1234") == 71);

void Detect(benchmark::State& state, const char* text, int expected)
{
    for (auto _ : state) {
        const char* t = text;
        benchmark::DoNotOptimize(t);
        const int type = BarCodeTyp(t, BarTypAll);
        benchmark::DoNotOptimize(type);
    }
    if (BarCodeTyp(text, BarTypAll) != expected) state.SkipWithError("unexpected type");
}

void BM_Detect_Ean13(benchmark::State& state) { Detect(state, Ean13, BarTypEan13); }
BENCHMARK(BM_Detect_Ean13)->Name("detect/BarCodeTyp_ean13_all");

void BM_Detect_Code39(benchmark::State& state) { Detect(state, Code39Text, BarTyp3aus9); }
BENCHMARK(BM_Detect_Code39)->Name("detect/BarCodeTyp_code39_70");

} // namespace
