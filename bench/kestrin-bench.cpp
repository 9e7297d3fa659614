// kestrin-bench: measures Kestrin side by side with bare stand-ins reached the same way, and
// prints one table of figures, ratios and targets. The program is its own stand-ins too: a
// sender (--send) and a window that only answers (--bare), each a process of its own.
#include <windows.h>

#include <commctrl.h>
// The plain function names, which PSAPI_VERSION 2 would turn into macros that rename
// CWinProcessSource::EnumProcesses.
#define PSAPI_VERSION 1
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Capture.h"
#include "KestrinProcess.h"
#include "PaintProbe.h"
#include "RowStore.h"
#include "WinProcessSource.h"
#include "WineTestSupport.h"
#include "resource.h"

namespace {

// 55 bytes, a typical trace line.
const char kMessage[] = "worker 3: request 48213 handled in 12 ms, queue depth 7";
const char kBareTitle[] = "kestrin-bench bare window";
// Untimed messages a sender sends first: the receiver learns its name, the caches warm up.
const unsigned long kWarmup = 50;
// Bounds one batch of senders, the longest being a fill of a million rows.
const DWORD kBatchTimeoutMs = 900000;

struct Scale {
    int runs;                 // interleaved runs behind each median
    unsigned long roundTrip;  // messages per round-trip run
    size_t sizes[4];          // rows in the list for the round trips; the last for memory too
    unsigned long throughput; // messages per throughput run, shared among its senders
    size_t cycleRows;         // rows filled before each Clear of the memory cycles
    int cycles;               // fill-and-Clear cycles
    unsigned long unnamed;    // messages from an id no live process owns
    unsigned long floodEach;  // messages from each of the flood's senders
};
const Scale kFull = {5, 2000, {0, 10000, 100000, 1000000}, 4000, 100000, 10, 10000, 5000};
const Scale kQuick = {3, 500, {0, 1000, 5000, 20000}, 1000, 5000, 10, 10000, 1000};

__attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2))) std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Progress goes to the error stream; the table alone to the output.
__attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2))) void Progress(const char* format, ...) {
    va_list args;
    va_start(args, format);
    fputs("kestrin-bench: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    fflush(stderr);
    va_end(args);
}

LONGLONG Ticks() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double TicksToMs(LONGLONG ticks) {
    static const double perSecond = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart);
    }();
    return ticks * 1000.0 / perSecond;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

class CTable {
public:
    void Add(const char* id, const std::string& what, const std::string& figures,
             const std::string& ratio, const char* target, const char* verdict) {
        m_lines.push_back({id, what, figures, ratio, target, verdict});
        Progress("%s %s: %s %s", id, what.c_str(), figures.c_str(), ratio.c_str());
    }
    void Judge(const char* id, const std::string& what, const std::string& figures, double ratio,
               const char* target, bool met) {
        Add(id, what, figures, Format("%.2f", ratio), target, met ? "met" : "MISSED");
    }
    void Check(const char* id, const std::string& what, const std::string& figures,
               const char* target, bool met) {
        Add(id, what, figures, "", target, met ? "met" : "MISSED");
    }
    void Failed(const char* id, const std::string& what, const std::string& reason) {
        Add(id, what, "failed: " + reason, "", "", "FAILED");
        m_failed = true;
    }
    // The lines of the benchmark named only; all of them when only is empty.
    void Print(const std::string& heading, const std::string& only) const {
        printf("%s\n\n", heading.c_str());
        const char* format = "%-4s %-56s %-52s %-6s %-9s %s\n";
        printf(format, "#", "What", "Figures", "Ratio", "Target", "Verdict");
        std::vector<Line> lines;
        std::copy_if(m_lines.begin(), m_lines.end(), std::back_inserter(lines),
                     [&](const Line& line) { return only.empty() || line.id == only; });
        std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
            return atoi(a.id.c_str() + 1) < atoi(b.id.c_str() + 1);
        });
        for (const Line& line : lines)
            printf(format, line.id.c_str(), line.what.c_str(), line.figures.c_str(),
                   line.ratio.c_str(), line.target.c_str(), line.verdict.c_str());
    }
    bool AnyFailed() const { return m_failed; }

private:
    struct Line {
        std::string id, what, figures, ratio, target, verdict;
    };
    std::vector<Line> m_lines;
    bool m_failed = false;
};

// ---- The stand-ins, run as children of the bench.

// Reports ready on the semaphore GATE-ready and waits for the event GATE to be set.
bool PassGate(const char* name) {
    CHandle ready(
        ::OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, (std::string(name) + "-ready").c_str()));
    CHandle gate(::OpenEventA(SYNCHRONIZE, FALSE, name));
    if (!ready || !gate || !::ReleaseSemaphore(ready.Get(), 1, nullptr) ||
        ::WaitForSingleObject(gate.Get(), kTimeoutMs) != WAIT_OBJECT_0) {
        fprintf(stderr, "kestrin-bench: the gate %s did not open\n", name);
        return false;
    }
    return true;
}

// --send HWND COUNT PID WARMUP TEXT GATE: sends WARMUP untimed messages, reports ready on the
// semaphore GATE-ready, and once the event GATE is set sends COUNT timed ones; PID "self" is this
// process's id. Prints: sent COUNT refused N from TICKS to TICKS longest TICKS, the last being the
// longest wait for one answer.
int RunSender(int argc, char** argv) {
    if (argc != 8) {
        fprintf(stderr, "kestrin-bench: --send HWND COUNT PID WARMUP TEXT GATE\n");
        return 2;
    }
    const HWND target =
        reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(argv[2], nullptr, 10)));
    const unsigned long count = strtoul(argv[3], nullptr, 10);
    const DWORD pid =
        strcmp(argv[4], "self") == 0 ? ::GetCurrentProcessId() : strtoul(argv[4], nullptr, 10);
    const unsigned long warmup = strtoul(argv[5], nullptr, 10);
    const char* text = argv[6];
    unsigned long refused = 0;
    const auto send = [&] {
        if (::SendMessageA(target, WM_SETTEXT, pid, reinterpret_cast<LPARAM>(text)) != 0)
            ++refused;
    };
    for (unsigned long i = 0; i < warmup; ++i)
        send();
    if (!PassGate(argv[7]))
        return 2;
    const LONGLONG start = Ticks();
    LONGLONG longest = 0;
    for (unsigned long i = 0; i < count; ++i) {
        const LONGLONG before = Ticks();
        send();
        longest = std::max(longest, Ticks() - before);
    }
    const LONGLONG end = Ticks();
    printf("sent %lu refused %lu from %lld to %lld longest %lld\n", count, refused, start, end,
           longest);
    // A receiver that vanished answers 0 too.
    return refused == 0 && ::IsWindow(target) ? 0 : 2;
}

// --write COUNT GATE: once the gate opens, writes COUNT lines of debug output. Prints as a
// sender does.
int RunWriter(int argc, char** argv) {
    if (argc != 4 || !PassGate(argv[3]))
        return 2;
    const unsigned long count = strtoul(argv[2], nullptr, 10);
    const LONGLONG start = Ticks();
    LONGLONG longest = 0;
    for (unsigned long i = 0; i < count; ++i) {
        const LONGLONG before = Ticks();
        ::OutputDebugStringA(kMessage);
        longest = std::max(longest, Ticks() - before);
    }
    printf("sent %lu refused 0 from %lld to %lld longest %lld\n", count, start, Ticks(), longest);
    return 0;
}

LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Takes the text as Kestrin does, and keeps its title.
    if (message == WM_SETTEXT)
        return 0;
    if (message == WM_DESTROY)
        ::PostQuitMessage(0);
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// --bare: a shown top-level window that answers WM_SETTEXT with 0 and does nothing else.
int RunBare() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BareWindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "KestrinBenchBare";
    if (!::RegisterClassA(&windowClass))
        return 1;
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, kBareTitle, WS_OVERLAPPEDWINDOW,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    if (!window)
        return 1;
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}

// ---- Driving senders from the bench.

struct Sent {
    unsigned long count;
    LONGLONG start, end, longest;
};

double MeanRoundTripUs(const Sent& sent) {
    return TicksToMs(sent.end - sent.start) * 1000.0 / sent.count;
}

// Messages per second of senders that ran side by side, first start to last end.
double PerSecond(const std::vector<Sent>& sent) {
    LONGLONG start = sent.front().start, end = sent.front().end;
    double total = 0;
    for (const Sent& s : sent) {
        start = std::min(start, s.start);
        end = std::max(end, s.end);
        total += s.count;
    }
    return total * 1000.0 / TicksToMs(end - start);
}

// Child processes of the bench, each started with args and a gate's name; they meet at the gate,
// so that all start at once, and each does each things. meanwhile, if given, runs over and over
// while they run.
bool RunGated(int senders, const std::vector<std::string>& args, unsigned long each,
              std::vector<Sent>& sent, std::string& failure,
              const std::function<void()>& meanwhile = nullptr) {
    static int batches = 0;
    const std::string gateName =
        Format("KestrinBenchGate-%lu-%d", ::GetCurrentProcessId(), ++batches);
    CHandle gate(::CreateEventA(nullptr, TRUE, FALSE, gateName.c_str()));
    CHandle ready(::CreateSemaphoreA(nullptr, 0, senders, (gateName + "-ready").c_str()));
    if (!gate || !ready) {
        failure = "cannot create the senders' gate";
        return false;
    }
    std::vector<std::unique_ptr<CChildProcess>> children;
    for (int i = 0; i < senders; ++i) {
        children.push_back(std::make_unique<CChildProcess>());
        std::vector<std::string> line = args;
        line.push_back(gateName);
        if (!children.back()->Start(CommandLine(ProgramPath(), line))) {
            failure = "cannot start a sender";
            return false;
        }
        children.back()->CloseInput();
    }
    for (int i = 0; i < senders; ++i)
        if (::WaitForSingleObject(ready.Get(), kTimeoutMs) != WAIT_OBJECT_0) {
            failure = "a sender did not warm up";
            return false;
        }
    ::SetEvent(gate.Get());

    if (meanwhile)
        for (const auto& child : children)
            while (::WaitForSingleObject(child->Handle(), 0) == WAIT_TIMEOUT)
                meanwhile();
    sent.clear();
    for (const auto& child : children) {
        Sent s = {};
        if (!child->WaitPumping(kBatchTimeoutMs)) {
            failure = "a sender did not end";
            return false;
        }
        const std::string output = child->Output();
        unsigned long refused = 0;
        if (child->ExitCode() != 0 ||
            sscanf(output.c_str(), "sent %lu refused %lu from %lld to %lld longest %lld", &s.count,
                   &refused, &s.start, &s.end, &s.longest) != 5 ||
            s.count != each || s.end <= s.start) {
            failure = "a sender said: " + output;
            return false;
        }
        sent.push_back(s);
    }
    return true;
}

// Sender processes against one window, after warmup messages each.
bool Send(HWND target, int senders, unsigned long each, std::vector<Sent>& sent,
          std::string& failure, const std::string& pid = "self", unsigned long warmup = kWarmup,
          const std::function<void()>& meanwhile = nullptr) {
    return RunGated(senders,
                    {"--send", std::to_string(reinterpret_cast<uintptr_t>(target)),
                     std::to_string(each), pid, std::to_string(warmup), kMessage},
                    each, sent, failure, meanwhile);
}

// Kestrin in a process of its own, with what the bench reads from outside.
class CBenchKestrin : public CKestrin {
public:
    bool Open() {
        Start();
        m_view = Frame() ? ::FindWindowExA(Frame(), nullptr, "Kestrin", nullptr) : nullptr;
        return m_view != nullptr;
    }
    HWND View() const { return m_view; }
    size_t Rows() const {
        return static_cast<size_t>(::SendMessageA(m_view, LVM_GETITEMCOUNT, 0, 0));
    }
    // Rows are appended after the sender has its answer: a message through the queue waits for
    // the last of them.
    bool Sync(DWORD timeoutMs = kTimeoutMs) const {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutA(Frame(), WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer) != 0;
    }
    // Runs a command as the menu does and waits for it to end; false when it does not.
    bool Command(UINT id, DWORD timeoutMs = kTimeoutMs) const {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutA(Frame(), WM_COMMAND, id, 0, SMTO_NORMAL, timeoutMs, &answer) !=
               0;
    }
    // Private bytes are the committed private pages, summed region by region: Wine's process
    // counters leave them 0 for another process.
    bool Memory(double& workingSet, double& privateBytes) const {
        PROCESS_MEMORY_COUNTERS counters = {};
        if (!Sync() || !::GetProcessMemoryInfo(m_process.Handle(), &counters, sizeof counters))
            return false;
        workingSet = static_cast<double>(counters.WorkingSetSize);
        privateBytes = 0;
        MEMORY_BASIC_INFORMATION region;
        for (const char* at = nullptr;
             ::VirtualQueryEx(m_process.Handle(), at, &region, sizeof region) == sizeof region;
             at = static_cast<const char*>(region.BaseAddress) + region.RegionSize)
            if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
                privateBytes += static_cast<double>(region.RegionSize);
        return privateBytes > 0;
    }
    // Tops the list up to at least rows, from four senders at once.
    bool FillTo(size_t rows, std::string& failure) const {
        const size_t have = Rows();
        if (have >= rows)
            return true;
        const int senders = 4;
        Progress("filling Kestrin from %zu to %zu rows", have, rows);
        std::vector<Sent> sent;
        return Send(Frame(), senders, static_cast<unsigned long>((rows - have + 3) / senders), sent,
                    failure, "self", 0) &&
               Sync();
    }

private:
    HWND m_view = nullptr;
};

// ---- The benchmarks.

// The view's stand-in: rows go into a store, the sender is not waiting.
class CStoringRows : public IRowSink, public ISender {
public:
    bool AppendRow(const DebugRecord& record) override { return m_store.Append(record); }
    void Reply() override {}

    CRowStore m_store;
};

// Counts the enumerations, that is the refreshes, of the real process list.
class CCountingSource : public IProcessSource {
public:
    bool EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) override {
        ++m_enumerations;
        return m_real.EnumProcesses(ids, bytes, bytesFilled);
    }
    DWORD ReadName(DWORD processId, char (&name)[128]) override {
        return m_real.ReadName(processId, name);
    }

    unsigned m_enumerations = 0;

private:
    CWinProcessSource m_real;
};

// Nanoseconds per call of op: the median of 7 rounds, each of as many calls as take ~20 ms.
template <class Op> double NsPerCall(Op op) {
    using Clock = std::chrono::steady_clock;
    const auto round = [&op](long calls) {
        const auto start = Clock::now();
        for (long i = 0; i < calls; ++i)
            op();
        return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    };
    long calls = 1;
    while (round(calls) < 20e6)
        calls *= 2;
    std::vector<double> rounds;
    for (int r = 0; r < 7; ++r)
        rounds.push_back(round(calls) / calls);
    return Median(rounds);
}

// Include patterns in the filter's text form, the last of which occurs in kMessage.
std::string IncludeText(int patterns) {
    std::string text;
    for (int i = 0; i < patterns - 1; ++i)
        text += Format("subsystem-%03d;", i);
    return text + "handled;";
}

// B3: one message through the real pipeline in this process, and its parts.
void InProcessCost(CTable& table) {
    Progress("B3: in-process cost of one message");
    CWinProcessSource source;
    CStoringRows rows;
    CCapture capture(source, rows, rows);
    const DWORD self = ::GetCurrentProcessId();
    const char* target = "printed";

    capture.m_filter.SetFilter(";", "");
    const double whole = NsPerCall([&] { capture.OnDebugMessage(self, kMessage); });
    const double filterOff = NsPerCall([&] { capture.m_filter.Match(kMessage); });
    capture.m_filter.SetFilter(IncludeText(10).c_str(), "");
    const double filter10 = NsPerCall([&] { capture.m_filter.Match(kMessage); });
    char name[128];
    const double lookup = NsPerCall([&] { capture.m_procNames.Lookup(self, name); });
    SYSTEMTIME now;
    const double clock = NsPerCall([&] { IClock::System().Now(now); });
    DebugRecord record = {};
    record.dwProcessId = self;
    IClock::System().Now(record.stTime);
    strcpy(record.szProcessName, "kestrin-bench.exe");
    strcpy(record.szMsg, kMessage);
    rows.m_store.Clear();
    const double append = NsPerCall([&] { rows.m_store.Append(record); });
    // Save formats a chunk of rows at a time.
    std::vector<char> chunk(64 * 1024);
    size_t lines = 0;
    const double saveChunk = NsPerCall([&] {
        size_t used = 0;
        lines = rows.m_store.FormatLines(0, CRowStore::kColumns, chunk.data(), chunk.size(), used);
    });
    const double saveLine = lines ? saveChunk / lines : 0;
    rows.m_store.Clear();
    CProcessNames names(source);
    const double refresh = NsPerCall([&] { names.Refresh(); });

    table.Add("B3", "one message in process, filter off, whole", Format("%.0f ns", whole), "",
              target, "-");
    table.Add("B3", "  filter: off / 10 include patterns",
              Format("%.0f ns / %.0f ns", filterOff, filter10), "", target, "-");
    table.Add("B3", "  copy: record and texts (whole less the parts)",
              Format("%.0f ns", whole - filterOff - lookup - clock - append), "", target, "-");
    table.Add("B3", "  lookup: cached name / time stamp",
              Format("%.0f ns / %.0f ns", lookup, clock), "", target, "-");
    table.Add("B3", "  append to the row store", Format("%.0f ns", append), "", target, "-");
    table.Add("B3", "  (Save: one row formatted as a saved line)", Format("%.0f ns", saveLine), "",
              target, "-");
    table.Add("B3", "  (a refresh of the name cache, on a miss)", Format("%.0f us", refresh / 1000),
              "", target, "-");
}

// The id of a process that has ended; 0 if the system still lists it.
DWORD EndedProcessId() {
    CChildProcess child;
    if (!child.Start(CommandLine(SiblingPath("kestrin-send.exe"), {"--help"})))
        return 0;
    child.CloseInput();
    if (!child.WaitPumping(kTimeoutMs))
        return 0;
    DWORD ids[CProcessNames::kFirstProcesses];
    DWORD bytes = 0;
    CWinProcessSource().EnumProcesses(ids, sizeof ids, &bytes);
    DWORD* end = ids + bytes / sizeof(DWORD);
    return std::find(ids, end, child.Id()) == end ? child.Id() : 0;
}

struct UnnamedInProcess {
    DWORD id;
    unsigned refreshes;
    double ms;
};

// B8, in this process: the messages of an unnamed sender through the real pipeline.
UnnamedInProcess UnnamedSenderRefreshes(const Scale& scale) {
    UnnamedInProcess result = {EndedProcessId(), 0, 0};
    CCountingSource source;
    CStoringRows rows;
    CCapture capture(source, rows, rows);
    source.m_enumerations = 0;
    const LONGLONG start = Ticks();
    for (unsigned long i = 0; i < scale.unnamed; ++i)
        capture.OnDebugMessage(result.id, kMessage);
    result.ms = TicksToMs(Ticks() - start);
    result.refreshes = source.m_enumerations;
    return result;
}

// B8, end to end: the same number of messages from that id, and from a live one, to Kestrin.
bool UnnamedSender(CTable& table, const CBenchKestrin& kestrin, const Scale& scale,
                   const UnnamedInProcess& inProcess) {
    const std::string what = Format("%lu messages from an id no process owns", scale.unnamed);
    if (inProcess.id == 0) {
        table.Failed("B8", what, "found no ended process id");
        return true;
    }
    std::vector<Sent> unnamed, named;
    std::string failure;
    if (!Send(kestrin.Frame(), 1, scale.unnamed, unnamed, failure, std::to_string(inProcess.id),
              0) ||
        !Send(kestrin.Frame(), 1, scale.unnamed, named, failure)) {
        table.Failed("B8", what, failure);
        return false;
    }
    const double unnamedMs = TicksToMs(unnamed[0].end - unnamed[0].start);
    const double namedMs = TicksToMs(named[0].end - named[0].start);
    table.Add("B8", what,
              Format("%u refresh(es); %.0f ms in process; end to end %.0f ms", inProcess.refreshes,
                     inProcess.ms, unnamedMs),
              "", "1 refresh", inProcess.refreshes == 1 ? "met" : "MISSED");
    table.Add("B8", "  end to end, unnamed id / a live sender's id",
              Format("%.0f ms / %.0f ms", unnamedMs, namedMs), Format("%.2f", unnamedMs / namedMs),
              "printed", "-");
    return true;
}

// Milliseconds from start to the window titled title answering a WM_SETTEXT with 0; -1 if it
// never does.
double AnsweredAfterMs(const char* title, LONGLONG start) {
    for (;;) {
        DWORD_PTR answer = 1;
        HWND window = ::FindWindowA(nullptr, title);
        if (window &&
            ::SendMessageTimeoutA(window, WM_SETTEXT, ::GetCurrentProcessId(),
                                  reinterpret_cast<LPARAM>("start-up"), SMTO_NORMAL, kTimeoutMs,
                                  &answer) &&
            answer == 0)
            return TicksToMs(Ticks() - start);
        if (TicksToMs(Ticks() - start) > kTimeoutMs)
            return -1;
        ::Sleep(1);
    }
}

// Milliseconds from its start to the first answer of a stand-in program whose window is titled
// title; -1 if it never answers.
double StandInAnsweredAfterMs(const char* program, const std::vector<std::string>& args,
                              const char* title) {
    const LONGLONG start = Ticks();
    CProgram standIn(program, args);
    const double ms = AnsweredAfterMs(title, start);
    ::PostMessageA(::FindWindowA(nullptr, title), WM_CLOSE, 0, 0);
    standIn.Wait();
    return ms;
}

// B7: start-ups of Kestrin, of the bare window program and of a bare program that makes Kestrin's
// windows, interleaved.
void StartUp(CTable& table, const Scale& scale) {
    Progress("B7: start-up to the first answered message");
    const std::string what = "start-up to the first answered message";
    std::vector<double> kestrinMs, bareMs, controlsMs;
    // Start-ups are short and swing with the machine's load: more of them behind each median.
    for (int run = 0; run < 3 * scale.runs; ++run) {
        const LONGLONG start = Ticks();
        {
            CBenchKestrin kestrin;
            kestrinMs.push_back(AnsweredAfterMs("Kestrin", start));
            if (kestrin.Open())
                kestrin.Close();
        }
        bareMs.push_back(StandInAnsweredAfterMs("kestrin-bench.exe", {"--bare"}, kBareTitle));
        controlsMs.push_back(
            StandInAnsweredAfterMs("bare-controls.exe", {}, "kestrin-bench bare controls"));
        if (kestrinMs.back() < 0 || bareMs.back() < 0 || controlsMs.back() < 0) {
            table.Failed("B7", what, "a window never answered");
            return;
        }
    }
    const double ratio = Median(kestrinMs) / Median(bareMs);
    table.Judge("B7", what,
                Format("Kestrin %.0f ms / bare window %.0f ms", Median(kestrinMs), Median(bareMs)),
                ratio, "<= 1.3", ratio <= 1.3);
    const double controlsRatio = Median(kestrinMs) / Median(controlsMs);
    table.Judge(
        "B7", "  the same, over a bare program with Kestrin's windows",
        Format("Kestrin %.0f ms / bare windows %.0f ms", Median(kestrinMs), Median(controlsMs)),
        controlsRatio, "<= 1.15", controlsRatio <= 1.15);
}

// B1: round trips of one sender to Kestrin and to the bare window, interleaved; at 0 rows the
// list is cleared before each run, so that the runs' own rows do not count.
bool RoundTrips(CTable& table, const CBenchKestrin& kestrin, HWND bare, const Scale& scale) {
    const size_t rows = kestrin.Rows();
    const std::string what = Format("round trip at %zu rows", rows);
    Progress("B1: %s", what.c_str());
    std::vector<double> kestrinUs, bareUs;
    std::vector<Sent> sent;
    std::string failure;
    for (int run = 0; run < scale.runs; ++run) {
        if (rows == 0 && !kestrin.Command(ID_CLEAR)) {
            table.Failed("B1", what, "Clear did not end");
            return false;
        }
        // Every other run starts with the bare window, so that a drift in the machine's load
        // weighs on both alike.
        for (int turn = 0; turn < 2; ++turn) {
            const bool toKestrin = (run + turn) % 2 == 0;
            if (!Send(toKestrin ? kestrin.Frame() : bare, 1, scale.roundTrip, sent, failure)) {
                table.Failed("B1", what, failure);
                return false;
            }
            (toKestrin ? kestrinUs : bareUs).push_back(MeanRoundTripUs(sent[0]));
        }
    }
    const double ratio = Median(kestrinUs) / Median(bareUs);
    table.Judge("B1", what,
                Format("Kestrin %.0f us / bare %.0f us", Median(kestrinUs), Median(bareUs)), ratio,
                "<= 1.10", ratio <= 1.10);
    return true;
}

// B2: messages per second of 1, 4 and 8 senders at once, Kestrin and bare runs interleaved.
bool Throughput(CTable& table, const CBenchKestrin& kestrin, HWND bare, const Scale& scale) {
    for (int senders : {1, 4, 8}) {
        const std::string what = Format("messages/s, %d sender process(es)", senders);
        Progress("B2: %s", what.c_str());
        std::vector<double> kestrinRate, bareRate;
        std::vector<Sent> sent;
        std::string failure;
        const unsigned long each = scale.throughput / senders;
        for (int run = 0; run < scale.runs; ++run) {
            for (int turn = 0; turn < 2; ++turn) {
                const bool toKestrin = (run + turn) % 2 == 0;
                if (!Send(toKestrin ? kestrin.Frame() : bare, senders, each, sent, failure)) {
                    table.Failed("B2", what, failure);
                    return false;
                }
                (toKestrin ? kestrinRate : bareRate).push_back(PerSecond(sent));
            }
        }
        const double ratio = Median(kestrinRate) / Median(bareRate);
        table.Judge("B2", what,
                    Format("Kestrin %.0f / bare %.0f", Median(kestrinRate), Median(bareRate)),
                    ratio, ">= 0.90", ratio >= 0.90);
    }
    return true;
}

// B4: Kestrin's memory per row between 0 rows (before) and now.
bool MemoryPerRow(CTable& table, const CBenchKestrin& kestrin, double workingSetBefore,
                  double privateBefore) {
    const size_t rows = kestrin.Rows();
    const std::string what = Format("memory per row at %zu rows of 55 bytes", rows);
    double workingSet = 0, privateBytes = 0;
    if (!kestrin.Memory(workingSet, privateBytes)) {
        table.Failed("B4", what, "cannot read Kestrin's memory counters");
        return false;
    }
    const double perRow = (workingSet - workingSetBefore) / rows;
    const double privatePerRow = (privateBytes - privateBefore) / rows;
    table.Check("B4", what,
                Format("working set %.0f B, private %.0f B (+%.0f MB)", perRow, privatePerRow,
                       (workingSet - workingSetBefore) / 1e6),
                "<= 120 B", perRow <= 120 && privatePerRow <= 120);
    return true;
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    char chunk[65536];
    DWORD got = 0;
    while (file && ::ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got != 0)
        bytes.append(chunk, got);
    return bytes;
}

// The bare program's save: the same bytes over an existing file in 64 KB writes; -1 on failure.
double WriteInChunksMs(const std::string& path, const std::string& bytes) {
    const LONGLONG start = Ticks();
    CHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    bool written = static_cast<bool>(file);
    for (size_t at = 0; written && at < bytes.size(); at += 65536) {
        const DWORD size = static_cast<DWORD>(std::min<size_t>(65536, bytes.size() - at));
        DWORD wrote = 0;
        written =
            ::WriteFile(file.Get(), bytes.data() + at, size, &wrote, nullptr) && wrote == size;
    }
    written = written && ::SetEndOfFile(file.Get());
    file.Reset();
    return written ? TicksToMs(Ticks() - start) : -1;
}

// Whether Kestrin shows a message box or dialog; one is closed.
bool DismissedModal(const CBenchKestrin& kestrin) {
    HWND modal = ModalWindowOf(kestrin.Id());
    if (modal)
        ::PostMessageA(modal, WM_COMMAND, IDCANCEL, 0);
    return modal != nullptr;
}

std::string TempPath(const char* fileName) {
    char folder[MAX_PATH];
    const DWORD length = ::GetTempPathA(sizeof folder, folder);
    return std::string(folder, length) + fileName;
}

// A command whose file dialog is given path; false when none came or the command failed.
bool CommandWithPath(const CBenchKestrin& kestrin, UINT id, const std::string& path) {
    ::PostMessageA(kestrin.Frame(), WM_COMMAND, id, 0);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = ModalWindowOf(kestrin.Id())) && FileNameEdit(dialog); }))
        return false;
    ::SetWindowTextA(FileNameEdit(dialog), path.c_str());
    ::PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    return WaitFor([&] { return !::IsWindow(dialog); }) && kestrin.Sync(kBatchTimeoutMs) &&
           !DismissedModal(kestrin);
}

// B6: Save of every row; the first Save asks for the file name, the later ones are timed beside
// the bare program's writes of the same bytes.
bool Save(CTable& table, const CBenchKestrin& kestrin, const Scale& scale) {
    const std::string what = Format("Save of %zu rows", kestrin.Rows());
    Progress("B6: %s", what.c_str());
    const std::string saved = TempPath("kestrin-bench-save.log");
    const std::string written = TempPath("kestrin-bench-write.log");

    if (!CommandWithPath(kestrin, ID_FILE_SAVE, saved)) {
        table.Failed("B6", what, "the first Save did not write " + saved);
        return false;
    }
    const std::string bytes = FileBytes(saved);
    std::vector<double> kestrinMs, bareMs;
    WriteInChunksMs(written, bytes);
    for (int run = 0; run < scale.runs; ++run) {
        const LONGLONG start = Ticks();
        if (!kestrin.Command(ID_FILE_SAVE, kBatchTimeoutMs) || DismissedModal(kestrin)) {
            table.Failed("B6", what, "Save failed");
            return false;
        }
        kestrinMs.push_back(TicksToMs(Ticks() - start));
        bareMs.push_back(WriteInChunksMs(written, bytes));
    }
    const bool same = FileBytes(saved) == bytes && !bytes.empty();
    ::DeleteFileA(saved.c_str());
    ::DeleteFileA(written.c_str());
    if (!same || *std::min_element(bareMs.begin(), bareMs.end()) < 0) {
        table.Failed("B6", what, "the saved files differ");
        return false;
    }
    const double ratio = Median(kestrinMs) / Median(bareMs);
    table.Judge("B6", what + Format(", %.0f MB", bytes.size() / 1e6),
                Format("Kestrin %.0f ms / bare writes %.0f ms", Median(kestrinMs), Median(bareMs)),
                ratio, "<= 1.5", ratio <= 1.5);
    return true;
}

// B11: Clear of every row, as the menu runs it.
bool Clear(CTable& table, const CBenchKestrin& kestrin) {
    const std::string what = Format("Clear of %zu rows", kestrin.Rows());
    Progress("B11: %s", what.c_str());
    const LONGLONG start = Ticks();
    if (!kestrin.Command(ID_CLEAR, kBatchTimeoutMs) || kestrin.Rows() != 0) {
        table.Failed("B11", what, "Clear did not empty the list");
        return false;
    }
    const double ms = TicksToMs(Ticks() - start);
    table.Check("B11", what, Format("%.1f ms", ms), "<= 50 ms", ms <= 50);
    return true;
}

// Home, then Shift+End on list, as the keys reach it; the time Shift+End takes, or -1 when it
// did not select every row. The list reads Shift from its thread's key state, which attached
// input shares with this thread's.
double ShiftEndMs(HWND list, size_t rows) {
    const DWORD thread = ::GetWindowThreadProcessId(list, nullptr);
    const bool attached = thread != ::GetCurrentThreadId() &&
                          ::AttachThreadInput(::GetCurrentThreadId(), thread, TRUE);
    BYTE keys[256] = {};
    ::SetKeyboardState(keys);
    ::SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    const LONGLONG start = Ticks();
    ::SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    const double ms = TicksToMs(Ticks() - start);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    if (attached)
        ::AttachThreadInput(::GetCurrentThreadId(), thread, FALSE);
    return static_cast<size_t>(::SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0)) == rows ? ms : -1;
}

// B11, beside Clear: a range selection at the list's largest size, against a bare owner-data list
// of this process at a hundredth of the rows (the control alone takes about 0.1 ms a row).
bool RangeSelection(CTable& table, const CBenchKestrin& kestrin) {
    const size_t rows = kestrin.Rows(), bareRows = std::max<size_t>(rows / 100, 1);
    const std::string what = Format("Range selection (Home, Shift+End) at %zu rows", rows);
    Progress("B11: %s", what.c_str());
    const double kestrinMs = ShiftEndMs(kestrin.View(), rows);
    HWND parent = ::CreateWindowExA(0, "STATIC", nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                    640, 480, nullptr, nullptr, nullptr, nullptr);
    HWND bare = ::CreateWindowExA(0, WC_LISTVIEWA, nullptr,
                                  WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, 620,
                                  440, parent, nullptr, nullptr, nullptr);
    ::SendMessageA(bare, LVM_SETITEMCOUNT, bareRows, 0);
    const double bareMs = ShiftEndMs(bare, bareRows);
    ::DestroyWindow(parent);
    if (kestrinMs < 0 || bareMs < 0) {
        table.Failed("B11", what, "Shift+End did not select every row");
        return false;
    }
    table.Judge(
        "B11", what,
        Format("Kestrin %.1f ms / bare list at %zu rows %.0f ms", kestrinMs, bareRows, bareMs),
        kestrinMs / bareMs, "Kestrin <= 100 ms", kestrinMs <= 100);
    return true;
}

// The clipboard's ANSI text, read as another program would.
std::string ClipboardText() {
    std::string text;
    if (!::OpenClipboard(nullptr))
        return text;
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(::GlobalLock(data)))
            text = bytes;
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

// The bare program's copy: text and its UTF-16 conversion on the clipboard, in one global block
// each; -1 on failure.
double PutOnClipboardMs(HWND owner, const std::string& text) {
    const LONGLONG start = Ticks();
    const int size = static_cast<int>(text.size() + 1);
    const int wideSize = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), size, nullptr, 0);
    HGLOBAL ansi = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1),
            wide = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(wchar_t) * wideSize);
    bool put = ansi && wide;
    if (put) {
        memcpy(::GlobalLock(ansi), text.c_str(), text.size() + 1);
        ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), size,
                              static_cast<wchar_t*>(::GlobalLock(wide)), wideSize);
        ::GlobalUnlock(ansi);
        ::GlobalUnlock(wide);
        put = ::OpenClipboard(owner) && ::EmptyClipboard() && ::SetClipboardData(CF_TEXT, ansi) &&
              ::SetClipboardData(CF_UNICODETEXT, wide);
        ::CloseClipboard();
    }
    return put ? TicksToMs(Ticks() - start) : -1;
}

// B15: Copy of the rows the range selection left selected, twice, beside the bare program's put
// of the same text from a window of this process. Kestrin's memory before, after each copy and
// after the put: the clipboard's blocks stay in the process that gave them until it next uses the
// clipboard (Wine), so a second copy that takes no more than the first shows nothing is kept.
bool Copy(CTable& table, const CBenchKestrin& kestrin) {
    const size_t rows = kestrin.Rows();
    const std::string what = Format("Copy of %zu selected rows", rows);
    Progress("B15: %s", what.c_str());
    double workingSet = 0, privateBytes[4] = {};
    std::vector<double> kestrinMs;
    bool ok =
        static_cast<size_t>(::SendMessageA(kestrin.View(), LVM_GETSELECTEDCOUNT, 0, 0)) == rows &&
        kestrin.Memory(workingSet, privateBytes[0]);
    for (int run = 1; ok && run <= 2; ++run) {
        const LONGLONG start = Ticks();
        ok = kestrin.Command(ID_EDIT_COPY, kBatchTimeoutMs) && !DismissedModal(kestrin);
        kestrinMs.push_back(TicksToMs(Ticks() - start));
        ok = ok && kestrin.Memory(workingSet, privateBytes[run]);
    }
    const std::string text = ClipboardText();
    HWND owner = ::CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   nullptr, nullptr);
    const double bareMs = PutOnClipboardMs(owner, text);
    ok = ok && bareMs >= 0 && kestrin.Memory(workingSet, privateBytes[3]) &&
         static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) == rows;
    ::DestroyWindow(owner);
    if (!ok) {
        table.Failed("B15", what, "the clipboard does not hold every row");
        return false;
    }
    const double ms = Median(kestrinMs);
    table.Judge("B15", what + Format(", %.0f MB", text.size() / 1e6),
                Format("Kestrin %.0f ms / bare put of the text %.0f ms", ms, bareMs), ms / bareMs,
                "<= 1 s", ms <= 1000);
    const double ratio = privateBytes[2] / privateBytes[1];
    table.Judge("B15", "  Kestrin's memory after the second copy / after the first",
                Format("private %.0f / %.0f MB; before %.0f, after the put %.0f MB",
                       privateBytes[2] / 1e6, privateBytes[1] / 1e6, privateBytes[0] / 1e6,
                       privateBytes[3] / 1e6),
                ratio, "<= 1.05", ratio <= 1.05);
    return true;
}

// The longest time within [start, end] in which no tick falls.
double LongestGapMs(std::vector<LONGLONG> ticks, LONGLONG start, LONGLONG end) {
    std::sort(ticks.begin(), ticks.end());
    LONGLONG last = start, longest = 0;
    for (LONGLONG tick : ticks)
        if (tick >= start && tick <= end) {
            longest = std::max(longest, tick - last);
            last = tick;
        }
    return TicksToMs(std::max(longest, end - last));
}

// B9: during a flood from eight senders, how long Kestrin's frame takes to answer and how long
// its list goes without an update on screen; a hook in Kestrin notes the updates.
bool Flood(CTable& table, const CBenchKestrin& kestrin, const Scale& scale) {
    const std::string what = Format("8-sender flood of %lu messages", 8 * scale.floodEach);
    Progress("B9: %s", what.c_str());
    CHandle section(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         sizeof(PaintLog), kPaintLogName));
    auto* log = section ? static_cast<PaintLog*>(::MapViewOfFile(section.Get(), FILE_MAP_WRITE, 0,
                                                                 0, sizeof(PaintLog)))
                        : nullptr;
    if (!log) {
        table.Failed("B9", what, "cannot share the paint log");
        return false;
    }
    log->window = reinterpret_cast<LONG_PTR>(kestrin.View());
    const bool hooked = InstallPaintProbe(::GetWindowThreadProcessId(kestrin.Frame(), nullptr));
    // The first hooked message loads the probe there; a paint asked for then shows it notes them.
    kestrin.Sync();
    ::RedrawWindow(kestrin.View(), nullptr, nullptr, RDW_INVALIDATE);
    for (int waited = 0; waited < 2000 && log->paints == 0; waited += 20)
        ::Sleep(20);
    const LONG paintsBefore = log->paints;

    double worstMs = 0;
    int probes = 0;
    std::vector<Sent> sent;
    std::string failure;
    const bool flooded =
        Send(kestrin.Frame(), 8, scale.floodEach, sent, failure, "self", kWarmup, [&] {
            const LONGLONG start = Ticks();
            kestrin.Sync();
            worstMs = std::max(worstMs, TicksToMs(Ticks() - start));
            ++probes;
            ::Sleep(10);
        });
    kestrin.Sync();
    RemovePaintProbe();
    const LONG seen = log->paints;
    const LONG paints = std::min(seen, kMaxPaints);
    std::vector<LONGLONG> ticks(log->ticks, log->ticks + paints);
    const LONG calls = log->calls, intakes = log->intakes;
    const double intakeMs = TicksToMs(log->intakeTicks),
                 longestIntakeMs = TicksToMs(log->longestIntakeTicks);
    ::UnmapViewOfFile(log);
    if (!flooded) {
        table.Failed("B9", what, failure);
        return false;
    }
    table.Check("B9", what + ": worst WM_NULL answer",
                Format("%.1f ms over %d probes", worstMs, probes), "<= 50 ms", worstMs <= 50);
    if (!hooked || paintsBefore == 0) {
        table.Failed("B9", "  longest gap between updates of the list on screen",
                     Format("the hook saw %ld calls and %ld updates in Kestrin", calls, paints));
        return true;
    }
    LONGLONG start = sent.front().start, end = sent.front().end, longestWait = 0;
    for (const Sent& s : sent) {
        start = std::min(start, s.start);
        end = std::max(end, s.end);
        longestWait = std::max(longestWait, s.longest);
    }
    const double gapMs = LongestGapMs(ticks, start, end);
    const auto inFlood = std::count_if(ticks.begin(), ticks.end(),
                                       [&](LONGLONG t) { return t >= start && t <= end; });
    table.Check("B9", "  longest gap between updates of the list on screen",
                Format("%.0f ms; %d updates in %.1f s (hook: %ld updates in all)", gapMs,
                       static_cast<int>(inFlood), TicksToMs(end - start) / 1000, paints),
                "<= 200 ms", gapMs <= 200);
    if (intakes > 0)
        table.Add("B9", "  one message: handling mean / longest; a client's longest wait",
                  Format("%.3f ms / %.1f ms over %ld messages; %.1f ms", intakeMs / intakes,
                         longestIntakeMs, intakes, TicksToMs(longestWait)),
                  "", "printed", "-");
    return true;
}

// Watches one Wine process with strace, a Unix program that Wine starts as it starts any other
// but without a handle: a script finds the process by its name, an argument and this prefix, and
// leaves strace's id beside its output and a mark when it has ended.
class CSystemCalls {
public:
    CSystemCalls(const char* name, const char* argument)
        : m_base(Format("/tmp/kestrin-bench-%lu-%s", ::GetCurrentProcessId(), name)) {
        const std::string script =
            "for p in $(pgrep -x '" + std::string(name).substr(0, 15) +
            "'); do\n"
            "  tr '\\0' '\\n' </proc/$p/environ | grep -qx \"WINEPREFIX=$WINEPREFIX\" &&\n"
            "  tr '\\0' ' ' </proc/$p/cmdline | grep -q -- '" +
            argument +
            "' || continue\n"
            "  strace -f -qq -yy -e trace=write,writev -o " +
            m_base + ".out -p $p & echo $! >" + m_base +
            ".pid; wait; break\n"
            "done\n"
            "touch " +
            m_base + ".done\n";
        m_started = WriteFileText(m_base + ".sh", script) && RunShell(m_base + ".sh") &&
                    WaitFor([&] { return Exists(".pid") || Exists(".done"); }) && Exists(".pid");
        // strace stops the process's threads one by one as it attaches.
        ::Sleep(500);
    }
    ~CSystemCalls() {
        for (const char* suffix : {".sh", ".pid", ".out", ".done", ".stop"})
            ::DeleteFileA(WindowsPath(suffix).c_str());
    }
    // Detaches strace and counts the process's writes to the wineserver's pipe and to sockets,
    // which under Wine are the X server's.
    bool Count(unsigned long& server, unsigned long& x) {
        if (!m_started ||
            !WriteFileText(m_base + ".stop", "kill -INT $(cat " + m_base + ".pid)\n") ||
            !RunShell(m_base + ".stop") || !WaitFor([&] { return Exists(".done"); }))
            return false;
        server = x = 0;
        std::string line;
        for (char c : FileBytes(WindowsPath(".out"))) {
            if (c != '\n') {
                line += c;
                continue;
            }
            const bool write = line.find(" write(") != std::string::npos ||
                               line.find(" writev(") != std::string::npos;
            server += write && line.find("<pipe:") != std::string::npos;
            x += write && line.find("<UNIX-STREAM:") != std::string::npos;
            line.clear();
        }
        return true;
    }

private:
    std::string WindowsPath(const char* suffix) const {
        std::string path = "Z:" + m_base + suffix;
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }
    bool Exists(const char* suffix) const {
        return ::GetFileAttributesA(WindowsPath(suffix).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool WriteFileText(const std::string& unixPath, const std::string& text) const {
        FILE* file = fopen(("Z:" + unixPath).c_str(), "wb");
        const bool written = file && fwrite(text.data(), 1, text.size(), file) == text.size();
        return file && fclose(file) == 0 && written;
    }
    static bool RunShell(const std::string& scriptPath) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        std::string commandLine = "/bin/sh " + scriptPath;
        if (!::CreateProcessA("Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process))
            return false;
        for (HANDLE handle : {process.hProcess, process.hThread})
            if (handle)
                ::CloseHandle(handle);
        return true;
    }

    const std::string m_base;
    bool m_started = false;
};

// B2's cost on the system: one sender's messages to Kestrin and to the bare window, the writes
// of each receiving process counted per message.
bool WritesPerMessage(CTable& table, const CBenchKestrin& kestrin, HWND bare, const Scale& scale) {
    const std::string what = "  writes per message to wineserver / X server, 1 sender";
    Progress("B2:%s", what.c_str());
    double perMessage[2][2] = {};
    for (int turn = 0; turn < 2; ++turn) {
        CSystemCalls calls(turn == 0 ? "kestrin.exe" : "kestrin-bench.exe",
                           turn == 0 ? "" : "--bare");
        std::vector<Sent> sent;
        std::string failure;
        unsigned long server = 0, x = 0;
        if (!Send(turn == 0 ? kestrin.Frame() : bare, 1, scale.throughput, sent, failure) ||
            !calls.Count(server, x) || server == 0) {
            table.Failed("B2", what,
                         failure.empty() ? "strace could not watch the receiver" : failure);
            return true;
        }
        // The sender's warm-up messages are watched too.
        const double messages = scale.throughput + kWarmup;
        perMessage[turn][0] = server / messages;
        perMessage[turn][1] = x / messages;
    }
    const double extra = perMessage[0][0] - perMessage[1][0];
    table.Check("B2", what,
                Format("Kestrin %.2f / %.2f, bare %.2f / %.2f", perMessage[0][0], perMessage[0][1],
                       perMessage[1][0], perMessage[1][1]),
                "<= +1", extra <= 1);
    return true;
}

// B5: memory after cycles of filling and Clear, against after the first.
bool MemoryCycles(CTable& table, const CBenchKestrin& kestrin, const Scale& scale) {
    const std::string what =
        Format("memory after %d cycles of %zu rows and Clear", scale.cycles, scale.cycleRows);
    Progress("B5: %s", what.c_str());
    double firstSet = 0, firstPrivate = 0, workingSet = 0, privateBytes = 0;
    std::string failure;
    for (int cycle = 1; cycle <= scale.cycles; ++cycle) {
        if (!kestrin.FillTo(scale.cycleRows, failure) || !kestrin.Command(ID_CLEAR) ||
            !kestrin.Memory(workingSet, privateBytes)) {
            table.Failed("B5", what,
                         failure.empty() ? "Clear or the memory counters failed" : failure);
            return false;
        }
        if (cycle == 1) {
            firstSet = workingSet;
            firstPrivate = privateBytes;
        }
    }
    const double ratio = workingSet / firstSet;
    const double privateRatio = privateBytes / firstPrivate;
    table.Judge("B5", what,
                Format("working set %.1f / %.1f MB; private %.1f / %.1f MB (%.2f)",
                       workingSet / 1e6, firstSet / 1e6, privateBytes / 1e6, firstPrivate / 1e6,
                       privateRatio),
                ratio, "<= 1.05", ratio <= 1.05 && privateRatio <= 1.05);
    return true;
}

// B14, round trips: one sender with Log to file on and off, interleaved; at 0 rows the list is
// cleared before each run.
bool LogRoundTrips(CTable& table, const CBenchKestrin& kestrin, const Scale& scale, bool& on) {
    const size_t rows = kestrin.Rows();
    const std::string what = Format("round trip at %zu rows, Log to file on / off", rows);
    Progress("B14: %s", what.c_str());
    std::vector<double> onUs, offUs;
    std::vector<Sent> sent;
    std::string failure;
    for (int run = 0; run < scale.runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool logging = (run + turn) % 2 == 0;
            if ((logging != on && !kestrin.Command(ID_LOG_TO_FILE)) ||
                (rows == 0 && !kestrin.Command(ID_CLEAR)) ||
                !Send(kestrin.Frame(), 1, scale.roundTrip, sent, failure)) {
                table.Failed("B14", what, failure.empty() ? "a command did not end" : failure);
                return false;
            }
            on = logging;
            (logging ? onUs : offUs).push_back(MeanRoundTripUs(sent[0]));
        }
    }
    const double ratio = Median(onUs) / Median(offUs);
    table.Judge("B14", what, Format("on %.0f us / off %.0f us", Median(onUs), Median(offUs)), ratio,
                "<= 1.05", ratio <= 1.05);
    return true;
}

// B14, delay: during an 8-sender flood, probes read Kestrin's row count and the log's lines. A row
// counted by a probe was taken after the one before it began; the first probe that finds its line
// bounds its delay from above.
bool LogDelay(CTable& table, const CBenchKestrin& kestrin, const Scale& scale,
              const std::string& path) {
    const std::string what =
        Format("8-sender flood of %lu messages: worst delay row to file", 8 * scale.floodEach);
    Progress("B14: %s", what.c_str());
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const size_t before = kestrin.Rows();
    size_t lines = 0;
    struct Probe {
        LONGLONG start, end;
        size_t rows, lines;
    };
    std::vector<Probe> probes;
    const auto probe = [&] {
        Probe p = {Ticks(), 0, kestrin.Rows() - before, 0};
        char chunk[65536];
        DWORD got = 0;
        while (file && ::ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got != 0)
            lines += static_cast<size_t>(std::count(chunk, chunk + got, '\n'));
        p.lines = lines;
        p.end = Ticks();
        probes.push_back(p);
        ::Sleep(5);
    };
    ::SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    std::vector<Sent> sent;
    std::string failure;
    const bool flooded = Send(kestrin.Frame(), 8, scale.floodEach, sent, failure, "self", 0, probe);
    for (int i = 0;
         flooded && i < 400 && (probes.empty() || probes.back().lines < probes.back().rows); ++i)
        probe();
    if (!flooded || probes.empty() || probes.back().lines != 8 * scale.floodEach) {
        table.Failed("B14", what,
                     flooded ? Format("the log holds %zu of %lu rows", lines, 8 * scale.floodEach)
                             : failure);
        return false;
    }
    double worstMs = 0;
    for (size_t k = 1, j = 0; k < probes.size(); ++k) {
        while (probes[j].lines < probes[k].rows)
            ++j;
        worstMs = std::max(worstMs, TicksToMs(probes[j].end - probes[k - 1].start));
    }
    table.Check("B14", what, Format("%.0f ms over %zu probes", worstMs, probes.size()), "<= 200 ms",
                worstMs <= 200);
    return true;
}

// B14 on a Kestrin of its own: Log to file is turned on once through its dialog, which remembers
// the file.
void LogToFile(CTable& table, const Scale& scale) {
    CBenchKestrin kestrin;
    const std::string path = TempPath("kestrin-bench-log.log");
    ::DeleteFileA(path.c_str());
    bool on = true;
    bool ok = kestrin.Open() && CommandWithPath(kestrin, ID_LOG_TO_FILE, path);
    if (!ok)
        table.Failed("B14", "Log to file", "it could not be turned on");
    std::string failure;
    for (size_t rows : {scale.sizes[0], scale.sizes[2]}) {
        if (ok && !kestrin.FillTo(rows, failure)) {
            table.Failed("B14", Format("filling the list to %zu rows", rows), failure);
            ok = false;
        }
        ok = ok && LogRoundTrips(table, kestrin, scale, on);
    }
    ok = ok && (on || kestrin.Command(ID_LOG_TO_FILE)) && LogDelay(table, kestrin, scale, path);
    if (ok)
        kestrin.Close();
    ::DeleteFileA(path.c_str());
}

// B1, B4, B6, B11, B15 and B9 on one Kestrin as its list grows and is emptied. A step that fails
// skips the rest; Kestrin is then ended with the object.
void GrowingList(CTable& table, HWND bare, const Scale& scale) {
    CBenchKestrin kestrin;
    double workingSet = 0, privateBytes = 0;
    bool ok = kestrin.Open() && kestrin.Memory(workingSet, privateBytes);
    if (!ok)
        table.Failed("B1", "Kestrin at 0 rows", "it did not start");
    std::string failure;
    for (size_t rows : scale.sizes) {
        if (ok && !kestrin.FillTo(rows, failure)) {
            table.Failed("B1", Format("filling the list to %zu rows", rows), failure);
            ok = false;
        }
        ok = ok && RoundTrips(table, kestrin, bare, scale);
    }
    ok = ok && MemoryPerRow(table, kestrin, workingSet, privateBytes) &&
         Save(table, kestrin, scale) && RangeSelection(table, kestrin) && Copy(table, kestrin) &&
         Clear(table, kestrin) && Flood(table, kestrin, scale);
    if (ok)
        kestrin.Close();
}

// B2, B8 and B5 on a second Kestrin, whose rows do not disturb the first's sizes.
void ManySenders(CTable& table, HWND bare, const Scale& scale, const UnnamedInProcess& unnamed) {
    CBenchKestrin kestrin;
    bool ok = kestrin.Open();
    if (!ok)
        table.Failed("B2", "a second Kestrin", "it did not start");
    ok = ok && Throughput(table, kestrin, bare, scale) &&
         WritesPerMessage(table, kestrin, bare, scale) &&
         UnnamedSender(table, kestrin, scale, unnamed) && kestrin.Command(ID_CLEAR) &&
         MemoryCycles(table, kestrin, scale);
    if (ok)
        kestrin.Close();
}

// B12's stand-in: takes the debug-output buffer on a thread of the bench and only copies each
// line out and re-arms, counting the lines.
class CBareReader {
public:
    bool Start() {
        m_section.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                             kBufferBytes, "DBWIN_BUFFER"));
        // Kestrin lets go of it once the writers pause, after turning debug output off.
        if (!m_section || ::GetLastError() == ERROR_ALREADY_EXISTS) {
            m_section.Reset();
            return false;
        }
        m_view = static_cast<const char*>(
            ::MapViewOfFile(m_section.Get(), FILE_MAP_READ, 0, 0, kBufferBytes));
        m_bufferReady.Reset(::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY"));
        m_dataReady.Reset(::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY"));
        m_stop.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!m_view || !m_bufferReady || !m_dataReady || !m_stop)
            return false;
        m_thread = std::thread([this] { Run(); });
        return true;
    }
    // The lines read.
    unsigned long Stop() {
        if (m_thread.joinable()) {
            ::SetEvent(m_stop.Get());
            m_thread.join();
        }
        if (m_view)
            ::UnmapViewOfFile(m_view);
        m_view = nullptr;
        m_section.Reset();
        m_bufferReady.Reset();
        m_dataReady.Reset();
        return m_lines;
    }
    ~CBareReader() { Stop(); }

private:
    static const DWORD kBufferBytes = 4096;

    void Run() {
        char text[kBufferBytes];
        const HANDLE events[] = {m_stop.Get(), m_dataReady.Get()};
        ::SetEvent(m_bufferReady.Get());
        while (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            const size_t length = strnlen(m_view + sizeof(DWORD), kBufferBytes - sizeof(DWORD));
            memcpy(text, m_view + sizeof(DWORD), length);
            ::SetEvent(m_bufferReady.Get());
            ++m_lines;
        }
    }

    CHandle m_section, m_bufferReady, m_dataReady, m_stop;
    const char* m_view = nullptr;
    std::thread m_thread;
    unsigned long m_lines = 0;
};

// B12: debug-output lines per second of 1, 4 and 8 writer processes, read by Kestrin and by the
// bare reader in turn. A line Kestrin shows no row for, or the bare reader did not count, is lost.
bool DebugOutputThroughput(CTable& table, const CBenchKestrin& kestrin, const Scale& scale) {
    for (int writers : {1, 4, 8}) {
        const std::string what = Format("debug-output lines/s, %d writer process(es)", writers);
        Progress("B12: %s", what.c_str());
        const unsigned long each = scale.throughput / writers, total = each * writers;
        std::vector<double> kestrinRate, bareRate;
        unsigned long lost = 0;
        std::vector<Sent> sent;
        std::string failure;
        for (int run = 0; run < scale.runs; ++run) {
            for (int turn = 0; turn < 2; ++turn) {
                const bool toKestrin = (run + turn) % 2 == 0;
                CBareReader bare;
                if (toKestrin
                        ? !kestrin.Command(ID_CLEAR) || !kestrin.Command(ID_CAPTURE_DEBUG_OUTPUT)
                        : !WaitFor([&] { return bare.Start(); }))
                    failure = "the reader could not take the buffer";
                else
                    RunGated(writers, {"--write", std::to_string(each)}, each, sent, failure);
                unsigned long read = 0;
                if (toKestrin) {
                    WaitFor([&] { return kestrin.Rows() >= total; });
                    read = static_cast<unsigned long>(kestrin.Rows());
                    kestrin.Command(ID_CAPTURE_DEBUG_OUTPUT);
                } else
                    read = bare.Stop();
                if (!failure.empty()) {
                    table.Failed("B12", what, failure);
                    return false;
                }
                lost += read > total ? read - total : total - read;
                (toKestrin ? kestrinRate : bareRate).push_back(PerSecond(sent));
            }
        }
        const double ratio = Median(kestrinRate) / Median(bareRate);
        table.Judge("B12", what,
                    Format("Kestrin %.0f / bare %.0f; %lu lost or twice", Median(kestrinRate),
                           Median(bareRate), lost),
                    ratio, ">= 0.90", ratio >= 0.90 && lost == 0);
    }
    return true;
}

// B13: this process's WM_SETTEXT round trips to Kestrin with no debug output, during an 8-writer
// flood that Kestrin reads, and during the same flood read by the bare reader instead, which
// tells the writers' own load on the machine from Kestrin's; interleaved.
bool DebugOutputRoundTrip(CTable& table, const CBenchKestrin& kestrin, const Scale& scale) {
    const std::string what = Format("round trip during an 8-writer debug-output flood of %lu lines",
                                    8 * scale.floodEach);
    Progress("B13: %s", what.c_str());
    double ms = 0;
    unsigned long count = 0;
    const auto roundTrips = [&] {
        const LONGLONG start = Ticks();
        for (int i = 0; i < 20; ++i)
            ::SendMessageA(kestrin.Frame(), WM_SETTEXT, ::GetCurrentProcessId(),
                           reinterpret_cast<LPARAM>(kMessage));
        ms += TicksToMs(Ticks() - start);
        count += 20;
    };
    std::vector<double> idleUs, kestrinUs, bareUs;
    std::vector<Sent> sent;
    std::string failure;
    for (int run = 0; run < scale.runs; ++run) {
        ms = 0, count = 0;
        while (count < scale.roundTrip)
            roundTrips();
        idleUs.push_back(ms * 1000 / count);
        for (bool byKestrin : {true, false}) {
            CBareReader bare;
            if (byKestrin ? !kestrin.Command(ID_CAPTURE_DEBUG_OUTPUT)
                          : !WaitFor([&] { return bare.Start(); }))
                failure = "the reader could not take the buffer";
            ms = 0, count = 0;
            if (failure.empty())
                RunGated(8, {"--write", std::to_string(scale.floodEach)}, scale.floodEach, sent,
                         failure, roundTrips);
            if (byKestrin)
                kestrin.Command(ID_CAPTURE_DEBUG_OUTPUT);
            if (!failure.empty() || count == 0) {
                table.Failed("B13", what, failure.empty() ? "no round trip in the flood" : failure);
                return false;
            }
            (byKestrin ? kestrinUs : bareUs).push_back(ms * 1000 / count);
        }
    }
    const double ratio = Median(kestrinUs) / Median(idleUs);
    table.Judge("B13", what,
                Format("flood %.0f us / idle %.0f us", Median(kestrinUs), Median(idleUs)), ratio,
                "<= 1.5", ratio <= 1.5);
    table.Add("B13", "  the same, the flood read by the bare reader",
              Format("Kestrin's flood %.0f us / bare reader's flood %.0f us", Median(kestrinUs),
                     Median(bareUs)),
              Format("%.2f", Median(kestrinUs) / Median(bareUs)), "printed", "-");
    return true;
}

// B12 and B13 on a Kestrin of their own.
void DebugOutput(CTable& table, const Scale& scale) {
    CBenchKestrin kestrin;
    if (!kestrin.Open()) {
        table.Failed("B12", "a Kestrin for debug output", "it did not start");
        return;
    }
    if (DebugOutputThroughput(table, kestrin, scale) && DebugOutputRoundTrip(table, kestrin, scale))
        kestrin.Close();
}

// The processor, memory and Wine version the figures were measured on.
std::string Heading(bool quick) {
    char processor[128] = "unknown processor";
    DWORD size = sizeof processor;
    ::RegGetValueA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                   "ProcessorNameString", RRF_RT_REG_SZ, nullptr, processor, &size);
    SYSTEM_INFO system;
    ::GetNativeSystemInfo(&system);
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    ::GlobalMemoryStatusEx(&memory);
    const char* wine = "none";
    // Two casts through the generic function pointer type, which converts to any other.
    if (FARPROC version = ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version"))
        wine = reinterpret_cast<const char* (*)()>(reinterpret_cast<void (*)()>(version))();
    return Format("kestrin-bench%s: %s, %lu processors, %.1f GB; Wine %s; %d-bit build",
                  quick ? " --quick" : "", processor, system.dwNumberOfProcessors,
                  memory.ullTotalPhys / 1073741824.0, wine, static_cast<int>(sizeof(void*) * 8));
}

bool IsBenchmarkId(const std::string& text) {
    for (int number = 1; number <= 15; ++number)
        if (text == Format("B%d", number))
            return true;
    return false;
}

// only names one benchmark (B7), or is empty for all of them; a benchmark that shares its Kestrin
// with others runs with them.
int RunBenchmarks(bool quick, const std::string& only) {
    if (::FindWindowA(nullptr, "Kestrin")) {
        fprintf(stderr, "kestrin-bench: a window titled Kestrin is open already; close it first\n");
        return 1;
    }
    const auto runs = [&](std::initializer_list<const char*> ids) {
        return only.empty() || std::find(ids.begin(), ids.end(), only) != ids.end();
    };
    const Scale& scale = quick ? kQuick : kFull;
    CTable table;
    if (runs({"B3"}))
        InProcessCost(table);
    const bool manySenders = runs({"B2", "B5", "B8"});
    const UnnamedInProcess unnamed =
        manySenders ? UnnamedSenderRefreshes(scale) : UnnamedInProcess{};
    if (runs({"B7"}))
        StartUp(table, scale);
    if (runs({"B14"}))
        LogToFile(table, scale);
    const bool growingList = runs({"B1", "B4", "B6", "B9", "B11", "B15"});
    if (growingList || manySenders) {
        CProgram bare("kestrin-bench.exe", {"--bare"});
        HWND window = nullptr;
        if (WaitFor([&] { return (window = ::FindWindowA(nullptr, kBareTitle)) != nullptr; })) {
            if (growingList)
                GrowingList(table, window, scale);
            if (manySenders)
                ManySenders(table, window, scale, unnamed);
        } else
            table.Failed("B1", "the bare window", "it did not open");
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        bare.Wait();
    }
    if (runs({"B12", "B13"}))
        DebugOutput(table, scale);
    table.Print(Heading(quick), only);
    return table.AnyFailed() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && strcmp(argv[1], "--send") == 0)
        return RunSender(argc, argv);
    if (argc >= 2 && strcmp(argv[1], "--write") == 0)
        return RunWriter(argc, argv);
    if (argc == 2 && strcmp(argv[1], "--bare") == 0)
        return RunBare();
    bool quick = false;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--quick") == 0 && !quick) {
            quick = true;
        } else if (strcmp(argv[i], "--only") == 0 && i + 1 < argc && only.empty() &&
                   IsBenchmarkId(argv[i + 1])) {
            only = argv[++i];
        } else {
            fprintf(stderr, "Usage: kestrin-bench [--quick] [--only B1..B15]\n");
            return 2;
        }
    }
    return RunBenchmarks(quick, only);
}
