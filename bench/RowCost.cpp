// B21: what the row store costs a row beyond its text's own bytes, for short texts and long, and
// for syslog rows with their extra lines.
#include <cstring>
#include <string>

#include "BenchHarness.h"
#include "RowStore.h"

namespace {

// The store filled with rows of textBytes-byte texts, and extraBytes of extra lines each as a
// syslog row has, measured in this process: its private pages before and after, less the texts'
// and the extra lines' bytes, per row.
void CostPerRow(CTable& table, size_t rows, size_t textBytes, size_t extraBytes = 0) {
    const std::string what =
        Format("store cost per row beyond its text, %zu rows of %zu-byte texts%s", rows, textBytes,
               extraBytes ? Format(" and %zu bytes of extra lines", extraBytes).c_str() : "");
    const std::string text(textBytes, 'x'), extra(extraBytes, 'e');
    double workingSet = 0, before = 0, after = 0;
    bool measured = ProcessMemory(::GetCurrentProcess(), workingSet, before);
    {
        CRowStore store;
        DebugRecord record = {"worker.exe", 4242, 0, text.c_str(), textBytes, 0, extra.c_str()};
        for (size_t row = 0; measured && row < rows; ++row, record.time += 10000)
            measured = store.Append(record);
        measured = measured && ProcessMemory(::GetCurrentProcess(), workingSet, after);
    }
    if (!measured) {
        table.Failed("B21", what, "the store or the memory counters failed");
        return;
    }
    const double beyond =
        (after - before - double(rows) * double(textBytes + extraBytes)) / double(rows);
    const std::string figures =
        Format("%.1f B a row beyond the text%s (%.0f MB in all)", beyond,
               extraBytes ? " and extra lines" : "", (after - before) / 1e6);
    // The target is the texts'; a syslog row's entry for its extra lines is printed beside it.
    if (extraBytes)
        table.Add("B21", what, figures, "", "printed", "-");
    else
        table.Check("B21", what, figures, "<= 32 B", beyond <= 32);
}

void Run(CTable& table, const Scale& scale, HWND) {
    const size_t rows = scale.quick ? 100000 : 1000000;
    CostPerRow(table, rows, 64);
    CostPerRow(table, rows, 2000);
    // A syslog row's severity, facility and the sender's time.
    CostPerRow(table, rows, 64, 80);
}

const bool registered = RegisterGroup({85, {"B21"}, false, Run});

} // namespace
