// A label's symbol: drawn by the library's frame into a metafile of its own
// and read back as a scene, to be placed on the page.
#include "output/formats.h"
#include "sheet/draw.h"

namespace lumtar::sheet {
namespace {

struct Request {
    const char* text;
    int types;
};

int Draw(HDC dc, const RECT* rect, const void* context)
{
    const auto* r = static_cast<const Request*>(context);
    return Bar2HdcEx(dc, r->text, rect, reinterpret_cast<const LOGFONTA*>(BarFontDefault), r->types, 0, 0);
}

} // namespace

int FitSymbol(const std::string& text, int types, int module, const Box& room, Symbol& out)
{
    out = Symbol{};
    out.asked = module;
    out.width = std::min(static_cast<int>(room.width * 100), 5000);
    out.height = std::min(static_cast<int>(room.height * 100), 2500);
    if (out.width < 200 || out.height < 200) return BarErrGdi;
    const Request request{text.c_str(), types ? types : BarTypAll};
    Bytes bits;
    const int result = RecordedBits(out.width, out.height, 1, Draw, &request, bits);
    if (result != BarOk) return result;
    return SceneOf(bits.data(), bits.size(), out.width, out.height, out.scene) ? BarOk : BarErrGdi;
}

} // namespace lumtar::sheet
