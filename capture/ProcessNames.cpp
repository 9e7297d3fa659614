// The process-name cache: refilled from the process list on a miss.
#include "ProcessNames.h"

#include <algorithm>
#include <cstring>

const DWORD CProcessNames::kMaxProcesses;
const size_t CProcessNames::kMaxUnnamed;

CProcessNames::CProcessNames(IProcessSource& source) : m_source(source) {
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

    DWORD ids[kMaxProcesses] = {};
    DWORD bytesFilled = 0;
    m_listed = m_source.EnumProcesses(ids, static_cast<DWORD>(sizeof ids), &bytesFilled);
    // A byte count beyond the array or with a partial id must not read past it.
    DWORD count = m_listed ? std::min<DWORD>(bytesFilled / sizeof(DWORD), kMaxProcesses) : 0;

    for (DWORD i = 0; i < count; ++i) {
        std::string name = ReadName(ids[i]);
        if (!name.empty() && m_names.emplace(ids[i], std::move(name)).second)
            m_unnamed.erase(ids[i]); // a duplicate id keeps its first name
    }
}

bool CProcessNames::Find(DWORD processId, char (&nameBuffer)[128]) {
    auto found = m_names.find(processId);
    const bool cached = found != m_names.end() || m_unnamed.count(processId) != 0;
    const std::string read = cached ? std::string() : ReadName(processId);
    const std::string& name = found != m_names.end() ? found->second : read;
    memcpy(nameBuffer, name.c_str(), name.size() + 1);
    return cached;
}

void CProcessNames::RefreshAfterMiss(DWORD processId, const char* name) {
    Refresh();
    if (m_names.count(processId) != 0)
        return;
    if (*name)
        m_names.emplace(processId, name);
    else if (m_listed) {
        if (m_unnamed.size() >= kMaxUnnamed)
            m_unnamed.clear();
        m_unnamed.insert(processId);
    }
}

void CProcessNames::Lookup(DWORD processId, char (&nameBuffer)[128]) {
    if (!Find(processId, nameBuffer))
        RefreshAfterMiss(processId, nameBuffer);
}
