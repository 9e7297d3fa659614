// Kestrin as users run it: kestrin.exe in a process of its own, clients in others, and the rows
// read back out of the running program's list.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "WineTestSupport.h"

namespace {

const DWORD kTimeoutMs = 30000;

using Row = std::vector<std::string>;

// The item record and text buffer must live in the list's own process; both processes are of
// one build, so have the same pointer width.
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
    CRemoteList(const CRemoteList&) = delete;
    CRemoteList& operator=(const CRemoteList&) = delete;
    ~CRemoteList() {
        if (m_remote)
            ::VirtualFreeEx(m_process.Get(), m_remote, 0, MEM_RELEASE);
    }

    // Every row's first four cells; one that cannot be read whole reads "<unreadable>".
    std::vector<Row> GetRows() const {
        std::vector<Row> rows;
        const LRESULT count = ::SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0);
        for (int item = 0; m_remote && item < count; ++item) {
            rows.emplace_back(4, "<unreadable>");
            for (int column = 0; column < 4; ++column) {
                LVITEMA lvi = {};
                lvi.iSubItem = column;
                lvi.pszText = m_remote + sizeof lvi;
                lvi.cchTextMax = kTextBytes;
                char text[kTextBytes];
                SIZE_T moved = 0;
                if (!::WriteProcessMemory(m_process.Get(), m_remote, &lvi, sizeof lvi, &moved))
                    continue;
                const LRESULT length =
                    ::SendMessageA(m_list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
                                   reinterpret_cast<LPARAM>(m_remote));
                if (length >= 0 && length < kTextBytes - 1 &&
                    ::ReadProcessMemory(m_process.Get(), lvi.pszText, text, length + 1, &moved))
                    rows.back()[column].assign(text, static_cast<size_t>(length));
            }
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

std::vector<HWND> KestrinWindows() {
    std::vector<HWND> windows;
    for (HWND window = nullptr; (window = ::FindWindowExA(nullptr, window, nullptr, "Kestrin"));)
        windows.push_back(window);
    return windows;
}

// Polls until found() holds; false after the timeout.
template <typename Found> bool WaitFor(Found found) {
    for (DWORD waited = 0; !found(); waited += 20) {
        if (waited > kTimeoutMs)
            return false;
        ::Sleep(20);
    }
    return true;
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
    CKestrin() : CProgram("kestrin.exe") {}

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
    std::vector<Row> Rows() const { return CRemoteList(m_view).GetRows(); }

private:
    HWND m_frame = nullptr;
    HWND m_view = nullptr;
};

// The enabled dialog-class window of the process, or null.
using ModalSearch = std::pair<DWORD, HWND>;
BOOL CALLBACK FindModal(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ModalSearch*>(param);
    char className[16] = "";
    DWORD owner = 0;
    ::GetClassNameA(window, className, sizeof className);
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->first || std::string(className) != "#32770" ||
        !::IsWindowVisible(window) || !::IsWindowEnabled(window))
        return TRUE;
    search->second = window;
    return FALSE;
}
HWND ModalWindowOf(DWORD processId) {
    ModalSearch search = {processId, nullptr};
    ::EnumWindows(FindModal, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

} // namespace

TEST(EndToEnd, ClientsInOtherProcessesBecomeRowsOfTheRunningKestrin) {
    CKestrin kestrin;
    ASSERT_NO_FATAL_FAILURE(kestrin.Start());

    std::string long200, gbk200;
    for (int i = 0; i < 100; ++i) {
        long200 += "AB";
        gbk200 += "\xB5\xF7"; // a double-byte character in code page 936
    }
    const char gbk[] = "\xB3\xF5\xCA\xBC\xBB\xAF\xCD\xEA\xB3\xC9"; // 初始化完成
    const std::vector<std::string> sent = {"plain ASCII", gbk, long200, gbk200, ""};
    // Cut to 127 bytes, with no half character at the cut.
    const std::vector<std::string> shown = {"plain ASCII", gbk, long200.substr(0, 127),
                                            gbk200.substr(0, 126), ""};
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    CProgram first("kestrin-send.exe", sent);
    first.Wait();
    // Three clients at once: each one's rows keep their order, none is lost.
    const char* const texts[] = {"client one", "client two", "client three"};
    std::vector<std::unique_ptr<CProgram>> together;
    for (const char* text : texts)
        together.push_back(
            std::make_unique<CProgram>("kestrin-send.exe", Row{"--repeat", "25", text}));
    for (auto& sender : together)
        sender->Wait();
    ::GetLocalTime(&after);

    std::map<std::string, std::vector<std::string>> textsBySender;
    for (const Row& row : kestrin.Rows()) {
        EXPECT_EQ("kestrin-send.exe", row[0]) << "name in row " << textsBySender.size();
        EXPECT_TRUE(IsTimeCellWithin(row[2], before, after)) << "time: got " << row[2];
        textsBySender[row[1]].push_back(row[3]);
    }
    EXPECT_EQ(shown, textsBySender[std::to_string(first.Id())]) << "the first client's rows";
    for (size_t k = 0; k < together.size(); ++k)
        EXPECT_EQ(std::vector<std::string>(25, texts[k]),
                  textsBySender[std::to_string(together[k]->Id())]);
    EXPECT_EQ(4u, textsBySender.size()) << "senders seen in the pID column";
}

TEST(EndToEnd, ASecondKestrinEndsAtOnceWithoutAWindow) {
    ASSERT_TRUE(KestrinWindows().empty()) << "expected no Kestrin running before the test";
    CKestrin first;
    ASSERT_NO_FATAL_FAILURE(first.Start());
    CProgram("kestrin.exe").Wait();
    EXPECT_EQ(std::vector<HWND>{first.Frame()}, KestrinWindows()) << "windows titled Kestrin";
    CProgram("kestrin-send.exe", {"after the second"}).Wait();
    const std::vector<Row> rows = first.Rows();
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("after the second", rows[0][3]);
    first.Close();
}

TEST(EndToEnd, TheAboutBoxRoutineSendsRowsThatSaveWritesByteForByte) {
    const std::string path = SiblingPath("kestrin-sample.log");
    ::DeleteFileA(path.c_str());
    CKestrin kestrin;
    ASSERT_NO_FATAL_FAILURE(kestrin.Start());

    CProgram before("sample-client.exe", {"before"});
    before.Wait();
    const UINT kFileSave = 57603;
    ::PostMessageA(kestrin.Frame(), WM_COMMAND, kFileSave, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = ModalWindowOf(kestrin.Id())) != nullptr; }))
        << "expected the save dialog";
    // Kestrin keeps taking messages while its dialog is open; those rows are saved too.
    CProgram during("sample-client.exe", {"during"});
    during.Wait();
    ::SetWindowTextA(FileNameEdit(dialog), path.c_str());
    ::PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog); })) << "expected the dialog to close";
    // Kestrin answers once Save has ended; a message box it showed leaves the file unwritten.
    DWORD_PTR answer = 0;
    EXPECT_TRUE(
        ::SendMessageTimeoutA(kestrin.Frame(), WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &answer));

    std::vector<Row> expected;
    for (const CProgram* client : {&before, &during}) {
        const std::string pid = std::to_string(client->Id());
        const std::string tag = client == &before ? "before" : "during";
        for (const std::string& text :
             {tag + ": 42 items, 99.50% done", tag + ": [ab   |   cd] 0xBEEF K",
              std::string("plain text, no conversions")})
            expected.push_back({"sample-client.exe", pid, "", text});
    }
    std::vector<Row> rows = kestrin.Rows();
    std::string lines;
    for (Row& row : rows) {
        for (const std::string& cell : row)
            lines += cell + '\t';
        lines += "\r\n";
        row[2].clear();
    }
    EXPECT_EQ(expected, rows);
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(lines, std::string(std::istreambuf_iterator<char>(file), {})) << path;
    file.close();
    ::DeleteFileA(path.c_str());
    kestrin.Close();
}
