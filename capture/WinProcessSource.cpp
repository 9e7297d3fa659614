// The process-status calls behind the process-name cache.
#include "WinProcessSource.h"

#include <cstring>
#include <string>

#include "LeadBytes.h"

namespace {
// The longest path the system gives, in bytes with its NUL.
const DWORD kLongestPath = 32768;
} // namespace

// The plain function names, which PSAPI_VERSION 2 would turn into macros that
// rename the members above.
#define PSAPI_VERSION 1
#include <psapi.h>

bool CWinProcessSource::EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) {
    return ::EnumProcesses(ids, bytes, bytesFilled) != FALSE;
}

// The image's path is one request to the system, where the first module's base name is a dozen
// reads of the process's memory: refreshes, start-up's first among them, take a tenth as long.
DWORD CWinProcessSource::ReadName(DWORD processId, char (&name)[128]) {
    name[0] = '\0';
    const CHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    // An ended process whose handle someone still holds keeps its path, but it has no name.
    DWORD exitCode = 0;
    if (!process || !::GetExitCodeProcess(process.Get(), &exitCode) || exitCode != STILL_ACTIVE)
        return 0;
    std::string path(kLongestPath, '\0');
    DWORD size = kLongestPath;
    if (!::QueryFullProcessImageNameA(process.Get(), 0, &path[0], &size) || size >= kLongestPath)
        return 0;
    // The base name follows the last separator that starts a character: a trail byte of a
    // double-byte character may look like one.
    const CLeadBytes& lead = CLeadBytes::System();
    size_t base = 0;
    for (size_t at = 0; at < size; at += lead.CharLength(&path[at], size - at))
        if (path[at] == '\\' || path[at] == '/')
            base = at + 1;
    // A name that does not fit is cut after its last whole character.
    const size_t length = lead.FitLength(&path[base], size - base, sizeof name - 1);
    memcpy(name, &path[base], length);
    name[length] = '\0';
    return static_cast<DWORD>(length);
}
