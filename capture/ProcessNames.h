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
// A miss reads the missed process's own name first, then refreshes. When the refresh does not
// name the missed id, the id keeps the name it was read with until the next refresh, so a sender
// that has already exited is still named; an id with no name is remembered as unnamed, and
// later lookups of it leave the name empty without a refresh. Remembered ids are forgotten once
// a refresh names them, and all at once when kMaxUnnamed are held, so that ids no process owns
// cost one refresh each and bounded memory. A failed enumeration lists nothing: it remembers no
// id as unnamed, so the next lookup refreshes again.
class CProcessNames {
public:
    static const DWORD kMaxProcesses = 1024;
    static const size_t kMaxUnnamed = 4096;

    explicit CProcessNames(IProcessSource& source);
    virtual ~CProcessNames();

    void Refresh();
    // Writes the cached name (empty when unknown) into nameBuffer and returns true; on a miss
    // writes the name read from the process itself and returns false: RefreshAfterMiss is then
    // due, as Lookup does at once.
    bool Find(DWORD processId, char (&nameBuffer)[128]);
    // A miss's refresh, with the name Find read for the missed id.
    void RefreshAfterMiss(DWORD processId, const char* name);
    // Writes the NUL-terminated name (empty when unknown) into nameBuffer.
    void Lookup(DWORD processId, char (&nameBuffer)[128]);

private:
    // The process's name cut to 127 bytes, empty when it cannot be read.
    std::string ReadName(DWORD processId);

    IProcessSource& m_source;
    std::map<DWORD, std::string> m_names;
    std::set<DWORD> m_unnamed;
    bool m_listed = false; // whether the last refresh got a process list
};
