// The capture core's surroundings for tests: a process list, a clock and a row store, settable
// and counted.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "Capture.h"
#include "ProcessNames.h"
#include "RowStore.h"

// Also the cache's clock, in milliseconds.
class FakeProcessSource : public IProcessSource, public ITicks {
public:
    // An empty name: the process cannot be read.
    void Add(DWORD id, const std::string& name) { processes.emplace_back(id, name); }

    bool EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) override {
        ++enumCalls;
        if (failEnum)
            return false;
        const size_t count = std::min<size_t>(processes.size(), bytes / sizeof(DWORD));
        for (size_t i = 0; i < count; ++i)
            ids[i] = processes[i].first;
        *bytesFilled = static_cast<DWORD>(count * sizeof(DWORD));
        return true;
    }

    // Names of 128 bytes and more fill the buffer without a NUL and report their full length,
    // as a careless source would.
    DWORD ReadName(DWORD processId, char (&name)[128]) override {
        for (const auto& [id, text] : processes) {
            if (id != processId)
                continue;
            memcpy(name, text.data(), std::min(text.size(), sizeof name));
            if (text.size() < sizeof name)
                name[text.size()] = '\0';
            return static_cast<DWORD>(text.size());
        }
        return 0;
    }

    unsigned long long Now() override { return now; }

    std::vector<std::pair<DWORD, std::string>> processes; // in enumeration order
    unsigned long long now = 0;
    bool failEnum = false;
    unsigned enumCalls = 0;
};

class FixedClock : public IClock {
public:
    uint64_t Now() override { return (4 * 3600 + 3 * 60 + 9) * kTicksPerSecond + 1234567; }
};

class StoreRows : public IRowSink, public ISender {
public:
    Appended AppendRow(const DebugRecord& record) override {
        return !full && store.Append(record) ? kKept : kNotKept;
    }
    void Reply() override {
        ++replies;
        if (exitsOnReply)
            exitsOnReply->processes.clear();
    }

    CRowStore store;
    bool full = false; // the store keeps no row
    unsigned replies = 0;
    FakeProcessSource* exitsOnReply = nullptr; // a one-shot sender's, gone once answered
};
