// A label's symbol: drawn by the print call (lumtar32_print.h) at its
// X-dimension with its quiet zones, as a metafile in memory, and read back as
// a scene to be placed on the page. A symbol wider than its room is drawn
// again at the largest whole 0.01 mm module that fits; one taller than its
// room gets shorter bars.
#include <algorithm>

#include "lumtar32_print.h"
#include "output/encoders.h"
#include "sheet/draw.h"

namespace lumtar::sheet {
namespace {

constexpr int MinModule = 10;        // micrometres: the print call's least, one 0.01 mm step
constexpr int MinBarHeight = 2000;   // micrometres: below that a label has no room for a symbol
constexpr int Tries = 8;             // drawings of one symbol at most
constexpr int DigitModules = 8;      // the digits' height in modules, as a full-height EAN-13's, short bars or not

int Draw(const std::string& text, BarPrintStyle style, Symbol& out)
{
    style.textSize = style.module * DigitModules;
    BarPrintInfo info{};
    info.size = sizeof info;
    unsigned int needed = 0;
    int result = BarPrintToMemory(nullptr, 0, &needed, BarFmtWmf, text.c_str(), &style, &info);
    if (result != BarOk) return result;
    Bytes wmf(needed);
    result = BarPrintToMemory(wmf.data(), needed, &needed, BarFmtWmf, text.c_str(), &style, &info);
    if (result != BarOk || needed <= PlaceableHeaderSize) return result == BarOk ? BarErrGdi : result;
    out.width = info.width;
    out.height = info.height;
    out.module = info.module;
    const bool read = SceneOf(wmf.data() + PlaceableHeaderSize, needed - PlaceableHeaderSize, info.width, info.height,
                              out.scene);
    return read && out.scene.extX > 0 && out.scene.extY > 0 ? BarOk : BarErrGdi;
}

} // namespace

int FitSymbol(const std::string& text, int types, int module, const Box& room, Symbol& out)
{
    out = Symbol{};
    out.asked = module;
    const int roomWidth = static_cast<int>(room.width * 100), roomHeight = static_cast<int>(room.height * 100); // 0.01 mm
    if (roomHeight * 10 < MinBarHeight) return BarErrGdi;
    BarPrintStyle style{};
    style.size = sizeof style;
    style.types = types;
    style.module = module;
    style.quietZones = 1;
    int result = Draw(text, style, out);
    for (int tries = 1; result == BarOk && tries < Tries && (out.width > roomWidth || out.height > roomHeight); ++tries) {
        if (out.width > roomWidth) {
            // Modules scale the width; a step less when rounding still leaves it wide.
            const int fitting = static_cast<int>(int64_t{style.module} * roomWidth / out.width) / MinModule * MinModule;
            style.module = std::min(style.module - MinModule, fitting);
            if (style.module < MinModule) return BarErrGdi;
        } else {
            const int excess = (out.height - roomHeight) * 10;
            style.barHeight = (style.barHeight ? style.barHeight : out.height * 10) - excess;
            if (style.barHeight < MinBarHeight) return BarErrGdi;
        }
        result = Draw(text, style, out);
    }
    if (result == BarOk && (out.width > roomWidth || out.height > roomHeight)) return BarErrGdi;
    return result == BarErrStyle ? BarErrGdi : result;
}

} // namespace lumtar::sheet
