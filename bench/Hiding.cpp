// B20: hiding a process and showing every row again over a million rows, a third of them that
// process's, in this process against the shown-row index and a store; and what a row arriving
// while something is hidden costs beside one arriving while nothing is.
#include <windows.h>

#include "BenchHarness.h"
#include "ShownRows.h"

namespace {

// Three senders in turn, so that the hidden rows are spread through the store.
bool Fill(CRowStore& store, size_t rows) {
    static const char* const names[] = {"noisy.exe", "server.exe", "worker.exe"};
    DebugRecord record = {};
    char text[64];
    record.pszMsg = text;
    for (size_t row = 0; row < rows; ++row) {
        strcpy(record.szProcessName, names[row % 3]);
        record.dwProcessId = 100 + row % 3;
        record.cbMsg =
            static_cast<size_t>(snprintf(text, sizeof text, "request %zu handled in 12 ms", row));
        if (!store.Append(record))
            return false;
    }
    return true;
}

void Hiding(CTable& table, const Scale& scale, HWND) {
    const size_t rows = scale.quick ? 100000 : 1000000;
    const std::string what =
        Format("hide a process / show all over %zu rows, a third of them its", rows);
    Progress("B20: %s", what.c_str());
    CRowStore store;
    if (!Fill(store, rows)) {
        table.Failed("B20", what, "out of memory");
        return;
    }
    CShownRows shown(store);
    CSideBySide ms;
    const bool measured = ms.Measure(scale.runs, [&](bool hide, double& figure) {
        const LONGLONG start = Ticks();
        bool done = true;
        if (hide)
            done = shown.HideNames({"noisy.exe"});
        else
            shown.ShowAll();
        figure = TicksToMs(Ticks() - start);
        return done && shown.GetCount() == (hide ? rows - (rows + 2) / 3 : rows);
    });
    if (!measured) {
        table.Failed("B20", what, "the rows shown were not the rows expected");
        return;
    }
    table.Check("B20", what, Format("%.1f ms / %.1f ms", ms.First(), ms.Second()), "<= 100 ms",
                ms.First() <= 100 && ms.Second() <= 100);

    // Rows arriving with the process hidden beside none hidden, into a store of their own.
    const size_t arriving = rows;
    const std::string each = Format("%zu rows arriving, a process hidden / none", arriving);
    CSideBySide ns;
    const bool timed = ns.Measure(scale.runs, [&](bool hiding, double& figure) {
        CRowStore more;
        CShownRows index(more);
        if (hiding && !index.HideNames({"noisy.exe"}))
            return false;
        DebugRecord record = {};
        const LONGLONG start = Ticks();
        for (size_t row = 0; row < arriving; ++row) {
            strcpy(record.szProcessName, row % 3 ? "server.exe" : "noisy.exe");
            if (!more.Append(record))
                return false;
            index.Arrived();
        }
        figure = TicksToMs(Ticks() - start) * 1e6 / arriving;
        return true;
    });
    if (timed)
        table.Add("B20", each, Format("%.0f / %.0f ns a row", ns.First(), ns.Second()),
                  Format("%.2f", ns.Ratio()), "printed", "");
    else
        table.Failed("B20", each, "out of memory");
}

const bool registered = RegisterGroup({78, {"B20"}, false, Hiding});

} // namespace
