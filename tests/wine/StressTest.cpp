// Kestrin under load and abuse through the real protocol: many senders at once, hostile texts and
// ids, captions that others try to change, racing starts, and a list of 100,000 rows.
#include <map>
#include <memory>

#include "KestrinProcess.h"

namespace {

const UINT kClear = 32774;

// Sends as a client does; false when Kestrin did not answer 0.
bool Send(HWND window, DWORD processId, const char* text) {
    DWORD_PTR answer = 1;
    return ::SendMessageTimeoutA(window, WM_SETTEXT, processId, reinterpret_cast<LPARAM>(text),
                                 SMTO_NORMAL, kTimeoutMs, &answer) &&
           answer == 0;
}

std::string OwnName() {
    const std::string path = ProgramPath();
    return path.substr(FileNameStart(path));
}

class StressTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(kestrin.Start()); }
    void TearDown() override { kestrin.Close(); }

    CKestrin kestrin;
};

} // namespace

TEST_F(StressTest, EightSendersAtOnceLoseDuplicateAndReorderNothing) {
    const int kSenders = 8, kEach = 2000;
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    std::vector<std::unique_ptr<CProgram>> senders;
    for (int k = 0; k < kSenders; ++k) {
        std::vector<std::string> texts;
        for (int i = 0; i < kEach; ++i)
            texts.push_back(std::to_string(k) + ":" + std::to_string(i));
        senders.push_back(std::make_unique<CProgram>("kestrin-send.exe", texts));
    }
    for (auto& sender : senders)
        sender->Wait();
    ::GetLocalTime(&after);

    std::map<std::string, std::vector<std::string>> textsBySender;
    int malformed = 0;
    for (const Row& row : kestrin.Rows()) {
        malformed += row[0] != "kestrin-send.exe" || !IsTimeCellWithin(row[2], before, after);
        textsBySender[row[1]].push_back(row[3]);
    }
    EXPECT_EQ(0, malformed) << "rows without the sender's name or a time of receipt";
    ASSERT_EQ(size_t(kSenders), textsBySender.size()) << "senders in the pID column";
    for (int k = 0; k < kSenders; ++k) {
        const std::vector<std::string>& got = textsBySender[std::to_string(senders[k]->Id())];
        EXPECT_EQ(size_t(kEach), got.size()) << "rows of sender " << k;
        for (int i = 0; i < kEach && i < int(got.size()); ++i)
            if (got[i] != std::to_string(k) + ":" + std::to_string(i)) {
                ADD_FAILURE() << "sender " << k << " row " << i << ": got " << got[i];
                break;
            }
    }
}

TEST_F(StressTest, HostileTextsAndIdsGiveTheirRowsAndKestrinKeepsRunning) {
    std::string low, high;
    for (int ch = 1; ch < 256; ++ch)
        (ch < 0x80 ? low : high) += static_cast<char>(ch);
    // A null text cannot cross processes under Wine (the sender's side faults before sending):
    // the in-process tests send that one.
    const std::string x127(127, 'x'), a126(126, 'a');
    const struct {
        DWORD processId;
        std::string text, shownPid, shownText;
    } cases[] = {
        {1, "", "1", ""},
        {1, x127, "1", x127},
        {1, x127 + "y", "1", x127},
        {1, std::string(511, 'z'), "1", std::string(127, 'z')},
        {1, std::string(4096, 'q'), "1", std::string(127, 'q')},
        {1, std::string(65536, 'w'), "1", std::string(127, 'w')},
        {1, low, "1", low},
        // The 127th byte leads a double-byte character: the cut leaves the whole character out.
        {1, a126 + "\xB0\xA1", "1", a126},
        {0, "zero", "0", "zero"},
        {0x80000000u, "high", "-2147483648", "high"},
        {0xFFFFFFFFu, "top", "-1", "top"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Send(kestrin.Frame(), c.processId, c.text.c_str()))
            << "answer to case " << &c - cases;
    // Bytes from 0x80 up travel through the system's code-page conversion: whatever arrives is
    // shown in whole characters.
    EXPECT_TRUE(Send(kestrin.Frame(), 1, high.c_str()));

    const std::vector<Row> rows = kestrin.Rows();
    ASSERT_EQ(std::size(cases) + 1, rows.size());
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].shownPid, rows[i][1]) << "row " << i;
        EXPECT_EQ(cases[i].shownText, rows[i][3]) << "row " << i;
        EXPECT_EQ("", rows[i][0]) << "no process has id " << cases[i].shownPid;
    }
    const std::string& shownHigh = rows.back()[3];
    size_t end = 0;
    while (end < shownHigh.size())
        end += ::IsDBCSLeadByte(static_cast<BYTE>(shownHigh[end])) ? 2 : 1;
    EXPECT_TRUE(end == shownHigh.size() && end <= 127) << "high bytes shown as " << shownHigh;
}

TEST_F(StressTest, CaptionsStayKestrinAndClientsAlwaysReachTheLog) {
    const int kRounds = 1000;
    int lost = 0;
    for (int i = 0; i < kRounds; ++i) {
        ::SetWindowTextA(i % 2 ? kestrin.View() : kestrin.Frame(), "renamed");
        HWND found = ::FindWindowA(nullptr, "Kestrin");
        lost += found != kestrin.Frame() || !Send(found, 1, "by title");
    }
    EXPECT_EQ(0, lost) << "lookups by title that missed the log";
    for (HWND window : {kestrin.Frame(), kestrin.View()}) {
        char caption[64] = "";
        ::GetWindowTextA(window, caption, sizeof caption);
        EXPECT_STREQ("Kestrin", caption);
    }
    // Each SetWindowText is a message with id 0, and each lookup sent one.
    EXPECT_EQ(2 * kRounds, CRemoteList(kestrin.View()).Count());
}

TEST_F(StressTest, AHundredThousandRowsReadBackFromAnotherProcessBeforeAndAfterClear) {
    const int kRows = 100000;
    const DWORD self = ::GetCurrentProcessId();
    for (int i = 0; i < kRows; ++i)
        ASSERT_TRUE(Send(kestrin.Frame(), self, ("row " + std::to_string(i)).c_str()));
    CRemoteList list(kestrin.View());
    ASSERT_EQ(kRows, list.Count());
    for (int i : {0, 1, 4999, 65535, 65536, 99998, 99999}) {
        const Row row = list.GetRow(i);
        EXPECT_EQ(OwnName(), row[0]) << "row " << i;
        EXPECT_EQ(std::to_string(self), row[1]) << "row " << i;
        EXPECT_EQ("row " + std::to_string(i), row[3]) << "row " << i;
    }
    ::SendMessageA(kestrin.Frame(), WM_COMMAND, kClear, 0);
    EXPECT_EQ(0, list.Count());
    ASSERT_TRUE(Send(kestrin.Frame(), self, "after Clear"));
    ASSERT_EQ(1, list.Count());
    EXPECT_EQ("after Clear", list.GetRow(0)[3]);
}

TEST(SingleInstance, FiveRacingStartsLeaveOneKestrinAndANewOneStartsAfterIt) {
    ASSERT_TRUE(KestrinWindows().empty()) << "expected no Kestrin running before the test";
    std::vector<std::unique_ptr<CChildProcess>> starts;
    const std::string program = CommandLine(SiblingPath("kestrin.exe"), {});
    for (int i = 0; i < 5; ++i) {
        starts.push_back(std::make_unique<CChildProcess>());
        ASSERT_TRUE(starts.back()->Start(program));
    }
    int running = 0;
    for (auto& start : starts)
        running += !start->WaitPumping(3000);
    EXPECT_EQ(1, running) << "Kestrins still running after the others ended";
    std::vector<HWND> windows;
    ASSERT_TRUE(WaitFor([&] { return (windows = KestrinWindows()).size() == 1; }))
        << "expected exactly one window titled Kestrin, got " << windows.size();
    ::PostMessageA(windows[0], WM_CLOSE, 0, 0);
    for (auto& start : starts)
        EXPECT_TRUE(start->WaitPumping(kTimeoutMs)) << "expected every Kestrin to end";

    CKestrin next;
    ASSERT_NO_FATAL_FAILURE(next.Start());
    next.Close();
}
