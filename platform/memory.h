// Memory that runs out inside the native layer. No exception leaves the
// layer's functions: each ends in a handler that returns its failure value.
// Every allocation that fails, ours or FreeType's, is counted per thread, so
// that the exports can fail a call in which memory ran out anywhere, also
// where a graphics call on the way only drew less.
#pragma once

#include <memory>
#include <new>
#include <utility>

namespace lumtar::platform {

inline thread_local unsigned memoryFailures = 0;

inline unsigned MemoryFailures() noexcept { return memoryFailures; }
inline void NoteMemoryFailure() noexcept { ++memoryFailures; }

// The handler's result: failure, with the failure counted.
template <class T> T OutOfMemory(T failure) noexcept
{
    NoteMemoryFailure();
    return failure;
}

// new T(args...), or null, counted, when memory runs out for it.
template <class T, class... Args> T* New(Args&&... args) noexcept
{
    try {
        return new T(std::forward<Args>(args)...);
    } catch (...) {
        return OutOfMemory<T*>(nullptr);
    }
}

// A T in a shared pointer, or null, counted, when memory runs out for it.
template <class T> std::shared_ptr<T> Make() noexcept
{
    try {
        return std::make_shared<T>();
    } catch (...) {
        return OutOfMemory<std::shared_ptr<T>>(nullptr);
    }
}

} // namespace lumtar::platform
