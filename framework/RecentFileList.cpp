// CRecentFileList: entries File1..FileN under the application's registry key.
#include "RecentFileList.h"

#include <algorithm>

#include "Handle.h"

namespace {
std::string ValueName(size_t index) {
    return "File" + std::to_string(index + 1);
}

// A menu item's text: '&' is doubled so that a path shows whole.
std::string MenuText(size_t index, const std::string& path) {
    std::string text = "&" + std::to_string(index + 1) + " ";
    for (char ch : path) {
        if (ch == '&')
            text += '&';
        text += ch;
    }
    return text;
}
} // namespace

CRecentFileList::CRecentFileList(UINT firstCommandId, const char* registryPath, size_t maxSize)
    : m_firstId(firstCommandId), m_registryPath(registryPath), m_maxSize(maxSize) {}

void CRecentFileList::Add(const char* path) {
    auto same = [path](const std::string& entry) { return ::lstrcmpiA(entry.c_str(), path) == 0; };
    m_files.erase(std::remove_if(m_files.begin(), m_files.end(), same), m_files.end());
    m_files.insert(m_files.begin(), path);
    if (m_files.size() > m_maxSize)
        m_files.resize(m_maxSize);
}

void CRecentFileList::Remove(size_t index) {
    if (index < m_files.size())
        m_files.erase(m_files.begin() + static_cast<std::ptrdiff_t>(index));
}

void CRecentFileList::ReadList() {
    m_files.clear();
    CRegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, m_registryPath.c_str(), 0, KEY_READ, key.Put()) !=
        ERROR_SUCCESS)
        return;
    for (size_t i = 0; i < m_maxSize; ++i) {
        DWORD type = 0;
        DWORD size = 0;
        std::string name = ValueName(i);
        if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ || size == 0)
            continue;
        std::string value(size, '\0');
        if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr,
                               reinterpret_cast<BYTE*>(&value[0]), &size) != ERROR_SUCCESS)
            continue;
        value.resize(value.find('\0') == std::string::npos ? size : value.find('\0'));
        if (!value.empty())
            m_files.push_back(value);
    }
}

void CRecentFileList::WriteList() const {
    CRegKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, m_registryPath.c_str(), 0, nullptr, 0, KEY_WRITE,
                          nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
        return;
    for (size_t i = 0; i < m_maxSize; ++i) {
        std::string name = ValueName(i);
        if (i < m_files.size())
            ::RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(m_files[i].c_str()),
                             static_cast<DWORD>(m_files[i].size() + 1));
        else
            ::RegDeleteValueA(key.Get(), name.c_str());
    }
}

void CRecentFileList::UpdateMenu(HMENU menu, UINT index) {
    if (m_placeholder.empty()) {
        char text[256] = {};
        ::GetMenuStringA(menu, index, text, sizeof(text), MF_BYPOSITION);
        m_placeholder = text;
    }
    // Take out whatever stood for the list before: the placeholder or earlier entries.
    while (index < static_cast<UINT>(::GetMenuItemCount(menu))) {
        UINT id = ::GetMenuItemID(menu, static_cast<int>(index));
        if (id < m_firstId || id >= m_firstId + 16)
            break;
        ::DeleteMenu(menu, index, MF_BYPOSITION);
    }
    if (m_files.empty()) {
        ::InsertMenuA(menu, index, MF_BYPOSITION | MF_STRING | MF_GRAYED, m_firstId,
                      m_placeholder.c_str());
        return;
    }
    for (size_t i = 0; i < m_files.size(); ++i)
        ::InsertMenuA(menu, index + static_cast<UINT>(i), MF_BYPOSITION | MF_STRING, m_firstId + i,
                      MenuText(i, m_files[i]).c_str());
}
