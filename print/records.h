// The print call's changes to a recorded drawing, made on the metafile's
// records: bars narrowed by the bar width reduction (a bar drawn as touching
// rectangles narrowed as one), the picture turned by 180 degrees, the black
// and white of the brushes and pens replaced by the ink and the paper.
#pragma once

#include <cstdint>
#include <vector>

namespace lumtar::print {

using Bytes = std::vector<uint8_t>;

struct Edit {
    int bwr = 0;           // logical units taken off each bar
    bool across = false;   // the bars' width runs along y (a turned symbol)
    bool flip = false;     // 180 degrees within the window width x height
    int width = 0, height = 0;
    bool recolor = false;  // black to ink, white to paper (COLORREFs)
    uint32_t ink = 0, paper = 0xFFFFFF;
};

// The standard metafile bits (its 18-byte header first) edited; false when
// they are no metafile.
bool EditRecords(const Bytes& bits, const Edit& edit, Bytes& out);

} // namespace lumtar::print
