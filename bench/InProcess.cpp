// B3: what one message costs in this process, through the real pipeline and part by part.
#include <chrono>
#include <cstring>
#include <vector>

#include "BenchHarness.h"
#include "WinProcessSource.h"

namespace {

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
void InProcessCost(CTable& table, const Scale&, HWND) {
    Progress("B3: in-process cost of one message");
    CWinProcessSource source;
    CStoringRows rows;
    CCapture capture(source, rows, rows);
    const DWORD self = ::GetCurrentProcessId();
    const char* target = "printed";

    CLogFilter filter;
    const double whole = NsPerCall([&] { capture.OnDebugMessage(self, kMessage); });
    const double filterOff = NsPerCall([&] { filter.Match(kMessage); });
    filter.SetFilter(IncludeText(10).c_str(), "");
    const double filter10 = NsPerCall([&] { filter.Match(kMessage); });
    char name[128];
    const double lookup = NsPerCall([&] { capture.m_procNames.Lookup(self, name); });
    const double clock = NsPerCall([&] { IClock::System().Now(); });
    DebugRecord record = {};
    record.dwProcessId = self;
    record.time = IClock::System().Now();
    strcpy(record.szProcessName, "kestrin-bench.exe");
    record.pszMsg = kMessage;
    record.cbMsg = strlen(kMessage);
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

const bool registered = RegisterGroup({10, {"B3"}, false, InProcessCost});

} // namespace
