// Both ISBN conversions over arbitrary bytes into exactly-sized output buffers
// (15 and 19 bytes on the heap, so a one-byte overrun is caught).
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "lumtar32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> text(data, data + size);
    text.push_back('\0');

    auto isbn = std::make_unique<char[]>(15);
    const int fromEan = BarIsbnFromEan(isbn.get(), text.data());
    if (std::memchr(isbn.get(), 0, 15) == nullptr) __builtin_trap();
    if (fromEan && std::strlen(isbn.get()) != 13) __builtin_trap();

    auto ean = std::make_unique<char[]>(19);
    const int fromIsbn = BarEanFromIsbn(ean.get(), text.data());
    if (std::memchr(ean.get(), 0, 19) == nullptr) __builtin_trap();
    if (fromIsbn && std::strlen(ean.get()) != 13) __builtin_trap();
    // A converted EAN converts back when it holds digits only.
    if (fromIsbn && BarCodeTyp(ean.get(), BarTypEan13) == BarTypEan13) {
        auto back = std::make_unique<char[]>(15);
        if (!BarIsbnFromEan(back.get(), ean.get())) __builtin_trap();
    }
    return 0;
}
