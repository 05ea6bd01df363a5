// BarPrintToMemory over an arbitrary style record (its size field right or
// any), format and text: first the size query, then a buffer one byte short,
// then one of exactly the size asked. The query and the call agree on the
// result and the size; a refusal says which field; a short buffer gets
// BarErrFile and nothing written into it.
//
// Fields that make the picture larger are brought down to small values
// while they are within the library's limits (values beyond them stay, to
// be refused): the limits allow pictures of a million pixels a side, which
// would make every run take seconds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "lumtar32_print.h"

namespace {

// Within 0..limit, value modulo cap + 1; outside, as it was.
void Shrink(int& value, int limit, int cap)
{
    if (value >= 0 && value <= limit) value %= cap + 1;
}

void ShrinkPicture(BarPrintStyle& s)
{
    constexpr int Largest = 1000000;
    Shrink(s.width, Largest, 2000);
    Shrink(s.height, Largest, 2000);
    Shrink(s.dpi, Largest, 400);
    Shrink(s.module, 100000, 600);
    Shrink(s.barHeight, 10 * Largest, 40000);
    Shrink(s.textSize, Largest, 20000);
    Shrink(s.paddingX, Largest, 20000);
    Shrink(s.paddingY, Largest, 20000);
    Shrink(s.bearerWidth, 100000, 5000);
    Shrink(s.narrow, 100, 8);
    Shrink(s.wide, 100, 8);
}

constexpr int InfoSizes[] = {0, 1, 4, 8, static_cast<int>(sizeof(BarPrintInfo)) - 1,
                             static_cast<int>(sizeof(BarPrintInfo)), 1 << 30, -1};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int format = in.ConsumeIntegralInRange(1, 8);
    const bool sizeRight = in.ConsumeBool();
    const bool noStyle = in.ConsumeIntegralInRange(0, 15) == 0;
    const int infoSize = InfoSizes[in.ConsumeIntegralInRange<size_t>(0, std::size(InfoSizes) - 1)];
    BarPrintStyle style{};
    const std::string record = in.ConsumeBytesAsString(sizeof style);
    std::memcpy(&style, record.data(), record.size());
    if (sizeRight) style.size = sizeof style;
    ShrinkPicture(style);
    const std::string text = in.ConsumeRemainingBytesAsString().substr(0, 80); // long texts: wide pictures
    const BarPrintStyle* s = noStyle ? nullptr : &style;

    BarPrintInfo info{};
    info.size = infoSize;
    unsigned int needed = 12345;
    const int asked = BarPrintToMemory(nullptr, 0, &needed, format, text.c_str(), s, &info);
    if (asked != BarOk && asked != BarErrCode && asked != BarErrStyle && asked != BarErrGdi) __builtin_trap();
    if (infoSize >= 8 && (asked == BarErrStyle) != (info.problem != 0)) __builtin_trap();
    if (asked != BarOk) {
        if (needed != 0) __builtin_trap();
        return 0;
    }
    if (needed == 0) __builtin_trap();

    // One byte short: refused, nothing written.
    const auto shortBuffer = std::make_unique<uint8_t[]>(needed);
    std::memset(shortBuffer.get(), 0xA5, needed);
    unsigned int shortNeeded = 0;
    if (BarPrintToMemory(shortBuffer.get(), needed - 1, &shortNeeded, format, text.c_str(), s, nullptr) != BarErrFile)
        __builtin_trap();
    if (shortNeeded != needed) __builtin_trap();
    for (unsigned int i = 0; i < needed; ++i)
        if (shortBuffer[i] != 0xA5) __builtin_trap();

    // Exactly the size asked (a heap block of that size: writing past it is caught).
    const auto buffer = std::make_unique<uint8_t[]>(needed);
    unsigned int written = 0;
    if (BarPrintToMemory(buffer.get(), needed, &written, format, text.c_str(), s, nullptr) != BarOk) __builtin_trap();
    if (written != needed) __builtin_trap();
    return 0;
}
