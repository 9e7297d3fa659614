// B14: Log to file, its cost to a round trip and its delay from row to file.
#include <algorithm>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "resource.h"

namespace {

// B14, round trips: one sender with Log to file on and off, interleaved; at 0 rows the list is
// cleared before each run.
bool LogRoundTrips(CTable& table, const CBenchKestrin& kestrin, const Scale& scale, bool& on) {
    const size_t rows = kestrin.Rows();
    const std::string what = Format("round trip at %zu rows, Log to file on / off", rows);
    Progress("B14: %s", what.c_str());
    std::vector<Sent> sent;
    std::string failure;
    CSideBySide us;
    const auto roundTrip = [&](bool logging, double& figure) {
        if ((logging != on && !kestrin.Command(ID_LOG_TO_FILE)) ||
            (rows == 0 && !kestrin.Command(ID_CLEAR)) ||
            !Send(kestrin.Frame(), 1, scale.roundTrip, sent, failure))
            return false;
        on = logging;
        figure = MeanRoundTripUs(sent[0]);
        return true;
    };
    if (!us.Measure(scale.runs, roundTrip)) {
        table.Failed("B14", what, failure.empty() ? "a command did not end" : failure);
        return false;
    }
    table.Judge("B14", what, Format("on %.0f us / off %.0f us", us.First(), us.Second()),
                us.Ratio(), "<= 1.05", us.Ratio() <= 1.05);
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
void LogToFile(CTable& table, const Scale& scale, HWND) {
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

const bool registered = RegisterGroup({30, {"B14"}, false, LogToFile});

} // namespace
