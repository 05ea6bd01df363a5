// What render and batch share: the picture options of one run as the
// library's style record, and drawing one text into one file with the
// message and exit status that go with it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lumtar32_print.h"
#include "options.h"

namespace tool {

struct Job {
    int types = BarTypAll;
    std::string typesText = "all"; // as given, for messages
    BarPrintStyle style{};         // size set by StyleRecord(); every picture option
    std::optional<Format> format;  // --format; otherwise each file's extension
    bool sizeGiven = false, physGiven = false, dpiGiven = false;
    bool strict = false;
    double moduleMm = 0; // --module as asked, for the word on what was drawn
};

BarPrintStyle StyleRecord();

// One picture by the print call into bytes (kept for the next picture of the
// thread): BarOk, BarErrCode, BarErrStyle (info.problem says why) or BarErrGdi.
int PrintInto(const std::string& text, const BarPrintStyle& style, Format format, BarPrintInfo& info,
              std::vector<unsigned char>& bytes);

// Why the library refused a record, in the options' words; in the query's
// (lumtar serve).
std::string ProblemText(int problem, Format format);
std::string ProblemReason(int problem);

// The format of one output, by --format or the path's extension; a message
// on stderr and nullopt when there is none or this build cannot write it.
std::optional<Format> FormatFor(const std::string& path, const Job& job, const std::string& where = "");

// Checks that apply to the run as a whole (--dpi for vector files, ...): a
// message on stderr and false when the options do not go together.
bool CheckJob(const Job& job, Format format, const std::string& where = "");

// A message on stderr, "lumtar: " where message, on a line of its own; into
// SaySink instead while this thread has one (a batch worker's label).
void Say(const std::string& where, const std::string& message);
extern thread_local std::string* SaySink;
// True while a progress bar stands unfinished on stderr's last line.
extern bool BarOnStderr;

struct Drawn {
    int status = 0;   // ExitOk, ExitNoType, ExitUsage, ExitFile or ExitGdi
    std::string name; // what was drawn, in the library's words ("EAN 13 + EAN5 Zusatz zu EAN13")
};

// One text into path ("-": standard output). Messages go to stderr, each
// beginning with where ("text 8: " in a batch).
Drawn DrawOne(const std::string& path, const std::string& text, const Job& job, Format format, const std::string& where);

} // namespace tool
