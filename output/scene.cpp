// The records of a standard metafile read back into rectangles and lines of
// text, with the state a player keeps between them: the object table, the
// selected brush, pen and font, the text alignment and colours. Only what a
// drawing of this library (and of a caller drawing the same way) records is
// understood; other records are passed over, as a player passes over what it
// does not know.
#include <algorithm>
#include <cstring>

#include "output/formats.h"
#include "platform/bytes.h"
#include "platform/records.h"

namespace lumtar {
namespace {

constexpr uint16_t BrushNull = 1; // BS_NULL (BS_HOLLOW)
constexpr uint16_t PenNull = 5;   // PS_NULL

struct Object {
    enum Kind { None, Brush, Pen, Font } kind = None;
    uint32_t color = 0;
    bool empty = false; // a null brush or pen
    SceneFont font;
};

struct Player {
    std::vector<Object> table;
    Object brush{Object::Brush, 0xFFFFFF, false, {}}; // a metafile DC starts with the white brush
    Object pen{Object::Pen, 0, false, {}};            // and the black pen
    SceneFont font{"", 0, 0, 0, false, true};
    unsigned align = 0;
    uint32_t textColor = 0;
    uint32_t background = 0xFFFFFF;
    bool opaque = true;
};

uint16_t Word(const uint8_t* p, size_t i) { return GetWord(p + 2 * i); }
int Short(const uint8_t* p, size_t i) { return static_cast<int16_t>(Word(p, i)); }
uint32_t Dword(const uint8_t* p, size_t i) { return GetDword(p + 2 * i); }

void Select(Player& player, const Object& object)
{
    switch (object.kind) {
    case Object::Brush: player.brush = object; break;
    case Object::Pen: player.pen = object; break;
    case Object::Font: player.font = object.font; break;
    default: break;
    }
}

// A created object takes the lowest free index of the table.
void Add(Player& player, const Object& object)
{
    auto free = std::find_if(player.table.begin(), player.table.end(), [](const Object& o) { return o.kind == Object::None; });
    if (free != player.table.end()) *free = object;
}

void AddRectangle(Scene& scene, int left, int top, int right, int bottom, uint32_t color)
{
    Mark mark;
    mark.left = std::min(left, right);
    mark.right = std::max(left, right);
    mark.top = std::min(top, bottom);
    mark.bottom = std::max(top, bottom);
    mark.color = color;
    if (mark.left >= mark.right || mark.top >= mark.bottom) return;
    // A bar of several modules comes as one rectangle per module: joined, so
    // that no renderer's smoothing leaves a seam between them.
    if (!scene.marks.empty()) {
        Mark& last = scene.marks.back();
        const bool row = last.top == mark.top && last.bottom == mark.bottom;
        const bool column = last.left == mark.left && last.right == mark.right;
        if (!last.text && last.color == color &&
            ((row && (last.right == mark.left || last.left == mark.right)) ||
             (column && (last.bottom == mark.top || last.top == mark.bottom)))) {
            last.left = std::min(last.left, mark.left);
            last.right = std::max(last.right, mark.right);
            last.top = std::min(last.top, mark.top);
            last.bottom = std::max(last.bottom, mark.bottom);
            return;
        }
    }
    scene.marks.push_back(std::move(mark));
}

void AddText(Scene& scene, const Player& player, int x, int y, const uint8_t* chars, size_t count)
{
    Mark mark;
    mark.text = true;
    mark.left = x;
    mark.top = y;
    mark.color = player.textColor;
    mark.chars.assign(reinterpret_cast<const char*>(chars), count);
    mark.font = player.font;
    mark.align = player.align;
    mark.opaque = player.opaque;
    mark.background = player.background;
    scene.marks.push_back(std::move(mark));
}

// p: the record's parameters, n of them (16-bit words).
void Play(Scene& scene, Player& player, uint16_t function, const uint8_t* p, size_t n, bool& extent)
{
    switch (function) {
    case META_SETBKCOLOR: if (n >= 2) player.background = Dword(p, 0) & 0xFFFFFF; break;
    case META_SETBKMODE: if (n >= 1) player.opaque = Short(p, 0) != 1; break; // TRANSPARENT 1
    case META_SETTEXTCOLOR: if (n >= 2) player.textColor = Dword(p, 0) & 0xFFFFFF; break;
    case META_SETTEXTALIGN: if (n >= 1) player.align = Word(p, 0); break;
    case META_SETWINDOWORG:
        if (n >= 2) {
            scene.orgY = Short(p, 0);
            scene.orgX = Short(p, 1);
        }
        break;
    case META_SETWINDOWEXT:
        if (n >= 2) {
            scene.extY = Short(p, 0);
            scene.extX = Short(p, 1);
            extent = true;
        }
        break;
    case META_RECTANGLE:
        // The outline in the pen's colour is one device pixel, inside the
        // corners: at any picture size it is the brush's area that shows.
        if (n >= 4 && !(player.brush.empty && player.pen.empty))
            AddRectangle(scene, Short(p, 3), Short(p, 2), Short(p, 1), Short(p, 0),
                         player.brush.empty ? player.pen.color : player.brush.color);
        break;
    case META_PATBLT:
        if (n >= 6) {
            const uint32_t rop = Dword(p, 0);
            const int x = Short(p, 5), y = Short(p, 4), w = Short(p, 3), h = Short(p, 2);
            if (rop == 0x00F00021u && !player.brush.empty) AddRectangle(scene, x, y, x + w, y + h, player.brush.color);
            if (rop == 0x00000042u) AddRectangle(scene, x, y, x + w, y + h, 0);
            if (rop == 0x00FF0062u) AddRectangle(scene, x, y, x + w, y + h, 0xFFFFFF);
        }
        break;
    case META_SELECTOBJECT:
        if (n >= 1 && Word(p, 0) < player.table.size()) Select(player, player.table[Word(p, 0)]);
        break;
    case META_DELETEOBJECT:
        if (n >= 1 && Word(p, 0) < player.table.size()) player.table[Word(p, 0)] = Object{};
        break;
    case META_CREATEBRUSHINDIRECT:
        if (n >= 4) Add(player, Object{Object::Brush, Dword(p, 1) & 0xFFFFFF, Word(p, 0) == BrushNull, {}});
        break;
    case META_CREATEPENINDIRECT:
        if (n >= 5) Add(player, Object{Object::Pen, Dword(p, 3) & 0xFFFFFF, Word(p, 0) == PenNull, {}});
        break;
    case META_CREATEFONTINDIRECT:
        if (n >= 9) {
            Object font{Object::Font, 0, false, {}};
            font.font.height = Short(p, 0);
            font.font.escapement = Short(p, 2);
            font.font.weight = Short(p, 4);
            font.font.italic = p[10] != 0;
            const auto* face = reinterpret_cast<const char*>(p + 18);
            font.font.face.assign(face, strnlen(face, std::min<size_t>(2 * n - 18, 32)));
            Add(player, font);
        }
        break;
    case META_TEXTOUT: // count, characters, y, x
        if (n >= 1) {
            const size_t count = Word(p, 0), after = 1 + (count + 1) / 2;
            if (n >= after + 2) AddText(scene, player, Short(p, after + 1), Short(p, after), p + 2, count);
        }
        break;
    case META_EXTTEXTOUT: // y, x, count, options, [rectangle], characters, [spacing]
        if (n >= 4) {
            const size_t count = Word(p, 2);
            const size_t first = (Word(p, 3) & 0x0006) ? 16 : 8; // ETO_OPAQUE and ETO_CLIPPED carry a rectangle
            if (first + count <= 2 * n) AddText(scene, player, Short(p, 1), Short(p, 0), p + first, count);
        }
        break;
    default: break;
    }
}

} // namespace

bool SceneOf(const uint8_t* bits, size_t size, int width, int height, Scene& scene)
{
    // META_HEADER: type, header size in words (9), version, size, objects, ...
    if (!bits || size < 18 || Word(bits, 1) != 9) return false;
    scene = Scene{};
    scene.extX = width;
    scene.extY = height;
    Player player;
    player.table.resize(Word(bits, 5));
    bool extent = false;
    for (size_t at = 18; at + 6 <= size;) {
        const uint32_t words = Dword(bits + at, 0);
        const uint16_t function = Word(bits + at, 2);
        if (function == META_EOF || words < 3 || words > (size - at) / 2) break;
        Play(scene, player, function, bits + at + 6, words - 3, extent);
        at += 2 * size_t{words};
    }
    if (!extent) {
        scene.extX = width;
        scene.extY = height;
    }
    return true;
}

} // namespace lumtar
