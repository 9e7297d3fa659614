// B21: what the row store costs a row beyond its text's own bytes, for short texts and long.
#include <cstring>
#include <string>

#include "BenchHarness.h"
#include "RowStore.h"

namespace {

// The store filled with rows of textBytes-byte texts, measured in this process: its private
// pages before and after, less the texts' bytes, per row.
void CostPerRow(CTable& table, size_t rows, size_t textBytes) {
    const std::string what =
        Format("store cost per row beyond its text, %zu rows of %zu-byte texts", rows, textBytes);
    const std::string text(textBytes, 'x');
    double workingSet = 0, before = 0, after = 0;
    bool measured = ProcessMemory(::GetCurrentProcess(), workingSet, before);
    {
        CRowStore store;
        DebugRecord record = {"worker.exe", 4242, 0, text.c_str(), textBytes, 0};
        for (size_t row = 0; measured && row < rows; ++row, record.time += 10000)
            measured = store.Append(record);
        measured = measured && ProcessMemory(::GetCurrentProcess(), workingSet, after);
    }
    if (!measured) {
        table.Failed("B21", what, "the store or the memory counters failed");
        return;
    }
    const double beyond = (after - before - double(rows) * double(textBytes)) / double(rows);
    table.Check(
        "B21", what,
        Format("%.1f B a row beyond the text (%.0f MB in all)", beyond, (after - before) / 1e6),
        "<= 32 B", beyond <= 32);
}

void Run(CTable& table, const Scale& scale, HWND) {
    const size_t rows = scale.quick ? 100000 : 1000000;
    CostPerRow(table, rows, 64);
    CostPerRow(table, rows, 2000);
}

const bool registered = RegisterGroup({85, {"B21"}, false, Run});

} // namespace
