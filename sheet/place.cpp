// Where each label of a run goes, and how a label's inside is shared between
// its text lines and its symbol.
#include <algorithm>

#include "sheet/sheet.h"

namespace lumtar::sheet {

Placed PlaceLabel(const std::vector<Slot>& slots, const Template& t, long index, long skip, double offsetX,
                  double offsetY)
{
    Placed placed;
    const long perPage = std::max<long>(1, static_cast<long>(slots.size()));
    const long position = std::max(0L, skip) + std::max(0L, index);
    placed.page = static_cast<int>(position / perPage);
    const Slot slot = slots.empty() ? Slot{} : slots[static_cast<size_t>(position % perPage)];
    placed.label = Box{slot.x + offsetX, slot.y + offsetY, t.width, t.height};
    return placed;
}

LabelParts SplitLabel(const Box& label, double margin, const std::vector<LineSpec>& lines)
{
    LabelParts parts;
    const double inner = std::max(0.0, std::min(margin, std::min(label.width, label.height) / 2));
    const Box inside{label.x + inner, label.y + inner, label.width - 2 * inner, label.height - 2 * inner};
    double top = inside.y, bottom = inside.y + inside.height;
    for (const LineSpec& line : lines) {
        const double height = line.points * MmPerPoint * LineSpacing;
        if (line.above) {
            parts.above.push_back(Box{inside.x, top, inside.width, height});
            top += height;
        }
    }
    // Lines below stack upwards from the bottom, the first given nearest the symbol.
    std::vector<double> heights;
    for (const LineSpec& line : lines)
        if (!line.above) heights.push_back(line.points * MmPerPoint * LineSpacing);
    double total = 0;
    for (const double h : heights) total += h;
    double y = bottom - total;
    for (const double h : heights) {
        parts.below.push_back(Box{inside.x, y, inside.width, h});
        y += h;
    }
    bottom -= total;
    parts.symbol = Box{inside.x, top, inside.width, std::max(0.0, bottom - top)};
    return parts;
}

} // namespace lumtar::sheet
