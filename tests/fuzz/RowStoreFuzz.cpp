// The row store under any sequence of appended records (unterminated names, texts up to the
// longest kept, cut ones), clears and reads: every cell, saved line and left-out count reads back
// as appended, formatted as printf would.
#include <algorithm>
#include <cstddef>
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
    const auto second = static_cast<unsigned>(record.time / 10000000 % 86400);
    snprintf(time, sizeof time, "%02u:%02u:%02u:00", second / 3600, second / 60 % 60, second % 60);
    return {std::string(record.szProcessName, strnlen(record.szProcessName, 63)),
            pid,
            time,
            std::string(record.pszMsg, record.cbMsg),
            "",
            std::to_string(record.cbLeftOut)};
}

void CheckCells(const CRowStore& store, size_t row, const Cells& expected) {
    RowCells scratch;
    for (int column = 0; column < CRowStore::kColumns + 1; ++column)
        Check(store.GetCellText(row, column, scratch) == expected[column], "a cell as appended");
    Check(std::to_string(store.GetLeftOut(row)) == expected[5], "the bytes a cut text left out");
}

// Saved lines from row first on, before end, into room bytes: whole lines of the cells as
// appended, as long as told.
void CheckLines(const CRowStore& store, const std::vector<Cells>& rows, size_t first, int columns,
                size_t room, size_t end = SIZE_MAX) {
    std::vector<char> out(room);
    size_t used = room + 1;
    const size_t lines = store.FormatLines(first, columns, out.data(), room, used, end);
    std::string expected;
    for (size_t row = first; row < first + lines && row < rows.size(); ++row) {
        for (int column = 0; column < columns; ++column)
            expected += (column < CRowStore::kColumns ? rows[row][column] : "") + "\t";
        expected += "\r\n";
    }
    Check(first + lines <= std::min(rows.size(), end) && used <= room &&
              std::string(out.data(), used) == expected,
          "saved lines as appended");
    Check(lines > 0 || first >= std::min(rows.size(), end) ||
              room < CRowStore::LineRoom(columns, rows[first][3].size()),
          "a saved line where there is room");
    Check(store.LinesLength(first, first + lines, columns) == used, "the length of saved lines");
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
        } else if (op % 8 == 1 && !rows.empty() && size - i >= 4) {
            const size_t first = data[i] % (rows.size() + 1);
            if (first < rows.size())
                CheckCells(store, first, rows[first]);
            CheckLines(store, rows, first, data[i + 1] % 6, data[i + 2] * size_t(16),
                       first + data[i + 3] % 16);
            i += 4;
        } else {
            // The name, pid and time as bytes, then a text up to a NUL or the input's end.
            DebugRecord record = {};
            const size_t take = std::min(size - i, offsetof(DebugRecord, pszMsg));
            memcpy(&record, data + i, take);
            i += take;
            record.pszMsg = reinterpret_cast<const char*>(data + i);
            record.cbMsg = strnlen(record.pszMsg, size - i);
            record.cbLeftOut = record.dwProcessId % 4; // most rows were cut
            i += record.cbMsg;
            Check(store.Append(record), "an append");
            rows.push_back(Expected(record));
        }
        Check(store.GetCount() == rows.size(), "the row count");
    }
    for (size_t row = 0; row < rows.size(); ++row)
        CheckCells(store, row, rows[row]);
    CheckLines(store, rows, 0, CRowStore::kColumns, 1 << 17);
    return 0;
}
