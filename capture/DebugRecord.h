// DebugRecord: one received message, as it becomes a row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "WinTypes.h"

// A row keeps at most this much of its text; a longer one is cut on a character boundary.
constexpr size_t kMaxRowText = 64 * 1024;

struct DebugRecord {
    char szProcessName[64];
    DWORD dwProcessId;
    uint64_t time;      // of receipt, local, as RowTime.h counts it
    const char* pszMsg; // the text, of which the row keeps cbMsg bytes (no NUL needed)
    size_t cbMsg;       // at most kMaxRowText
    uint64_t cbLeftOut; // bytes of the text beyond those kept: the row was cut
    const char* pszDetail =
        nullptr; // a syslog row's extra lines for the detail pane; null for others
};
