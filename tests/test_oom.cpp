// Memory running out in the middle of a drawing call. The allocator of this
// program (operator new, malloc, calloc and realloc, replaced below, so the
// library and the libraries under it allocate through it) refuses the Nth
// allocation of one call, for every N the call reaches. At each N the call
// returns its failure value, an existing file stays byte for byte as it was,
// nothing leaks (LeakSanitizer, in the sanitizer build), and afterwards, with
// memory back, the library draws exactly what it draws undisturbed. Each N
// runs in a child process of its own, forked from one prepared state, so
// that every N sees the same allocations and a crash fails that N alone.
//
// fontconfig is asked for a face once per name and its answer kept; the
// parent asks for the face before the children start, so none of fontconfig's
// own allocations is refused: fontconfig does not survive one (2.14's
// FcConfigSubstitute follows the null pointers, in FcStrListDone and
// FcLangSetAdd).
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "lumtar32.h"

// The allocator underneath: AddressSanitizer's when the program has it, else the C library's.
extern "C" {
void* __interceptor_malloc(size_t) __attribute__((weak));
void* __interceptor_calloc(size_t, size_t) __attribute__((weak));
void* __interceptor_realloc(void*, size_t) __attribute__((weak));
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
}

// These run before the sanitizer has set itself up, so they go unchecked.
#define UNCHECKED __attribute__((no_sanitize_address))

namespace {

long refuse = 0; // the allocation to refuse, counted from 1 while armed
long seen = 0;   // allocations since arming
bool armed = false;

UNCHECKED bool Refused() { return armed && ++seen == refuse; }

UNCHECKED void* RealMalloc(size_t n) { return __interceptor_malloc ? __interceptor_malloc(n) : __libc_malloc(n); }
UNCHECKED void* RealCalloc(size_t n, size_t size)
{
    return __interceptor_calloc ? __interceptor_calloc(n, size) : __libc_calloc(n, size);
}
UNCHECKED void* RealRealloc(void* p, size_t n) { return __interceptor_realloc ? __interceptor_realloc(p, n) : __libc_realloc(p, n); }

void* NewOrThrow(size_t n)
{
    void* p = Refused() ? nullptr : RealMalloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void* NewOrNull(size_t n) noexcept { return Refused() ? nullptr : RealMalloc(n ? n : 1); }

} // namespace

extern "C" UNCHECKED void* malloc(size_t n) { return Refused() ? nullptr : RealMalloc(n); }
extern "C" UNCHECKED void* calloc(size_t n, size_t size) { return Refused() ? nullptr : RealCalloc(n, size); }
extern "C" UNCHECKED void* realloc(void* p, size_t n) { return Refused() ? nullptr : RealRealloc(p, n); }

void* operator new(size_t n) { return NewOrThrow(n); }
void* operator new[](size_t n) { return NewOrThrow(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return NewOrNull(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return NewOrNull(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using Bytes = std::vector<char>;

constexpr const char* Ean13 = "4006381333931";
constexpr int Width = 400, Height = 160; // pixels; the warm-up draws another size
const Bytes OldFile(64, 'x');

std::string Path(const char* name) { return std::string(LUMTAR_TEST_BINARY_DIR) + "/test_oom_" + name; }

Bytes Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

template <class Call> int Armed(Call call)
{
    seen = 0;
    armed = true;
    const int result = call();
    armed = false;
    return result;
}

int BmpFile() { return Armed([] { return BarToBmp(Path("case").c_str(), Ean13, BarFontDefault, Width, Height, 2540, 1000, BarTypAll); }); }
int WmfFile() { return Armed([] { return BarToWmf(Path("case").c_str(), Ean13, BarFontDefault, 5000, 2000, BarTypAll); }); }
int Clipboard() { return Armed([] { return BarToClipboard(Ean13, BarFontDefault, 5000, 2000, BarTypAll); }); }

int MemoryDc()
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(Width, Height, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT rect{0, 0, Width, Height};
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int result = Armed([&] { return Bar2Hdc(dc, Ean13, &rect, BarFontDefault, BarTypAll); });
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return result;
}

int MetafileDc()
{
    HDC dc = CreateMetaFileA(nullptr);
    const RECT rect{0, 0, 5000, 2000};
    const int result = Armed([&] { return Bar2Hdc(dc, Ean13, &rect, BarFontDefault, BarTypAll); });
    if (HMETAFILE metafile = CloseMetaFile(dc)) DeleteMetaFile(metafile);
    return result;
}

struct Case {
    const char* name;
    int (*call)();
    int ok, failure;
    bool file; // writes Path("case"), which holds OldFile before the call
};

const Case Cases[] = {
    {"BarToBmp", BmpFile, BarOk, BarErrGdi, true},
    {"BarToWmf", WmfFile, BarOk, BarErrGdi, true},
    {"Bar2Hdc on a memory DC", MemoryDc, 1, 0, false},
    {"Bar2Hdc on a metafile DC", MetafileDc, 1, 0, false},
    {"BarToClipboard", Clipboard, 1, 0, false},
};

// What the library draws: the BMP and the WMF of the cases' symbol.
Bytes Pictures()
{
    const std::string path = Path("probe");
    Bytes all;
    for (int wmf = 0; wmf < 2; ++wmf) {
        std::remove(path.c_str());
        const int result = wmf ? BarToWmf(path.c_str(), Ean13, BarFontDefault, 5000, 2000, BarTypAll)
                               : BarToBmp(path.c_str(), Ean13, BarFontDefault, Width, Height, 2540, 1000, BarTypAll);
        const Bytes bytes = Read(path);
        all.push_back(char('0' + result));
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    return all;
}

enum Exit { Passed = 0, Wrong = 1, Beyond = 2 };

// The child for allocation n: the case, then the pictures with memory back.
[[noreturn]] void Child(const Case& c, long n, const Bytes& pictures)
{
    if (c.file) Write(Path("case"), OldFile);
    refuse = n;
    int result = -1;
    try {
        result = c.call();
    } catch (...) {
        std::fprintf(stderr, "%s, allocation %ld of the call refused: an exception crossed the export\n", c.name, n);
        std::_Exit(Wrong);
    }
    const bool reached = seen >= n;
    refuse = 0;
    int exitCode = reached ? Passed : Beyond;
    auto wrong = [&](const char* what) {
        std::fprintf(stderr, "%s, allocation %ld of the call refused: %s\n", c.name, n, what);
        exitCode = Wrong;
    };
    if (result != (reached ? c.failure : c.ok)) wrong(("result " + std::to_string(result)).c_str());
    if (reached && c.file && Read(Path("case")) != OldFile) wrong("the existing file changed");
    if (Pictures() != pictures) wrong("the pictures drawn afterwards differ");
    std::exit(exitCode); // LeakSanitizer checks here and exits with 23 on a leak
}

int Wait(pid_t child)
{
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The pictures, drawn in a child so that this process keeps the cases' font
// size unrendered for every child to come.
Bytes PicturesOnce()
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        const Bytes all = Pictures();
        const bool written = write(pipeEnds[1], all.data(), all.size()) == ssize_t(all.size());
        _exit(written ? 0 : 1);
    }
    close(pipeEnds[1]);
    Bytes all;
    char chunk[4096];
    for (ssize_t n; (n = read(pipeEnds[0], chunk, sizeof chunk)) > 0;) all.insert(all.end(), chunk, chunk + n);
    close(pipeEnds[0]);
    return Wait(child) == 0 ? all : Bytes{};
}

TEST(OutOfMemory, EveryAllocationOfEveryDrawingCall)
{
    // The face, the registry and the stock objects exist before the children
    // start; the font at the cases' size does not.
    ASSERT_EQ(BarToBmp(Path("warm").c_str(), Ean13, BarFontDefault, 300, 120, 2540, 1000, BarTypAll), BarOk);
    const Bytes pictures = PicturesOnce();
    ASSERT_GT(pictures.size(), 1000u);

    for (const Case& c : Cases) {
        std::vector<long> failed;
        long n = 1;
        for (;; ++n) {
            std::fflush(nullptr);
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) Child(c, n, pictures);
            const int status = Wait(child);
            if (status == Beyond) break;
            if (status != Passed) failed.push_back(n);
        }
        std::string list;
        for (std::size_t i = 0; i < failed.size() && i < 20; ++i) list += " " + std::to_string(failed[i]);
        EXPECT_TRUE(failed.empty()) << c.name << ": " << failed.size() << " of " << n - 1
                                    << " allocations failed the call (exit status above):" << list;
        std::printf("%s: %ld allocations\n", c.name, n - 1);
    }
}

} // namespace
#endif
