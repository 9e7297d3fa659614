// The process-name cache: refilled from the process list on a miss.
#include "ProcessNames.h"

#include <algorithm>
#include <cstring>

const DWORD CProcessNames::kMaxProcesses;

CProcessNames::CProcessNames(IProcessSource& source) : m_source(source) {
    Refresh();
}

CProcessNames::~CProcessNames() = default;

void CProcessNames::Refresh() {
    m_names.clear();

    DWORD ids[kMaxProcesses] = {};
    DWORD bytesFilled = 0;
    m_listed = m_source.EnumProcesses(ids, static_cast<DWORD>(sizeof ids), &bytesFilled);
    // A byte count beyond the array or with a partial id must not read past it.
    DWORD count = m_listed ? std::min<DWORD>(bytesFilled / sizeof(DWORD), kMaxProcesses) : 0;

    for (DWORD i = 0; i < count; ++i) {
        char name[128] = {};
        DWORD length = m_source.ReadName(ids[i], name);
        size_t size = strnlen(name, sizeof name - 1);
        if (length != 0 && size != 0)
            m_names.emplace(ids[i], std::string(name, size)); // a duplicate id keeps its first name
    }

    std::set<DWORD> stillUnnamed;
    for (DWORD i = 0; i < count; ++i) {
        if (m_unnamed.count(ids[i]) != 0 && m_names.count(ids[i]) == 0)
            stillUnnamed.insert(ids[i]);
    }
    m_unnamed.swap(stillUnnamed);
}

void CProcessNames::Lookup(DWORD processId, char (&nameBuffer)[128]) {
    nameBuffer[0] = '\0';
    auto found = m_names.find(processId);
    if (found == m_names.end()) {
        if (m_unnamed.count(processId) != 0)
            return;
        Refresh();
        found = m_names.find(processId);
        if (found == m_names.end()) {
            if (m_listed)
                m_unnamed.insert(processId);
            return;
        }
    }
    size_t size = std::min(found->second.size(), sizeof nameBuffer - 1);
    memcpy(nameBuffer, found->second.data(), size);
    nameBuffer[size] = '\0';
}
