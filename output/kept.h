// Faces found and face programs made, kept for every thread to share: a font
// file is read once, not for every picture. A full store is emptied; what is
// in use lives on with its holders.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>

namespace lumtar {

template <class Key, class Value>
struct Kept {
    std::mutex mutex;
    std::map<Key, std::shared_ptr<const Value>> values;
};

// The value kept under key, else the one make() gives (kept unless null).
// make runs outside the lock, so that other threads wait only for the map;
// two threads making the same value keep the first.
template <class Key, class Value, class Make>
std::shared_ptr<const Value> KeptOrMade(Kept<Key, Value>& kept, std::size_t most, const Key& key, Make make)
{
    {
        std::lock_guard lock(kept.mutex);
        const auto known = kept.values.find(key);
        if (known != kept.values.end()) return known->second;
    }
    std::shared_ptr<const Value> value = make();
    if (!value) return nullptr;
    std::lock_guard lock(kept.mutex);
    if (kept.values.size() >= most) kept.values.clear();
    return kept.values.emplace(key, std::move(value)).first->second;
}

} // namespace lumtar
