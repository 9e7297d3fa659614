// Sibling programs, kestrin.exe among them, in processes of their own, and Kestrin's rows.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "WineTestSupport.h"

inline const char kRegistryPath[] = "Software\\Local AppWizard-Generated Applications\\Kestrin";

using Strings = std::vector<std::string>;
using Row = Strings;

// The item record and text buffer live in the list's process, of this build's pointer width.
class CRemoteList {
public:
    explicit CRemoteList(HWND list) : m_list(list) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(list, &processId);
        m_process.Reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                      FALSE, processId));
        if (m_process)
            m_remote = static_cast<char*>(
                ::VirtualAllocEx(m_process.Get(), nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE));
    }
    ~CRemoteList() {
        if (m_remote)
            ::VirtualFreeEx(m_process.Get(), m_remote, 0, MEM_RELEASE);
    }

    int Count() const { return static_cast<int>(::SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0)); }

    // The row's first four cells; one that cannot be read whole reads "<unreadable>".
    Row GetRow(int item) const {
        Row row(4, "<unreadable>");
        for (int column = 0; m_remote && column < 4; ++column) {
            LVITEMA lvi = {};
            lvi.iSubItem = column;
            lvi.pszText = m_remote + sizeof lvi;
            lvi.cchTextMax = kTextBytes;
            std::vector<char> text(kTextBytes);
            if (!::WriteProcessMemory(m_process.Get(), m_remote, &lvi, sizeof lvi, nullptr))
                continue;
            const LRESULT length =
                ::SendMessageA(m_list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
                               reinterpret_cast<LPARAM>(m_remote));
            if (length >= 0 && length < kTextBytes - 1 &&
                ::ReadProcessMemory(m_process.Get(), lvi.pszText, text.data(), length + 1, nullptr))
                row[column].assign(text.data(), static_cast<size_t>(length));
        }
        return row;
    }

    std::vector<Row> GetRows() const {
        std::vector<Row> rows;
        for (int item = 0, count = Count(); item < count; ++item)
            rows.push_back(GetRow(item));
        return rows;
    }

private:
    static const int kTextBytes = 1 << 17; // more than the longest text a row keeps
    static const SIZE_T kBytes = sizeof(LVITEMA) + kTextBytes;

    HWND m_list;
    CHandle m_process;
    char* m_remote = nullptr;
};

// A file's bytes, or what stands there instead.
inline std::string Content(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || attributes & FILE_ATTRIBUTE_DIRECTORY)
        return attributes == INVALID_FILE_ATTRIBUTES ? "<nothing>" : "<folder>";
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The rows as Save writes them: every cell and a tab, CR LF after each row.
inline std::string Lines(const std::vector<Row>& rows) {
    std::string lines;
    for (const Row& row : rows)
        lines += row[0] + '\t' + row[1] + '\t' + row[2] + '\t' + row[3] + "\t\r\n";
    return lines;
}

inline std::vector<HWND> KestrinWindows() {
    std::vector<HWND> windows;
    for (HWND window = nullptr; (window = ::FindWindowExA(nullptr, window, nullptr, "Kestrin"));)
        windows.push_back(window);
    return windows;
}

// A started program; Wait() expects it to end with exit code 0.
class CProgram {
public:
    explicit CProgram(const char* fileName, const std::vector<std::string>& args = {}) {
        EXPECT_TRUE(m_process.Start(CommandLine(SiblingPath(fileName), args)))
            << "expected " << fileName << " to start, got error " << ::GetLastError();
        m_process.CloseInput();
    }
    void Wait() {
        ASSERT_TRUE(m_process.WaitPumping(kTimeoutMs)) << "expected the program to end";
        EXPECT_EQ(0u, m_process.ExitCode()) << "it said: " << m_process.Output();
    }
    DWORD Id() const { return m_process.Id(); }

protected:
    CChildProcess m_process;
};

// A running kestrin.exe, terminated if a test leaves it running.
class CKestrin : public CProgram {
public:
    explicit CKestrin(const std::vector<std::string>& args = {}) : CProgram("kestrin.exe", args) {}

    void Start() {
        ASSERT_TRUE(WaitFor([this] {
            DWORD owner = 0;
            m_frame = ::FindWindowA(nullptr, "Kestrin");
            return m_frame && ::GetWindowThreadProcessId(m_frame, &owner) && owner == Id() &&
                   ::IsWindowVisible(m_frame);
        })) << "expected Kestrin's window";
        // Shown is not yet running: Kestrin takes messages once its loop waits for input.
        ASSERT_EQ(0u, ::WaitForInputIdle(m_process.Handle(), kTimeoutMs));
        m_view = ::FindWindowExA(m_frame, nullptr, "Kestrin", nullptr);
        ASSERT_NE(nullptr, m_view) << "expected the view, class Kestrin, in the frame";
    }
    void Close() {
        ::PostMessageA(m_frame, WM_CLOSE, 0, 0);
        Wait();
    }
    HWND Frame() const { return m_frame; }
    HWND View() const { return m_view; }

private:
    HWND m_frame = nullptr;
    HWND m_view = nullptr;
};

// The visible, enabled dialog-class window of the process, or null.
inline HWND ModalWindowOf(DWORD processId) {
    HWND window = nullptr;
    DWORD owner = 0;
    while ((window = ::FindWindowExA(nullptr, window, "#32770", nullptr)) &&
           !(::GetWindowThreadProcessId(window, &owner) && owner == processId &&
             ::IsWindowVisible(window) && ::IsWindowEnabled(window))) {
    }
    return window;
}
