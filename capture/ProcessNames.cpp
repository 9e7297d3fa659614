// The process-name cache: refilled from the process list on a miss.
#include "ProcessNames.h"

#include <algorithm>
#include <cstring>

const DWORD CProcessNames::kFirstProcesses;
const DWORD CProcessNames::kMostProcesses;
const size_t CProcessNames::kMaxUnnamed;
const unsigned CProcessNames::kRefreshGapMs;
const unsigned CProcessNames::kUnnamedReadGapMs;

CProcessNames::CProcessNames(IProcessSource& source, ITicks& ticks)
    : m_source(source), m_ticks(ticks), m_ids(kFirstProcesses) {
    Refresh();
}

CProcessNames::~CProcessNames() = default;

std::string CProcessNames::ReadName(DWORD processId) {
    char name[128] = {};
    if (m_source.ReadName(processId, name) == 0)
        return std::string();
    return std::string(name, strnlen(name, sizeof name - 1));
}

void CProcessNames::Refresh() {
    m_names.clear();

    DWORD count = 0;
    for (;;) {
        const DWORD room = static_cast<DWORD>(m_ids.size());
        DWORD bytesFilled = 0;
        m_listed = m_source.EnumProcesses(m_ids.data(), room * sizeof(DWORD), &bytesFilled);
        // A byte count beyond the array or with a partial id must not read past it.
        count = m_listed ? std::min<DWORD>(bytesFilled / sizeof(DWORD), room) : 0;
        // A full list may have more processes behind it.
        if (count < room || room >= kMostProcesses)
            break;
        m_ids.resize(2 * room);
    }

    for (DWORD i = 0; i < count; ++i) {
        std::string name = ReadName(m_ids[i]);
        if (!name.empty() && m_names.emplace(m_ids[i], std::move(name)).second)
            m_unnamed.erase(m_ids[i]); // a duplicate id keeps its first name
    }
}

bool CProcessNames::Find(DWORD processId, char (&nameBuffer)[128]) {
    auto found = m_names.find(processId);
    if (found != m_names.end()) {
        memcpy(nameBuffer, found->second.c_str(), found->second.size() + 1);
        return true;
    }
    const auto unnamed = m_unnamed.find(processId);
    const unsigned long long now = unnamed == m_unnamed.end() ? 0 : m_ticks.Now();
    if (unnamed != m_unnamed.end() && now < unnamed->second) {
        nameBuffer[0] = '\0';
        return true;
    }
    const std::string read = ReadName(processId);
    memcpy(nameBuffer, read.c_str(), read.size() + 1);
    if (unnamed == m_unnamed.end())
        return false;
    if (read.empty())
        unnamed->second = now + kUnnamedReadGapMs;
    else {
        m_unnamed.erase(unnamed);
        m_names.emplace(processId, read);
    }
    return true;
}

void CProcessNames::RefreshAfterMiss(DWORD processId, const char* name) {
    const unsigned long long now = m_ticks.Now();
    if (now >= m_nextRefresh) {
        Refresh();
        m_nextRefresh = now + kRefreshGapMs;
    }
    if (m_names.count(processId) != 0)
        return;
    if (*name)
        m_names.emplace(processId, name);
    else if (m_listed) {
        if (m_unnamed.size() >= kMaxUnnamed)
            m_unnamed.clear();
        m_unnamed.emplace(processId, m_ticks.Now() + kUnnamedReadGapMs);
    }
}

void CProcessNames::Lookup(DWORD processId, char (&nameBuffer)[128]) {
    if (!Find(processId, nameBuffer))
        RefreshAfterMiss(processId, nameBuffer);
}

void CProcessNames::Remember(DWORD processId, const char* name) {
    m_names[processId] = name;
    m_unnamed.erase(processId);
}
