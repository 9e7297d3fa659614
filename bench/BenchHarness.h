// BenchHarness: what every group of kestrin-bench shares. The sizes, timing and medians, the
// table of figures, sender processes driven side by side, a Kestrin of the bench's own, and the
// registry through which each group's file adds itself.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Capture.h"
#include "KestrinProcess.h"
#include "RowStore.h"

// 55 bytes, a typical trace line.
inline const char kMessage[] = "worker 3: request 48213 handled in 12 ms, queue depth 7";
inline const char kBareTitle[] = "kestrin-bench bare window";
// Untimed messages a sender sends first: the receiver learns its name, the caches warm up.
inline const unsigned long kWarmup = 50;
// Bounds one batch of senders, the longest being a fill of a million rows.
inline const DWORD kBatchTimeoutMs = 900000;

// The sizes of a run. A group that needs sizes of its own picks them by quick.
struct Scale {
    bool quick;               // --quick: smaller sizes, to see that the benchmarks run
    int runs;                 // interleaved runs behind each median
    unsigned long roundTrip;  // messages per round-trip run
    size_t sizes[4];          // rows in the list for the round trips; the last for memory too
    unsigned long throughput; // messages per throughput run, shared among its senders
    size_t cycleRows;         // rows filled before each Clear of the memory cycles
    int cycles;               // fill-and-Clear cycles
    unsigned long unnamed;    // messages from an id no live process owns
    unsigned long floodEach;  // messages from each of the flood's senders
};

__attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2))) std::string Format(const char* format, ...);
// Progress goes to the error stream; the table alone to the output.
__attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2))) void Progress(const char* format, ...);

LONGLONG Ticks();
double TicksToMs(LONGLONG ticks);
double Median(std::vector<double> values);

// Figures of two things measured side by side: rounds of one figure of each, every other round
// starting with the second, so that a drift in the machine's load weighs on both alike.
class CSideBySide {
public:
    // measure(true) takes a figure of the first, measure(false) one of the second; before, if
    // given, runs at the start of each round. False as soon as either fails.
    bool Measure(int rounds, const std::function<bool(bool first, double& figure)>& measure,
                 const std::function<bool()>& before = nullptr);
    double First() const { return Median(m_first); }
    double Second() const { return Median(m_second); }
    double Ratio() const { return First() / Second(); }

private:
    std::vector<double> m_first, m_second;
};

// The table of figures: each line goes to the progress stream as it is added, and all of them,
// in the order of their ids, to the output at the end.
class CTable {
public:
    void Add(const char* id, const std::string& what, const std::string& figures,
             const std::string& ratio, const char* target, const char* verdict);
    void Judge(const char* id, const std::string& what, const std::string& figures, double ratio,
               const char* target, bool met);
    void Check(const char* id, const std::string& what, const std::string& figures,
               const char* target, bool met);
    void Failed(const char* id, const std::string& what, const std::string& reason);
    // The lines of the benchmark named only; all of them when only is empty.
    void Print(const std::string& heading, const std::string& only) const;
    bool AnyFailed() const { return m_failed; }

private:
    struct Line {
        std::string id, what, figures, ratio, target, verdict;
    };
    std::vector<Line> m_lines;
    bool m_failed = false;
};

// ---- The stand-ins, run as children of the bench: the modes of its command line.

// --send HWND COUNT PID WARMUP TEXT GATE: a sender of WM_SETTEXT messages.
int RunSender(int argc, char** argv);
// --write COUNT GATE: a writer of debug output.
int RunWriter(int argc, char** argv);
// --bare: a shown top-level window titled kBareTitle that answers WM_SETTEXT with 0.
int RunBare();
// --syslog udp|tcp PORT COUNT PERSECOND GATE: a sender of syslog messages on loopback.
int RunSyslogSender(int argc, char** argv);
// The message a syslog sender sends, from host "benchhost", app "bench" and procid, its text
// kMessage; its size is the same for every procid.
std::string SyslogFrame(DWORD procid, bool octetCounted);

// ---- Driving senders from the bench.

struct Sent {
    unsigned long count;
    LONGLONG start, end, longest;
};

double MeanRoundTripUs(const Sent& sent);
// Messages per second of senders that ran side by side, first start to last end.
double PerSecond(const std::vector<Sent>& sent);

// Child processes of the bench, each started with args and a gate's name; they meet at the gate,
// so that all start at once, and each does each things. meanwhile, if given, runs over and over
// while they run.
bool RunGated(int senders, const std::vector<std::string>& args, unsigned long each,
              std::vector<Sent>& sent, std::string& failure,
              const std::function<void()>& meanwhile = nullptr);

// Sender processes against one window, after warmup messages each.
bool Send(HWND target, int senders, unsigned long each, std::vector<Sent>& sent,
          std::string& failure, const std::string& pid = "self", unsigned long warmup = kWarmup,
          const std::function<void()>& meanwhile = nullptr);

// Kestrin in a process of its own, started as on its first start with args, with what the bench
// reads from outside.
class CBenchKestrin : public CKestrin {
public:
    explicit CBenchKestrin(const std::vector<std::string>& args = {});
    bool Open();
    HWND View() const { return m_view; }
    size_t Rows() const;
    // Rows are appended after the sender has its answer: a message through the queue waits for
    // the last of them.
    bool Sync(DWORD timeoutMs = kTimeoutMs) const;
    // Runs a command as the menu does and waits for it to end; false when it does not.
    bool Command(UINT id, DWORD timeoutMs = kTimeoutMs) const;
    // Private bytes are the committed private pages, summed region by region: Wine's process
    // counters leave them 0 for another process.
    bool Memory(double& workingSet, double& privateBytes) const;
    // Tops the list up to at least rows, from four senders at once.
    bool FillTo(size_t rows, std::string& failure) const;

private:
    // Forgets what an earlier Kestrin remembered; Kestrin's arguments, args.
    static const std::vector<std::string>& FirstStart(const std::vector<std::string>& args);

    HWND m_view = nullptr;
};

// Whether Kestrin shows a message box or dialog; one is closed.
bool DismissedModal(const CBenchKestrin& kestrin);
// A command whose file dialog is given path; false when none came or the command failed.
bool CommandWithPath(const CBenchKestrin& kestrin, UINT id, const std::string& path);

std::string TempPath(const char* fileName);
std::string FileBytes(const std::string& path);

// The view's stand-in: rows go into a store, the sender is not waiting.
class CStoringRows : public IRowSink, public ISender {
public:
    Appended AppendRow(const DebugRecord& record) override {
        return m_store.Append(record) ? kKept : kNotKept;
    }
    void Reply() override {}

    CRowStore m_store;
};

// A process's working set and its committed private pages, summed region by region.
bool ProcessMemory(HANDLE process, double& workingSet, double& privateBytes);

// ---- The registry.

// Benchmarks run together, on a Kestrin or a setting they share. A full run runs every group in
// the order of their ranks; --only ID runs the groups that name ID.
struct BenchGroup {
    int rank;
    std::vector<std::string> ids;
    bool besideBare; // runs while the bare window program is open, and is given its window
    void (*run)(CTable& table, const Scale& scale, HWND bare);

    bool Names(const std::string& id) const;
};

// Each group's file registers it once, at namespace scope, and is listed in CMakeLists.txt:
//   const bool registered = RegisterGroup({70, {"B16"}, false, FindNext});
bool RegisterGroup(const BenchGroup& group);
// The groups registered, in the order of their ranks.
const std::vector<BenchGroup>& Groups();
