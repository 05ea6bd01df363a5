// Type detection and names over arbitrary bytes and masks.
#include <cstdint>
#include <cstring>
#include <vector>

#include "lumtar32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) return 0;
    int types;
    std::memcpy(&types, data, 4);
    // An exactly-sized heap copy: a read past the terminator is caught.
    std::vector<char> text(data + 4, data + size);
    text.push_back('\0');
    const int type = BarCodeTyp(text.data(), types);
    if (type != 0 && (type & (type - 1)) != 0) __builtin_trap(); // one flag or none
    if (type != 0 && !(types & type)) __builtin_trap();           // only a requested one
    const char* name = BarCodeName(types);
    if (!name || !*name) __builtin_trap();
    (void)BarCodeName(type);
    return 0;
}
