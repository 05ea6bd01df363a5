// The native layer's handles: one table for GDI objects and global memory
// blocks. A handle names a slot and its generation, so a stale, made-up or
// foreign handle is refused, never followed. The table holds each object by
// a shared pointer, and so does every call that looked it up: an object
// deleted on one thread while another uses it lives until that call returns,
// and every later call with its handle fails.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "lumtar32_gdi.h"

namespace lumtar::platform {

enum class Kind : uint8_t { Brush, Pen, Font, Bitmap, Palette, Dc, Metafile, Memory };

struct GdiObject {
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    const Kind kind;
    bool stock = false;
    uintptr_t handle = 0;
    // Guarded by HandleLock():
    int selections = 0;          // memory DCs holding it selected
    bool deletePending = false;  // DeleteObject came while it was selected
    std::vector<HDC> recordedIn; // metafile DCs whose object table holds it
};

// The table's lock; it also guards the fields above. Taken for a few
// instructions at a time, and never held while a DC's lock is taken.
std::mutex& HandleLock();

// A handle for the object, or null when the table is full or memory runs out.
void* AddHandle(std::shared_ptr<GdiObject> object);
// Takes the object's handle out of the table; false if it was not there.
bool RemoveHandle(const GdiObject& object);
bool RemoveHandleLocked(const GdiObject& object); // the caller holds HandleLock()
bool HasHandleLocked(const GdiObject& object);

// The object a handle names: null for null, stale and foreign handles.
std::shared_ptr<GdiObject> Lookup(const void* handle);
GdiObject* LookupLocked(const void* handle); // the caller holds HandleLock()

template <class T> std::shared_ptr<T> LookupAs(const void* handle, Kind kind)
{
    std::shared_ptr<GdiObject> o = Lookup(handle);
    return o && o->kind == kind ? std::static_pointer_cast<T>(std::move(o)) : nullptr;
}

inline HGDIOBJ HandleOf(const GdiObject& o) { return reinterpret_cast<HGDIOBJ>(o.handle); }

} // namespace lumtar::platform
