// Two builds of liblumtar32 side by side in one process (dlopen, each with
// its own state), their calls interleaved round by round, so that the load of
// a shared machine falls on both alike: the figures to decide a change of the
// library by. CPU time of this thread; medians of 31 rounds of per-round
// ratios.
//
//   lumtar_ab OLD.so NEW.so [calls per round, 200]
//   lumtar_ab --loop wmf|memory|bmp N LIB.so   N calls, for callgrind: the
//       instructions of one call are (count at N=201 - count at N=1) / 200
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lumtar32.h"
#include "lumtar32_gdi.h"

namespace {

struct Library {
    decltype(&BarToWmf) barToWmf;
    decltype(&BarToBmp) barToBmp;
    decltype(&Bar2Hdc) bar2Hdc;
    decltype(&FillRect) fillRect;
    decltype(&GetDIBits) getDIBits;
    decltype(&GetStockObject) getStockObject;
    HDC dc; // a 678 x 348 bitmap selected
    HBITMAP bitmap;
};

template <class F> void Symbol(void* library, F& f, const char* name)
{
    f = reinterpret_cast<F>(dlsym(library, name));
    if (!f) std::fprintf(stderr, "lumtar_ab: no %s\n", name), std::exit(2);
}

Library Open(const char* path)
{
    void* h = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!h) std::fprintf(stderr, "lumtar_ab: %s\n", dlerror()), std::exit(2);
    Library l{};
    decltype(&CreateCompatibleDC) createDc;
    decltype(&CreateBitmap) createBitmap;
    decltype(&SelectObject) selectObject;
    Symbol(h, l.barToWmf, "BarToWmf"), Symbol(h, l.barToBmp, "BarToBmp"), Symbol(h, l.bar2Hdc, "Bar2Hdc");
    Symbol(h, l.fillRect, "FillRect"), Symbol(h, l.getDIBits, "GetDIBits");
    Symbol(h, l.getStockObject, "GetStockObject"), Symbol(h, createDc, "CreateCompatibleDC");
    Symbol(h, createBitmap, "CreateBitmap"), Symbol(h, selectObject, "SelectObject");
    l.dc = createDc(nullptr);
    l.bitmap = createBitmap(678, 348, 1, 1, nullptr);
    selectObject(l.dc, l.bitmap);
    return l;
}

const char* const Text = "4006381333931";
const std::string Scratch = "/dev/shm/lumtar-ab";
const std::string WmfPath = Scratch + ".wmf", BmpPath = Scratch + ".bmp", FloorPath = Scratch + ".floor";
std::vector<unsigned char> buffer(1 << 16, 0x55);

double Now()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e9 + t.tv_nsec;
}

// Nanoseconds per call of each measurement.
double Memory(const Library& l, int n)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), 678, 348, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
    info.colors[1] = {255, 255, 255, 0};
    RECT r{0, 0, 678, 348};
    const double t = Now();
    for (int i = 0; i < n; ++i) {
        l.fillRect(l.dc, &r, static_cast<HBRUSH>(l.getStockObject(WHITE_BRUSH)));
        l.bar2Hdc(l.dc, Text, &r, BarFontDefault, BarTypEan13);
        l.getDIBits(l.dc, l.bitmap, 0, 348, buffer.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    }
    return (Now() - t) / n;
}
double Wmf(const Library& l, int n)
{
    const double t = Now();
    for (int i = 0; i < n; ++i) l.barToWmf(WmfPath.c_str(), Text, BarFontDefault, 5000, 2000, BarTypEan13);
    return (Now() - t) / n;
}
double Bmp(const Library& l, int n)
{
    const double t = Now();
    for (int i = 0; i < n; ++i)
        l.barToBmp(BmpPath.c_str(), Text, BarFontDefault, 678, 348, 678 * 254 / 30, 348 * 254 / 30, BarTypEan13);
    return (Now() - t) / n;
}
// What a file of that size costs: create, a 14-byte write, the rest, close.
double Floor(long bytes, int n)
{
    const double t = Now();
    for (int i = 0; i < n; ++i) {
        const int fd = ::open(FloorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool written = ::write(fd, buffer.data(), 14) == 14 && ::write(fd, buffer.data() + 14, bytes - 14) == bytes - 14;
        if (!written) std::exit(3);
        ::close(fd);
    }
    return (Now() - t) / n;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--loop") == 0) {
        const Library l = Open(argv[4]);
        const int n = std::atoi(argv[3]);
        const std::string what = argv[2];
        what == "wmf" ? Wmf(l, n) : what == "bmp" ? Bmp(l, n) : Memory(l, n);
        return 0;
    }
    if (argc < 3) return std::fprintf(stderr, "usage: lumtar_ab OLD.so NEW.so [calls]\n"), 2;
    const Library before = Open(argv[1]), after = Open(argv[2]);
    const int n = argc > 3 ? std::atoi(argv[3]) : 200;
    Wmf(before, 1);
    FILE* f = std::fopen(WmfPath.c_str(), "rb");
    if (!f) return 3;
    std::fseek(f, 0, SEEK_END);
    const long wmfBytes = std::ftell(f), bmpBytes = 62 + 88 * 348;
    std::fclose(f);
    // Per round: old/new per measurement, each library's time over the floor measured beside it.
    std::vector<double> rows[9];
    for (int round = 0; round < 31; ++round) {
        for (int k = 0; k < 2; ++k) { // old first in even rounds, new first in odd ones
            const bool newFirst = round % 2;
            const Library& l = (k == 0) != newFirst ? before : after;
            const int at = &l == &before ? 0 : 1;
            const double wmfFloor = Floor(wmfBytes, n), bmpFloor = Floor(bmpBytes, n);
            rows[at].push_back(Memory(l, n));
            rows[2 + at].push_back(Wmf(l, n) / wmfFloor);
            rows[4 + at].push_back(Bmp(l, n / 2) / bmpFloor);
        }
        rows[6].push_back(rows[1].back() / rows[0].back());
    }
    std::printf("medians of 31 rounds of %d calls, CPU time of the thread\n", n);
    std::printf("Bar2Hdc + GetDIBits 678x348  old %.0f ns  new %.0f ns  new/old %.3f\n", Median(rows[0]),
                Median(rows[1]), Median(rows[6]));
    std::printf("BarToWmf 5000x2000 / floor   old %.3f     new %.3f\n", Median(rows[2]), Median(rows[3]));
    std::printf("BarToBmp 678x348 / floor     old %.3f     new %.3f\n", Median(rows[4]), Median(rows[5]));
    return 0;
}
