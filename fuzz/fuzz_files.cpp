// BarToWmf, BarToBmp and BarToFile (PNG, SVG, PDF, EPS) over arbitrary text,
// font, mask, weights and sizes, writing into a directory of their own: a
// fresh name, an existing file, a name in a missing directory or under a
// regular file; and BarToMemory into a buffer of any size. Checked after
// every call: the result is one of the four codes, only BarOk changes the
// named file, a written file is as long as its headers say or starts as its
// format does, nothing else appears in the directory, and a buffer is
// written only up to the size reported, and only when it holds it all.
#include <fuzzer/FuzzedDataProvider.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "lumtar32_formats.h"
#include "lumtar32_gdi.h"

namespace {

constexpr int Edges[] = {0, 1, -1, 2, 31, 32, 33, 100, 150, 151, 2540, 32767, 32768, 65535, 65536, 70000,
                         21475, 134217727, 134217728, 0x3FFFFFFF, INT_MAX, INT_MIN, -32768};

int Pick(FuzzedDataProvider& in)
{
    if (in.ConsumeBool()) return Edges[in.ConsumeIntegralInRange<size_t>(0, std::size(Edges) - 1)];
    return in.ConsumeIntegral<int>();
}

// A directory of the run's own, removed with what is left in it at exit.
struct ScratchDirectory {
    std::string path;
    ScratchDirectory()
    {
        char name[] = "/tmp/lumtar-fuzz-files-XXXXXX";
        if (!mkdtemp(name)) std::abort();
        path = name;
    }
    ~ScratchDirectory()
    {
        for (const char* leftover : {"/blocker", "/fresh.out", "/existing.out"}) unlink((path + leftover).c_str());
        rmdir(path.c_str());
    }
};

const std::string& Directory()
{
    static const ScratchDirectory dir;
    return dir.path;
}

std::set<std::string> Listing(const std::string& dir)
{
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

uint32_t Dword(const std::string& b, size_t at)
{
    return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}

// Sizes the library must refuse with BarErrGdi before drawing: a drawing
// rectangle beyond GDI's coordinate space (2^27 - 1), and bitmaps of more than
// the native raster's 512 MiB of rows. Those are worth a call (they must fail
// at once); anything between 4 million pixels and them is only slow.
constexpr long long MaxCoordinate = (1 << 27) - 1;
constexpr long long MaxRasterBytes = 512LL << 20;
constexpr long long MaxPixels = 4000000;

bool BeyondCoordinates(long long edge) { return edge < -MaxCoordinate || edge > MaxCoordinate; }

// The first bytes of each format.
bool Starts(int format, const std::string& file)
{
    static const char* const Magic[] = {"", "\xD7\xCD\xC6\x9A", "BM", "\x89PNG\r\n\x1A\n", "<?xml", "%PDF-", "%!PS-Adobe-3.0 EPSF"};
    return file.compare(0, std::strlen(Magic[format]), Magic[format]) == 0;
}

// BarToMemory into a buffer of `bufferSize` bytes with a guard behind it: a
// size query first, then the call; nothing is written past what it reports,
// nor anything at all into a buffer too short.
int Memory(int format, const std::string& text, const LOGFONTA* font, int width, int height, int physWidth, int physHeight,
           int types, int narrow, int wide, unsigned bufferSize, bool refused)
{
    unsigned query = 7;
    const int first = BarToMemory(nullptr, 0, &query, format, text.c_str(), font, width, height, physWidth, physHeight, types,
                                  narrow, wide);
    if (first < BarOk || first > BarErrGdi || (first != BarOk && query != 0)) __builtin_trap();
    if ((refused && first != BarErrGdi) || (BarCodeTyp(text.c_str(), types) == 0 && first == BarOk)) __builtin_trap();
    std::string buffer(bufferSize + 64, '\x5A');
    unsigned needed = 7;
    const int result = BarToMemory(buffer.data(), bufferSize, &needed, format, text.c_str(), font, width, height, physWidth,
                                   physHeight, types, narrow, wide);
    if (result != first && !(first == BarOk && result == BarErrFile)) __builtin_trap();
    if (result == BarOk || (first == BarOk && result == BarErrFile)) {
        if (needed != query) __builtin_trap(); // the same picture both times
    } else if (needed != 0) {
        __builtin_trap();
    }
    const size_t untouched = result == BarOk ? needed : 0;
    if (result == BarOk && !Starts(format, buffer.substr(0, needed))) __builtin_trap();
    if (buffer.find_first_not_of('\x5A', untouched) != std::string::npos) __builtin_trap();
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int format = in.ConsumeIntegralInRange(BarFmtWmf, BarFmtEps);
    const bool bmp = format == BarFmtBmp || format == BarFmtPng;
    const bool classic = in.ConsumeBool(); // BarToWmf or BarToBmp for those two formats
    const int where = in.ConsumeIntegralInRange(0, 4);                 // 4: into memory
    const unsigned bufferSize = in.ConsumeIntegralInRange(0u, 1u << 16);
    const int narrow = in.ConsumeIntegralInRange(-2, 6), wide = in.ConsumeIntegralInRange(-2, 12);
    const int width = Pick(in), height = Pick(in);
    const int physWidth = Pick(in), physHeight = Pick(in);
    const int types = in.ConsumeBool() ? BarTypAll : in.ConsumeIntegral<int>();
    LOGFONTA logFont{};
    const LOGFONTA* font = BarFontDefault;
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: font = BarFontDefault; break;
    case 1: font = BarFontNone; break;
    case 2: font = BarFontBold; break;
    default: {
        const std::string bytes = in.ConsumeBytesAsString(sizeof logFont);
        std::memcpy(&logFont, bytes.data(), bytes.size());
        font = &logFont;
    }
    }
    const std::string text = in.ConsumeRemainingBytesAsString();

    bool refused = false; // the library must say BarErrGdi without drawing
    if (!bmp) {
        refused = BeyondCoordinates(width - 100LL) || BeyondCoordinates(height - 100LL); // the rectangle's far edges
        // SVG, PDF and EPS: not empty either.
        if (format != BarFmtWmf) refused = refused || width < 1 || height < 1;
    } else if (width > 0 && height > 0) {
        const long long rowBytes = (static_cast<long long>(width) + 31) / 32 * 4;
        if (BeyondCoordinates(width) || BeyondCoordinates(height) || rowBytes * height > MaxRasterBytes)
            refused = true;
        else if (static_cast<long long>(width) * height > MaxPixels)
            return -1; // slow, not interesting
    }

    const std::string& dir = Directory();
    const std::string sentinel = "keep me\n";
    const std::string blocker = dir + "/blocker";
    WriteAll(blocker, sentinel);
    std::string path;
    switch (where) {
    case 0: path = dir + "/fresh.out"; break;
    case 1: path = dir + "/existing.out"; WriteAll(path, sentinel); break;
    case 2: path = dir + "/missing/code.out"; break;
    case 3: path = blocker + "/code.out"; break; // a regular file is no directory
    default: return Memory(format, text, font, width, height, physWidth, physHeight, types, narrow, wide, bufferSize, refused);
    }
    const std::set<std::string> before = Listing(dir);

    const int result =
        classic && format == BarFmtBmp ? BarToBmp(path.c_str(), text.c_str(), font, width, height, physWidth, physHeight, types)
        : classic && format == BarFmtWmf
            ? BarToWmf(path.c_str(), text.c_str(), font, width, height, types)
            : BarToFile(path.c_str(), format, text.c_str(), font, width, height, physWidth, physHeight, types, narrow, wide);
    if (result < BarOk || result > BarErrGdi) __builtin_trap();
    if (refused && result != BarErrGdi) __builtin_trap();
    if (where >= 2 && result == BarOk) __builtin_trap();
    if (BarCodeTyp(text.c_str(), types) == 0 && result == BarOk) __builtin_trap();

    std::set<std::string> after = Listing(dir);
    if (where == 0) after.erase("fresh.out");
    if (after != before) __builtin_trap(); // nothing besides the named file
    if (ReadAll(blocker) != sentinel) __builtin_trap();

    if (result == BarOk) {
        const std::string file = ReadAll(path);
        if (!Starts(format, file)) __builtin_trap();
        if (format == BarFmtBmp) {
            if (file.size() < 62 || Dword(file, 2) != file.size()) __builtin_trap();
        } else if (format == BarFmtWmf) {
            // The header, then at least the metafile's own header and its closing record.
            if (file.size() < 22 + 18 + 6 || Dword(file, 0) != 0x9AC6CDD7u) __builtin_trap();
            if (Dword(file, 22 + 6) * 2ull != file.size() - 22) __builtin_trap(); // mtSize, in words
        }
    } else if (where == 1 && ReadAll(path) != sentinel) {
        __builtin_trap(); // a call that did not write leaves the file as it was
    }
    unlink(path.c_str());
    return 0;
}
