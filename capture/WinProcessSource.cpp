// The process-status calls behind the process-name cache.
#include "WinProcessSource.h"

#include <algorithm>

#include "LeadBytes.h"

// The plain function names, which PSAPI_VERSION 2 would turn into macros that
// rename the members above.
#define PSAPI_VERSION 1
#include <psapi.h>

bool CWinProcessSource::EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) {
    return ::EnumProcesses(ids, bytes, bytesFilled) != FALSE;
}

DWORD CWinProcessSource::ReadName(DWORD processId, char (&name)[128]) {
    name[0] = '\0';
    const CHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process)
        return 0;
    // No module names the executable, the first module; listing the modules to find it would
    // read every entry of the process's module list, one system call each.
    const DWORD copied = ::GetModuleBaseNameA(process.Get(), nullptr, name, sizeof name);
    // A name that does not fit may come back cut without its NUL, or cut inside a
    // double-byte character: keep whole characters only.
    const size_t length = CLeadBytes::System().FitLength(
        name, std::min<size_t>(copied, sizeof name), sizeof name - 1);
    name[length] = '\0';
    return static_cast<DWORD>(length);
}
