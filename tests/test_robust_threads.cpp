// Every drawing export at once from several threads: metafile and bitmap
// files, the caller's own metafile DCs and the clipboard, with fonts of
// several faces and heights. Each thread's files and recordings must equal
// what one thread alone produces for the same call. Run under ThreadSanitizer
// (the tsan preset) it also checks the shared parts of the native layer: the
// object and memory-block registries, the font cache and the clipboard.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "lumtar32.h"
#include "support/wmf.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

enum class Kind { Wmf, Bmp, Metafile, Clipboard };

LOGFONTA Face(const char* face, LONG height, LONG weight)
{
    LOGFONTA f{};
    f.lfHeight = height;
    f.lfWeight = weight;
    std::strcpy(f.lfFaceName, face);
    return f;
}

const LOGFONTA Arial = Face("Arial", 12, 400);
const LOGFONTA TimesBold = Face("Times New Roman", -20, 700);
const LOGFONTA Unknown = Face("No Such Face", 9, 400);

struct Job {
    Kind kind;
    const char* text;
    const LOGFONTA* font;
    int width, height; // 0.01 mm for WMF, pixels for BMP, logical units for a metafile DC
};

const Job Jobs[] = {
    {Kind::Wmf, "4006381333931", BarFontDefault, 5000, 2000},
    {Kind::Wmf, "CODE 39", &TimesBold, 6000, 1500},
    {Kind::Bmp, "123456789X", &Arial, 420, 260},
    {Kind::Bmp, "96385074", &Unknown, 90, 240}, // turned
    {Kind::Bmp, "A40156B", &TimesBold, 260, 90},
    {Kind::Metafile, "03600029145", &Arial, 3000, 1100},
    {Kind::Metafile, "12345678", BarFontBold, 800, 3000}, // turned
    {Kind::Clipboard, "52495", &Unknown, 2000, 1000},
    {Kind::Clipboard, "34", BarFontDefault, 700, 600},
};

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The job's result code followed by what it produced: the file's bytes or the
// recording's. The clipboard is one for the whole process, so only its result
// is compared.
Bytes Produce(const Job& job, const std::string& path)
{
    int result = -1;
    Bytes produced;
    switch (job.kind) {
    case Kind::Wmf:
        result = BarToWmf(path.c_str(), job.text, job.font, job.width, job.height, BarTypAll);
        produced = ReadAll(path);
        break;
    case Kind::Bmp:
        result = BarToBmp(path.c_str(), job.text, job.font, job.width, job.height, 2540, 2540, BarTypAll);
        produced = ReadAll(path);
        break;
    case Kind::Metafile: {
        HDC dc = CreateMetaFileA(nullptr);
        const RECT r{0, 0, job.width, job.height};
        result = Bar2Hdc(dc, job.text, &r, job.font, BarTypAll);
        produced = wmf::CloseAndParse(dc).bytes;
        break;
    }
    case Kind::Clipboard:
        result = BarToClipboard(job.text, job.font, job.width, job.height, BarTypAll);
        break;
    }
    produced.insert(produced.begin(), static_cast<uint8_t>(result));
    return produced;
}

TEST(RobustThreads, AllDrawingExportsAtOnce)
{
    const std::string dir = std::string(LUMTAR_TEST_BINARY_DIR) + "/test_robust_threads";
    fs::remove_all(dir);
    fs::create_directories(dir);
    auto path = [&](int thread, std::size_t job) {
        return dir + "/t" + std::to_string(thread) + "-" + std::to_string(job) + ".out";
    };

    std::vector<Bytes> expected;
    for (std::size_t j = 0; j < std::size(Jobs); ++j) {
        expected.push_back(Produce(Jobs[j], path(-1, j)));
        const bool file = Jobs[j].kind == Kind::Wmf || Jobs[j].kind == Kind::Bmp;
        ASSERT_EQ(expected.back()[0], file ? BarOk : 1) << j;
        if (Jobs[j].kind != Kind::Clipboard) {
            ASSERT_GT(expected.back().size(), 62u) << j;
        }
    }

    constexpr int Threads = 6;
    constexpr int Rounds = 3;
    std::atomic<int> mismatches{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&, t] {
            while (!go.load()) std::this_thread::yield();
            for (int round = 0; round < Rounds; ++round)
                for (std::size_t i = 0; i < std::size(Jobs); ++i) {
                    const std::size_t j = (i + t) % std::size(Jobs); // threads start on different kinds
                    if (Produce(Jobs[j], path(t, j)) != expected[j]) ++mismatches;
                }
        });
    go = true;
    for (auto& th : threads) th.join();
    EXPECT_EQ(mismatches.load(), 0);
}

} // namespace
