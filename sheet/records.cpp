// CSV and TSV records: a header line of column names, then one record per
// line (or more, inside quotes), as spreadsheets write them (RFC 4180:
// fields in double quotes may hold the delimiter, line breaks and doubled
// quotes). Line ends may be CRLF; a UTF-8 byte order mark is passed over;
// blank lines are no records.
#include <algorithm>
#include <cctype>

#include "sheet/sheet.h"

namespace lumtar::sheet {
namespace {

char DelimiterOf(const std::string& text)
{
    const std::string header = text.substr(0, text.find('\n'));
    if (header.find('\t') != std::string::npos) return '\t';
    if (header.find(',') == std::string::npos && header.find(';') != std::string::npos) return ';';
    return ',';
}

struct Cursor {
    const std::string& text;
    size_t at = 0;
    int line = 1;
};

// One field from the cursor; `last` when it ended its record.
std::string Field(Cursor& c, char delimiter, bool& last)
{
    std::string field;
    bool quoted = false;
    if (c.at < c.text.size() && c.text[c.at] == '"') {
        quoted = true;
        ++c.at;
    }
    for (; c.at < c.text.size(); ++c.at) {
        const char ch = c.text[c.at];
        if (quoted && ch == '"') {
            if (c.at + 1 < c.text.size() && c.text[c.at + 1] == '"') {
                field += '"';
                ++c.at;
            } else {
                quoted = false;
            }
            continue;
        }
        if (!quoted && (ch == delimiter || ch == '\n')) break;
        if (ch == '\n') ++c.line;
        if (ch != '\r' || quoted) field += ch;
    }
    last = c.at >= c.text.size() || c.text[c.at] == '\n';
    if (c.at < c.text.size()) {
        if (c.text[c.at] == '\n') ++c.line;
        ++c.at;
    }
    return field;
}

std::vector<std::string> Record(Cursor& c, char delimiter)
{
    std::vector<std::string> fields;
    for (bool last = false; !last;) fields.push_back(Field(c, delimiter, last));
    return fields;
}

bool Blank(const std::vector<std::string>& fields)
{
    return std::all_of(fields.begin(), fields.end(), [](const std::string& f) {
        return std::all_of(f.begin(), f.end(), [](unsigned char ch) { return std::isspace(ch); });
    });
}

std::string Trimmed(const std::string& s)
{
    const size_t first = s.find_first_not_of(" \t\r"), last = s.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

} // namespace

Table ReadTable(const std::string& text)
{
    Table table;
    const size_t bom = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    Cursor c{text, bom};
    const char delimiter = DelimiterOf(text.substr(bom));
    while (c.at < text.size() && table.names.empty()) {
        std::vector<std::string> names = Record(c, delimiter);
        if (Blank(names)) continue;
        for (std::string& n : names) table.names.push_back(Trimmed(n));
    }
    while (c.at < text.size()) {
        Table::Row row;
        row.line = c.line;
        row.fields = Record(c, delimiter);
        if (!Blank(row.fields)) table.rows.push_back(std::move(row));
    }
    return table;
}

int ColumnOf(const Table& table, const std::string& name)
{
    for (size_t i = 0; i < table.names.size(); ++i) {
        const std::string& n = table.names[i];
        if (n.size() == name.size() && std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace lumtar::sheet
