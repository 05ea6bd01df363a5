// Memory blocks, files, strings and arithmetic of the native layer, with the
// results Windows gives for them.
#include "lumtar32_gdi.h"
#include "platform/handles.h"
#include "platform/memory.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

using namespace lumtar::platform;

namespace {

// A movable global block, named by a handle of the GDI objects' table.
struct MemoryBlock : GdiObject {
    MemoryBlock() : GdiObject(Kind::Memory) {}
    ~MemoryBlock() override { std::free(bytes); }
    UINT flags = 0;
    int locks = 0; // guarded by HandleLock()
    SIZE_T size = 0;
    unsigned char* bytes = nullptr;
};

// use(block) under the table's lock, or failure for a handle that names no
// live block.
template <class T, class Use> T WithBlock(HGLOBAL mem, T failure, Use use) noexcept
try {
    std::lock_guard guard(HandleLock());
    GdiObject* o = LookupLocked(mem);
    return o && o->kind == Kind::Memory ? use(static_cast<MemoryBlock&>(*o)) : failure;
} catch (...) {
    return OutOfMemory(failure);
}

} // namespace

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes)
try {
    if (bytes > (SIZE_T(1) << 31)) return nullptr; // no 32-bit program gets more
    auto block = Make<MemoryBlock>();
    if (!block) return nullptr;
    block->bytes = static_cast<unsigned char*>(flags & GMEM_ZEROINIT ? std::calloc(bytes ? bytes : 1, 1)
                                                                     : std::malloc(bytes ? bytes : 1));
    if (!block->bytes) return OutOfMemory(nullptr);
    block->flags = flags;
    block->size = bytes;
    return AddHandle(std::move(block));
} catch (...) {
    return OutOfMemory(nullptr);
}

LPVOID WINAPI GlobalLock(HGLOBAL mem)
{
    return WithBlock<LPVOID>(mem, nullptr, [](MemoryBlock& block) {
        ++block.locks;
        return block.bytes;
    });
}

BOOL WINAPI GlobalUnlock(HGLOBAL mem)
{
    return WithBlock<BOOL>(mem, FALSE, [](MemoryBlock& block) -> BOOL { return block.locks && --block.locks != 0; });
}

SIZE_T WINAPI GlobalSize(HGLOBAL mem)
{
    return WithBlock<SIZE_T>(mem, 0, [](MemoryBlock& block) { return block.size; });
}

// The handle comes back on failure.
HGLOBAL WINAPI GlobalFree(HGLOBAL mem)
{
    return WithBlock<HGLOBAL>(mem, mem, [](MemoryBlock& block) -> HGLOBAL {
        RemoveHandleLocked(block);
        return nullptr;
    });
}

HFILE WINAPI _lcreat(LPCSTR path, int attribute)
{
    if (!path || !*path) return HFILE_ERROR;
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, (attribute & 1) ? 0444 : 0666);
    return fd < 0 ? HFILE_ERROR : fd;
}

UINT WINAPI _lwrite(HFILE file, LPCCH buffer, UINT count)
{
    if (file < 0 || (!buffer && count)) return static_cast<UINT>(HFILE_ERROR);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::write(file, buffer + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return done ? done : static_cast<UINT>(HFILE_ERROR);
        }
        if (n == 0) break;
        done += static_cast<UINT>(n);
    }
    return done;
}

HFILE WINAPI _lclose(HFILE file)
{
    if (file < 0) return HFILE_ERROR;
    return ::close(file) == 0 ? 0 : HFILE_ERROR;
}

// a * b / c with the 64-bit product, halves rounded away from zero; -1 for a
// zero divisor or a result outside the 32-bit range.
int WINAPI MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0) return -1;
    long long product = static_cast<long long>(number) * numerator;
    long long divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const long long result = (product >= 0 ? product + divisor / 2 : product - divisor / 2) / divisor;
    if (result > INT_MAX || result < -INT_MAX) return -1;
    return static_cast<int>(result);
}

LPSTR WINAPI lstrcpynA(LPSTR dest, LPCSTR src, int max)
{
    if (!dest || max <= 0) return dest;
    int i = 0;
    if (src)
        for (; i < max - 1 && src[i]; ++i) dest[i] = src[i];
    dest[i] = '\0';
    return dest;
}

LPSTR WINAPI lstrcpyA(LPSTR dest, LPCSTR src)
{
    if (!dest || !src) return nullptr;
    return std::strcpy(dest, src);
}

int WINAPI lstrlenA(LPCSTR text)
{
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

// The conversions the library uses (%c, %s with width and precision, %d, %u,
// %x) mean the same in wsprintfA and in C; the output is limited to 1024 bytes, terminator included,
// as in wsprintfA.
int wsprintfA(LPSTR out, LPCSTR format, ...)
{
    if (!out || !format) return 0;
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(out, 1024, format, args);
    va_end(args);
    return n < 0 ? 0 : (n > 1023 ? 1023 : n);
}

} // extern "C"
