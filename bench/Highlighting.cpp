// B19: what colouring and hiding rows cost: the clients' round trip and a repaint of a full page,
// with 20 highlight rules and a hidden process and with neither, side by side in one Kestrin.
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "Highlights.h"
#include "resource.h"

namespace {

const int kRules = 20;
const int kRepaints = 50;
// A page paints in milliseconds: more rounds of it steady the medians against the machine's load.
const int kPaintRoundsPerRun = 3;

// The rules as a person types them into the dialog: ten process names and nine texts the rows
// lack, so every rule is tried on every row drawn, then a text every row holds, so every row is
// coloured. Without rules, all are removed.
bool SetRules(const CBenchKestrin& kestrin, bool on) {
    ::PostMessageA(kestrin.Frame(), WM_COMMAND, ID_HIGHLIGHT, 0);
    HWND dialog = nullptr;
    if (!WaitFor([&] {
            return (dialog = ModalWindowOf(kestrin.Id())) &&
                   ::GetDlgItem(dialog, IDC_HIGHLIGHT_RULES);
        }))
        return false;
    const auto control = [dialog](int id, int code) {
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    };
    for (int i = 0; on && i < kRules; ++i) {
        control(IDC_HIGHLIGHT_ADD, BN_CLICKED);
        if (i < kRules / 2) {
            ::SendDlgItemMessageA(dialog, IDC_HIGHLIGHT_KIND, CB_SETCURSEL, HighlightRule::kProcess,
                                  0);
            control(IDC_HIGHLIGHT_KIND, CBN_SELCHANGE);
        }
        const std::string text = i < kRules / 2   ? Format("other%d.exe", i)
                                 : i < kRules - 1 ? Format("absent %d", i)
                                                  : std::string("REQUEST");
        ::SetDlgItemTextA(dialog, IDC_HIGHLIGHT_TEXT, text.c_str());
    }
    while (!on && ::SendDlgItemMessageA(dialog, IDC_HIGHLIGHT_RULES, LB_GETCOUNT, 0, 0) > 0)
        control(IDC_HIGHLIGHT_REMOVE, BN_CLICKED);
    const bool made =
        ::SendDlgItemMessageA(dialog, IDC_HIGHLIGHT_RULES, LB_GETCOUNT, 0, 0) == (on ? kRules : 0);
    control(IDOK, BN_CLICKED);
    return made && WaitFor([&] { return !::IsWindow(dialog); }) && kestrin.Sync();
}

// The list paints its whole page at once, as when it is uncovered, kRepaints times.
double RepaintMs(HWND view) {
    const LONGLONG start = Ticks();
    for (int i = 0; i < kRepaints; ++i) {
        ::InvalidateRect(view, nullptr, TRUE);
        ::SendMessageA(view, WM_PAINT, 0, 0);
    }
    return TicksToMs(Ticks() - start) / kRepaints;
}

void Highlighting(CTable& table, const Scale& scale, HWND) {
    const size_t rows = scale.quick ? 10000 : 100000;
    const std::string what =
        Format("round trip at %zu rows, %d highlight rules / none", rows, kRules);
    Progress("B19: %s", what.c_str());
    CBenchKestrin kestrin;
    std::string failure;
    std::vector<Sent> sent;
    // The first rows are of an id no process owns: the process that is hidden.
    if (!kestrin.Open() || !Send(kestrin.Frame(), 1, 100, sent, failure, "4242", 0) ||
        !kestrin.FillTo(rows, failure)) {
        table.Failed("B19", what, failure.empty() ? "Kestrin did not start" : failure);
        return;
    }
    bool on = false; // none at a first start
    const auto hide = [&](bool hidden) {
        if (!hidden)
            return kestrin.Command(ID_SHOW_ALL);
        const size_t shown = kestrin.Rows();
        ::SendMessageA(kestrin.View(), WM_KEYDOWN, VK_HOME, 0); // selects the first row
        return kestrin.Command(ID_HIDE_INSTANCE) && kestrin.Rows() == shown - 100;
    };
    const auto set = [&](bool rules) {
        if (on != rules && !(SetRules(kestrin, rules) && hide(rules)))
            return failure = "the highlight dialog or the row menu did not take", false;
        on = rules;
        return true;
    };
    CSideBySide trip, paint;
    const bool measured = trip.Measure(scale.runs, [&](bool rules, double& figure) {
        return set(rules) && Send(kestrin.Frame(), 1, scale.roundTrip, sent, failure) &&
               (figure = MeanRoundTripUs(sent[0]), true);
    }) && paint.Measure(scale.runs * kPaintRoundsPerRun, [&](bool rules, double& figure) {
        return set(rules) && (figure = RepaintMs(kestrin.View()), true);
    });
    if (!measured) {
        table.Failed("B19", what, failure);
        return;
    }
    table.Judge("B19", what + ", a process hidden",
                Format("%.0f us / %.0f us", trip.First(), trip.Second()), trip.Ratio(), "<= 1.05",
                trip.Ratio() <= 1.05);
    table.Judge("B19",
                Format("  repaint of a full page, %d rules and a process hidden / none", kRules),
                Format("%.2f ms / %.2f ms", paint.First(), paint.Second()), paint.Ratio(), "<= 1.5",
                paint.Ratio() <= 1.5);
    kestrin.Close();
}

const bool registered = RegisterGroup({47, {"B19"}, false, Highlighting});

} // namespace
