// A process list for tests: settable entries and failures, counted calls.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ProcessNames.h"

class FakeProcessSource : public IProcessSource {
public:
    struct Process {
        DWORD id;
        std::string name;
        bool readable;
    };

    void Add(DWORD id, const std::string& name) { processes.push_back({id, name, true}); }
    void AddUnreadable(DWORD id) { processes.push_back({id, "", false}); }
    void Remove(DWORD id) {
        processes.erase(std::remove_if(processes.begin(), processes.end(),
                                       [id](const Process& p) { return p.id == id; }),
                        processes.end());
    }

    bool EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) override {
        ++enumCalls;
        m_reads.clear();
        if (failEnum)
            return false;
        size_t count = std::min<size_t>(processes.size(), bytes / sizeof(DWORD));
        for (size_t i = 0; i < count; ++i)
            ids[i] = processes[i].id;
        *bytesFilled = reportedBytes != 0 ? reportedBytes : static_cast<DWORD>(count * 4);
        return true;
    }

    // The n-th read of an id within one enumeration reads its n-th entry, as when an
    // id is reused between listing and reading. Names of 128 bytes and more fill the
    // buffer without a NUL and report their full length, as a careless source would.
    DWORD ReadName(DWORD processId, char (&name)[128]) override {
        ++readCalls;
        size_t skip = m_reads[processId]++;
        for (const Process& p : processes) {
            if (p.id != processId)
                continue;
            if (skip > 0) {
                --skip;
                continue;
            }
            if (!p.readable)
                return 0;
            memcpy(name, p.name.data(), std::min(p.name.size(), sizeof name));
            if (p.name.size() < sizeof name)
                name[p.name.size()] = '\0';
            return static_cast<DWORD>(p.name.size());
        }
        return 0;
    }

    std::vector<Process> processes; // in enumeration order
    bool failEnum = false;
    DWORD reportedBytes = 0; // when not 0, the byte count EnumProcesses claims
    unsigned enumCalls = 0;
    unsigned readCalls = 0;

private:
    std::map<DWORD, size_t> m_reads;
};
