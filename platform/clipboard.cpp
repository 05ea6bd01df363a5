// The clipboard of the native layer: one process-wide store of format and
// memory-handle pairs, opened by one thread at a time. A CF_METAFILEPICT block
// owns its metafile: when the block is replaced or emptied, both are freed.
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "lumtar32_gdi.h"
#include "platform/memory.h"

namespace {

struct Clipboard {
    std::mutex lock;
    bool open = false;
    std::thread::id owner;
    std::vector<std::pair<UINT, HANDLE>> items;

    bool OpenedHere() const { return open && owner == std::this_thread::get_id(); }
};

Clipboard& Board()
{
    static Clipboard* board = new Clipboard; // outlives every thread that may still use it
    return *board;
}

void Release(UINT format, HANDLE data)
{
    if (format == CF_METAFILEPICT) {
        if (auto* picture = static_cast<METAFILEPICT*>(GlobalLock(data))) {
            DeleteMetaFile(picture->hMF);
            GlobalUnlock(data);
        }
    }
    GlobalFree(data);
}

using lumtar::platform::OutOfMemory;

// step(board) under the board's lock; failure, counted, when memory runs out.
template <class T, class Step> T WithBoard(T failure, Step step) noexcept
try {
    Clipboard& c = Board();
    std::lock_guard<std::mutex> guard(c.lock);
    return step(c);
} catch (...) {
    return OutOfMemory(failure);
}

// The handle stored under format, or null; only the opening thread may
// ask for the data, anyone whether it is there.
HANDLE Find(UINT format, bool opened)
{
    return WithBoard<HANDLE>(nullptr, [&](Clipboard& c) -> HANDLE {
        if (opened && !c.OpenedHere()) return nullptr;
        for (auto& item : c.items)
            if (item.first == format) return item.second; // never null: SetClipboardData refuses it
        return nullptr;
    });
}

} // namespace

extern "C" {

HWND WINAPI GetFocus(void) { return nullptr; } // no windows here

BOOL WINAPI OpenClipboard(HWND owner)
{
    return WithBoard<BOOL>(FALSE, [](Clipboard& c) -> BOOL {
        if (c.open && c.owner != std::this_thread::get_id()) return FALSE;
        c.open = true;
        c.owner = std::this_thread::get_id();
        return TRUE;
    });
}

BOOL WINAPI CloseClipboard(void)
{
    return WithBoard<BOOL>(FALSE, [](Clipboard& c) -> BOOL {
        if (!c.OpenedHere()) return FALSE;
        c.open = false;
        return TRUE;
    });
}

// What the board lets go of is released after its lock.
BOOL WINAPI EmptyClipboard(void)
{
    std::vector<std::pair<UINT, HANDLE>> released;
    const BOOL emptied = WithBoard<BOOL>(FALSE, [&](Clipboard& c) -> BOOL {
        if (!c.OpenedHere()) return FALSE;
        released.swap(c.items);
        return TRUE;
    });
    for (auto& [format, data] : released) Release(format, data);
    return emptied;
}

HANDLE WINAPI SetClipboardData(UINT format, HANDLE data)
{
    if (!data) return nullptr; // delayed rendering is not offered
    std::pair<UINT, HANDLE> replaced{0, nullptr};
    const HANDLE stored = WithBoard<HANDLE>(nullptr, [&](Clipboard& c) -> HANDLE {
        if (!c.OpenedHere()) return nullptr;
        for (auto& item : c.items)
            if (item.first == format) {
                if (item.second != data) replaced = item;
                item.second = data;
                return data;
            }
        c.items.emplace_back(format, data);
        return data;
    });
    if (replaced.second) Release(replaced.first, replaced.second);
    return stored;
}

HANDLE WINAPI GetClipboardData(UINT format)
{
    return Find(format, true);
}

BOOL WINAPI IsClipboardFormatAvailable(UINT format)
{
    return Find(format, false) != nullptr;
}

} // extern "C"
