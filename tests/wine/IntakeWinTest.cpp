// The intake protocol end to end: kestrin-send in a child process, a window titled
// "Kestrin" here, and the capture pipeline behind it.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Capture.h"
#include "RowStore.h"
#include "WinProcessSource.h"
#include "WineTestSupport.h"

namespace {

struct Received {
    WPARAM sender;
    std::string text;
};

// How the stand-in Kestrin deals with each message.
enum class Receiver { kNone, kTakes, kRefuses, kHangs, kEnds };

// A stand-in Kestrin that keeps every message and answers each with 0 (kHangs: after a second)
// or 1 (kRefuses).
class CRecordingWindow {
public:
    explicit CRecordingWindow(Receiver receiver = Receiver::kTakes)
        : m_window([this, receiver](WPARAM sender, const char* text) {
              messages.push_back({sender, text ? text : "(null)"});
              if (receiver == Receiver::kHangs)
                  ::Sleep(1000);
              return receiver == Receiver::kRefuses ? 1 : 0;
          }) {}

    std::vector<Received> messages;

private:
    CIntakeWindow m_window;
};

// A stand-in Kestrin whose thread ends while it takes the first message, and its window with it.
class CEndingWindow {
public:
    CEndingWindow() {
        m_thread.Reset(::CreateThread(nullptr, 0, Run, m_ready.Get(), 0, &m_threadId));
        ::WaitForSingleObject(m_ready.Get(), kChildTimeoutMs);
    }
    ~CEndingWindow() {
        ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(m_thread.Get(), kChildTimeoutMs);
    }

private:
    static DWORD WINAPI Run(void* ready) {
        CIntakeWindow window([](WPARAM, const char*) -> LRESULT { ::ExitThread(0); });
        ::SetEvent(ready);
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
            ::DispatchMessageA(&msg);
        return 0;
    }

    CHandle m_ready{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    CHandle m_thread;
    DWORD m_threadId = 0;
};

struct SenderRun {
    DWORD processId = 0;
    DWORD exitCode = ~DWORD(0);
    std::string output;
};

// Runs kestrin-send with args and input, pumping this thread's messages until it ends.
SenderRun RunSender(const std::vector<std::string>& args, const std::string& input = "") {
    SenderRun run;
    CChildProcess child;
    const std::string program = SiblingPath("kestrin-send.exe");
    if (!child.Start(CommandLine(program, args))) {
        ADD_FAILURE() << "expected " << program << " to start, got error " << ::GetLastError();
        return run;
    }
    child.FeedInput(input);
    run.processId = child.Id();
    if (!child.WaitPumping(kChildTimeoutMs)) {
        ADD_FAILURE() << "expected kestrin-send to end within " << kChildTimeoutMs << " ms";
        return run;
    }
    run.exitCode = child.ExitCode();
    run.output = child.Output();
    return run;
}

void ExpectReceived(const std::vector<std::string>& expected, const SenderRun& run,
                    const std::vector<Received>& got) {
    ASSERT_EQ(expected.size(), got.size()) << "messages received; sender said: " << run.output;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(run.processId, got[i].sender) << "sender id of message " << i;
        EXPECT_EQ(expected[i], got[i].text) << "bytes of message " << i;
    }
}

std::string Digits(size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<char>('0' + i % 10);
    return text;
}

const char kGbkText[] = "\xB5\xF7\xCA\xD4\xD0\xC5\xCF\xA2"; // in code page 936

} // namespace

TEST(Intake, MessagesArriveWithTheSendersIdAndTheExitStatusSaysWhetherAllWereTaken) {
    // Among them a trail byte that is a backslash, and a wildcard the runtime must not expand.
    const std::vector<std::string> args = {"hello", kGbkText, "\x81\x5C", "", "*.txt", Digits(511)};
    const std::string input = std::string("first\r\nsecond\n\n") + kGbkText + "\n" + Digits(5000) +
                              "\r\nin\rside\nlast without a line feed";
    const std::vector<std::string> lines = {
        "first", "second", "", kGbkText, Digits(5000), "in\rside", "last without a line feed"};
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        Receiver receiver;
        DWORD exit;
        std::vector<std::string> messages;
    } cases[] = {
        {"arguments", args, "", Receiver::kTakes, 0, args},
        {"input lines", {}, input, Receiver::kTakes, 0, lines},
        {"repeat",
         {"--repeat", "3", "a", "b"},
         "",
         Receiver::kTakes,
         0,
         {"a", "a", "a", "b", "b", "b"}},
        {"-- before a dashed message", {"--", "--bogus"}, "", Receiver::kTakes, 0, {"--bogus"}},
        {"answer 1 stops at the first", {"x", "y"}, "", Receiver::kRefuses, 2, {"x"}},
        {"answer 1 on input", {}, "one\ntwo\n", Receiver::kRefuses, 2, {"one"}},
        {"no window", {"x"}, "", Receiver::kNone, 1, {}},
        {"empty input needs no window", {}, "", Receiver::kNone, 0, {}},
        {"timeout, answered", {"--timeout", "5000", "a"}, "", Receiver::kTakes, 0, {"a"}},
        {"timeout, hung", {"--timeout", "200", "x", "y"}, "", Receiver::kHangs, 2, {"x"}},
        {"no timeout waits", {"x"}, "", Receiver::kHangs, 0, {"x"}},
        {"Kestrin ends while taking it", {"x", "y"}, "", Receiver::kEnds, 2, {}},
        {"NUL in a line",
         {},
         std::string("good\nba\0d\nnever\n", 16),
         Receiver::kTakes,
         2,
         {"good"}},
        {"repeat 0", {"--repeat", "0", "x"}, "", Receiver::kTakes, 2, {}},
        {"repeat without count", {"x", "--repeat"}, "", Receiver::kTakes, 2, {}},
        {"timeout without milliseconds", {"x", "--timeout"}, "", Receiver::kTakes, 2, {}},
        {"unknown option", {"--bogus", "x"}, "", Receiver::kTakes, 2, {}},
        {"help sends nothing", {"--help", "x"}, "", Receiver::kTakes, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CRecordingWindow> window;
        std::unique_ptr<CEndingWindow> ending;
        if (c.receiver == Receiver::kEnds)
            ending = std::make_unique<CEndingWindow>();
        else if (c.receiver != Receiver::kNone)
            window = std::make_unique<CRecordingWindow>(c.receiver);
        const SenderRun run = RunSender(c.args, c.input);
        EXPECT_EQ(c.exit, run.exitCode) << "exit status; sender said: " << run.output;
        ExpectReceived(c.messages, run, window ? window->messages : std::vector<Received>());
    }
}

// Scripts and the bench read this line.
TEST(Intake, TimePrintsTheMeanRoundTrip) {
    CRecordingWindow window;
    const SenderRun run = RunSender({"--time", "--repeat", "5", "x"});
    EXPECT_EQ(0u, run.exitCode) << run.output;
    unsigned long long count = 0;
    double nanoseconds = -1;
    char end = 0;
    EXPECT_EQ(3, sscanf(run.output.c_str(), "kestrin-send: %llu messages, mean round trip %lf ns%c",
                        &count, &nanoseconds, &end))
        << "--time output: " << run.output;
    EXPECT_EQ(5u, count) << run.output;
    EXPECT_GT(nanoseconds, 0) << run.output;
    EXPECT_EQ('\r', end) << "the line ends in CR LF: " << run.output;
}

namespace {

class CRecordingRows : public IRowSink, public ISender {
public:
    void AppendRow(const DebugRecord& record) override {
        CRowStore store;
        RowCells scratch;
        store.Append(record);
        rows.emplace_back();
        for (int column = 0; column < 4; ++column)
            rows.back().push_back(store.GetCellText(0, column, scratch));
    }
    void Reply() override { ::ReplyMessage(0); }

    std::vector<std::vector<std::string>> rows;
};

class CCountingSource : public CWinProcessSource {
public:
    bool EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) override {
        ++enumCalls;
        return CWinProcessSource::EnumProcesses(ids, bytes, bytesFilled);
    }
    unsigned enumCalls = 0;
};

} // namespace

TEST(CapturePipeline, AMessageFromAnotherProcessBecomesARow) {
    CCountingSource source;
    CRecordingRows rows;
    CCapture capture(source, rows, rows);
    CIntakeWindow window([&capture](WPARAM sender, const char* text) {
        return static_cast<LRESULT>(capture.OnDebugMessage(static_cast<DWORD>(sender), text));
    });
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    const SenderRun run = RunSender({"hello", kGbkText});
    ::GetLocalTime(&after);
    ASSERT_EQ(0u, run.exitCode) << run.output;

    ASSERT_EQ(2u, rows.rows.size());
    const std::string texts[] = {"hello", kGbkText};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const std::vector<std::string>& row = rows.rows[i];
        EXPECT_EQ("kestrin-send.exe", row[0]);
        EXPECT_EQ(std::to_string(run.processId), row[1]);
        EXPECT_EQ(texts[i], row[3]);
        EXPECT_TRUE(IsTimeCellWithin(row[2], before, after)) << "time: got " << row[2];
    }
    EXPECT_EQ(2u, source.enumCalls)
        << "the sender's first message refreshes the cache, its second does not";
}
