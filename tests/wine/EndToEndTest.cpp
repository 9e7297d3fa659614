// kestrin.exe as users run it, under load and abuse from other processes: many senders at once,
// hostile texts and ids, posted junk, captions changed, 100,000 rows, racing starts and ends.
#include <atomic>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "KestrinProcess.h"
#include "resource.h"

namespace {

// Sends as a client does, bounded so that a dead or stuck Kestrin fails the test instead of
// hanging it; false when Kestrin did not answer 0.
bool Send(HWND window, DWORD processId, const std::string& text) {
    DWORD_PTR answer = 1;
    return ::SendMessageTimeoutA(window, WM_SETTEXT, processId,
                                 reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kTimeoutMs,
                                 &answer) &&
           answer == 0;
}

// One Kestrin for the tests that need a running one, emptied before each; one that a test ended
// or killed is replaced.
class EndToEndTest : public testing::Test {
protected:
    static void TearDownTestSuite() { kestrin->Close(); }
    void SetUp() override {
        if (!kestrin || !::IsWindow(kestrin->Frame())) {
            kestrin.reset(); // first, so that the old one holds no mutex when the new one starts
            kestrin = std::make_unique<CKestrin>();
            ASSERT_NO_FATAL_FAILURE(kestrin->Start());
        }
        ::SendMessageA(kestrin->Frame(), WM_COMMAND, ID_CLEAR, 0);
    }

    inline static std::unique_ptr<CKestrin> kestrin;
};

} // namespace

TEST_F(EndToEndTest, HostileTextsAndIdsGiveTheirRowsAndKestrinKeepsRunning) {
    std::string low, high;
    for (int ch = 1; ch < 256; ++ch)
        (ch < 0x80 ? low : high) += static_cast<char>(ch);
    // A null text cannot cross processes under Wine (the sender's side faults before sending).
    const std::string x127(127, 'x'), x126(126, 'x');
    struct Case {
        DWORD processId;
        std::string text, shownPid, shownText;
    };
    std::vector<Case> cases = {
        {1, "", "1", ""},
        {1, x127, "1", x127},
        {1, low, "1", low},
        // The 127th byte leads a double-byte character: the cut leaves the whole character out.
        {1, x126 + "\xB0\xA1", "1", x126},
        {0, "zero", "0", "zero"},
        {0x80000000u, "high", "-2147483648", "high"},
        {0xFFFFFFFFu, "top", "-1", "top"},
    };
    // The longest are copied onto Kestrin's stack by the system before Kestrin sees them.
    for (size_t length : {128u, 511u, 4096u, 65536u, 1048575u, 16u << 20})
        cases.push_back({1, x127 + std::string(length - 127, 'y'), "1", x127});
    for (const auto& c : cases)
        EXPECT_TRUE(Send(kestrin->Frame(), c.processId, c.text))
            << "answer to a text of " << c.text.size() << " bytes";
    // Bytes from 0x80 up travel through the system's code-page conversion: whatever arrives is
    // shown in whole characters.
    EXPECT_TRUE(Send(kestrin->Frame(), 1, high));

    const std::vector<Row> rows = CRemoteList(kestrin->View()).GetRows();
    ASSERT_EQ(std::size(cases) + 1, rows.size());
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ((Row{"", cases[i].shownPid, rows[i][2], cases[i].shownText}), rows[i])
            << "row " << i << ": no process has the id, the text is cut to 127 bytes";
    const std::string& shownHigh = rows.back()[3];
    size_t end = 0;
    while (end < shownHigh.size())
        end += ::IsDBCSLeadByte(static_cast<BYTE>(shownHigh[end])) ? 2 : 1;
    EXPECT_TRUE(end == shownHigh.size() && end <= 127) << "high bytes shown as " << shownHigh;
}

TEST_F(EndToEndTest, PostedMessagesWithJunkPointersAreDroppedInEveryLoop) {
    for (bool modal : {false, true}) {
        SCOPED_TRACE(modal ? "About box open" : "main loop");
        if (modal) {
            ::PostMessageA(kestrin->Frame(), WM_COMMAND, ID_APP_ABOUT, 0);
            ASSERT_TRUE(WaitFor([] { return ModalWindowOf(kestrin->Id()) != nullptr; }));
        }
        for (HWND target : {kestrin->Frame(), kestrin->View()})
            EXPECT_TRUE(::PostMessageA(target, WM_NOTIFY, 0, 0x7FF1));
        EXPECT_TRUE(Send(kestrin->Frame(), 1, "after the junk")) << "Kestrin still answers";
    }
    ::PostMessageA(ModalWindowOf(kestrin->Id()), WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(2, CRemoteList(kestrin->View()).Count()) << "rows: one per loop, none from the junk";
}

TEST_F(EndToEndTest, CaptionsStayKestrinAndClientsAlwaysReachTheLog) {
    const int kRounds = 1000;
    int lost = 0;
    for (int i = 0; i < kRounds; ++i) {
        HWND renamed = i % 2 ? kestrin->View() : kestrin->Frame();
        ::SetWindowTextA(renamed, "renamed");
        HWND found = ::FindWindowA(nullptr, "Kestrin");
        lost += WindowText(renamed) != "Kestrin" || found != kestrin->Frame() ||
                !Send(found, 1, "by title");
    }
    EXPECT_EQ(0, lost) << "captions changed, or lookups by title that missed the log";
    // Each SetWindowText is a message with id 0, and each lookup sent one.
    EXPECT_EQ(2 * kRounds, CRemoteList(kestrin->View()).Count());
}

// The rows are checked in the saved file, which holds every cell as the list shows it.
TEST_F(EndToEndTest, EightSendersAndTheAboutBoxRoutineLoseReorderNothingAndSaveWritesEveryRow) {
    const int kSenders = 8, kEach = 2000;
    const std::string path = SiblingPath("kestrin-endtoend.log");
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    std::map<std::string, std::vector<std::string>> sent; // texts by sender id
    std::vector<std::unique_ptr<CProgram>> senders;
    for (int k = 0; k < kSenders; ++k) {
        std::vector<std::string> texts;
        for (int i = 0; i < kEach; ++i)
            texts.push_back(std::to_string(k) + ":" + std::to_string(i));
        senders.push_back(std::make_unique<CProgram>("kestrin-send.exe", texts));
        sent[std::to_string(senders.back()->Id())] = texts;
    }
    // Kestrin keeps taking messages while its Save dialog is open, and saves those rows too.
    ::PostMessageA(kestrin->Frame(), WM_COMMAND, ID_FILE_SAVE, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = ModalWindowOf(kestrin->Id())) != nullptr; }))
        << "expected the save dialog";
    CProgram sample("sample-client.exe", {"tag"});
    sample.Wait();
    sent[std::to_string(sample.Id())] = {
        "tag: 42 items, 99.50% done", "tag: [ab   |   cd] 0xBEEF K", "plain text, no conversions"};
    for (auto& sender : senders)
        sender->Wait();
    ::GetLocalTime(&after);
    ::SetWindowTextA(FileNameEdit(dialog), path.c_str());
    ::PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog); })) << "expected the dialog to close";
    // Kestrin answers once Save has ended.
    EXPECT_EQ(kSenders * kEach + 3, CRemoteList(kestrin->View()).Count()) << "rows";

    // Each line in turn must hold its sender's next text, and so be neither lost nor repeated.
    std::map<std::string, size_t> next;
    std::vector<std::string> wrong;
    int count = 0;
    std::ifstream file(path, std::ios::binary);
    for (std::string line; std::getline(file, line); ++count) {
        Row row(5);
        std::istringstream cells(line);
        for (std::string& cell : row)
            std::getline(cells, cell, '\t');
        const std::vector<std::string>& texts = sent[row[1]];
        size_t& n = next[row[1]];
        const bool fromSample = row[1] == std::to_string(sample.Id());
        if (row[0] != (fromSample ? "sample-client.exe" : "kestrin-send.exe") || row[4] != "\r" ||
            !IsTimeCellWithin(row[2], before, after) || n >= texts.size() || row[3] != texts[n++])
            wrong.push_back(line);
    }
    file.close();
    ::DeleteFileA(path.c_str());
    EXPECT_EQ(std::vector<std::string>(), wrong)
        << "lines unlike what was sent, in each sender's order, with name, time and CR LF";
    EXPECT_EQ(kSenders * kEach + 3, count) << "lines saved";
}

// Rows come from four threads of this process at once, each thread's in its order, between a first
// and a last row sent alone, which pin down where rows are read from.
TEST_F(EndToEndTest, AHundredThousandRowsReadBackFromAnotherProcessBeforeAndAfterClear) {
    const int kThreads = 4, kEach = 25000, kRows = kThreads * kEach + 2;
    const DWORD self = ::GetCurrentProcessId();
    const std::string name = ProgramPath().substr(FileNameStart(ProgramPath()));
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    std::atomic<int> refused = !Send(kestrin->Frame(), self, "first");
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                refused +=
                    !Send(kestrin->Frame(), self, std::to_string(t) + ":" + std::to_string(i));
        });
    for (std::thread& thread : threads)
        thread.join();
    refused += !Send(kestrin->Frame(), self, "last");
    ::GetLocalTime(&after);
    EXPECT_EQ(0, refused) << "messages refused";

    CRemoteList list(kestrin->View());
    ASSERT_EQ(kRows, list.Count());
    EXPECT_EQ((Row{"first", "last"}), (Row{list.GetRow(0)[3], list.GetRow(kRows - 1)[3]}));
    // Every 997th row between, and both sides of the store's 32,768-row blocks.
    std::set<int> samples = {32767, 32768, 65535, 65536, 98303, 98304, kRows - 2};
    for (int i = 1; i < kRows - 1; i += 997)
        samples.insert(i);
    std::vector<int> last(kThreads, -1); // each thread's index in the last sample of it
    for (int i : samples) {
        const Row row = list.GetRow(i);
        int t = -1, n = -1, used = 0;
        const bool parsed = sscanf(row[3].c_str(), "%d:%d%n", &t, &n, &used) == 2 &&
                            used == int(row[3].size()) && t >= 0 && t < kThreads && n > last[t];
        EXPECT_TRUE(parsed && row[0] == name && row[1] == std::to_string(self) &&
                    IsTimeCellWithin(row[2], before, after))
            << "row " << i << ": expected " << name << ", " << self
            << ", a time of the test, thread:index in each thread's order; got " << row[0] << ", "
            << row[1] << ", " << row[2] << ", " << row[3];
        if (parsed)
            last[t] = n;
    }
    ::SendMessageA(kestrin->Frame(), WM_COMMAND, ID_CLEAR, 0);
    EXPECT_EQ(0, list.Count());
    ASSERT_TRUE(Send(kestrin->Frame(), self, "after Clear"));
    ASSERT_EQ(1, list.Count()); // reading every row of a failed Clear takes minutes
    EXPECT_EQ("after Clear", list.GetRow(0)[3]);
}

// Debug output as the command turns it on or off, read back as rows or from the status bar.
void ToggleDebugOutput(HWND frame) {
    ::SendMessageA(frame, WM_COMMAND, ID_CAPTURE_DEBUG_OUTPUT, 0);
}

std::string StatusText(HWND frame) {
    char text[256] = "";
    ::SendMessageA(::FindWindowExA(frame, nullptr, STATUSCLASSNAMEA, nullptr), WM_GETTEXT,
                   sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Writers' texts become rows line by line, each writer's in its order, none lost or twice; the
// writers' buffer holds 4,091 bytes of text, of which the row shows 127 in whole characters.
TEST_F(EndToEndTest, DebugOutputOfEveryWriterBecomesRowsLineByLineInEachWritersOrder) {
    const int kWriters = 4, kEach = 500;
    ToggleDebugOutput(kestrin->Frame());
    std::string wide(126, 'x');
    while (wide.size() < 4095)
        wide += "\xB0\xA1";
    const std::pair<std::string, Row> texts[] = {
        {"", {""}},
        {"\n", {""}},
        {"a\nb", {"a", "b"}},
        {"c\r\nd\r\n", {"c", "d"}},
        {"\n\ne\r", {"", "", "e\r"}},
        {wide, {std::string(126, 'x')}},
    };
    std::vector<std::string> hex;
    Row lines;
    for (const auto& [text, shown] : texts) {
        hex.emplace_back();
        for (unsigned char ch : text)
            hex.back() += "0123456789ABCDEF"[ch >> 4], hex.back() += "0123456789ABCDEF"[ch & 15];
        lines.insert(lines.end(), shown.begin(), shown.end());
    }
    std::vector<std::unique_ptr<CProgram>> writers;
    std::map<std::string, std::string> tags; // by process id
    for (int k = 0; k < kWriters; ++k) {
        writers.push_back(std::make_unique<CProgram>(
            "debug-writer.exe",
            std::vector<std::string>{std::to_string(kEach), "w" + std::to_string(k)}));
        tags[std::to_string(writers.back()->Id())] = "w" + std::to_string(k);
    }
    CProgram multiline("debug-writer.exe", [&] {
        std::vector<std::string> args = {"-"};
        args.insert(args.end(), hex.begin(), hex.end());
        return args;
    }());
    multiline.Wait();
    for (auto& writer : writers)
        writer->Wait();
    const int expected = kWriters * kEach + int(lines.size());
    CRemoteList list(kestrin->View());
    EXPECT_TRUE(WaitFor([&] { return list.Count() >= expected; }));
    ::Sleep(200);
    ToggleDebugOutput(kestrin->Frame());

    std::map<std::string, int> next;
    Row wrong, gotLines;
    for (const Row& row : list.GetRows()) {
        if (row[1] == std::to_string(multiline.Id())) {
            gotLines.push_back(row[3]);
            continue;
        }
        const std::string& tag = tags[row[1]];
        if (tag.empty() || row[0] != "debug-writer.exe" ||
            row[3] != tag + " " + std::to_string(next[tag]++))
            wrong.push_back(row[0] + " " + row[1] + " " + row[3]);
    }
    EXPECT_EQ(Row{}, wrong) << "rows unlike their writer's next line";
    EXPECT_EQ(lines, gotLines) << "a row per line, the long text cut";
    EXPECT_EQ(expected, list.Count());
}

// With Capture off lines are read and dropped at once. A reader that was there first keeps the
// writers' lines, Kestrin says so and takes messages as ever; once Kestrin lets go, another
// reader gets the buffer.
TEST_F(EndToEndTest, DebugOutputWithCaptureOffOrAnotherReaderFirstLeavesWritersAndIntakeAlone) {
    ::SendMessageA(kestrin->Frame(), WM_COMMAND, ID_CAPTURE, 0);
    ToggleDebugOutput(kestrin->Frame());
    // A writer waits 10 s on a reader that does not re-arm: the wait would outlast the test's.
    CProgram("debug-writer.exe", {"300", "off"}).Wait();
    ::SendMessageA(kestrin->Frame(), WM_COMMAND, ID_CAPTURE, 0);
    ToggleDebugOutput(kestrin->Frame());
    EXPECT_EQ(0, CRemoteList(kestrin->View()).Count()) << "rows with Capture off";

    CHandle section(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                         "DBWIN_BUFFER"));
    ASSERT_TRUE(section && ::GetLastError() != ERROR_ALREADY_EXISTS)
        << "expected Kestrin to have let go";
    CHandle bufferReady(::CreateEventA(nullptr, FALSE, TRUE, "DBWIN_BUFFER_READY"));
    CHandle dataReady(::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY"));
    ToggleDebugOutput(kestrin->Frame());
    EXPECT_EQ("另一个程序正在读取调试输出", StatusText(kestrin->Frame()));
    EXPECT_TRUE(Send(kestrin->Frame(), 1, "intake"));
    CProgram("debug-writer.exe", {"1", "mine"}).Wait();
    const char* view =
        static_cast<const char*>(::MapViewOfFile(section.Get(), FILE_MAP_READ, 0, 0, 0));
    EXPECT_TRUE(::WaitForSingleObject(dataReady.Get(), 0) == WAIT_OBJECT_0 && view &&
                std::string(view + 4) == "mine 0")
        << "the first reader's line";
    ::UnmapViewOfFile(view);
    EXPECT_EQ(1, CRemoteList(kestrin->View()).Count()) << "rows: the intake's";
    section.Reset(nullptr), bufferReady.Reset(nullptr), dataReady.Reset(nullptr);
    ToggleDebugOutput(kestrin->Frame());
    EXPECT_EQ("就绪", StatusText(kestrin->Frame())) << "taken once free";
    ToggleDebugOutput(kestrin->Frame());
}

// Capture debug output on is remembered, and a Kestrin started so reads at once; one that ends
// while writers write lets them go on.
TEST_F(EndToEndTest, DebugOutputIsOnAgainAtStartAndWritersGoOnWhenKestrinEnds) {
    kestrin->Close();
    const char kSettings[] = "Software\\Local AppWizard-Generated Applications\\Kestrin\\Settings";
    const DWORD on = 1;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kSettings, "CaptureDebugOutput", REG_DWORD, &on,
                      sizeof on);
    CKestrin restarted;
    ASSERT_NO_FATAL_FAILURE(restarted.Start());
    std::vector<std::unique_ptr<CProgram>> writers;
    for (const char* tag : {"a", "b"})
        writers.push_back(
            std::make_unique<CProgram>("debug-writer.exe", std::vector<std::string>{"500", tag}));
    EXPECT_TRUE(WaitFor([&] { return CRemoteList(restarted.View()).Count() > 0; }));
    restarted.Close();
    for (auto& writer : writers)
        writer->Wait();
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kSettings, "CaptureDebugOutput");
}

// A window closed inside the move loop, which eats the quit message, still ends its process and
// frees the mutex; the loop runs inside the main loop's dispatch (posted) or a sent message.
TEST(SingleInstance, RacingStartsLeaveOneKestrinAndOneClosedInsideTheMoveLoopLetsANewOneStart) {
    ASSERT_TRUE(KestrinWindows().empty()) << "expected no Kestrin running before the test";
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
    EXPECT_EQ(windows, KestrinWindows()) << "windows titled Kestrin";
    ::PostMessageA(windows[0], WM_SYSCOMMAND, SC_MOVE, 0);
    ::PostMessageA(windows[0], WM_CLOSE, 0, 0);
    for (CChildProcess& start : starts)
        EXPECT_TRUE(start.WaitPumping(kTimeoutMs)) << "expected every Kestrin to end";

    CKestrin sent;
    ASSERT_NO_FATAL_FAILURE(sent.Start()) << "a new Kestrin starts once the others have ended";
    ::SendMessageTimeoutA(sent.Frame(), WM_SYSCOMMAND, SC_MOVE, 0, SMTO_NORMAL, 200, nullptr);
    sent.Close();
}

// A file named on the command line is opened, whatever OLE or DDE switch comes with it; one that
// cannot be opened or printed is told in a box that no client renames or reaches a list through,
// and Kestrin ends with status 1; /Unregister ends it at once, with no window, status 0.
TEST(CommandLine, OpensTheNamedFileTellsWhenItCannotAndUnregisterEndsAtOnce) {
    const char kRecent[] =
        "Software\\Local AppWizard-Generated Applications\\Kestrin\\Recent File List";
    const std::string path = SiblingPath("kestrin-command-line.log");
    std::ofstream(path) << "not read";
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kRecent);
    {
        CKestrin kestrin({"/dde", "-Automation", "/Embedding", path});
        ASSERT_NO_FATAL_FAILURE(kestrin.Start());
        EXPECT_EQ(0, CRemoteList(kestrin.View()).Count());
        kestrin.Close();
    }
    char recent[MAX_PATH] = "";
    DWORD size = sizeof recent;
    ::RegGetValueA(HKEY_CURRENT_USER, kRecent, "File1", RRF_RT_REG_SZ, nullptr, recent, &size);
    EXPECT_EQ(path, recent) << "the first recent file, written at exit";
    ::DeleteFileA(path.c_str());

    // Read by nobody; no printer is installed here.
    const std::string printed = SiblingPath("kestrin-print.log");
    std::ofstream(printed) << "not read";
    const std::pair<std::vector<std::string>, std::string> failures[] = {
        {{path}, "无法打开文件：" + path},
        {{"/p", printed}, "没有找到打印机。请先安装打印机，再打印或预览。"},
        {{"/pt", printed, "NoSuchPrinter", "drv", "port"},
         "打印失败：打印机不可用，或拒绝了这份文档。"},
    };
    for (const auto& [args, said] : failures) {
        CChildProcess failed;
        ASSERT_TRUE(failed.Start(CommandLine(SiblingPath("kestrin.exe"), args)));
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = ModalWindowOf(failed.Id())) != nullptr; }));
        for (HWND window : KestrinWindows())
            EXPECT_FALSE(Send(window, 1, "lost"))
                << "taken by " << WindowText(window) << ", " << said;
        EXPECT_EQ("Kestrin: " + said,
                  WindowText(box) + ": " + WindowText(::GetDlgItem(box, 0xFFFF)));
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(failed.WaitPumping(kTimeoutMs) && failed.ExitCode() == 1) << said;
    }
    ::DeleteFileA(printed.c_str());
    CChildProcess unregister;
    ASSERT_TRUE(unregister.Start(CommandLine(SiblingPath("kestrin.exe"), {"/Unregister"})));
    EXPECT_TRUE(unregister.WaitPumping(kTimeoutMs) && unregister.ExitCode() == 0 &&
                KestrinWindows().empty());
}
