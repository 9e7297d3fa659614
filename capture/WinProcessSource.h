// CWinProcessSource: the system's process list and executable names.
#pragma once

#include "Handle.h"
#include "ProcessNames.h"

// The process-status calls behind CProcessNames.
class CWinProcessSource : public IProcessSource {
public:
    bool EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) override;
    DWORD ReadName(DWORD processId, char (&name)[128]) override;
};
