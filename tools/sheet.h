// lumtar sheet: a list of codes onto a sheet of labels, one PDF.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace tool {

struct SheetOptions {
    CLI::App* command = nullptr;
    std::string input = "-", output, sheet, sheetFile, grid, page = "a4", margins = "10", start, offset;
    std::string code, typesColumn, copies;
    std::vector<std::string> lines;
    double labelMargin = -1, module = 0;
    int magnification = 0, types = 0, skip = 0;
    bool list = false, outline = false, cmyk = false;
};

// The subcommand and its options, on the tool's command line.
void AddSheet(CLI::App& app, SheetOptions& options);

// Exit status: 0 done, 1 a record was refused (the sheet is still written),
// 2 bad arguments, 3 a file cannot be written, 4 the sheet cannot be drawn.
int RunSheet(const SheetOptions& options);

} // namespace tool
