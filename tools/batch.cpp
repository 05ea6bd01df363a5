#include "batch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace tool {
namespace {

std::string Numbered(const std::string& pattern, long number)
{
    char buf[4096];
    std::snprintf(buf, sizeof buf, pattern.c_str(), static_cast<int>(number));
    return buf;
}

class Progress {
public:
    explicit Progress(std::size_t total) : total_(total), shown_(StderrIsTerminal() && total > 0) {}
    void update(std::size_t done)
    {
        if (!shown_) return;
        const auto now = std::chrono::steady_clock::now();
        if (done != total_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        DrawProgress(done, total_);
        BarOnStderr = done != total_;
    }

private:
    std::size_t total_;
    bool shown_;
    std::chrono::steady_clock::time_point last_{};
};

// Every non-empty line of the input, its line end dropped, in one string:
// the list stays about as large as the input.
struct Lines {
    std::string bytes;
    std::vector<std::size_t> ends;
    bool named = false; // some line names its file after a tab

    std::size_t size() const { return ends.size(); }
    std::string_view at(std::size_t i) const
    {
        const std::size_t begin = i ? ends[i - 1] : 0;
        return std::string_view(bytes).substr(begin, ends[i] - begin);
    }
    std::string text(std::size_t i) const { return std::string(at(i).substr(0, at(i).find('\t'))); }
    // After a tab, or empty.
    std::string name(std::size_t i) const
    {
        const auto tab = at(i).find('\t');
        return tab == std::string_view::npos ? "" : std::string(at(i).substr(tab + 1));
    }
};

Lines ReadLines(std::istream& in)
{
    Lines lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        lines.named = lines.named || line.find('\t') != std::string::npos;
        lines.bytes += line;
        lines.ends.push_back(lines.bytes.size());
    }
    return lines;
}

} // namespace

bool IsPattern(const std::string& pattern)
{
    int conversions = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        if (++i < pattern.size() && pattern[i] == '%') continue;
        while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') ++i;
        if (i >= pattern.size() || pattern[i] != 'd') return false;
        ++conversions;
    }
    return conversions == 1;
}

std::string NamedPath(const std::string& numbered, const std::string& name)
{
    if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos) return "";
    // Every part of the name must stay below the folder: no "..", no empty or "." part.
    for (std::size_t start = 0; start <= name.size();) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return "";
        start = end + 1;
    }
    const auto slash = numbered.find_last_of("/\\");
    return (slash == std::string::npos ? "" : numbered.substr(0, slash + 1)) + name;
}

namespace {

// One label's outcome as its reporter needs it: the status and what it said.
struct Label {
    int status = ExitOk;
    bool refused = false; // not drawn: its name or format was refused before drawing
    std::string said;     // its messages, in order, as Say words them
};

// A file that cannot be written (or a picture that cannot be created) stops
// the run: the first such label, in input order, is the run's status.
bool Fatal(const Label& l) { return !l.refused && l.status != ExitOk && l.status != ExitNoType && l.status != ExitUsage; }

// The labels of one run: each one's file, and drawing it with its messages kept.
struct Run {
    const Lines& lines;
    const std::string& pattern;
    long start;
    const Job& job;

    std::string Path(std::size_t i) const
    {
        const std::string numbered = Numbered(pattern, start + static_cast<long>(i));
        const std::string name = lines.named ? lines.name(i) : "";
        return name.empty() ? numbered : NamedPath(numbered, name);
    }

    Label Draw(std::size_t i, const std::string& path) const
    {
        Label l;
        SaySink = &l.said;
        const std::string where = "text " + std::to_string(start + static_cast<long>(i)) + ": ";
        const auto format = path.empty() ? std::nullopt : FormatFor(path, job, where);
        if (path.empty() || !format || !CheckJob(job, *format, where)) {
            if (path.empty()) Say(where, "the name \"" + lines.name(i) + "\" leaves the output folder");
            l.refused = true;
        } else {
            l.status = DrawOne(path, lines.text(i), job, *format, where).status;
        }
        SaySink = nullptr;
        return l;
    }
};

struct Tally {
    std::size_t written = 0, unfit = 0, refused = 0;
};

// Its messages onto stderr and its count; false when it stops the run.
bool Report(const Label& l, Tally& tally)
{
    if (!l.said.empty()) {
        if (BarOnStderr) std::cerr << "\n";
        BarOnStderr = false;
        std::cerr << l.said;
    }
    if (Fatal(l)) return false;
    if (l.refused || l.status == ExitUsage) ++tally.refused;
    else if (l.status == ExitNoType) ++tally.unfit;
    else ++tally.written;
    return true;
}

// How far the threads may draw ahead of the label being reported.
constexpr std::size_t Window = 64;

struct Slot {
    std::string path;
    Label label;
    bool done = false;
};

// What the drawing threads and the reporting one share, under lock.
struct Queue {
    explicit Queue(const Run& r) : run(r) {}
    const Run& run;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Slot> slots = std::vector<Slot>(Window);
    std::size_t next = 0, reported = 0;
    bool stopped = false;

    Slot& slot(std::size_t i) { return slots[i % Window]; }
    bool SameFileInFlight(std::size_t i)
    {
        for (std::size_t j = reported; j < i; ++j)
            if (!slot(j).done && slot(j).path == slot(i).path) return true;
        return false;
    }
};

// A drawing thread claims the next label while it lies within the window; in
// a run with named lines it waits first for any earlier label in flight that
// writes the same file, so that the last one written is the last one named,
// as in a serial run. Once a label has stopped the run, claimed labels stay
// undrawn.
void Work(Queue& q)
{
    std::unique_lock<std::mutex> held(q.lock);
    const std::size_t total = q.run.lines.size();
    for (;;) {
        q.changed.wait(held, [&] { return q.stopped || q.next >= total || q.next < q.reported + Window; });
        if (q.stopped || q.next >= total) return;
        const std::size_t i = q.next++;
        Slot& s = q.slot(i);
        s.path = q.run.Path(i);
        q.changed.wait(held, [&] { return q.stopped || !q.run.lines.named || !q.SameFileInFlight(i); });
        if (!q.stopped) {
            held.unlock();
            Label label = q.run.Draw(i, s.path);
            held.lock();
            s.label = std::move(label);
            if (Fatal(s.label)) q.stopped = true;
        }
        s.done = true;
        q.changed.notify_all();
    }
}

// Labels drawn on jobs threads and reported by this one, in input order.
int RunParallel(const Run& run, unsigned jobs, Tally& tally, Progress& progress)
{
    Queue q(run);
    std::vector<std::thread> threads;
    try {
        for (unsigned w = 0; w < jobs; ++w) threads.emplace_back(Work, std::ref(q));
    } catch (const std::system_error&) {
        // Fewer threads than asked for; with none, this one draws each label itself.
    }
    int status = ExitOk;
    for (std::size_t i = 0; i < run.lines.size(); ++i) {
        std::unique_lock<std::mutex> held(q.lock);
        if (threads.empty()) q.slot(i) = {run.Path(i), run.Draw(i, run.Path(i)), true};
        q.changed.wait(held, [&] { return q.slot(i).done; });
        const Label label = std::move(q.slot(i).label);
        q.slot(i) = Slot{};
        q.reported = i + 1;
        q.changed.notify_all();
        held.unlock();
        if (!Report(label, tally)) {
            status = label.status;
            break;
        }
        progress.update(i + 1);
    }
    {
        const std::lock_guard<std::mutex> held(q.lock);
        q.stopped = true;
    }
    q.changed.notify_all();
    for (auto& t : threads) t.join();
    return status;
}

} // namespace

int RunBatch(std::istream& in, const std::string& pattern, long start, const Job& job, unsigned jobs)
{
    const Lines lines = ReadLines(in);
    const auto began = std::chrono::steady_clock::now();
    Progress progress(lines.size());
    Tally tally;
    const Run run{lines, pattern, start, job};
    int status = ExitOk;
    if (jobs <= 1 || lines.size() <= 1) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Label label = run.Draw(i, run.Path(i));
            if (!Report(label, tally)) return label.status;
            progress.update(i + 1);
        }
    } else {
        status = RunParallel(run, static_cast<unsigned>(std::min<std::size_t>(jobs, lines.size())), tally, progress);
        if (status != ExitOk) return status;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::cerr << "lumtar: " << tally.written << " of " << lines.size() << " files written (" << pattern << ") in "
              << static_cast<int>(seconds * 1000) << " ms";
    if (tally.unfit) std::cerr << "; " << tally.unfit << (tally.unfit == 1 ? " text fits" : " texts fit") << " no type";
    if (tally.refused) std::cerr << "; " << tally.refused << " refused";
    std::cerr << "\n";
    return tally.refused ? ExitUsage : tally.unfit ? ExitNoType : ExitOk;
}

} // namespace tool
