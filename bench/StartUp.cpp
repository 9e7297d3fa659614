// B7: start-up to the first answered message, beside stand-ins started the same way.
#include <string>
#include <vector>

#include "BenchHarness.h"

namespace {

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
void StartUp(CTable& table, const Scale& scale, HWND) {
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

const bool registered = RegisterGroup({20, {"B7"}, false, StartUp});

} // namespace
