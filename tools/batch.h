// lumtar batch: one text per input line into numbered files, or into the
// file a line names after a tab.
#pragma once

#include <istream>
#include <string>

#include "job.h"

namespace tool {

// A file name pattern holds exactly one integer conversion, %d with an
// optional 0 flag and width ("label-%05d.bmp"); %% is a percent sign.
bool IsPattern(const std::string& pattern);

// The file a TEXT<TAB>NAME line names, in the folder of the file its number
// would have been (numbered); empty when the name is absolute or leaves it.
std::string NamedPath(const std::string& numbered, const std::string& name);

// The labels are drawn on jobs threads at once (1: one after another); what
// the run reports, and the files it leaves, are the same either way.
int RunBatch(std::istream& in, const std::string& pattern, long start, const Job& job, unsigned jobs);

} // namespace tool
