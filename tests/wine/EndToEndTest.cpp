// Kestrin as users run it: kestrin.exe in a process of its own, kestrin-send clients in others,
// and the rows read back out of the running program's list.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "RemoteList.h"
#include "WineTestSupport.h"

namespace {

const DWORD kTimeoutMs = 30000;
const char kGbkText[] = "\xB3\xF5\xCA\xBC\xBB\xAF\xCD\xEA\xB3\xC9"; // 初始化完成 in code page 936

using Row = std::vector<std::string>;

std::vector<HWND> TopLevelKestrinWindows() {
    std::vector<HWND> windows;
    for (HWND window = nullptr; (window = ::FindWindowExA(nullptr, window, nullptr, "Kestrin"));)
        windows.push_back(window);
    return windows;
}

// A running kestrin.exe; ended when the test leaves it running, whatever failed, and waited
// for, so that its window and mutex are gone before the next test.
class CKestrin {
public:
    CKestrin() = default;
    CKestrin(const CKestrin&) = delete;
    CKestrin& operator=(const CKestrin&) = delete;
    ~CKestrin() {
        HANDLE process = m_process.Handle();
        if (process && ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process, 255);
            ::WaitForSingleObject(process, kTimeoutMs);
        }
    }

    // Starts kestrin.exe and waits until its main window is up.
    void Start() {
        const std::string program = SiblingPath("kestrin.exe");
        ASSERT_TRUE(m_process.Start(CommandLine(program, {})))
            << "expected " << program << " to start, got error " << ::GetLastError();
        for (DWORD waited = 0;; waited += 20) {
            ASSERT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(m_process.Handle(), 0))
                << "expected Kestrin to keep running, it ended with " << m_process.ExitCode();
            HWND window = ::FindWindowA(nullptr, "Kestrin");
            DWORD owner = 0;
            if (window && ::GetWindowThreadProcessId(window, &owner) && owner == m_process.Id() &&
                ::IsWindowVisible(window)) {
                m_frame = window;
                break;
            }
            ASSERT_LT(waited, kTimeoutMs)
                << "expected Kestrin's window within " << kTimeoutMs << " ms";
            ::Sleep(20);
        }
        // Shown is not yet running: Kestrin takes messages once its loop waits for input.
        ASSERT_EQ(0u, ::WaitForInputIdle(m_process.Handle(), kTimeoutMs));
        m_view = ::FindWindowExA(m_frame, nullptr, "Kestrin", nullptr);
        ASSERT_NE(nullptr, m_view) << "expected the view, class Kestrin, in the frame";
    }

    // Closes the main window as a user would; the exit code, or ~0 when it did not end.
    DWORD Close() {
        ::PostMessageA(m_frame, WM_CLOSE, 0, 0);
        return m_process.WaitPumping(kTimeoutMs) ? m_process.ExitCode() : ~DWORD(0);
    }

    DWORD Id() const { return m_process.Id(); }
    HWND Frame() const { return m_frame; }
    std::vector<Row> Rows() const {
        CRemoteList list(m_view);
        EXPECT_TRUE(list.IsOpen()) << "expected to reach Kestrin's list";
        return list.GetRows(4);
    }

private:
    CChildProcess m_process;
    HWND m_frame = nullptr;
    HWND m_view = nullptr;
};

// kestrin-send, or another client program, with args, started; Wait() reports how it ended.
class CSender {
public:
    explicit CSender(const std::vector<std::string>& args,
                     const char* fileName = "kestrin-send.exe") {
        const std::string program = SiblingPath(fileName);
        m_started = m_process.Start(CommandLine(program, args));
        EXPECT_TRUE(m_started) << "expected " << program << " to start, got error "
                               << ::GetLastError();
        m_process.CloseInput();
    }
    void Wait() {
        if (!m_started)
            return;
        ASSERT_TRUE(m_process.WaitPumping(kTimeoutMs)) << "expected the client to end";
        EXPECT_EQ(0u, m_process.ExitCode()) << "the client said: " << m_process.Output();
    }
    DWORD Id() const { return m_process.Id(); }

private:
    CChildProcess m_process;
    bool m_started = false;
};

// The enabled dialog-class window in front of the process's windows, or null.
struct ModalSearch {
    DWORD processId;
    HWND found;
};
BOOL CALLBACK FindModal(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ModalSearch*>(param);
    char className[16] = "";
    DWORD owner = 0;
    ::GetClassNameA(window, className, sizeof className);
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || std::string(className) != "#32770" ||
        !::IsWindowVisible(window) || !::IsWindowEnabled(window))
        return TRUE;
    search->found = window;
    return FALSE;
}
HWND ModalWindowOf(DWORD processId) {
    ModalSearch search = {processId, nullptr};
    ::EnumWindows(FindModal, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Letters(size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<char>('A' + i % 26);
    return text;
}

std::string Repeated(const char* piece, size_t times) {
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

} // namespace

TEST(EndToEnd, ClientsInOtherProcessesBecomeRowsOfTheRunningKestrin) {
    ASSERT_TRUE(TopLevelKestrinWindows().empty()) << "expected no Kestrin running before the test";
    CKestrin kestrin;
    ASSERT_NO_FATAL_FAILURE(kestrin.Start());

    const std::string long200 = Letters(200);
    const std::string gbk200 = Repeated("\xB5\xF7", 100); // 100 double-byte characters
    const struct {
        std::string sent, shown;
    } messages[] = {
        {"plain ASCII", "plain ASCII"},
        {kGbkText, kGbkText},
        {long200, long200.substr(0, 127)},
        {gbk200, gbk200.substr(0, 126)}, // no half character at the cut
        {"", ""},
    };
    std::vector<std::string> args;
    for (const auto& message : messages)
        args.push_back(message.sent);

    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    CSender first(args);
    first.Wait();
    // Three clients at once: each one's rows keep its order, none is lost.
    const size_t kRepeat = 25;
    std::vector<std::unique_ptr<CSender>> together;
    for (const char* text : {"client one", "client two", "client three"})
        together.push_back(std::make_unique<CSender>(
            std::vector<std::string>{"--repeat", std::to_string(kRepeat), text}));
    for (auto& sender : together)
        sender->Wait();
    ::GetLocalTime(&after);

    const std::vector<Row> rows = kestrin.Rows();
    ASSERT_EQ(ARRAYSIZE(messages) + 3 * kRepeat, rows.size()) << "rows";
    std::map<std::string, std::vector<std::string>> textsBySender;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        EXPECT_EQ("kestrin-send.exe", row[0]) << "name in row " << i;
        EXPECT_TRUE(IsTimeCellWithin(row[2], before, after))
            << "time in row " << i << ": got " << row[2];
        textsBySender[row[1]].push_back(row[3]);
    }
    std::vector<std::string> shown;
    for (const auto& message : messages)
        shown.push_back(message.shown);
    EXPECT_EQ(shown, textsBySender[std::to_string(first.Id())]) << "the first client's rows";
    const char* const texts[] = {"client one", "client two", "client three"};
    for (size_t k = 0; k < together.size(); ++k)
        EXPECT_EQ(std::vector<std::string>(kRepeat, texts[k]),
                  textsBySender[std::to_string(together[k]->Id())])
            << texts[k];
    EXPECT_EQ(1 + together.size(), textsBySender.size()) << "senders seen in the pID column";
}

TEST(EndToEnd, OneKestrinAtATimeAndANewOneAfterTheFirstEnds) {
    ASSERT_TRUE(TopLevelKestrinWindows().empty()) << "expected no Kestrin running before the test";
    CKestrin first;
    ASSERT_NO_FATAL_FAILURE(first.Start());
    CSender({"before the second"}).Wait();

    CChildProcess second;
    ASSERT_TRUE(second.Start(CommandLine(SiblingPath("kestrin.exe"), {})));
    second.CloseInput();
    ASSERT_TRUE(second.WaitPumping(kTimeoutMs)) << "expected the second Kestrin to end at once";
    EXPECT_EQ(0u, second.ExitCode()) << "the second Kestrin's exit code";
    EXPECT_EQ(std::vector<HWND>{first.Frame()}, TopLevelKestrinWindows())
        << "windows titled Kestrin";
    CSender({"after the second"}).Wait();
    const std::vector<Row> rows = first.Rows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("before the second", rows[0][3]);
    EXPECT_EQ("after the second", rows[1][3]);

    EXPECT_EQ(0u, first.Close()) << "exit code after WM_CLOSE";
    EXPECT_TRUE(TopLevelKestrinWindows().empty());

    CKestrin next;
    ASSERT_NO_FATAL_FAILURE(next.Start());
    EXPECT_TRUE(next.Rows().empty()) << "a new Kestrin starts with an empty list";
    CSender client({"to the new one"});
    client.Wait();
    const std::vector<Row> nextRows = next.Rows();
    ASSERT_EQ(1u, nextRows.size());
    EXPECT_EQ((Row{"kestrin-send.exe", std::to_string(client.Id())}),
              Row(nextRows[0].begin(), nextRows[0].begin() + 2));
    EXPECT_EQ("to the new one", nextRows[0][3]);
    EXPECT_EQ(0u, next.Close()) << "exit code after WM_CLOSE";
}

TEST(EndToEnd, TheAboutBoxRoutineSendsRowsThatSaveWritesByteForByte) {
    ASSERT_TRUE(TopLevelKestrinWindows().empty()) << "expected no Kestrin running before the test";
    char temp[MAX_PATH] = "";
    ::GetTempPathA(sizeof temp, temp);
    const std::string path =
        std::string(temp) + "kestrin-sample-" + std::to_string(::GetCurrentProcessId()) + ".log";
    ::DeleteFileA(path.c_str());
    CKestrin kestrin;
    ASSERT_NO_FATAL_FAILURE(kestrin.Start());

    CSender before({"before"}, "sample-client.exe");
    before.Wait();
    const UINT kFileSave = 57603;
    ::PostMessageA(kestrin.Frame(), WM_COMMAND, kFileSave, 0);
    HWND dialog = nullptr;
    for (DWORD waited = 0; !(dialog = ModalWindowOf(kestrin.Id())); waited += 20) {
        ASSERT_LT(waited, kTimeoutMs) << "expected the save dialog";
        ::Sleep(20);
    }
    // Kestrin keeps taking messages while its dialog is open; those rows are saved too.
    CSender during({"during"}, "sample-client.exe");
    during.Wait();
    ::SetWindowTextA(FileNameEdit(dialog), path.c_str());
    ::PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    for (DWORD waited = 0; ::IsWindow(dialog); waited += 20) {
        ASSERT_LT(waited, kTimeoutMs) << "expected the save dialog to close";
        ::Sleep(20);
    }
    // Kestrin answers again once Save has ended, or while a message box of its own is up.
    DWORD_PTR answer = 0;
    EXPECT_TRUE(
        ::SendMessageTimeoutA(kestrin.Frame(), WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &answer));
    if (HWND box = ModalWindowOf(kestrin.Id())) {
        char text[512] = "";
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        ADD_FAILURE() << "expected no window after Save, got one saying: " << text;
        ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }

    const std::vector<Row> rows = kestrin.Rows();
    std::vector<std::string> shown, expected;
    for (const std::string tag : {"before", "during"})
        expected.insert(expected.end(),
                        {tag + ": 42 items, 99.50% done", tag + ": [ab   |   cd] 0xBEEF K",
                         "plain text, no conversions"});
    std::string lines;
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ("sample-client.exe", rows[i][0]) << "row " << i;
        EXPECT_EQ(std::to_string((i < 3 ? before : during).Id()), rows[i][1]) << "row " << i;
        shown.push_back(rows[i][3]);
        for (const std::string& cell : rows[i])
            lines += cell + '\t';
        lines += "\r\n";
    }
    EXPECT_EQ(expected, shown);
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(lines, std::string(std::istreambuf_iterator<char>(file), {})) << path;
    file.close();
    ::DeleteFileA(path.c_str());
    EXPECT_EQ(0u, kestrin.Close()) << "exit code after WM_CLOSE";
}
