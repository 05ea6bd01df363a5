// Memory blocks, files, strings and arithmetic of the native layer, with the
// results Windows gives for them.
#include "lumtar32_gdi.h"
#include "platform/lock.h"
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
#include <utility>
#include <vector>

namespace {

// A movable global block: its header, then its bytes.
struct alignas(16) GlobalBlock {
    UINT flags;
    int locks;
    SIZE_T size;     // as allocated; GlobalSize reports it
    SIZE_T capacity; // what the memory behind the header holds
    unsigned char* bytes() { return reinterpret_cast<unsigned char*>(this + 1); }
};

// A handle names a slot of the block table with the slot's generation, as
// (generation << IndexBits) | index, so that a made-up, stale or foreign
// handle fails as it does on Windows instead of being followed. One lock
// guards the table and the lock counts; blocks are few and short-lived.
constexpr unsigned IndexBits = 20;
constexpr uintptr_t IndexMask = (uintptr_t{1} << IndexBits) - 1;

struct BlockSlot {
    GlobalBlock* block = nullptr;
    uintptr_t generation = 0;
    uint32_t nextFree = 0; // the free slots form a list; 0 ends it (slot 0 is never used)
};

struct BlockTable {
    std::vector<BlockSlot> slots = std::vector<BlockSlot>(1);
    uint32_t firstFree = 0;
};

lumtar::platform::ShortLock blocksLock;
BlockTable& Blocks()
{
    static auto* table = new BlockTable; // outlives every static destructor
    return *table;
}

GlobalBlock* FromHandle(HGLOBAL mem)
{
    const auto h = reinterpret_cast<uintptr_t>(mem);
    const uintptr_t index = h & IndexMask;
    const BlockTable& table = Blocks();
    if (index == 0 || index >= table.slots.size()) return nullptr;
    const BlockSlot& slot = table.slots[index];
    return slot.block && slot.generation == h >> IndexBits ? slot.block : nullptr;
}

// A slot for block and its handle, or null without memory for the table.
HGLOBAL Enter(GlobalBlock* block)
{
    BlockTable& table = Blocks();
    uint32_t index = table.firstFree;
    if (index) {
        table.firstFree = table.slots[index].nextFree;
    } else {
        if (table.slots.size() > IndexMask) return nullptr;
        table.slots.emplace_back();
        index = static_cast<uint32_t>(table.slots.size() - 1);
    }
    BlockSlot& slot = table.slots[index];
    slot.block = block;
    slot.generation = slot.generation % 2047 + 1; // 1 .. 2047, never 0
    return reinterpret_cast<HGLOBAL>(slot.generation << IndexBits | index);
}

void Leave(HGLOBAL mem)
{
    BlockTable& table = Blocks();
    const auto index = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(mem) & IndexMask);
    table.slots[index].block = nullptr;
    table.slots[index].nextFree = table.firstFree;
    table.firstFree = index;
}

// One freed large block, kept (under blocksLock) for the next allocation it
// can hold: blocks of a megabyte or more come from mmap and would otherwise
// be faulted in page by page every time, as the bits of large bitmaps are.
constexpr SIZE_T SpareMinBytes = SIZE_T{1} << 20;
GlobalBlock* spareBlock = nullptr;

using lumtar::platform::OutOfMemory;

// use(block) under the lock, or failure for a handle that names no live block.
template <class T, class Use> T WithBlock(HGLOBAL mem, T failure, Use use) noexcept
try {
    std::lock_guard guard(blocksLock);
    GlobalBlock* block = FromHandle(mem);
    return block ? use(*block) : failure;
} catch (...) {
    return OutOfMemory(failure);
}

} // namespace

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes)
try {
    if (bytes > (SIZE_T(1) << 31)) return nullptr; // no 32-bit program gets more
    GlobalBlock* block = nullptr;
    if (bytes >= SpareMinBytes) {
        std::lock_guard guard(blocksLock);
        if (spareBlock && spareBlock->capacity >= bytes) std::swap(block, spareBlock);
    }
    if (!block) {
        void* raw = std::malloc(sizeof(GlobalBlock) + (bytes ? bytes : 1));
        if (!raw) return OutOfMemory(nullptr);
        block = static_cast<GlobalBlock*>(raw);
        block->capacity = bytes;
    }
    block->flags = flags;
    block->locks = 0;
    block->size = bytes;
    if (flags & GMEM_ZEROINIT) std::memset(block->bytes(), 0, bytes);
    std::lock_guard guard(blocksLock);
    HGLOBAL handle = nullptr;
    try {
        handle = Enter(block);
    } catch (...) {
    }
    if (!handle) {
        std::free(block);
        return OutOfMemory(nullptr);
    }
    return handle;
} catch (...) {
    return OutOfMemory(nullptr);
}

LPVOID WINAPI GlobalLock(HGLOBAL mem)
{
    return WithBlock<LPVOID>(mem, nullptr, [](GlobalBlock& block) {
        ++block.locks;
        return block.bytes();
    });
}

BOOL WINAPI GlobalUnlock(HGLOBAL mem)
{
    return WithBlock<BOOL>(mem, FALSE, [](GlobalBlock& block) -> BOOL { return block.locks && --block.locks != 0; });
}

SIZE_T WINAPI GlobalSize(HGLOBAL mem)
{
    return WithBlock<SIZE_T>(mem, 0, [](GlobalBlock& block) { return block.size; });
}

HGLOBAL WINAPI GlobalFree(HGLOBAL mem)
try {
    std::lock_guard guard(blocksLock);
    GlobalBlock* block = FromHandle(mem);
    if (!block) return mem; // failure: the handle comes back
    Leave(mem);
    // A large block becomes the spare unless the spare is larger; whichever
    // is not kept is freed.
    if (block->capacity >= SpareMinBytes && (!spareBlock || spareBlock->capacity < block->capacity))
        std::swap(block, spareBlock);
    std::free(block);
    return nullptr;
} catch (...) {
    return OutOfMemory(mem);
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
