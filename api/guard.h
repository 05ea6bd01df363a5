// The exports' guard: nothing thrown inside leaves them, and memory that ran
// out anywhere in a call fails the call with the export's failure value.
// Natively the platform layer counts the allocations that failed on this
// thread; on Windows GDI reports its own failures through its results.
#pragma once

#ifndef _WIN32
#include "platform/memory.h"
#endif

namespace lumtar {

inline unsigned MemoryFailuresSoFar() noexcept
{
#ifdef _WIN32
    return 0;
#else
    return platform::MemoryFailures();
#endif
}

template <class R, class Body> R Guarded(R failure, Body body) noexcept
{
    const unsigned before = MemoryFailuresSoFar();
    try {
        const R result = body();
        return MemoryFailuresSoFar() == before ? result : failure;
    } catch (...) {
        return failure;
    }
}

} // namespace lumtar
