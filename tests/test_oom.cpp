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
// The allocations of fontconfig, FreeType, libtiff and zlib are
// never refused, nor those the C library makes for them (strdup, tzset).
// fontconfig 2.14's FcConfigSubstitute follows the null pointers (in
// FcStrListDone, FcLangSetAdd); FreeType 2.12's TrueType driver writes
// through the null execution context that TT_New_Context returns when it
// fails; libtiff 4.5's TIFFClose writes the directory of a file whose
// codec or directory could not be allocated, and follows a null pointer
// there. The parent asks fontconfig for the faces before the children
// start; it is asked once per face name and its answer kept. A refusal that
// is absorbed may leave the call succeeding; it must then write exactly the
// undisturbed file.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "lumtar32.h"
#include "lumtar32_formats.h"
#include "lumtar32_gdi.h"

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

extern "C" void __sanitizer_print_stack_trace() __attribute__((weak));

// Whether the allocation for caller is the one to refuse.
UNCHECKED bool Refused(void* caller)
{
    if (!armed) return false;
    Dl_info in;
    if (dladdr(caller, &in) && in.dli_fname)
        for (const char* library : {"/libc.so", "/libfreetype.so", "/libfontconfig.so", "/libtiff.so", "/libz.so"})
            if (std::strstr(in.dli_fname, library)) return false;
    if (++seen != refuse) return false;
    if (__sanitizer_print_stack_trace && std::getenv("LUMTAR_OOM_STACK")) __sanitizer_print_stack_trace();
    return true;
}
#define REFUSED Refused(__builtin_return_address(0))

UNCHECKED void* RealMalloc(size_t n) { return __interceptor_malloc ? __interceptor_malloc(n) : __libc_malloc(n); }
UNCHECKED void* RealCalloc(size_t n, size_t size)
{
    return __interceptor_calloc ? __interceptor_calloc(n, size) : __libc_calloc(n, size);
}
UNCHECKED void* RealRealloc(void* p, size_t n) { return __interceptor_realloc ? __interceptor_realloc(p, n) : __libc_realloc(p, n); }

void* NewOrThrow(size_t n)
{
    void* p = Refused(nullptr) ? nullptr : RealMalloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void* NewOrNull(size_t n) noexcept { return Refused(nullptr) ? nullptr : RealMalloc(n ? n : 1); }

} // namespace

extern "C" UNCHECKED void* malloc(size_t n) { return REFUSED ? nullptr : RealMalloc(n); }
extern "C" UNCHECKED void* calloc(size_t n, size_t size) { return REFUSED ? nullptr : RealCalloc(n, size); }
extern "C" UNCHECKED void* realloc(void* p, size_t n) { return REFUSED ? nullptr : RealRealloc(p, n); }

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

const std::string CasePath = Path("case");

int BmpFile() { return Armed([] { return BarToBmp(CasePath.c_str(), Ean13, BarFontDefault, Width, Height, 2540, 1000, BarTypAll); }); }
int WmfFile() { return Armed([] { return BarToWmf(CasePath.c_str(), Ean13, BarFontDefault, 5000, 2000, BarTypAll); }); }
template <int Format> int File()
{
    const bool raster = Format == BarFmtPng || Format == BarFmtTif;
    const int size = raster ? Width : 5000, other = raster ? Height : 2000;
    return Armed([=] { return BarToFile(CasePath.c_str(), Format, Ean13, BarFontDefault, size, other, 2540, 1000, BarTypAll, 0, 0); });
}
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
    {"BarToFile PNG", File<BarFmtPng>, BarOk, BarErrGdi, true},
    {"BarToFile SVG", File<BarFmtSvg>, BarOk, BarErrGdi, true},
    {"BarToFile PDF", File<BarFmtPdf>, BarOk, BarErrGdi, true},
    {"BarToFile EPS", File<BarFmtEps>, BarOk, BarErrGdi, true},
    {"BarToFile TIF", File<BarFmtTif>, BarOk, BarErrGdi, true},
    {"BarToFile EMF", File<BarFmtEmf>, BarOk, BarErrGdi, true},
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

// What the program holds allocated (AddressSanitizer counts it; 0 without).
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));
size_t Held() { return __sanitizer_get_current_allocated_bytes ? __sanitizer_get_current_allocated_bytes() : 0; }

// The case with allocation n refused (0: none), the clipboard emptied, then
// with memory back the case's file once more and the pictures, and what is
// left allocated after all that: an object lost in the layer's tables shows
// there, where LeakSanitizer cannot see it.
struct Outcome {
    int result = -1;
    bool refused = false;
    Bytes file; // what the call left in CasePath
    Bytes pictures;
    size_t held = 0;
};

Outcome Run(const Case& c, long n)
{
    if (c.file) Write(CasePath, OldFile);
    Outcome o;
    const size_t before = Held();
    refuse = n;
    try {
        o.result = c.call();
    } catch (...) {
        armed = false;
        o.result = -2; // an exception crossed the export
    }
    refuse = 0;
    o.refused = n > 0 && seen >= n;
    if (c.file) o.file = Read(CasePath);
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    if (c.file && c.call() == c.ok) o.pictures = Read(CasePath);
    const Bytes pictures = Pictures();
    o.pictures.insert(o.pictures.end(), pictures.begin(), pictures.end());
    if (before) o.held = Held() - before - o.file.capacity() - o.pictures.capacity(); // the outcome's own bytes aside
    return o;
}

int Wait(pid_t child)
{
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The case run undisturbed, in a child so that this process keeps the cases'
// font size unrendered for every child to come.
Outcome Undisturbed(const Case& c)
{
    int ends[2];
    if (pipe(ends) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        const Outcome o = Run(c, 0);
        const std::string report =
            std::to_string(o.result) + " " + std::to_string(o.held) + " " + std::to_string(o.file.size()) + "\n";
        Bytes all(report.begin(), report.end());
        all.insert(all.end(), o.file.begin(), o.file.end());
        all.insert(all.end(), o.pictures.begin(), o.pictures.end());
        const bool written = write(ends[1], all.data(), all.size()) == ssize_t(all.size());
        std::_Exit(written ? 0 : 1);
    }
    close(ends[1]);
    Bytes all;
    char chunk[4096];
    for (ssize_t n; (n = read(ends[0], chunk, sizeof chunk)) > 0;) all.insert(all.end(), chunk, chunk + n);
    close(ends[0]);
    Outcome o;
    const auto line = std::find(all.begin(), all.end(), '\n');
    if (Wait(child) != 0 || line == all.end()) return o;
    size_t fileSize = 0;
    std::sscanf(std::string(all.begin(), line).c_str(), "%d %zu %zu", &o.result, &o.held, &fileSize);
    o.file.assign(line + 1, line + 1 + std::ptrdiff_t(fileSize));
    o.pictures.assign(line + 1 + std::ptrdiff_t(fileSize), all.end());
    return o;
}

enum Exit { Passed = 0, Wrong = 1, Beyond = 2 };

// The child for allocation n.
[[noreturn]] void Child(const Case& c, long n, const Outcome& undisturbed)
{
    const Outcome o = Run(c, n);
    int exitCode = o.refused ? Passed : Beyond;
    auto wrong = [&](const std::string& what) {
        std::fprintf(stderr, "%s, allocation %ld of the call refused: %s\n", c.name, n, what.c_str());
        exitCode = Wrong;
    };
    // Refused, the call fails and leaves the file as it was; unless the
    // refusal was absorbed (the C library's own, say) and the file is the
    // very one an undisturbed call writes.
    const bool failed = o.result == c.failure && (!c.file || o.file == OldFile);
    const bool absorbed = c.file && o.result == c.ok && o.file == undisturbed.file;
    if (o.result == -2) wrong("an exception crossed the export");
    else if (o.refused ? !failed && !absorbed : o.result != c.ok) wrong("result " + std::to_string(o.result));
    if (o.refused && o.result != c.ok && c.file && o.file != OldFile) wrong("the existing file changed");
    if (o.pictures != undisturbed.pictures) wrong("the pictures drawn afterwards differ");
    if (o.held != undisturbed.held) wrong(std::to_string(long(o.held - undisturbed.held)) + " bytes more held afterwards");
    std::exit(exitCode); // LeakSanitizer checks here and exits with 23 on a leak
}

TEST(OutOfMemory, EveryAllocationOfEveryDrawingCall)
{
    // The face, the registry and the stock objects exist before the children
    // start; the font at the cases' size does not. So does the device's own
    // font with the digits, which a call whose font could not be made draws
    // with: that adds nothing to the font cache then.
    ASSERT_EQ(BarToBmp(Path("warm").c_str(), Ean13, BarFontDefault, 300, 120, 2540, 1000, BarTypAll), BarOk);
    for (int format : {BarFmtSvg, BarFmtPdf, BarFmtEps})
        ASSERT_EQ(BarToFile(Path("warm").c_str(), format, Ean13, BarFontDefault, 4000, 1500, 0, 0, BarTypAll, 0, 0), BarOk);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(Width, Height, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    ASSERT_TRUE(TextOutA(dc, 0, 0, "0123456789", 10));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);

    for (const Case& c : Cases) {
        const Outcome undisturbed = Undisturbed(c);
        ASSERT_EQ(undisturbed.result, c.ok) << c.name;
        ASSERT_GT(undisturbed.pictures.size(), 1000u);
        std::vector<long> failed;
        long n = 1;
        for (;; ++n) {
            std::fflush(nullptr);
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) Child(c, n, undisturbed);
            const int status = Wait(child);
            if (status == Beyond) break;
            if (status != Passed) failed.push_back(n);
        }
        std::string list;
        for (std::size_t i = 0; i < failed.size() && i < 20; ++i) list += " " + std::to_string(failed[i]);
        EXPECT_TRUE(failed.empty()) << c.name << ": " << failed.size() << " of " << n - 1
                                    << " refused allocations went wrong (see above):" << list;
        std::printf("%s: %ld allocations\n", c.name, n - 1);
    }
}

} // namespace
#endif
