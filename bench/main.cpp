// The benchmark program: Google Benchmark's console output, and after it one
// table that sets each comparison's medians side by side with their ratio and
// target. Without arguments every benchmark runs 7 times, the repetitions of
// all benchmarks shuffled, so that a neighbour's load falls on both sides of a
// comparison alike; Google Benchmark's own flags override these defaults.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/bench.h"

namespace bench {

const std::string& ScratchDir()
{
    static const std::string dir = [] {
        const char* env = std::getenv("LUMTAR_BENCH_DIR");
        std::string d = env && *env ? env : "/dev/shm/lumtar-bench";
        ::mkdir(d.c_str(), 0755);
        struct statfs fs {};
        constexpr long TmpfsMagic = 0x01021994;
        if (::statfs(d.c_str(), &fs) != 0 || fs.f_type != TmpfsMagic)
            std::fprintf(stderr, "lumtar_bench: %s is not a tmpfs; file figures include the disk\n", d.c_str());
        return d;
    }();
    return dir;
}

long BmpFileSize(int width, int height) { return 62 + (long{width} + 31) / 32 * 4 * height; }

} // namespace bench

namespace {

// CPU time of the benchmark thread (user and system: a file write to the
// tmpfs is the thread's own kernel time), which a neighbour's load does not
// stretch; wall time where a benchmark asks for it (the batch runs others'
// processes).
double Nanoseconds(const benchmark::BenchmarkReporter::Run& run)
{
    double perUnit = 1;
    switch (run.time_unit) {
    case benchmark::kNanosecond: perUnit = 1; break;
    case benchmark::kMicrosecond: perUnit = 1e3; break;
    case benchmark::kMillisecond: perUnit = 1e6; break;
    case benchmark::kSecond: perUnit = 1e9; break;
    }
    const bool wall = run.run_name.time_type.find("real_time") != std::string::npos;
    return (wall ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime()) * perUnit;
}

std::string Key(const benchmark::BenchmarkReporter::Run& run)
{
    return run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
}

std::string Time(double ns)
{
    char buf[32];
    if (ns >= 1e9) std::snprintf(buf, sizeof buf, "%.2f s", ns / 1e9);
    else if (ns >= 1e6) std::snprintf(buf, sizeof buf, "%.1f ms", ns / 1e6);
    else if (ns >= 1e3) std::snprintf(buf, sizeof buf, "%.1f us", ns / 1e3);
    else std::snprintf(buf, sizeof buf, "%.1f ns", ns);
    return buf;
}

// Console output as usual; the median of every benchmark kept for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") median_[Key(run)] = Nanoseconds(run);
            // A single repetition has no aggregates: its one run is the median.
            if (run.run_type == Run::RT_Iteration && run.repetitions <= 1) median_[Key(run)] = Nanoseconds(run);
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        PrintSummary();
    }

private:
    const double* Median(const std::string& key) const
    {
        auto it = median_.find(key);
        return it == median_.end() ? nullptr : &it->second;
    }

    enum class Goal { Faster, Within, Under };
    struct Comparison {
        const char* title;
        const char* ours;
        const char* other; // peer or floor; null for an absolute target
        Goal goal;
        double target;
    };

    void Line(const char* title, const std::string& a, const std::string& b, const std::string& ratio,
              const std::string& target, const char* verdict)
    {
        std::printf("%-44s %12s %12s %10s %12s  %s\n", title, a.c_str(), b.c_str(), ratio.c_str(), target.c_str(), verdict);
    }

    void PrintSummary()
    {
        static const Comparison comparisons[] = {
            {"1 BMP file 678x348: BarToBmp vs zint", "bmp/lumtar_BarToBmp", "bmp/zint_Encode_and_Print", Goal::Faster, 10},
            {"2 BarToBmp vs floor (create+2 writes+close)", "bmp/lumtar_BarToBmp", "floor/create_write2_close/678/348",
             Goal::Within, 1.5},
            {"3 in memory: Bar2Hdc+GetDIBits vs zint", "memory/lumtar_Bar2Hdc_GetDIBits", "memory/zint_Encode_and_Buffer",
             Goal::Faster, 10},
            {"3b same, new DC+bitmap per label, vs zint", "memory/lumtar_Bar2Hdc_GetDIBits_newDC",
             "memory/zint_Encode_and_Buffer", Goal::Faster, 10},
            {"4 WMF 5000x2000: BarToWmf vs zint EMF", "wmf/lumtar_BarToWmf", "wmf/zint_emf", Goal::Faster, 1},
            {"4b BarToWmf vs floor of its bytes", "wmf/lumtar_BarToWmf", "floor/wmf_create_write2_close", Goal::Within, 1.3},
            {"5 BarCodeTyp EAN-13, BarTypAll", "detect/BarCodeTyp_ean13_all", nullptr, Goal::Under, 50},
            {"5 BarCodeTyp Code 39, 70 chars, BarTypAll", "detect/BarCodeTyp_code39_70", nullptr, Goal::Under, 0},
            {"6 BarToBmp 100x50 vs floor of its bytes", "scaling/lumtar_BarToBmp/100/50", "floor/create_write2_close/100/50",
             Goal::Within, 2},
            {"7 batch 10,000 BMPs: lumtar vs zint --batch", "batch/lumtar_batch", "batch/zint_batch", Goal::Faster, 10},
            {"8 PNG 678x348: BarToFile vs zint", "formats/lumtar_BarToFile_png", "formats/zint_png", Goal::Faster, 10},
            {"8 SVG 50x20 mm: BarToFile vs zint", "formats/lumtar_BarToFile_svg", "formats/zint_svg", Goal::Faster, 1},
            {"8 EPS 50x20 mm: BarToFile vs zint", "formats/lumtar_BarToFile_eps", "formats/zint_eps", Goal::Faster, 1},
            {"8 TIF 678x348: BarToFile vs zint", "formats/lumtar_BarToFile_tif", "formats/zint_tif", Goal::Faster, 1},
            {"8 EMF 50x20 mm: BarToFile vs zint", "formats/lumtar_BarToFile_emf", "formats/zint_emf", Goal::Faster, 1},
            {"8 PDF 50x20 mm: BarToFile vs our EPS", "formats/lumtar_BarToFile_pdf", "formats/lumtar_BarToFile_eps",
             Goal::Within, 2},
        };

        std::printf("\nComparisons (medians; CPU time in process, wall time for the batch; ratio = how many times faster, or x the floor)\n");
        Line("comparison", "lumtar32", "other", "ratio", "target", "");
        for (const Comparison& c : comparisons) {
            const double* ours = Median(c.ours);
            const double* other = c.other ? Median(c.other) : nullptr;
            if (!ours || (c.other && !other)) {
                Line(c.title, ours ? Time(*ours) : "-", other ? Time(*other) : "-", "-", "", "not run");
                continue;
            }
            char ratio[32] = "", target[32] = "";
            bool met = true;
            switch (c.goal) {
            case Goal::Faster:
                std::snprintf(ratio, sizeof ratio, "%.1fx", *other / *ours);
                std::snprintf(target, sizeof target, ">= %gx", c.target);
                met = *other / *ours >= c.target;
                break;
            case Goal::Within:
                std::snprintf(ratio, sizeof ratio, "%.2fx", *ours / *other);
                std::snprintf(target, sizeof target, "<= %gx", c.target);
                met = *ours / *other <= c.target;
                break;
            case Goal::Under:
                if (c.target > 0) {
                    std::snprintf(ratio, sizeof ratio, "%.2fx", *ours / c.target);
                    std::snprintf(target, sizeof target, "< %g ns", c.target);
                    met = *ours < c.target;
                }
                break;
            }
            Line(c.title, Time(*ours), other ? Time(*other) : "", ratio, target,
                 target[0] ? (met ? "met" : "MISSED") : "");
        }
        PrintScaling();
    }

    // Time per pixel over the sizes, against the 678 x 348 figure, whole and
    // with the file floor of the same size taken off (what the library adds).
    void PrintScaling()
    {
        static const int sizes[][2] = {{100, 50},   {200, 100},   {400, 200},   {678, 348},
                                       {1000, 500}, {2000, 1000}, {4000, 2000}, {8000, 4000}};
        auto key = [](const char* family, const int* s) {
            return std::string(family) + "/" + std::to_string(s[0]) + "/" + std::to_string(s[1]);
        };
        const double* reference = Median("scaling/lumtar_BarToBmp/678/348");
        const double* referenceFloor = Median("floor/create_write2_close/678/348");
        std::printf("\n6 scaling: BarToBmp time per pixel (must not grow with the size)\n");
        std::printf("%-10s %10s %10s %9s %10s %13s %9s %9s\n", "pixels", "median", "ns/pixel", "vs 678", "floor",
                    "above floor", "ns/pixel", "vs 678");
        double previous = 0, largestStep = 0, largestVsReference = 0;
        bool grows = false;
        for (const auto& s : sizes) {
            const double* t = Median(key("scaling/lumtar_BarToBmp", s));
            if (!t) continue;
            const double pixels = double(s[0]) * s[1];
            const double perPixel = *t / pixels;
            char name[24], ratio[24] = "-", floorText[24] = "-", above[24] = "-", abovePerPixel[24] = "-", aboveRatio[24] = "-";
            std::snprintf(name, sizeof name, "%dx%d", s[0], s[1]);
            if (reference) std::snprintf(ratio, sizeof ratio, "%.2fx", perPixel / (*reference / (678.0 * 348)));
            if (const double* floor = Median(key("floor/create_write2_close", s))) {
                const double library = *t - *floor;
                std::snprintf(floorText, sizeof floorText, "%s", Time(*floor).c_str());
                std::snprintf(above, sizeof above, "%s", Time(library).c_str());
                std::snprintf(abovePerPixel, sizeof abovePerPixel, "%.4f", library / pixels);
                if (reference && referenceFloor)
                    std::snprintf(aboveRatio, sizeof aboveRatio, "%.2fx",
                                  (library / pixels) / ((*reference - *referenceFloor) / (678.0 * 348)));
                // From the reference size up, what the library adds per pixel
                // must fall or stay (10 % allowed for noise).
                if (s[0] >= 678) {
                    if (previous > 0) largestStep = std::max(largestStep, library / pixels / previous);
                    if (reference && referenceFloor)
                        largestVsReference = std::max(largestVsReference, (library / pixels) / ((*reference - *referenceFloor) / (678.0 * 348)));
                    previous = library / pixels;
                }
            }
            std::printf("%-10s %10s %10.4f %9s %10s %13s %9s %9s\n", name, Time(*t).c_str(), perPixel, ratio, floorText,
                        above, abovePerPixel, aboveRatio);
        }
        if (const double* none = Median("scaling/lumtar_BarToBmp_FontNone/100/50"))
            if (const double* small = Median("scaling/lumtar_BarToBmp/100/50"))
                std::printf("100x50 without text (BarFontNone): %s, the text adds %s\n", Time(*none).c_str(),
                            Time(*small - *none).c_str());
        // Repetitions of one benchmark differ by 10 to 30 % on a shared
        // machine: a size may cost up to 25 % more per pixel than the
        // reference and still count as not growing.
        grows = largestVsReference > 1.25;
        if (previous > 0)
            std::printf("library time per pixel from 678x348 up: at most %.2fx the 678x348 figure (25%% allowed for noise), largest step %+.0f%%: %s\n",
                        largestVsReference, (largestStep - 1) * 100, grows ? "GROWS, MISSED" : "does not grow, met");
    }

    std::map<std::string, double> median_;
};

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> args(argv, argv + argc);
    auto given = [&](const char* flag) {
        for (int i = 1; i < argc; ++i)
            if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) return true;
        return false;
    };
    static char repetitions[] = "--benchmark_repetitions=7";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char aggregates[] = "--benchmark_display_aggregates_only=true";
    if (!given("--benchmark_repetitions")) args.insert(args.begin() + 1, repetitions);
    if (!given("--benchmark_enable_random_interleaving")) args.insert(args.begin() + 1, interleave);
    if (!given("--benchmark_display_aggregates_only") && !given("--benchmark_report_aggregates_only"))
        args.insert(args.begin() + 1, aggregates);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    std::fprintf(stderr, "lumtar_bench: files go to %s\n", bench::ScratchDir().c_str());
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
