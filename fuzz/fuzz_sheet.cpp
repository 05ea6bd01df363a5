// The label sheets' readers over arbitrary text: the first byte chooses a CSV
// or TSV table or a glabels template file. A table's records come in the
// order of their lines and its first column is found by its name; a template
// read has a label and a page, and as many slots as its layouts have labels.
#include <cstdint>
#include <string>

#include "sheet/sheet.h"

using namespace lumtar::sheet;

namespace {

void Records(const std::string& text)
{
    const auto table = ReadTable(text);
    int line = 0;
    for (const auto& row : table.rows) {
        if (row.line <= line) __builtin_trap(); // records in the order of their lines
        line = row.line;
    }
    if (!table.names.empty() && ColumnOf(table, table.names.front()) != 0) __builtin_trap();
}

void Templates(const std::string& xml)
{
    std::string error;
    for (const Template& t : ReadGlabelsText(xml, error)) {
        if (t.layouts.empty() || t.width <= 0 || t.pageWidth <= 0) __builtin_trap();
        long labels = 0;
        for (const Layout& l : t.layouts) labels += long{l.nx} * l.ny;
        if (labels > 100000) continue; // a thousand layouts of a thousand by a thousand: too slow to lay out here
        if (static_cast<long>(SlotsOf(t).size()) != labels) __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1)
        Templates(text);
    else
        Records(text);
    return 0;
}
