// DebugRecord: one received message, as it becomes a row.
#pragma once

#include "WinTypes.h"

struct DebugRecord {
    char szProcessName[64];
    DWORD dwProcessId;
    SYSTEMTIME stTime;
    char szMsg[128];
};
