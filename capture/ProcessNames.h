// CProcessNames: process id to executable name cache, refilled on a miss.
#pragma once

#include <map>
#include <set>
#include <string>

#include "WinTypes.h"

// The system calls behind the cache, so that the host tests can fake them.
class IProcessSource {
public:
    virtual ~IProcessSource() = default;
    // As EnumProcesses: fills at most bytes / 4 ids, sets *bytesFilled; false on failure.
    virtual bool EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) = 0;
    // Base name of the process's first module into a 128-byte buffer; its length,
    // 0 when the process cannot be opened or its name cannot be read.
    virtual DWORD ReadName(DWORD processId, char (&name)[128]) = 0;
};

// Names of the running processes, filled at construction and on each lookup miss.
//
// An id that is still unnamed after a refresh is remembered as unnamed: later
// lookups of it leave the name empty without a refresh. A refresh forgets the
// remembered ids that it names or that are gone from the process list, so each
// message costs at most one refresh and an unreadable sender costs one in all.
// A failed enumeration names nobody and lists nothing: it forgets every
// remembered id and remembers none, so the next lookup refreshes again.
class CProcessNames {
public:
    static const DWORD kMaxProcesses = 1024;

    explicit CProcessNames(IProcessSource& source);
    virtual ~CProcessNames();

    void Refresh();
    // Whether Lookup answers for processId without a refresh.
    bool IsCached(DWORD processId) const {
        return m_names.count(processId) != 0 || m_unnamed.count(processId) != 0;
    }
    // Writes the NUL-terminated name (empty when unknown) into nameBuffer.
    void Lookup(DWORD processId, char (&nameBuffer)[128]);

private:
    IProcessSource& m_source;
    std::map<DWORD, std::string> m_names;
    std::set<DWORD> m_unnamed;
    bool m_listed = false; // whether the last refresh got a process list
};
