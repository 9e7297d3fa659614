// The row store under any sequence of appended records (unterminated texts included), clears
// and reads: every cell reads back as appended, formatted as printf would.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "RowStore.h"

namespace {

using Cells = std::vector<std::string>;

Cells Expected(const DebugRecord& record) {
    char pid[16], time[24];
    snprintf(pid, sizeof pid, "%ld", static_cast<long>(static_cast<int32_t>(record.dwProcessId)));
    const SYSTEMTIME& t = record.stTime;
    snprintf(time, sizeof time, "%02d:%02d:%02d:%02d", t.wHour, t.wMinute, t.wSecond,
             t.wMilliseconds);
    return {std::string(record.szProcessName, strnlen(record.szProcessName, 63)), pid, time,
            std::string(record.szMsg, strnlen(record.szMsg, 127)), ""};
}

void CheckRow(const CRowStore& store, size_t row, const Cells& expected) {
    RowCells scratch;
    std::string line;
    for (int column = 0; column < CRowStore::kColumns + 1; ++column) {
        Check(store.GetCellText(row, column, scratch) == expected[column], "a cell as appended");
        if (column < CRowStore::kColumns)
            line += expected[column] + "\t";
    }
    std::string saved = "before";
    store.AppendLine(row, CRowStore::kColumns, saved);
    Check(saved == "before" + line + "\r\n", "a saved line");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRowStore store;
    std::vector<Cells> rows;
    // Each operation is a byte: append (the record's bytes follow), clear, or read a row.
    for (size_t i = 0; i < size;) {
        const uint8_t op = data[i++];
        if (op % 8 == 0) {
            store.Clear();
            rows.clear();
        } else if (op % 8 == 1 && !rows.empty()) {
            const size_t row = (i < size ? data[i++] : 0) % rows.size();
            CheckRow(store, row, rows[row]);
        } else {
            DebugRecord record = {};
            const size_t take = std::min(size - i, sizeof record);
            memcpy(&record, data + i, take);
            i += take;
            Check(store.Append(record), "an append");
            rows.push_back(Expected(record));
        }
        Check(store.GetCount() == rows.size(), "the row count");
    }
    for (size_t row = 0; row < rows.size(); ++row)
        CheckRow(store, row, rows[row]);
    return 0;
}
