// Batch: the lumtar tool rendering 10,000 EAN-13 BMPs from one input file
// against zint --batch doing the same, both into the tmpfs. Wall time of the
// whole process, from start to exit; the files are removed between runs.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench.h"

extern char** environ;

namespace {

constexpr int BatchCount = 10000;

// Valid EAN-13s 4006381000000 + i with their check digits: every file differs.
std::string BatchInput()
{
    const std::string path = bench::ScratchDir() + "/batch-input.txt";
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return {};
    for (int i = 0; i < BatchCount; ++i) {
        char digits[14];
        std::snprintf(digits, sizeof digits, "400638%06d", 100000 + i);
        int sum = 0;
        for (int k = 0; k < 12; ++k) sum += (digits[k] - '0') * (k % 2 ? 3 : 1);
        std::fprintf(f, "%s%d\n", digits, (10 - sum % 10) % 10);
    }
    std::fclose(f);
    return path;
}

void EmptyDir(const std::string& dir)
{
    ::mkdir(dir.c_str(), 0755);
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') ::unlink((dir + "/" + e->d_name).c_str());
        ::closedir(d);
    }
}

int CountFiles(const std::string& dir)
{
    int n = 0;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d)) n += e->d_name[0] != '.';
        ::closedir(d);
    }
    return n;
}

// Runs argv with stdout and stderr on /dev/null; exit status, or -1. Peak RSS in KiB.
int Run(const std::vector<std::string>& args, long& maxRssKiB)
{
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) return -1;
    maxRssKiB = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Batch(benchmark::State& state, const std::string& dir, const std::vector<std::string>& args)
{
    long maxRss = 0;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyDir(dir);
        state.ResumeTiming();
        if (Run(args, maxRss) != 0) {
            state.SkipWithError(("failed: " + args[0]).c_str());
            break;
        }
    }
    if (CountFiles(dir) != BatchCount) state.SkipWithError("not every file was written");
    state.counters["files"] = BatchCount;
    state.counters["maxrss_MiB"] = double(maxRss) / 1024;
    state.counters["us_per_file"] = benchmark::Counter(
        BatchCount, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Batch_Lumtar(benchmark::State& state)
{
    const std::string input = BatchInput(), dir = bench::ScratchDir() + "/batch-lumtar";
    Batch(state, dir,
          {LUMTAR_TOOL, "batch", "-i", input, "-o", dir + "/%05d.bmp", "--size",
           std::to_string(bench::BmpWidth) + "x" + std::to_string(bench::BmpHeight), "--types", "ean13"});
    EmptyDir(dir);
}
BENCHMARK(BM_Batch_Lumtar)->Name("batch/lumtar_batch")->Iterations(1)->Repetitions(5)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Batch_Zint(benchmark::State& state)
{
    const std::string input = BatchInput(), dir = bench::ScratchDir() + "/batch-zint";
    Batch(state, dir,
          {ZINT_TOOL, "--batch", "-b", "13", "--scale=" + std::to_string(bench::ZintScale), "-i", input, "-o",
           dir + "/~~~~~.bmp"});
    EmptyDir(dir);
}
BENCHMARK(BM_Batch_Zint)->Name("batch/zint_batch")->Iterations(1)->Repetitions(5)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
