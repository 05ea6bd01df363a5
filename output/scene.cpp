// The records of a standard metafile read back into rectangles and lines of
// text, with the state a player keeps between them: the object table, the
// selected brush, pen and font, the text alignment and colours. Only what a
// drawing of this library (and of a caller drawing the same way) records is
// understood; other records are passed over, as a player passes over what it
// does not know.
#include <algorithm>
#include <cstring>

#include "output/encoders.h"
#include "platform/wmf.h"

namespace lumtar {
namespace {

constexpr uint16_t BrushNull = 1; // BS_NULL (BS_HOLLOW)
constexpr uint16_t PenNull = 5;   // PS_NULL

// An entry of the metafile's object table: a brush, a pen or a font, or free.
struct TableEntry {
    enum Kind { None, Brush, Pen, Font } kind = None;
    uint32_t color = 0;
    bool empty = false; // a null brush or pen
    SceneFont font;
};

struct Player {
    std::vector<TableEntry> table;
    TableEntry brush{TableEntry::Brush, 0xFFFFFF, false, {}}; // a metafile DC starts with the white brush
    TableEntry pen{TableEntry::Pen, 0, false, {}};            // and the black pen
    SceneFont font{"", 0, 0, 0, false, true};
    unsigned align = 0;
    uint32_t textColor = 0;
    uint32_t background = 0xFFFFFF;
    bool opaque = true;
};

using wmf::Call;
using wmf::Op;

void Select(Player& player, const TableEntry& entry)
{
    switch (entry.kind) {
    case TableEntry::Brush: player.brush = entry; break;
    case TableEntry::Pen: player.pen = entry; break;
    case TableEntry::Font: player.font = entry.font; break;
    default: break;
    }
}

// A created object takes the lowest free index of the table.
void Add(Player& player, const TableEntry& entry)
{
    auto free = std::find_if(player.table.begin(), player.table.end(),
                             [](const TableEntry& e) { return e.kind == TableEntry::None; });
    if (free != player.table.end()) *free = entry;
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

void AddText(Scene& scene, const Player& player, int x, int y, const char* chars, size_t count)
{
    Mark mark;
    mark.text = true;
    mark.left = x;
    mark.top = y;
    mark.color = player.textColor;
    mark.chars.assign(chars, count);
    mark.font = player.font;
    mark.align = player.align;
    mark.opaque = player.opaque;
    mark.background = player.background;
    scene.marks.push_back(std::move(mark));
}

void AddPatBlt(Scene& scene, const Player& player, const Call& c)
{
    const int x = c.args[0], y = c.args[1], w = c.args[2], h = c.args[3];
    if (c.value == 0x00F00021u && !player.brush.empty) AddRectangle(scene, x, y, x + w, y + h, player.brush.color); // PATCOPY
    if (c.value == 0x00000042u) AddRectangle(scene, x, y, x + w, y + h, 0);                                      // BLACKNESS
    if (c.value == 0x00FF0062u) AddRectangle(scene, x, y, x + w, y + h, 0xFFFFFF);                               // WHITENESS
}

TableEntry FontEntry(const wmf::FontRecord& f)
{
    TableEntry font{TableEntry::Font, 0, false, {}};
    font.font.height = f.height;
    font.font.escapement = f.escapement;
    font.font.weight = f.weight;
    font.font.italic = f.italic != 0;
    font.font.face.assign(f.face, strnlen(f.face, 32));
    return font;
}

void Play(Scene& scene, Player& player, const Call& c, bool& extent)
{
    const int* a = c.args;
    switch (c.op) {
    case Op::SetBkColor: player.background = c.value & 0xFFFFFF; break;
    case Op::SetBkMode: player.opaque = static_cast<int>(c.value) != 1; break; // TRANSPARENT 1
    case Op::SetTextColor: player.textColor = c.value & 0xFFFFFF; break;
    case Op::SetTextAlign: player.align = c.value; break;
    case Op::SetWindowOrg: scene.orgX = a[0], scene.orgY = a[1]; break;
    case Op::SetWindowExt: scene.extX = a[0], scene.extY = a[1], extent = true; break;
    case Op::Rectangle:
        // The outline in the pen's colour is one device pixel, inside the
        // corners: at any picture size it is the brush's area that shows.
        if (!(player.brush.empty && player.pen.empty))
            AddRectangle(scene, a[0], a[1], a[2], a[3], player.brush.empty ? player.pen.color : player.brush.color);
        break;
    case Op::PatBlt: AddPatBlt(scene, player, c); break;
    case Op::SelectObject:
        if (c.value < player.table.size()) Select(player, player.table[c.value]);
        break;
    case Op::DeleteObject:
        if (c.value < player.table.size()) player.table[c.value] = TableEntry{};
        break;
    case Op::CreateBrush: Add(player, TableEntry{TableEntry::Brush, c.color & 0xFFFFFF, c.value == BrushNull, {}}); break;
    case Op::CreatePen: Add(player, TableEntry{TableEntry::Pen, c.color & 0xFFFFFF, c.value == PenNull, {}}); break;
    case Op::CreateFont: Add(player, FontEntry(c.font)); break;
    case Op::TextOut: AddText(scene, player, a[0], a[1], c.chars, c.count); break;
    default: break;
    }
}

} // namespace

bool SceneOf(const uint8_t* bits, size_t size, int width, int height, Scene& scene)
{
    if (!bits || size < wmf::HeaderBytes || wmf::HeaderWords(bits) != 9) return false;
    scene = Scene{};
    scene.extX = width;
    scene.extY = height;
    Player player;
    player.table.resize(wmf::ObjectCount(bits));
    bool extent = false;
    Call call;
    size_t words = 0;
    for (size_t at = wmf::HeaderBytes; wmf::GetRecord(bits, size, at, call, words); at += 2 * words)
        Play(scene, player, call, extent);
    if (!extent) {
        scene.extX = width;
        scene.extY = height;
    }
    return true;
}

} // namespace lumtar
