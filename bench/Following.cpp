// B18: what following the newest row costs the clients, side by side with it off.
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "resource.h"

namespace {

// B18: at 100,000 rows, one sender's round trip and four senders' messages per second with
// following on and off, interleaved. With it on every show scrolls the list to its last row.
void Following(CTable& table, const Scale& scale, HWND) {
    const size_t rows = scale.quick ? 10000 : 100000;
    const std::string what = Format("round trip at %zu rows, following on / off", rows);
    Progress("B18: %s", what.c_str());
    CBenchKestrin kestrin;
    std::string failure;
    if (!kestrin.Open() || !kestrin.FillTo(rows, failure)) {
        table.Failed("B18", what, failure.empty() ? "Kestrin did not start" : failure);
        return;
    }
    bool on = false; // as at a first start
    std::vector<Sent> sent;
    const auto send = [&](bool following, int senders, unsigned long messages) {
        if (on != following && !kestrin.Command(ID_VIEW_FOLLOW))
            return failure = "the command did not end", false;
        on = following;
        return Send(kestrin.Frame(), senders, messages / senders, sent, failure);
    };
    CSideBySide trip, rate;
    const bool measured = trip.Measure(scale.runs, [&](bool following, double& figure) {
        return send(following, 1, scale.roundTrip) && (figure = MeanRoundTripUs(sent[0]), true);
    }) && rate.Measure(scale.runs, [&](bool following, double& figure) {
        return send(following, 4, scale.throughput) && (figure = PerSecond(sent), true);
    });
    if (!measured) {
        table.Failed("B18", what, failure);
        return;
    }
    table.Judge("B18", what, Format("%.0f us / %.0f us", trip.First(), trip.Second()), trip.Ratio(),
                "<= 1.05", trip.Ratio() <= 1.05);
    table.Judge("B18", "  messages/s, 4 sender processes, following on / off",
                Format("%.0f / %.0f", rate.First(), rate.Second()), rate.Ratio(), ">= 0.95",
                rate.Ratio() >= 0.95);
    kestrin.Close();
}

const bool registered = RegisterGroup({45, {"B18"}, false, Following});

} // namespace
