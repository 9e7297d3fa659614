// core-bench: what the capture core costs per message on the host, and the one-pass filter
// against a search per pattern on the same texts.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Capture.h"
#include "Fakes.h"

namespace {

const int kRounds = 7;
const char kMessage[] = "worker 3: request 48213 handled in 12 ms, queue depth 7";

// Nanoseconds per call of op: the median of kRounds rounds, each after a fresh setup() and of
// as many calls as take about 20 ms.
template <class Setup, class Op> double MedianNs(Setup setup, Op op) {
    using Clock = std::chrono::steady_clock;
    const auto round = [&](long calls) {
        setup();
        const auto start = Clock::now();
        for (long i = 0; i < calls; ++i)
            op();
        return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / calls;
    };
    long calls = 1;
    while (round(calls) * calls < 20e6)
        calls *= 2;
    std::vector<double> rounds;
    for (int r = 0; r < kRounds; ++r)
        rounds.push_back(round(calls));
    std::sort(rounds.begin(), rounds.end());
    return rounds[kRounds / 2];
}

// Include patterns that do not occur in kMessage, unless the last is to match.
std::vector<std::string> Patterns(int count, bool lastMatches = false) {
    std::vector<std::string> patterns;
    char pattern[32];
    for (int i = 0; i < count; ++i) {
        snprintf(pattern, sizeof pattern, "tag%05d", i);
        patterns.push_back(lastMatches && i == count - 1 ? "handled" : pattern);
    }
    return patterns;
}

std::string TextForm(const std::vector<std::string>& patterns) {
    std::string text;
    for (const std::string& pattern : patterns)
        text += pattern + ";";
    return text;
}

// The filter as it was: one boundary-aware search per pattern.
bool SearchEach(const std::vector<std::string>& patterns, const std::string& text) {
    const CLeadBytes& codePage = CLeadBytes::System();
    for (const std::string& p : patterns) {
        if (codePage.Find(text.data(), text.size(), p.data(), p.size()) >= 0)
            return true;
    }
    return false;
}

int g_sink = 0; // keeps the compiler from dropping the calls being timed

void PrintRow(const char* what, double value, const char* unit, const char* target) {
    printf("  %-58s %12.2f %-3s %s\n", what, value, unit, target);
}

} // namespace

int main() {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    printf("Host capture core, median of %d rounds\n", kRounds);

    FakeProcessSource source;
    source.Add(4242, "worker.exe");
    StoreRows rows;
    FixedClock clock;
    CCapture capture(source, rows, rows, clock);
    capture.SetFilter(TextForm(Patterns(10, true)).c_str(), "");
    PrintRow("B3 one message: cached name, 10-pattern filter, record, store",
             MedianNs([&] { rows.store.Clear(); }, [&] { capture.OnDebugMessage(4242, kMessage); }),
             "ns", "(target <= 150)");

    const std::string shortText = kMessage;
    std::string longText;
    while (longText.size() + shortText.size() < (1u << 20))
        longText += shortText + "\n";
    const struct {
        const char* what;
        int patterns;
        const std::string& text;
        double scale; // ns to the unit shown
        const char* unit;
    } cases[] = {
        {"B10 1 include pattern, 55-byte text", 1, shortText, 1, "ns"},
        {"B10 1,000 include patterns, 55-byte text", 1000, shortText, 1, "ns"},
        {"B10 14,286 include patterns, 1 MB text", 14286, longText, 1e-6, "ms"},
    };
    double perCall[3][2] = {};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const std::vector<std::string> patterns = Patterns(c.patterns);
        CLogFilter filter;
        filter.SetFilter(TextForm(patterns).c_str(), "");
        perCall[i][0] = MedianNs([] {}, [&] { g_sink += filter.Match(c.text.c_str()); });
        // A search per pattern over 1 MB takes minutes: 1 in 100 patterns, times 100.
        const size_t every = c.text.size() > 10000 ? 100 : 1;
        std::vector<std::string> searched;
        for (size_t p = 0; p < patterns.size(); p += every)
            searched.push_back(patterns[p]);
        perCall[i][1] = every * MedianNs([] {}, [&] { g_sink += SearchEach(searched, c.text); });
        PrintRow(c.what, perCall[i][0] * c.scale, c.unit, i == 2 ? "(target <= 50 ms)" : "");
        PrintRow(every > 1 ? "    the same, a search per pattern (1% of them, x100)"
                           : "    the same, a search per pattern",
                 perCall[i][1] * c.scale, c.unit, "");
    }
    PrintRow("B10 1,000 patterns / 1 pattern, 55-byte text", perCall[1][0] / perCall[0][0], "x",
             "(target <= 2)");
    PrintRow("    the same, a search per pattern", perCall[1][1] / perCall[0][1], "x", "");
    PrintRow("    search per pattern / one pass, 1,000 patterns, 55 bytes",
             perCall[1][1] / perCall[1][0], "x", "");
    PrintRow("    search per pattern / one pass, 14,286 patterns, 1 MB",
             perCall[2][1] / perCall[2][0], "x", "");
    return g_sink == -1;
}
