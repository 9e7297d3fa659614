// kestrin-bench: prints what one message costs in the capture core, what a cache
// refresh costs, and the round trip of kestrin-send to a window that does nothing.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "Capture.h"
#include "RowStore.h"
#include "WinProcessSource.h"
#include "WineTestSupport.h"

namespace {

const int kRounds = 7;

// Nanoseconds per call of op: the median of kRounds rounds, each of as many calls as
// take about 20 ms.
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
    for (int r = 0; r < kRounds; ++r)
        rounds.push_back(round(calls) / calls);
    std::sort(rounds.begin(), rounds.end());
    return rounds[kRounds / 2];
}

void PrintRow(const char* what, double ns) {
    printf("  %-52s %12.0f\n", what, ns);
}

// The view's stand-in: rows go into a store, the sender is not waiting.
class CStoringRows : public IRowSink, public ISender {
public:
    void AppendRow(const DebugRecord& record) override { m_store.Append(record); }
    void Reply() override {}

    CRowStore m_store;
};

// Include patterns in the filter's text form; the last one occurs in kMessage when
// lastMatches is set, none does otherwise.
const char kMessage[] = "worker 3: request 48213 handled in 12 ms, queue depth 7";
std::string IncludeText(int patterns, bool lastMatches) {
    std::string text;
    char pattern[32];
    for (int i = 0; i < patterns; ++i) {
        if (lastMatches && i == patterns - 1)
            snprintf(pattern, sizeof pattern, "handled;");
        else
            snprintf(pattern, sizeof pattern, "subsystem-%03d;", i);
        text += pattern;
    }
    return text.empty() ? ";" : text;
}

void BenchCore() {
    CWinProcessSource source;
    CStoringRows rows;
    CCapture capture(source, rows, rows);
    const DWORD self = ::GetCurrentProcessId();

    printf("Capture core, ns per call (median of %d rounds, sender's name cached)\n", kRounds);
    const struct {
        const char* what;
        int patterns;
        bool lastMatches;
    } filters[] = {
        {"OnDebugMessage, filter off, row added", 0, false},
        {"OnDebugMessage, 10 include patterns, none occurs", 10, false},
        {"OnDebugMessage, 10 include patterns, last occurs", 10, true},
        {"OnDebugMessage, 100 include patterns, none occurs", 100, false},
        {"OnDebugMessage, 100 include patterns, last occurs", 100, true},
    };
    for (const auto& f : filters) {
        capture.m_filter.SetFilter(IncludeText(f.patterns, f.lastMatches).c_str(), "");
        PrintRow(f.what, NsPerCall([&] { capture.OnDebugMessage(self, kMessage); }));
    }

    DebugRecord record = {};
    record.dwProcessId = self;
    IClock::System().Now(record.stTime);
    strcpy(record.szProcessName, "kestrin-bench.exe");
    strcpy(record.szMsg, kMessage);
    PrintRow("  of which CRowStore::Append", NsPerCall([&] { rows.m_store.Append(record); }));
    SYSTEMTIME now;
    PrintRow("  of which IClock::System().Now", NsPerCall([&] { IClock::System().Now(now); }));
    char name[128];
    PrintRow("  of which CProcessNames::Lookup, cached",
             NsPerCall([&] { capture.m_procNames.Lookup(self, name); }));
}

void BenchRefresh() {
    CWinProcessSource source;
    CProcessNames names(source);
    DWORD ids[CProcessNames::kMaxProcesses];
    DWORD bytes = 0;
    source.EnumProcesses(ids, sizeof ids, &bytes);
    printf("\nProcess-name cache, ns per refresh (median of %d rounds, %lu processes)\n", kRounds,
           static_cast<unsigned long>(bytes / sizeof(DWORD)));
    PrintRow("CProcessNames::Refresh over CWinProcessSource", NsPerCall([&] { names.Refresh(); }));
}

// A window titled "Kestrin" that takes every message and does nothing else, served
// by a thread of its own.
class CBareKestrin {
public:
    CBareKestrin() {
        std::promise<HWND> created;
        std::future<HWND> window = created.get_future();
        m_thread = std::thread([this, &created] {
            CIntakeWindow window([](WPARAM, const char*) { return LRESULT(0); });
            m_threadId = ::GetCurrentThreadId();
            created.set_value(window.Get());
            MSG msg;
            while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
                ::DispatchMessageA(&msg);
        });
        m_window = window.get();
    }
    ~CBareKestrin() {
        ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Window() const { return m_window; }

private:
    std::thread m_thread;
    DWORD m_threadId = 0;
    HWND m_window = nullptr;
};

// The mean round trip of one message from kestrin-send to target, which has to be the
// window that kestrin-send finds by the title "Kestrin"; -1 with a reason on failure.
double SendRoundTripNs(HWND target, unsigned long messages, const std::string& text,
                       std::string& failure) {
    if (!target || ::FindWindowA(nullptr, "Kestrin") != target) {
        failure = "the window titled \"Kestrin\" is not the target";
        return -1;
    }
    CChildProcess sender;
    const std::string program = SiblingPath("kestrin-send.exe");
    if (!sender.Start(
            CommandLine(program, {"--time", "--repeat", std::to_string(messages), text}))) {
        failure = "cannot start " + program;
        return -1;
    }
    sender.CloseInput();
    // The target may be a window of this thread.
    if (!sender.WaitPumping(600000)) {
        failure = "kestrin-send did not end";
        return -1;
    }
    const std::string output = sender.Output();
    unsigned long long count = 0;
    double ns = 0;
    if (sender.ExitCode() != 0 ||
        sscanf(output.c_str(), "kestrin-send: %llu messages, mean round trip %lf ns", &count,
               &ns) != 2 ||
        count != messages) {
        failure = "kestrin-send said: " + output;
        return -1;
    }
    return ns;
}

const int kRuns = 5;

// Median of runs of kestrin-send's round trip to target; -1 after printing why it failed.
double MedianRoundTripNs(HWND target, unsigned long messages, const std::string& text,
                         const char* what) {
    std::vector<double> runs;
    std::string failure;
    for (int r = 0; r < kRuns; ++r) {
        double ns = SendRoundTripNs(target, messages, text, failure);
        if (ns < 0) {
            printf("  %s: failed: %s\n", what, failure.c_str());
            return -1;
        }
        runs.push_back(ns);
    }
    std::sort(runs.begin(), runs.end());
    return runs[kRuns / 2];
}

// Kestrin itself, as a separate process; ended when the bench is done with it.
class CRunningKestrin {
public:
    bool Start() {
        if (!m_process.Start(CommandLine(SiblingPath("kestrin.exe"), {})))
            return false;
        for (int tries = 0; tries < 200 && !m_view; ++tries) {
            ::Sleep(50);
            HWND frame = ::FindWindowA(nullptr, "Kestrin");
            m_frame = frame;
            m_view = frame ? ::FindWindowExA(frame, nullptr, "Kestrin", nullptr) : nullptr;
        }
        return m_view != nullptr;
    }
    ~CRunningKestrin() {
        if (m_frame)
            ::PostMessageA(m_frame, WM_CLOSE, 0, 0);
        m_process.WaitPumping(10000);
    }
    HWND Frame() const { return m_frame; }
    int Rows() const { return static_cast<int>(::SendMessageA(m_view, LVM_GETITEMCOUNT, 0, 0)); }
    // Adds rows straight from this process until the list holds at least count.
    bool FillTo(int count) const {
        for (int rows = Rows(); rows < count; ++rows)
            if (::SendMessageA(m_frame, WM_SETTEXT, ::GetCurrentProcessId(),
                               reinterpret_cast<LPARAM>(kMessage)) != 0)
                return false;
        return true;
    }

private:
    CChildProcess m_process;
    HWND m_frame = nullptr;
    HWND m_view = nullptr;
};

// Kestrin's round trip as its list grows, beside the do-nothing window's from the same run.
bool BenchKestrin(double baselineNs) {
    const unsigned long kMessages = 2000;
    CRunningKestrin kestrin;
    if (!kestrin.Start()) {
        printf("  kestrin.exe did not start\n");
        return false;
    }
    printf("\nRound trip of kestrin-send to Kestrin, %zu-byte text, ns per message\n",
           strlen(kMessage));
    for (int rows : {0, 10000, 100000}) {
        if (!kestrin.FillTo(rows)) {
            printf("  filling the list failed\n");
            return false;
        }
        char what[80];
        snprintf(what, sizeof what, "with %d rows already in the list", kestrin.Rows());
        double ns = MedianRoundTripNs(kestrin.Frame(), kMessages, kMessage, what);
        if (ns < 0)
            return false;
        printf("  %-60s %12.0f  (%.2fx the do-nothing window)\n", what, ns, ns / baselineNs);
    }
    return true;
}

bool BenchRoundTrip(double& baselineNs) {
    const unsigned long kMessages = 5000;
    CBareKestrin kestrin;
    printf("\nRound trip of one WM_SETTEXT to a window that does nothing, ns per message\n");

    const std::string texts[] = {kMessage, std::string(511, 'x')};
    for (const std::string& text : texts) {
        char what[80];
        snprintf(what, sizeof what, "kestrin-send, %zu-byte text (median of %d runs of %lu)",
                 text.size(), kRuns, kMessages);
        double ns = MedianRoundTripNs(kestrin.Window(), kMessages, text, what);
        if (ns < 0)
            return false;
        PrintRow(what, ns);
        if (baselineNs == 0)
            baselineNs = ns;

        snprintf(what, sizeof what, "SendMessageA from another thread, %zu-byte text", text.size());
        PrintRow(what, NsPerCall([&] {
                     ::SendMessageA(kestrin.Window(), WM_SETTEXT, ::GetCurrentProcessId(),
                                    reinterpret_cast<LPARAM>(text.c_str()));
                 }));
    }
    return true;
}

} // namespace

int main() {
    BenchCore();
    BenchRefresh();
    double baselineNs = 0;
    return BenchRoundTrip(baselineNs) && BenchKestrin(baselineNs) ? 0 : 1;
}
