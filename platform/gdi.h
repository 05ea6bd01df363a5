// The native layer's GDI objects and device contexts: one registry of handles
// shared by the object, device-context, metafile and clipboard units.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "lumtar32_gdi.h"
#include "platform/lock.h"
#include "platform/memory.h"
#include "platform/raster.h"

namespace lumtar::platform {

enum class Kind : uint8_t { Brush, Pen, Font, Bitmap, Palette, Dc, Metafile };

// Every handle names one of these. Handles are registry slots with a
// generation, so a stale or foreign handle is refused, never dereferenced.
struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
    uintptr_t handle = 0;
    // Guarded by RegistryLock():
    int selections = 0;          // memory DCs holding it selected
    bool deletePending = false;  // DeleteObject came while it was selected
    std::vector<HDC> recordedIn; // metafile DCs whose object table holds it
};

struct Brush : Object {
    Brush() : Object(Kind::Brush) {}
    UINT style = 0; // BS_SOLID 0, BS_NULL 1
    COLORREF color = 0;
    UINT hatch = 0;
};

struct Pen : Object {
    Pen() : Object(Kind::Pen) {}
    UINT style = 0; // PS_SOLID 0, PS_NULL 5
    POINT width{0, 0};
    COLORREF color = 0;
};

struct Font : Object {
    Font() : Object(Kind::Font) {}
    LOGFONTA logfont{};
};

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    Raster raster;
    HDC selectedIn = nullptr; // guarded by RegistryLock()
};

struct Palette : Object {
    Palette() : Object(Kind::Palette) {}
};

struct MetafileBits : Object {
    MetafileBits() : Object(Kind::Metafile) {}
    std::vector<uint8_t> bytes; // header, records and the closing EOF record
};

// What a metafile DC accumulates: the metafile's bytes, written ahead into
// room that grows by doubling (the first `used` bytes are the metafile), the
// header's counts until CloseMetaFile writes them, and its object table.
struct Recorder {
    std::vector<uint8_t> bytes;
    std::size_t used = 0;
    uint32_t maxRecord = 0; // in words
    int maxSlots = 0;       // the most objects live at once
    // Handle per object-table index, 0 when free: the first few in place.
    static constexpr int FixedSlots = 8;
    uintptr_t fixedSlots[FixedSlots] = {};
    std::vector<uintptr_t> moreSlots;
    int slotCount = 0; // length of the table
    int liveSlots = 0;
    bool failed = false; // a record is missing for lack of memory: CloseMetaFile refuses it
};
inline uintptr_t& TableSlot(Recorder& rec, int index)
{
    return index < Recorder::FixedSlots ? rec.fixedSlots[index] : rec.moreSlots[index - Recorder::FixedSlots];
}

struct Dc : Object {
    Dc() : Object(Kind::Dc) {}
    ShortLock lock; // every operation on the DC holds it
    bool metafile = false;
    Recorder recorder;

    // Selected objects: on a memory DC they are pinned by their selection
    // count; on a metafile DC only their handles are kept, as GDI does.
    HGDIOBJ brush = nullptr, pen = nullptr, font = nullptr, bitmap = nullptr;
    // A memory DC's selected objects themselves, which their selection keeps
    // alive, and the raster it paints into (null for the default bitmap).
    Brush* brushObject = nullptr;
    Pen* penObject = nullptr;
    Font* fontObject = nullptr;
    Raster* target = nullptr;

    int mapMode = MM_TEXT;
    POINT windowOrg{0, 0}, viewportOrg{0, 0};
    SIZE windowExt{1, 1}, viewportExt{1, 1};
    UINT textAlign = 0;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
};

// --- Registry (objects.cpp) ---
ShortLock& RegistryLock();
HGDIOBJ Register(Object* object);       // null when the table is full
void Unregister(Object* object);        // frees the handle, not the object

// A handle is (generation << IndexBits) | index. Slots live in chunks that
// never move, so a lookup reads two atomics and takes no lock.
namespace registry {
constexpr unsigned IndexBits = 20;
constexpr uintptr_t IndexMask = (uintptr_t(1) << IndexBits) - 1;
constexpr unsigned ChunkBits = 10;
constexpr std::size_t ChunkSize = std::size_t(1) << ChunkBits;
constexpr std::size_t ChunkCount = (std::size_t(1) << IndexBits) / ChunkSize;

struct Slot {
    std::atomic<uintptr_t> handle{0};
    std::atomic<Object*> object{nullptr};
    uintptr_t generation = 0; // guarded by the registry lock
};

extern std::array<std::atomic<Slot*>, ChunkCount> chunks;

inline Slot* SlotAt(uintptr_t index)
{
    Slot* chunk = chunks[index >> ChunkBits].load(std::memory_order_acquire);
    return chunk ? &chunk[index & (ChunkSize - 1)] : nullptr;
}
} // namespace registry

// The object a handle names: null for null, stale and foreign handles.
inline Object* Lookup(const void* handle)
{
    using namespace registry;
    const uintptr_t h = reinterpret_cast<uintptr_t>(handle);
    const uintptr_t index = h & IndexMask;
    if (index == 0 || (h >> IndexBits) - 1 >= 2047) return nullptr; // generations run 1 .. 2047
    const Slot* slot = SlotAt(index);
    if (!slot || slot->handle.load(std::memory_order_acquire) != h) return nullptr;
    return slot->object.load(std::memory_order_acquire);
}
template <class T> T* LookupAs(const void* handle, Kind kind)
{
    Object* o = Lookup(handle);
    return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
}
inline HGDIOBJ HandleOf(const Object* o) { return reinterpret_cast<HGDIOBJ>(o->handle); }

// Destroys an object whose last selection went away after DeleteObject.
// Caller holds RegistryLock(); returns the object to delete once unlocked.
Object* ReleaseSelection(Object* object);

HGDIOBJ DefaultBitmap();
HGDIOBJ NewBrush(UINT style, COLORREF color, UINT hatch);
HGDIOBJ NewPen(UINT style, POINT width, COLORREF color);
HGDIOBJ DeviceDefaultFont();
// The nearer of black and white in a monochrome palette.
inline bool IsWhite(COLORREF color)
{
    const int r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    const int toBlack = r * r + g * g + b * b;
    const int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return toWhite < toBlack;
}

} // namespace lumtar::platform
