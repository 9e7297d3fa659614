// kestrin.exe as users run it, under load and abuse from other processes.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include <winsock2.h>

#include "ClientSample.h"
#include "DebugRecord.h"
#include "KestrinProcess.h"
#include "kestrin_trace.h"
#include "resource.h"

namespace {

// Bounded, so that a stuck Kestrin fails the test instead of hanging it; false unless answered 0.
bool Send(HWND window, DWORD processId, const std::string& text) {
    DWORD_PTR answer = 1;
    return ::SendMessageTimeoutA(window, WM_SETTEXT, processId,
                                 reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kTimeoutMs,
                                 &answer) &&
           answer == 0;
}

// A Linux shell script run to its end, bounded; its files under /tmp, removed after.
class CLinuxScript {
public:
    explicit CLinuxScript(const std::string& name)
        : m_base("/tmp/kestrin-" + std::to_string(::GetCurrentProcessId()) + "-" + name) {}
    ~CLinuxScript() {
        for (const char* suffix : {".sh", ".done"})
            ::DeleteFileA(("Z:" + m_base + suffix).c_str());
    }
    const std::string& Base() const { return m_base; }
    bool Run(const std::string& script) const {
        std::ofstream("Z:" + m_base + ".sh", std::ios::binary)
            << script << "\ntouch " << m_base << ".done\n";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        std::string commandLine = "/bin/sh " + m_base + ".sh";
        if (!::CreateProcessA("Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process))
            return false;
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
        return WaitFor([&] { return Content("Z:" + m_base + ".done")[0] != '<'; });
    }

private:
    const std::string m_base;
};

// A loopback TCP connection to port whose reads wait 5 s at most, or INVALID_SOCKET.
SOCKET Connect(unsigned port) {
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const DWORD waitMs = 5000;
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&waitMs), sizeof waitMs);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s != INVALID_SOCKET && ::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

// The rows whose process cell ends with app, each as "pid text".
Strings RowsOf(const CRemoteList& list, const std::string& app) {
    Strings found;
    for (const Row& row : list.GetRows())
        if (row[0].size() >= app.size() &&
            row[0].compare(row[0].size() - app.size(), app.size(), app) == 0)
            found.push_back(row[1] + " " + row[3]);
    return found;
}

} // namespace

// One session after another: debug output left to other readers, a flood of senders and writers
// logged and saved, then hostile texts, renames and junk.
TEST(EndToEnd, DebugOutputFloodAndAbuseLoseNothingAndLeaveKestrinRunning) {
    std::unique_ptr<CKestrin> kestrin;
    const auto restart = [&] {
        kestrin.reset(); // first, so that the old one holds no mutex when the new one starts
        kestrin = std::make_unique<CKestrin>();
        kestrin->Start();
    };
    // False when Kestrin did not answer in time, as when it opened a modal window.
    const auto command = [&](UINT id) {
        return ::SendMessageTimeoutA(kestrin->Frame(), WM_COMMAND, id, 0, SMTO_NORMAL, kTimeoutMs,
                                     nullptr) != 0;
    };
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kRegistryPath); // a failed run may leave settings
    ASSERT_NO_FATAL_FAILURE(restart());

    // With Capture off lines are read and dropped at once; a reader there first keeps the
    // writers' lines while Kestrin says so and takes messages as ever, and gets them once let go.
    command(ID_CAPTURE);
    command(ID_CAPTURE_DEBUG_OUTPUT);
    // A writer waits 10 s on a reader that does not re-arm: the wait would outlast the test's.
    CProgram("debug-writer.exe", Strings(300, "off")).Wait();
    command(ID_CAPTURE);
    command(ID_CAPTURE_DEBUG_OUTPUT);
    EXPECT_EQ(0, CRemoteList(kestrin->View()).Count()) << "rows with Capture off";

    CHandle section; // let go once the writers pause
    ASSERT_TRUE(WaitFor([&] {
        section.Reset(); // else this handle keeps it
        section.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                           "DBWIN_BUFFER"));
        return section && ::GetLastError() != ERROR_ALREADY_EXISTS;
    })) << "expected Kestrin to have let go";
    CHandle bufferReady(::CreateEventA(nullptr, FALSE, TRUE, "DBWIN_BUFFER_READY"));
    CHandle dataReady(::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY"));
    command(ID_CAPTURE_DEBUG_OUTPUT);
    EXPECT_EQ(Ansi("另一个程序正在读取调试输出"),
              WindowText(::GetDlgItem(kestrin->Frame(), AFX_IDW_STATUS_BAR)));
    EXPECT_TRUE(Send(kestrin->Frame(), 1, "intake"));
    CProgram("debug-writer.exe", {"mine"}).Wait();
    const char* buffer =
        static_cast<const char*>(::MapViewOfFile(section.Get(), FILE_MAP_READ, 0, 0, 0));
    EXPECT_TRUE(::WaitForSingleObject(dataReady.Get(), 0) == WAIT_OBJECT_0 && buffer &&
                std::string(buffer + 4) == "mine")
        << "the first reader's line";
    ::UnmapViewOfFile(buffer);
    EXPECT_EQ(1, CRemoteList(kestrin->View()).Count()) << "rows: the intake's";
    section.Reset(nullptr), bufferReady.Reset(nullptr), dataReady.Reset(nullptr);
    // The choice is remembered; the next start says it cannot be had while another program made
    // the data event beforehand, one that stays set once set, which would be read without end.
    dataReady.Reset(::CreateEventA(nullptr, TRUE, TRUE, "DBWIN_DATA_READY"));
    ASSERT_NO_FATAL_FAILURE(restart());
    EXPECT_EQ(Ansi("另一个程序正在读取调试输出"),
              WindowText(::GetDlgItem(kestrin->Frame(), AFX_IDW_STATUS_BAR)));
    dataReady.Reset(nullptr);
    command(ID_CAPTURE_DEBUG_OUTPUT);
    EXPECT_EQ(Ansi("就绪"), WindowText(::GetDlgItem(kestrin->Frame(), AFX_IDW_STATUS_BAR)))
        << "taken once free";
    // A Kestrin ending mid-write lets the writer go on; debug output on is remembered at the next
    // start, whose flood's writers' lines must all be rows.
    CProgram writer("debug-writer.exe", Strings(500, "a"));
    EXPECT_TRUE(WaitFor([&] { return CRemoteList(kestrin->View()).Count() > 1; }));
    kestrin->Close();
    writer.Wait();
    ASSERT_NO_FATAL_FAILURE(restart());

    // A writer that takes the buffer and writes nothing holds up the next ones only for a while.
    // During a flood turning debug output off answers at once, and on again reads at once; the
    // buffer that the writers still hold after a kill -9 is taken over at the next start.
    ASSERT_EQ(
        WAIT_OBJECT_0,
        ::WaitForSingleObject(CHandle(::OpenEventA(SYNCHRONIZE, FALSE, "DBWIN_BUFFER_READY")).Get(),
                              kTimeoutMs));
    std::vector<std::unique_ptr<CProgram>> flood;
    for (int k = 0; k < 8; ++k)
        flood.push_back(std::make_unique<CProgram>("debug-writer.exe", Strings(3000, "f")));
    EXPECT_TRUE(WaitFor([&] { return CRemoteList(kestrin->View()).Count() > 0; }));
    const ULONGLONG offAt = ::GetTickCount64();
    command(ID_CAPTURE_DEBUG_OUTPUT);
    // A wait on the writers would take their 10 s; the bound leaves room for a loaded machine.
    EXPECT_LT(::GetTickCount64() - offAt, 1000u) << "ms to turn debug output off";
    command(ID_CAPTURE_DEBUG_OUTPUT);
    const int shown = CRemoteList(kestrin->View()).Count();
    EXPECT_TRUE(WaitFor([&] { return CRemoteList(kestrin->View()).Count() > shown; }));
    ASSERT_NO_FATAL_FAILURE(restart());
    EXPECT_EQ(Ansi("就绪"), WindowText(::GetDlgItem(kestrin->Frame(), AFX_IDW_STATUS_BAR)));
    EXPECT_TRUE(WaitFor([&] { return CRemoteList(kestrin->View()).Count() > 0; }));
    for (auto& flooding : flood)
        flooding->Wait();

    // Debug output with a new made-up id on each line, then messages with made-up ids: such ids
    // cost no refresh of the name cache each and a long batch of lines lets messages in, so every
    // answer comes at once, and every row is kept.
    ASSERT_NO_FATAL_FAILURE(restart());
    section.Reset(::OpenFileMappingA(FILE_MAP_WRITE, FALSE, "DBWIN_BUFFER"));
    bufferReady.Reset(::OpenEventA(SYNCHRONIZE, FALSE, "DBWIN_BUFFER_READY"));
    dataReady.Reset(::OpenEventA(EVENT_MODIFY_STATE, FALSE, "DBWIN_DATA_READY"));
    DWORD* slot = static_cast<DWORD*>(::MapViewOfFile(section.Get(), FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_TRUE(slot && bufferReady && dataReady) << "expected Kestrin to read debug output";
    strcpy(reinterpret_cast<char*>(slot + 1), "made up");
    const DWORD kLines = 10000;
    for (DWORD id = 100001; id < 100001 + 2 * kLines; id += 2) { // odd: no process's
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(bufferReady.Get(), kTimeoutMs));
        *slot = id;
        ::SetEvent(dataReady.Get());
    }
    ::UnmapViewOfFile(slot);
    section.Reset(), bufferReady.Reset(), dataReady.Reset();
    DWORD worst = 0, taken = 0, id = 1000001;
    EXPECT_TRUE(WaitFor([&] {
        const DWORD start = ::GetTickCount();
        taken += Send(kestrin->Frame(), id += 2, "made up");
        ::SendMessageTimeoutA(kestrin->Frame(), WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, nullptr);
        const bool all = ListView_GetItemCount(kestrin->View()) == int(kLines + taken);
        worst = std::max(worst, ::GetTickCount() - start);
        return all;
    })) << "expected a row for each line and message";
    EXPECT_GT(1000u, worst) << "the longest wait, in ms, for the answers to three messages";
    command(ID_VIEW_FOLLOW); // remembered: the next start follows the flood's newest row
    ASSERT_NO_FATAL_FAILURE(restart());

    // Eight senders, the About box's routine, four threads through the client header, then five
    // debug-output writers: 102,010 rows, each checked in the file Save and Log to file write,
    // and rows either side of the store's 32,768-row blocks in the list. A writer's text is split
    // at LF or CR LF; its buffer holds 4,091 bytes, all of which a row keeps in whole characters.
    const int kSenders = 8, kEach = 2000, kWriters = 4, kWriterEach = 500, kThreads = 4,
              kThreadEach = 21000;
    const std::string path = SiblingPath("kestrin-endtoend.log"),
                      self = std::to_string(::GetCurrentProcessId());
    ::DeleteFileA(path.c_str()); // else Save asks first whether to replace it
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    // Texts by sender id, or by this process's id and a thread's number; names by id.
    std::map<std::string, std::vector<std::string>> sent;
    std::map<std::string, std::string> names = {
        {self, ProgramPath().substr(FileNameStart(ProgramPath()))}};
    std::vector<std::unique_ptr<CProgram>> senders;
    const auto start = [&](const char* program, const Strings& args, const Strings& texts) {
        senders.push_back(std::make_unique<CProgram>(program, args));
        sent[std::to_string(senders.back()->Id())] = texts;
        names[std::to_string(senders.back()->Id())] = program;
    };
    const auto counted = [](int k, int each) {
        Strings texts;
        for (int i = 0; i < each; ++i)
            texts.push_back(std::to_string(k) + ":" + std::to_string(i));
        return texts;
    };
    for (int k = 0; k < kSenders; ++k)
        start("kestrin-send.exe", counted(k, kEach), counted(k, kEach));
    // Kestrin keeps taking messages while a file dialog is open.
    ::PostMessageA(kestrin->Frame(), WM_COMMAND, ID_LOG_TO_FILE, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        return (dialog = ModalWindowOf(kestrin->Id())) && FileNameEdit(dialog);
    })) << "expected the file dialog";
    std::atomic<int> refused = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        sent[self + ":" + std::to_string(t)] = counted(t, kThreadEach);
        threads.emplace_back([&, t] {
            for (int i = 0; i < kThreadEach; ++i)
                refused +=
                    t % 2 ? !KT("%d:%d", t, i) : !KestrinTraceTimeout(kTimeoutMs, "%d:%d", t, i);
        });
    }
    start("sample-client.exe", {},
          {"tag: 42 items, 99.50% done", "tag: [ab   |   cd] 0xBEEF K",
           "plain text, no conversions"});
    for (auto& sender : senders)
        sender->Wait();
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, refused) << "lines the client header says were not taken";
    ::SetWindowTextA(FileNameEdit(dialog), path.c_str());
    ::PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog); })) << "expected the dialog to close";
    ::Sleep(200);
    EXPECT_EQ("", Content(path)) << "rows logged that were taken before Log to file was on";
    // Save writes those to the log's file, once; the log adds the later ones.
    EXPECT_TRUE(command(ID_FILE_SAVE)) << "expected Save to ask nothing";
    for (int k = kSenders; k < kSenders + kWriters; ++k)
        start("debug-writer.exe", counted(k, kWriterEach), counted(k, kWriterEach));
    std::string wide(126, 'x');
    while (wide.size() < 4095)
        wide += "\xB0\xA1";
    start("debug-writer.exe", {"", "a\nb\r\n", "\n\ne\rf\r\r\n", wide},
          {"", "a", "b", "", "", "e\rf\r", wide.substr(0, 4090)});
    names.erase(std::to_string(senders.back()->Id())); // it may end before its lines are named
    for (auto& sender : senders)
        sender->Wait();
    int rows = 0;
    for (const auto& texts : sent)
        rows += int(texts.second.size());
    CRemoteList list(kestrin->View());
    EXPECT_TRUE(WaitFor([&] {
        return list.Count() >= rows &&
               ListView_GetTopIndex(kestrin->View()) + ListView_GetCountPerPage(kestrin->View()) >=
                   list.Count();
    })) << "the writers' last lines, the last in view";
    ::Sleep(200); // by then the log holds every row taken
    ::GetLocalTime(&after);
    char from[16], to[16]; // times of receipt as rows show them, across midnight too
    snprintf(from, sizeof from, "%02u:%02u:%02u:00", before.wHour, before.wMinute, before.wSecond);
    snprintf(to, sizeof to, "%02u:%02u:%02u:00", after.wHour, after.wMinute, after.wSecond);
    const auto received = [&](const std::string& time) {
        return time.size() == 11 && time.substr(8) == ":00" &&
               (strcmp(from, to) <= 0 ? time >= from && time <= to : time >= from || time <= to);
    };
    command(ID_CAPTURE_DEBUG_OUTPUT);
    const std::string logged = Content(path);

    // Each line in turn must hold its sender's next text, and so be neither lost nor repeated.
    std::map<std::string, size_t> next;
    std::vector<std::string> wrong, saved;
    std::istringstream file(logged);
    for (std::string line; std::getline(file, line);) {
        Row row(5);
        std::istringstream cells(line);
        for (std::string& cell : row)
            std::getline(cells, cell, '\t');
        const std::string from =
            row[1] == self ? self + ":" + row[3].substr(0, row[3].find(':')) : row[1];
        const std::vector<std::string>& texts = sent[from];
        size_t& n = next[from];
        if ((names.count(row[1]) && row[0] != names[row[1]]) || row[4] != "\r" ||
            !received(row[2]) || n >= texts.size() || row[3] != texts[n++])
            wrong.push_back(line);
        saved.push_back(line + '\n');
    }
    EXPECT_EQ(std::vector<std::string>(), wrong)
        << "lines unlike what was sent, in each sender's order, with name, time and CR LF";
    ASSERT_EQ(size_t(rows), saved.size()) << "lines saved";
    for (int i : {0, 32767, 32768, 65535, 65536, 98303, 98304, rows - 1})
        EXPECT_EQ(saved[i], Lines({list.GetRow(i)})) << "row " << i << " as the list shows it";
    command(ID_CLEAR);
    ASSERT_TRUE(Send(kestrin->Frame(), 1, "after Clear"));
    ASSERT_EQ(1, list.Count()); // reading every row of a failed Clear takes minutes

    // The session's end writes the rest at once: killed right after, Kestrin loses nothing.
    const std::string kept = logged + Lines({list.GetRow(0)}), lastLine = "\tlast\t\r\n";
    CHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, kestrin->Id()));
    ASSERT_TRUE(Send(kestrin->Frame(), 1, "last"));
    ::SendMessageA(kestrin->Frame(), WM_ENDSESSION, TRUE, 0);
    ::TerminateProcess(process.Get(), 0);
    ::WaitForSingleObject(process.Get(), kTimeoutMs);
    const std::string ended = Content(path);
    EXPECT_TRUE(ended.size() > kept.size() + lastLine.size() &&
                ended.compare(0, kept.size(), kept) == 0 &&
                ended.find('\n', kept.size()) == ended.size() - 1 &&
                ended.compare(ended.size() - lastLine.size(), lastLine.size(), lastLine) == 0)
        << "expected the row after Clear and the last; got "
        << ended.substr(std::min(ended.size(), logged.size()));
    ::DeleteFileA(path.c_str());

    // A text the system copies onto Kestrin's stack, two bytes a byte.
    ASSERT_NO_FATAL_FAILURE(restart());
    const std::string x127(127, 'x');
    EXPECT_TRUE(Send(kestrin->Frame(), 0, x127 + std::string(40 << 20, 'y')));
    const Row cut = CRemoteList(kestrin->View()).GetRow(0); // one row: counted after the junk
    EXPECT_EQ((Row{"", "0", cut[2], x127 + std::string(kMaxRowText - 127, 'y')}), cut);
    // Each renaming is a row with id 0; the captions stay, so a lookup by title finds the frame.
    for (HWND renamed : {kestrin->View(), kestrin->Frame()}) {
        ::SetWindowTextA(renamed, "renamed");
        EXPECT_EQ(std::make_pair(std::string("Kestrin"), kestrin->Frame()),
                  std::make_pair(WindowText(renamed), ::FindWindowA(nullptr, "Kestrin")));
    }

    // Notifications and the controls' own requests, each range of each control and the common
    // one, are only ever sent: posted with junk pointers, they ended Kestrin.
    HWND frame = kestrin->Frame(), view = kestrin->View(),
         toolBar = ::GetDlgItem(frame, AFX_IDW_TOOLBAR);
    for (bool modal : {false, true}) {
        SCOPED_TRACE(modal ? "About box open" : "main loop");
        if (modal) {
            ::PostMessageA(frame, WM_COMMAND, ID_APP_ABOUT, 0);
            ASSERT_TRUE(WaitFor([&] { return ModalWindowOf(kestrin->Id()) != nullptr; }));
        }
        for (HWND target : {frame, view})
            EXPECT_TRUE(::PostMessageA(target, WM_NOTIFY, 0, 0x7FF1));
        for (HWND control :
             {view, ListView_GetHeader(view), toolBar, ::GetDlgItem(frame, AFX_IDW_STATUS_BAR),
              ListView_GetToolTips(view),
              reinterpret_cast<HWND>(::SendMessageA(toolBar, TB_GETTOOLTIPS, 0, 0))}) {
            ASSERT_TRUE(::IsWindow(control));
            for (UINT first : {UINT(WM_USER), UINT(LVM_FIRST), UINT(HDM_FIRST), UINT(CCM_FIRST)})
                for (UINT message = first; message < first + 0x100; ++message)
                    ::PostMessageA(control, message, 0x1234, 0x1234);
        }
        EXPECT_TRUE(Send(frame, 1, "after the junk")) << "Kestrin still answers";
    }
    EXPECT_EQ(5, CRemoteList(kestrin->View()).Count()) << "rows: one per loop, none from the junk";
    // A close sent while a dialog is open waits for it: its command may still use the view.
    HWND about = ModalWindowOf(kestrin->Id()), sample = ::GetDlgItem(about, IDC_SAMPLE);
    ::SendMessageA(sample, EM_SETSEL, 0, -1), ::SendMessageA(sample, WM_CHAR, 'x', 0);
    EXPECT_EQ(kClientSample, WindowText(sample)) << "the About box's client routine, read-only";
    ::SendMessageTimeoutA(kestrin->Frame(), WM_CLOSE, 0, 0, SMTO_NORMAL, kTimeoutMs, nullptr);
    EXPECT_TRUE(Send(kestrin->Frame(), 1, "while the close waits")) << "Kestrin still answers";
    ::PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
    kestrin->Wait();
}

// One of racing starts stays; one closed inside the move loop (posted or sent) still ends. The
// first argument that is no switch names the file to open, whatever switches come with it; a
// failure is told in a box no client reaches, status 1; /Unregister ends at once, status 0.
TEST(CommandLine, RacingStartsLeaveOneKestrinTheNamedFileIsOpenedAndFailuresAreTold) {
    std::vector<CChildProcess> starts(5);
    for (CChildProcess& start : starts)
        ASSERT_TRUE(start.Start(CommandLine(SiblingPath("kestrin.exe"), {})));
    std::vector<HWND> windows;
    ASSERT_TRUE(WaitFor([&] { return (windows = KestrinWindows()).size() == 1; }))
        << "expected a window titled Kestrin, got " << windows.size();
    DWORD winner = 0;
    ::GetWindowThreadProcessId(windows[0], &winner);
    for (CChildProcess& start : starts)
        EXPECT_EQ(start.Id() != winner, start.WaitPumping(start.Id() == winner ? 0 : kTimeoutMs))
            << "expected all but one to end";
    ::PostMessageA(windows[0], WM_SYSCOMMAND, SC_MOVE, 0);
    ::PostMessageA(windows[0], WM_CLOSE, 0, 0);
    for (CChildProcess& start : starts)
        EXPECT_TRUE(start.WaitPumping(kTimeoutMs)) << "expected every Kestrin to end";

    const std::string recent = std::string(kRegistryPath) + "\\Recent File List",
                      path = SiblingPath("kestrin-command-line.log");
    std::ofstream(path) << "not read";
    ::RegDeleteTreeA(HKEY_CURRENT_USER, recent.c_str());
    CKestrin sent({"/dde", "-Automation", "/EMBEDDING", "-", "/x", path, "other"});
    ASSERT_NO_FATAL_FAILURE(sent.Start()) << "a new Kestrin starts once the others have ended";
    ::SendMessageTimeoutA(sent.Frame(), WM_SYSCOMMAND, SC_MOVE, 0, SMTO_NORMAL, 200, nullptr);
    sent.Close();
    char file1[MAX_PATH] = "";
    DWORD size = sizeof file1;
    ::RegGetValueA(HKEY_CURRENT_USER, recent.c_str(), "File1", RRF_RT_REG_SZ, nullptr, file1,
                   &size);
    EXPECT_EQ(path, file1) << "the first recent file, written at exit";

    // The file is read by nobody; no printer is installed here. Unregistering says nothing.
    const std::pair<Strings, std::string> failures[] = {
        {{path + "x"}, Ansi("无法打开文件：") + path + "x"},
        {{"/p", path}, Ansi("没有找到打印机。请先安装打印机，再打印或预览。")},
        {{"/pt", path, "NoSuchPrinter", "drv", "port"},
         Ansi("打印失败：打印机不可用，或拒绝了这份文档。")},
        {{"a", "-unregister"}, ""},
        {{"/Unregserver"}, ""},
    };
    for (const auto& [args, said] : failures) {
        CChildProcess started;
        ASSERT_TRUE(started.Start(CommandLine(SiblingPath("kestrin.exe"), args)));
        HWND box = nullptr;
        if (!said.empty()) {
            ASSERT_TRUE(WaitFor([&] { return (box = ModalWindowOf(started.Id())) != nullptr; }));
            for (HWND window : KestrinWindows())
                EXPECT_FALSE(Send(window, 1, "lost"))
                    << "taken by " << WindowText(window) << ", " << said;
            EXPECT_EQ("Kestrin: " + said,
                      WindowText(box) + ": " + WindowText(::GetDlgItem(box, 0xFFFF)));
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        EXPECT_TRUE(started.WaitPumping(kTimeoutMs) &&
                    started.ExitCode() == (said.empty() ? 0u : 1u) && KestrinWindows().empty())
            << args.back();
    }
    ::DeleteFileA(path.c_str());
}

// Sources chosen in 编辑 ▸ 网络来源... open at once, and again at the next start.
TEST(EndToEnd, NetworkSourcesChosenInTheDialogOpenAtOnceAndAtTheNextStart) {
    const std::string udp = std::to_string(20000 + (::GetCurrentProcessId() + 10) % 20000);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kRegistryPath);
    for (const std::string start : {"chosen", "restarted"}) {
        CKestrin kestrin;
        ASSERT_NO_FATAL_FAILURE(kestrin.Start());
        if (start == "chosen") {
            ::PostMessageA(kestrin.Frame(), WM_COMMAND, ID_NETWORK_SOURCES, 0);
            HWND box = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (box = ModalWindowOf(kestrin.Id())) != nullptr; }));
            ::SendMessageA(::GetDlgItem(box, IDC_SYSLOG_UDP), BM_SETCHECK, BST_CHECKED, 0);
            ::SetWindowTextA(::GetDlgItem(box, IDC_SYSLOG_UDP_PORT), udp.c_str());
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(WaitFor([&] { return !ModalWindowOf(kestrin.Id()); }));
        }
        CLinuxScript sender("dialog");
        ASSERT_TRUE(sender.Run("logger -n 127.0.0.1 -P " + udp + " -d -t dialog '" + start + "'"));
        const CRemoteList list(kestrin.View());
        EXPECT_TRUE(WaitFor([&] { return !RowsOf(list, "/dialog").empty(); })) << start;
        EXPECT_EQ(Strings{"0 " + start}, RowsOf(list, "/dialog"));
        kestrin.Close();
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kRegistryPath);
}

// Real senders on loopback: logger in both formats and framings, a relaying rsyslog daemon,
// hostile connections meanwhile; then a refused sender and a port in use.
TEST(EndToEnd, SyslogFromLoggerAndRsyslogBecomesRowsAndHostileSendersLoseNothing) {
    WSADATA data;
    ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 2), &data));
    const unsigned udp = 20000 + ::GetCurrentProcessId() % 20000, tcp = udp + 1, relay = udp + 2,
                   taken = udp + 3;
    const std::string ports = "udp:" + std::to_string(udp) + ",tcp:" + std::to_string(tcp);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kRegistryPath);
    auto kestrin = std::make_unique<CKestrin>(Strings{"/syslog", ports});
    ASSERT_NO_FATAL_FAILURE(kestrin->Start());
    const CRemoteList list(kestrin->View());

    // A count past any frame, junk, and idle connections must not cost a good line.
    std::vector<SOCKET> idle;
    for (int i = 0; i < 100; ++i)
        idle.push_back(Connect(tcp));
    const SOCKET oversized = Connect(tcp), junk = Connect(tcp);
    ::send(oversized, "99999999 <13>x", 14, 0);
    ::send(junk, "\x01\xff\0junk\n", 8, 0);
    char left = 0;
    EXPECT_EQ(0, ::recv(oversized, &left, 1, 0)) << "closed for its frame";
    EXPECT_TRUE(Send(kestrin->Frame(), 1, "answered"));

    CLinuxScript senders("logger");
    const std::string to = " -n 127.0.0.1 -P ";
    ASSERT_TRUE(senders.Run(
        "uname -n > " + senders.Base() + ".done.host\n" + "logger" + to + std::to_string(udp) +
        " -d --rfc5424 -t app1 --id=4242 'udp new'\n" + "logger" + to + std::to_string(udp) +
        " -d --rfc3164 -t app2 --id=77 'udp old'\n" + "logger" + to + std::to_string(tcp) +
        " -T --octet-count -t app3 --id=5 'tcp counted'\n" + "logger" + to + std::to_string(tcp) +
        " -T --rfc3164 -t app4 'tcp lines'"));
    std::string host = Content("Z:" + senders.Base() + ".done.host");
    ::DeleteFileA(("Z:" + senders.Base() + ".done.host").c_str());
    host.resize(host.find_last_not_of("\n") + 1);
    const std::pair<std::string, Strings> expected[] = {
        {host + "/app1", {"4242 udp new"}},
        {host + "/app2", {"77 udp old"}},
        {host + "/app3", {"5 tcp counted"}},
        {host + "/app4", {"0 tcp lines"}},
    };
    for (const auto& [app, rows] : expected) {
        EXPECT_TRUE(WaitFor([&] { return !RowsOf(list, app).empty(); })) << app;
        EXPECT_EQ(rows, RowsOf(list, app)) << app;
    }

    // rsyslog relays every line once, in order, over one octet-counted connection.
    const int kLines = 200;
    CLinuxScript daemon("rsyslog");
    const std::string base = daemon.Base();
    std::ofstream("Z:" + base + ".conf", std::ios::binary)
        << "global(workDirectory=\"/tmp\")\nmodule(load=\"imtcp\")\n"
        << "input(type=\"imtcp\" address=\"127.0.0.1\" port=\"" << relay
        << "\" ruleset=\"relay\")\nruleset(name=\"relay\") { action(type=\"omfwd\" "
        << "target=\"127.0.0.1\" port=\"" << tcp << "\" protocol=\"tcp\" "
        << "TCP_Framing=\"octet-counted\" template=\"RSYSLOG_SyslogProtocol23Format\") }\n";
    ASSERT_TRUE(daemon.Run("timeout 60 rsyslogd -n -f " + base + ".conf -i " + base +
                           ".pid >/dev/null 2>&1 &\n" + "n=0; until logger" + to +
                           std::to_string(relay) +
                           " -T -t seq 'line 0' 2>/dev/null; do n=$((n+1)); " +
                           "[ $n -gt 100 ] && break; sleep 0.1; done\n" + "for i in $(seq 1 " +
                           std::to_string(kLines - 1) + "); do echo \"line $i\"; done | logger" +
                           to + std::to_string(relay) + " -T -t seq"));
    Strings lines;
    for (int i = 0; i < kLines; ++i)
        lines.push_back("0 line " + std::to_string(i));
    EXPECT_TRUE(WaitFor([&] { return RowsOf(list, "/seq").size() >= lines.size(); }));
    EXPECT_EQ(lines, RowsOf(list, "/seq"));
    // The detail pane shows the last row's severity and the like below its text.
    ::SendMessageA(kestrin->Frame(), WM_COMMAND, ID_VIEW_DETAIL_BAR, 0);
    ::SendMessageA(kestrin->View(), WM_KEYDOWN, VK_END, 0);
    const std::string detail = WindowText(
        ::GetDlgItem(::GetDlgItem(kestrin->Frame(), ID_VIEW_DETAIL_BAR), IDC_DETAIL_TEXT));
    const std::string head = lines.back().substr(2) +
                             "\r\n\r\nseverity: notice (5)\r\nfacility: user (1)\r\ntimestamp: ";
    EXPECT_EQ(head, detail.substr(0, head.size()));
    EXPECT_GT(detail.size(), head.size() + 10) << "the sender's own time follows";
    CLinuxScript stop("stop");
    EXPECT_TRUE(stop.Run("kill $(cat " + base + ".pid)\nrm -f " + base + ".conf " + base + ".pid"));
    EXPECT_TRUE(Send(kestrin->Frame(), 1, "answered")) << "after the flood of connections";
    for (SOCKET s : idle)
        ::closesocket(s);
    ::closesocket(oversized);
    ::closesocket(junk);

    // A sender outside the allowed list is counted, not shown; a port held elsewhere is told.
    // The port is one no Kestrin has had: the closed connections' TIME_WAIT holds the other.
    kestrin->Close();
    const std::string allowed = "10.0.0.0/8";
    ::RegSetKeyValueA(HKEY_CURRENT_USER, (std::string(kRegistryPath) + "\\Settings").c_str(),
                      "SyslogAllowed", REG_BINARY, allowed.data(),
                      static_cast<DWORD>(allowed.size()));
    const SOCKET held = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<u_short>(taken));
    ASSERT_EQ(0, ::bind(held, reinterpret_cast<sockaddr*>(&at), sizeof at));
    kestrin = std::make_unique<CKestrin>(
        Strings{"/syslog", "udp:" + std::to_string(udp) + ",tcp:" + std::to_string(taken)});
    ASSERT_NO_FATAL_FAILURE(kestrin->Start());
    ASSERT_TRUE(senders.Run("logger" + to + std::to_string(udp) + " -d -t refused 'no'"));
    const HWND status = ::FindWindowExA(kestrin->Frame(), nullptr, STATUSCLASSNAMEA, nullptr);
    const std::string told = Ansi("无法打开 TCP 端口 ") + std::to_string(taken);
    EXPECT_TRUE(WaitFor([&] {
        const std::string text = WindowText(status);
        return text.find(told) != std::string::npos &&
               text.find(Ansi("已拒绝的发送者：1")) != std::string::npos;
    })) << WindowText(status);
    EXPECT_EQ(0, CRemoteList(kestrin->View()).Count());
    kestrin->Close();
    ::closesocket(held);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kRegistryPath);
    ::WSACleanup();
}
