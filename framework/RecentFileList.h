// CRecentFileList: the most recently opened files, kept in the registry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CRecentFileList {
public:
    CRecentFileList(UINT firstCommandId, const char* registryPath, size_t maxSize);

    // Moves path to the top; the oldest entry drops out past the maximum.
    void Add(const char* path);
    void Remove(size_t index);
    size_t GetSize() const { return m_files.size(); }
    const std::string& operator[](size_t index) const { return m_files[index]; }

    void ReadList();
    void WriteList() const;
    // Replaces the placeholder item at index (or the entries shown before) by the list,
    // or shows the disabled placeholder while the list is empty.
    void UpdateMenu(HMENU menu, UINT index);

private:
    UINT m_firstId;
    std::string m_registryPath;
    size_t m_maxSize;
    std::vector<std::string> m_files;
    std::string m_placeholder;
};
