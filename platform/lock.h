// The lock of the native layer's short critical sections.
#pragma once

#include <atomic>
#include <thread>

namespace lumtar::platform {

// A lock that is nearly always free: a DC's (GDI calls on a DC come through
// one by one; it is held for the whole call, painting included), the object
// registry's and the memory blocks' (held for an update of a table). Taken by one atomic
// exchange and given back by a plain store, so a free lock costs one atomic
// operation; a thread that finds it taken spins a little, then yields until
// it is free.
struct ShortLock {
    std::atomic<bool> taken{false};
    void lock()
    {
        if (taken.exchange(true, std::memory_order_acquire)) Wait();
    }
    bool try_lock() { return !taken.exchange(true, std::memory_order_acquire); }
    void unlock() { taken.store(false, std::memory_order_release); }
    [[gnu::noinline]] void Wait()
    {
        int spins = 0;
        do {
            while (taken.load(std::memory_order_relaxed))
                if (++spins > 64) std::this_thread::yield();
        } while (taken.exchange(true, std::memory_order_acquire));
    }
};

} // namespace lumtar::platform
