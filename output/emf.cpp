// An enhanced metafile written from the recorded drawing, record by record as
// GDI records it: the header with the frame (the picture's size in 0.01 mm)
// and the reference device, the window of the recording mapped onto that
// frame, a white ground, each bar a rectangle in a pen and brush of its
// colour (as the placeable metafile draws it), each line of text an
// ExtTextOutW in the recorded font with the advances of the face, and the
// closing record. The reference device has a pixel of 0.01 mm (2540 dpi),
// so the viewport is the frame itself.
#include <cmath>
#include <cstring>

#include "output/press.h"
#include "platform/bytes.h"
#include "platform/typeface.h"

namespace lumtar {
namespace {

// Record types and stock objects of the format.
enum : uint32_t {
    EmrHeader = 1, EmrSetWindowExtEx = 9, EmrSetWindowOrgEx = 10, EmrSetViewportExtEx = 11, EmrEof = 14,
    EmrSetMapMode = 17, EmrSetBkMode = 18, EmrSetTextAlign = 22, EmrSetTextColor = 24, EmrSetBkColor = 25,
    EmrSelectObject = 37, EmrCreatePen = 38, EmrCreateBrushIndirect = 39, EmrDeleteObject = 40, EmrRectangle = 43,
    EmrExtCreateFontIndirectW = 82, EmrExtTextOutW = 84,
};
constexpr uint32_t StockWhiteBrush = 0x80000000, StockNullPen = 0x80000008, StockBlackPen = 0x80000007;
constexpr uint32_t StockSystemFont = 0x8000000D;
constexpr uint32_t BrushSlot = 1, PenSlot = 2, FontSlot = 3, Slots = 4; // slot 0 is the metafile's own
constexpr int HeaderSize = 108;
constexpr int DeviceMillimetres = 1000, DevicePixelsPerMillimetre = 100;

struct Emf {
    Bytes out;
    uint32_t records = 0;
    int64_t color = -1; // of the pen and brush selected, -1 none yet
    bool fontSelected = false;
    SceneFont font; // the recorded font selected
    int64_t align = -1, textColor = -1, bkColor = -1, bkMode = -1;
};

// The room grows by doubling; each record is one append.
uint8_t* Room(Bytes& out, size_t bytes)
{
    const size_t at = out.size();
    if (out.capacity() < at + bytes) out.reserve(2 * (at + bytes));
    out.resize(at + bytes);
    return out.data() + at;
}

void Dwords(Bytes& out, std::initializer_list<uint32_t> values)
{
    uint8_t* at = Room(out, 4 * values.size());
    for (const uint32_t v : values) {
        PutDword(at, v);
        at += 4;
    }
}

void Record(Emf& emf, uint32_t type, std::initializer_list<uint32_t> fields)
{
    uint8_t* at = Room(emf.out, 8 + 4 * fields.size());
    PutDword(at, type);
    PutDword(at + 4, static_cast<uint32_t>(8 + 4 * fields.size()));
    for (const uint32_t v : fields) {
        at += 4;
        PutDword(at + 4, v);
    }
    ++emf.records;
}

// A state setter, recorded when the value changes.
void Set(Emf& emf, int64_t& state, uint32_t type, uint32_t value)
{
    if (state == value) return;
    state = value;
    Record(emf, type, {value});
}

void SetColor(Emf& emf, uint32_t color)
{
    if (emf.color == color) return;
    if (emf.color >= 0) {
        Record(emf, EmrSelectObject, {StockWhiteBrush});
        Record(emf, EmrSelectObject, {StockBlackPen});
        Record(emf, EmrDeleteObject, {BrushSlot});
        Record(emf, EmrDeleteObject, {PenSlot});
    }
    emf.color = color;
    Record(emf, EmrCreateBrushIndirect, {BrushSlot, 0, color, 0}); // BS_SOLID
    Record(emf, EmrCreatePen, {PenSlot, 0, 0, 0, color});          // PS_SOLID, one pixel
    Record(emf, EmrSelectObject, {BrushSlot});
    Record(emf, EmrSelectObject, {PenSlot});
}

void Rectangle(Emf& emf, int left, int top, int right, int bottom)
{
    Record(emf, EmrRectangle, {static_cast<uint32_t>(left), static_cast<uint32_t>(top), static_cast<uint32_t>(right),
                               static_cast<uint32_t>(bottom)});
}

// EMR_EXTCREATEFONTINDIRECTW with a bare LOGFONTW; the device's own font as the stock one.
void SelectFont(Emf& emf, const SceneFont& font)
{
    const SceneFont& now = emf.font;
    if (emf.fontSelected && now.stock == font.stock &&
        (font.stock || (now.face == font.face && now.height == font.height && now.escapement == font.escapement &&
                        now.weight == font.weight && now.italic == font.italic)))
        return;
    if (emf.fontSelected) {
        Record(emf, EmrSelectObject, {StockSystemFont});
        if (!now.stock) Record(emf, EmrDeleteObject, {FontSlot});
    }
    emf.font = font;
    emf.fontSelected = true;
    if (font.stock) return;
    const auto height = static_cast<uint32_t>(font.height), turn = static_cast<uint32_t>(font.escapement);
    Dwords(emf.out, {EmrExtCreateFontIndirectW, 12 + 92, FontSlot, height, 0, turn, turn, static_cast<uint32_t>(font.weight),
                     font.italic ? 1u : 0u, 0}); // italic, underline, strike-out, charset; precisions, quality, pitch
    uint8_t name[64] = {};
    for (size_t i = 0; i < font.face.size() && i < 31; ++i)
        PutWord(name + 2 * i, platform::UnicodeOf(static_cast<unsigned char>(font.face[i])));
    std::memcpy(Room(emf.out, sizeof name), name, sizeof name);
    ++emf.records;
    Record(emf, EmrSelectObject, {FontSlot});
}

// The characters in UTF-16 and their advances in logical units, summed
// before rounding so that the line keeps its width.
void Text(Emf& emf, const Mark& text)
{
    const std::shared_ptr<const Face> face = FaceOf(text.font);
    if (!face || text.chars.empty()) return;
    SelectFont(emf, text.font);
    Set(emf, emf.align, EmrSetTextAlign, text.align);
    Set(emf, emf.textColor, EmrSetTextColor, text.color);
    Set(emf, emf.bkMode, EmrSetBkMode, text.opaque ? 2 : 1);
    Set(emf, emf.bkColor, EmrSetBkColor, text.background);
    const LineLayout line = LayoutOf(*face, text);
    const uint32_t count = static_cast<uint32_t>(text.chars.size());
    const uint32_t chars = 76, dx = chars + (2 * count + 3) / 4 * 4, size = dx + 4 * count;
    const float scale = 1.0f; // page units (0.01 mm device pixels) to 0.01 mm
    uint32_t scaleBits;
    std::memcpy(&scaleBits, &scale, 4);
    Dwords(emf.out, {EmrExtTextOutW, size, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 1, scaleBits, scaleBits,
                     static_cast<uint32_t>(text.left), static_cast<uint32_t>(text.top), count, chars, 0, 0, 0, 0, 0, dx});
    const size_t at = emf.out.size();
    Room(emf.out, size - chars);
    const double unit = line.em / face->unitsPerEm;
    double sum = 0;
    long placed = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const auto c = static_cast<unsigned char>(text.chars[i]);
        PutWord(emf.out.data() + at + 2 * i, platform::UnicodeOf(c));
        sum += face->advance[c] * unit;
        const long next = std::lround(sum);
        PutDword(emf.out.data() + at + (dx - chars) + 4 * i, static_cast<uint32_t>(next - placed));
        placed = next;
    }
    ++emf.records;
}

void Header(Emf& emf, int width, int height)
{
    const uint32_t device = DeviceMillimetres * DevicePixelsPerMillimetre;
    const auto w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
    Dwords(emf.out, {EmrHeader, HeaderSize, 0, 0, w - 1, h - 1, // bounds, device pixels, inclusive
                     0, 0, w, h,                                // frame, 0.01 mm
                     0x464D4520, 0x10000, 0, 0,                 // " EMF", version, bytes and records at the end
                     Slots, 0, 0, 0,                            // handles, no description, no palette
                     device, device, DeviceMillimetres, DeviceMillimetres, 0, 0, 0,
                     1000 * DeviceMillimetres, 1000 * DeviceMillimetres});
    ++emf.records;
}

} // namespace

int EmfOfScene(const Scene& scene, int width, int height, Bytes& out)
{
    if (width <= 0 || height <= 0 || scene.extX <= 0 || scene.extY <= 0) return BarErrGdi;
    Emf emf;
    emf.out.reserve(512 + 40 * scene.marks.size());
    Header(emf, width, height);
    Record(emf, EmrSetMapMode, {8}); // MM_ANISOTROPIC
    Record(emf, EmrSetWindowExtEx, {static_cast<uint32_t>(scene.extX), static_cast<uint32_t>(scene.extY)});
    Record(emf, EmrSetWindowOrgEx, {static_cast<uint32_t>(scene.orgX), static_cast<uint32_t>(scene.orgY)});
    Record(emf, EmrSetViewportExtEx, {static_cast<uint32_t>(width), static_cast<uint32_t>(height)});
    Record(emf, EmrSelectObject, {StockWhiteBrush});
    Record(emf, EmrSelectObject, {StockNullPen});
    Rectangle(emf, scene.orgX, scene.orgY, scene.orgX + scene.extX + 1, scene.orgY + scene.extY + 1);
    for (const Mark& mark : scene.marks) {
        if (mark.text) {
            Text(emf, mark);
            continue;
        }
        SetColor(emf, mark.color);
        Rectangle(emf, mark.left, mark.top, mark.right, mark.bottom);
    }
    Record(emf, EmrEof, {0, 16, 20});
    PutDword(emf.out.data() + 48, static_cast<uint32_t>(emf.out.size()));
    PutDword(emf.out.data() + 52, emf.records);
    out = std::move(emf.out);
    return BarOk;
}

} // namespace lumtar
