// CProcessNames: process id to executable name cache, refilled on a miss.
#pragma once

#include <map>
#include <string>
#include <vector>

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

// Milliseconds since any fixed moment, for the rate of refreshes.
class ITicks {
public:
    virtual ~ITicks() = default;
    virtual unsigned long long Now() = 0;
    static ITicks& System();
};

// Names of the running processes, filled at construction and on lookup misses.
//
// A miss reads the missed process's own name, then refreshes, but at most once in kRefreshGapMs,
// so that made-up ids, each a miss, cost a bounded number of refreshes. An id the refresh does
// not name keeps the name it was read with until the next refresh, so a sender that has already
// exited is still named; an id with no name is remembered as unnamed: later lookups read its name
// again, at most once in kUnnamedReadGapMs, so that a process given it since is named, but never
// refresh. Remembered ids are
// forgotten once named, and all at once when kMaxUnnamed are held, so that memory stays bounded.
// A failed enumeration remembers no id as unnamed, so the id misses again. A refresh asks for
// twice as many ids while the list fills all it asked for, up to kMostProcesses.
class CProcessNames {
public:
    static const DWORD kFirstProcesses = 1024;
    static const DWORD kMostProcesses = 1u << 20;
    static const size_t kMaxUnnamed = 4096;
    static const unsigned kRefreshGapMs = 250;
    // Well within the time a new process takes to start and send.
    static const unsigned kUnnamedReadGapMs = 20;

    explicit CProcessNames(IProcessSource& source, ITicks& ticks = ITicks::System());
    virtual ~CProcessNames();

    void Refresh();
    // Writes the cached name into nameBuffer and returns true. Otherwise writes the name read
    // from the process itself (empty when none) and returns whether the id was remembered as
    // unnamed; on false RefreshAfterMiss is due, as Lookup does at once.
    bool Find(DWORD processId, char (&nameBuffer)[128]);
    // A miss's refresh, with the name Find read for the missed id.
    void RefreshAfterMiss(DWORD processId, const char* name);
    // Writes the NUL-terminated name (empty when unknown) into nameBuffer.
    void Lookup(DWORD processId, char (&nameBuffer)[128]);
    // A name just read elsewhere, which replaces the cached one.
    void Remember(DWORD processId, const char* name);

private:
    // The process's name cut to 127 bytes, empty when it cannot be read.
    std::string ReadName(DWORD processId);

    IProcessSource& m_source;
    ITicks& m_ticks;
    std::map<DWORD, std::string> m_names;
    std::map<DWORD, unsigned long long> m_unnamed; // id -> when its name is read again
    std::vector<DWORD> m_ids;             // room for the process list, as large as it last was
    bool m_listed = false;                // whether the last refresh got a process list
    unsigned long long m_nextRefresh = 0; // the earliest a miss refreshes again
};
