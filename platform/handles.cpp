// The handle table: slots with a generation and a list of free slots, under
// one std::mutex.
#include "platform/handles.h"

#include "platform/memory.h"

namespace lumtar::platform {
namespace {

// A handle is (generation << IndexBits) | index; index 0 is never used, so
// no handle is small, and generations run 1 .. 2047.
constexpr unsigned IndexBits = 20;
constexpr uintptr_t IndexMask = (uintptr_t{1} << IndexBits) - 1;
constexpr uintptr_t Generations = 2047;

struct Slot {
    std::shared_ptr<GdiObject> object;
    uintptr_t generation = 0;
    uint32_t nextFree = 0; // the free slots form a list; 0 ends it
};

struct Table {
    std::mutex lock;
    std::vector<Slot> slots = std::vector<Slot>(1);
    uint32_t firstFree = 0;
};

Table& TheTable()
{
    static auto* table = new Table; // outlives every static destructor
    return *table;
}

Slot* SlotOf(Table& table, uintptr_t handle)
{
    const uintptr_t index = handle & IndexMask, generation = handle >> IndexBits;
    if (index == 0 || index >= table.slots.size() || generation - 1 >= Generations) return nullptr;
    Slot& slot = table.slots[index];
    return slot.object && slot.generation == generation ? &slot : nullptr;
}

} // namespace

std::mutex& HandleLock() { return TheTable().lock; }

void* AddHandle(std::shared_ptr<GdiObject> object)
try {
    Table& table = TheTable();
    std::lock_guard guard(table.lock);
    uint32_t index = table.firstFree;
    if (index) {
        table.firstFree = table.slots[index].nextFree;
    } else {
        if (table.slots.size() > IndexMask) return nullptr;
        table.slots.emplace_back();
        index = static_cast<uint32_t>(table.slots.size() - 1);
    }
    Slot& slot = table.slots[index];
    slot.generation = slot.generation % Generations + 1;
    object->handle = slot.generation << IndexBits | index;
    slot.object = std::move(object);
    return reinterpret_cast<void*>(slot.object->handle);
} catch (...) {
    return OutOfMemory<void*>(nullptr);
}

bool RemoveHandleLocked(const GdiObject& object)
{
    Table& table = TheTable();
    Slot* slot = SlotOf(table, object.handle);
    if (!slot || slot->object.get() != &object) return false;
    const auto index = static_cast<uint32_t>(object.handle & IndexMask);
    // Freed here if no call holds it: no object's destructor takes this lock.
    slot->object.reset();
    slot->nextFree = table.firstFree;
    table.firstFree = index;
    return true;
}

bool RemoveHandle(const GdiObject& object)
{
    std::lock_guard guard(HandleLock());
    return RemoveHandleLocked(object);
}

bool HasHandleLocked(const GdiObject& object)
{
    Slot* slot = SlotOf(TheTable(), object.handle);
    return slot && slot->object.get() == &object;
}

std::shared_ptr<GdiObject> Lookup(const void* handle)
{
    Table& table = TheTable();
    std::lock_guard guard(table.lock);
    Slot* slot = SlotOf(table, reinterpret_cast<uintptr_t>(handle));
    return slot ? slot->object : nullptr;
}

GdiObject* LookupLocked(const void* handle)
{
    Slot* slot = SlotOf(TheTable(), reinterpret_cast<uintptr_t>(handle));
    return slot ? slot->object.get() : nullptr;
}

} // namespace lumtar::platform
