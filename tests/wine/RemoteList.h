// CRemoteList: reads the cells of a list-view control that lives in another process; and
// what Kestrin's time cells look like.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "WinProcessSource.h"

// A window message carries only a pointer, which must be valid in the list's own process:
// the item record and the text buffer are placed there and read back. Both processes are
// assumed to have the same pointer width, as every program of one build has.
class CRemoteList {
public:
    explicit CRemoteList(HWND list) : m_list(list) {
        DWORD processId = 0;
        if (!::GetWindowThreadProcessId(list, &processId))
            return;
        m_process.Reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                      FALSE, processId));
        if (m_process)
            m_remote = static_cast<char*>(::VirtualAllocEx(
                m_process.Get(), nullptr, kBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    CRemoteList(const CRemoteList&) = delete;
    CRemoteList& operator=(const CRemoteList&) = delete;
    ~CRemoteList() {
        if (m_remote)
            ::VirtualFreeEx(m_process.Get(), m_remote, 0, MEM_RELEASE);
    }

    bool IsOpen() const { return m_remote != nullptr; }

    int GetItemCount() const {
        return static_cast<int>(::SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
    }

    // False when the cell cannot be read, or its text does not fit the buffer whole.
    bool GetItemText(int item, int subItem, std::string& text) const {
        if (!IsOpen())
            return false;
        LVITEMA lvi = {};
        lvi.iSubItem = subItem;
        lvi.pszText = m_remote + sizeof lvi;
        lvi.cchTextMax = kTextBytes;
        SIZE_T moved = 0;
        if (!::WriteProcessMemory(m_process.Get(), m_remote, &lvi, sizeof lvi, &moved) ||
            moved != sizeof lvi)
            return false;
        const LRESULT length = ::SendMessageA(m_list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
                                              reinterpret_cast<LPARAM>(m_remote));
        if (length < 0 || length >= kTextBytes - 1)
            return false;
        text.assign(static_cast<size_t>(length), '\0');
        return length == 0 ||
               (::ReadProcessMemory(m_process.Get(), lvi.pszText, &text[0], text.size(), &moved) &&
                moved == text.size());
    }

    // Every row as its first columns' texts; a cell that cannot be read reads "<unreadable>".
    std::vector<std::vector<std::string>> GetRows(int columns) const {
        std::vector<std::vector<std::string>> rows;
        for (int item = 0, count = GetItemCount(); item < count; ++item) {
            std::vector<std::string> row(static_cast<size_t>(columns));
            for (int column = 0; column < columns; ++column)
                if (!GetItemText(item, column, row[static_cast<size_t>(column)]))
                    row[static_cast<size_t>(column)] = "<unreadable>";
            rows.push_back(row);
        }
        return rows;
    }

private:
    static const int kTextBytes = 4096;
    static const SIZE_T kBytes = sizeof(LVITEMA) + kTextBytes;

    HWND m_list;
    CHandle m_process;
    char* m_remote = nullptr;
};

// Whether cell is a time of receipt as rows show it, HH:MM:SS:00, from before to after; when
// midnight fell in between, any time of that form.
inline bool IsTimeCellWithin(const std::string& cell, const SYSTEMTIME& before,
                             const SYSTEMTIME& after) {
    SYSTEMTIME shown = {};
    char end = 0;
    if (cell.size() != 11 || sscanf(cell.c_str(), "%2hu:%2hu:%2hu:00%c", &shown.wHour,
                                    &shown.wMinute, &shown.wSecond, &end) != 3)
        return false;
    const auto second = [](const SYSTEMTIME& time) {
        return (time.wHour * 60 + time.wMinute) * 60 + time.wSecond;
    };
    if (second(before) > second(after))
        return shown.wHour < 24 && shown.wMinute < 60 && shown.wSecond < 60;
    return second(before) <= second(shown) && second(shown) <= second(after);
}
