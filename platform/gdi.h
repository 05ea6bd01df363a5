// The native layer's GDI objects and device contexts, named by the handles
// of platform/handles.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "lumtar32_gdi.h"
#include "platform/handles.h"
#include "platform/memory.h"
#include "platform/raster.h"

namespace lumtar::platform {

struct Brush : GdiObject {
    Brush() : GdiObject(Kind::Brush) {}
    UINT style = 0; // BS_SOLID 0, BS_NULL 1
    COLORREF color = 0;
    UINT hatch = 0;
};

struct Pen : GdiObject {
    Pen() : GdiObject(Kind::Pen) {}
    UINT style = 0; // PS_SOLID 0, PS_NULL 5
    POINT width{0, 0};
    COLORREF color = 0;
};

struct Font : GdiObject {
    Font() : GdiObject(Kind::Font) {}
    LOGFONTA logfont{};
};

struct Bitmap : GdiObject {
    Bitmap() : GdiObject(Kind::Bitmap) {}
    Raster raster;
    HDC selectedIn = nullptr; // guarded by HandleLock()
};

struct Palette : GdiObject {
    Palette() : GdiObject(Kind::Palette) {}
};

struct MetafileBits : GdiObject {
    MetafileBits() : GdiObject(Kind::Metafile) {}
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

struct Dc : GdiObject {
    Dc() : GdiObject(Kind::Dc) {}
    std::mutex lock;      // every operation on the DC holds it
    bool deleted = false; // DeleteDC has run; guarded by `lock`
    bool metafile = false;
    Recorder recorder;

    // Selected objects: on a memory DC they are pinned by their selection
    // count; on a metafile DC only their handles are kept, as GDI does.
    HGDIOBJ brush = nullptr, pen = nullptr, font = nullptr, bitmap = nullptr;
    // A memory DC's selected objects themselves, and the raster it paints
    // into (null for the default bitmap). An object keeps its handle, and so
    // its place in the table, while a memory DC has it selected.
    const Brush* brushObject = nullptr;
    const Pen* penObject = nullptr;
    const Font* fontObject = nullptr;
    Raster* target = nullptr;

    int mapMode = MM_TEXT;
    POINT windowOrg{0, 0}, viewportOrg{0, 0};
    SIZE windowExt{1, 1}, viewportExt{1, 1};
    UINT textAlign = 0;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
};

// The DC this thread last worked on, kept for its next call (dc.cpp keeps
// the reference that holds it).
struct LastDc {
    HDC handle;
    Dc* dc;
};
[[gnu::tls_model("initial-exec")]] extern constinit thread_local LastDc lastDc;
Dc* LockFound(HDC hdc); // the DC looked up in the table, locked and kept; null when there is none
void LetGo(Dc* dc);     // a DC deleted in this call: no longer kept

// A DC held for one call: its lock taken, or nothing for a handle that
// names no live DC. A DC that is not deleted is held by the table, and it
// cannot be deleted while its lock is held: the call needs no reference of
// its own, and a call within the call may keep another DC. (DeleteDC, after
// which only the kept reference holds the DC, makes no call on another DC
// meanwhile.) A DC deleted since it was kept may have left its handle to
// another DC, which the table then gives. The kept DC's path inline, in the
// calls themselves: BarToWmf 27.2 k -> 25.1 k instructions (26.8 k with only
// the table's path out of line), Bar2Hdc + GetDIBits 61.7 k -> 60.1 k.
class LockedDc {
public:
    explicit LockedDc(HDC hdc)
    {
        if (!hdc) return;
        if (hdc == lastDc.handle) {
            Dc* kept = lastDc.dc;
            kept->lock.lock();
            if (!kept->deleted) {
                dc_ = kept;
                return;
            }
            kept->lock.unlock();
        }
        dc_ = LockFound(hdc);
    }
    ~LockedDc()
    {
        if (!dc_) return;
        const bool deleted = dc_->deleted;
        dc_->lock.unlock();
        if (deleted) LetGo(dc_); // the DeleteDC call: the DC goes now
    }
    LockedDc(const LockedDc&) = delete;
    LockedDc& operator=(const LockedDc&) = delete;
    explicit operator bool() const { return dc_ != nullptr; }
    Dc& operator*() const { return *dc_; }
    Dc* operator->() const { return dc_; }

private:
    Dc* dc_ = nullptr; // locked while set
};

// The handle of a new object, or null (and the object gone) when there is no room.
inline HGDIOBJ Register(std::shared_ptr<GdiObject> object) { return object ? AddHandle(std::move(object)) : nullptr; }

// One memory DC fewer holding the object selected: true when that was the
// last and DeleteObject came meanwhile, so its handle goes now. Caller holds
// HandleLock().
bool ReleaseSelection(GdiObject* object);

HGDIOBJ DefaultBitmap();
HGDIOBJ NewBrush(UINT style, COLORREF color, UINT hatch);
HGDIOBJ NewPen(UINT style, POINT width, COLORREF color);
HGDIOBJ DeviceDefaultFont();
// The nearer of black and white in a monochrome palette. The squared
// distances to white and to black differ by 3 * 255 * 255 - 510 * (r + g + b),
// so white is nearer from a channel sum of 383 up (no colour is as near to both).
inline bool IsWhite(COLORREF color)
{
    return (color & 0xFF) + ((color >> 8) & 0xFF) + ((color >> 16) & 0xFF) > 382;
}

} // namespace lumtar::platform
