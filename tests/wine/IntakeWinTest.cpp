// The intake protocol end to end: kestrin-send in a child process, a window titled
// "Kestrin" here, and the capture pipeline behind it.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Capture.h"
#include "WinProcessSource.h"
#include "WineTestSupport.h"

namespace {

struct Received {
    WPARAM sender;
    std::string text;
};

// A stand-in Kestrin that keeps every message and answers each with one value.
class CRecordingWindow {
public:
    explicit CRecordingWindow(LRESULT answer = 0)
        : m_window([this, answer](WPARAM sender, const char* text) {
              messages.push_back({sender, text ? text : "(null)"});
              return answer;
          }) {}

    std::vector<Received> messages;

private:
    CIntakeWindow m_window;
};

struct SenderRun {
    DWORD processId = 0;
    DWORD exitCode = ~DWORD(0);
    std::string output;
};

// Runs kestrin-send with args and input, pumping this thread's messages until it ends.
SenderRun RunSender(const std::vector<std::string>& args, const std::string* input = nullptr) {
    SenderRun run;
    CChildProcess child;
    const std::string program = SiblingPath("kestrin-send.exe");
    if (!child.Start(CommandLine(program, args))) {
        ADD_FAILURE() << "expected " << program << " to start, got error " << ::GetLastError();
        return run;
    }
    if (input)
        child.FeedInput(*input);
    else
        child.CloseInput();
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

const char kGbkText[] = "\xB5\xF7\xCA\xD4\xD0\xC5\xCF\xA2"; // 调试信息 in code page 936

} // namespace

TEST(Intake, ArgumentsArriveByteForByteWithTheSendersId) {
    const std::vector<std::string> args = {
        "hello",
        kGbkText,
        std::string("ends in a backslash-like trail byte \x81\x5C"),
        "with space and \"quotes\"",
        "back\\slash\\",
        "",
        "*.txt %PATH% %s %n",
        Digits(511),
    };
    CRecordingWindow window;
    const SenderRun run = RunSender(args);
    EXPECT_EQ(0u, run.exitCode) << run.output;
    ExpectReceived(args, run, window.messages);
}

TEST(Intake, RepeatSendsEachMessageThatManyTimesInOrder) {
    CRecordingWindow window;
    const SenderRun run = RunSender({"--repeat", "3", "a", "b"});
    EXPECT_EQ(0u, run.exitCode) << run.output;
    ExpectReceived({"a", "a", "a", "b", "b", "b"}, run, window.messages);
}

TEST(Intake, InputLinesAreMessagesWithoutTheirLineEnds) {
    const std::string longLine = Digits(5000);
    const std::string input = std::string("first\r\nsecond\n\n") + kGbkText + "\n" + longLine +
                              "\r\nin\rside\nlast without a line feed";
    CRecordingWindow window;
    const SenderRun run = RunSender({}, &input);
    EXPECT_EQ(0u, run.exitCode) << run.output;
    ExpectReceived(
        {"first", "second", "", kGbkText, longLine, "in\rside", "last without a line feed"}, run,
        window.messages);
}

TEST(Intake, ExitStatusSaysWhetherEveryMessageWasTaken) {
    const std::string lines = "one\ntwo\n";
    const std::string nulLine = std::string("good\nba\0d\nnever\n", 16);
    const struct {
        const char* name;
        bool window;
        LRESULT answer;
        std::vector<std::string> args;
        const std::string* input;
        DWORD expectedExit;
        std::vector<std::string> expectedMessages;
    } cases[] = {
        {"all taken", true, 0, {"x", "y"}, nullptr, 0, {"x", "y"}},
        {"answer 1 stops at the first", true, 1, {"x", "y"}, nullptr, 2, {"x"}},
        {"answer 1 on input", true, 1, {}, &lines, 2, {"one"}},
        {"no window", false, 0, {"x"}, nullptr, 1, {}},
        {"no window on input", false, 0, {}, &lines, 1, {}},
        {"empty input sends nothing", false, 0, {}, nullptr, 0, {}},
        {"NUL in a line", true, 0, {}, &nulLine, 2, {"good"}},
        {"repeat 0", true, 0, {"--repeat", "0", "x"}, nullptr, 2, {}},
        {"repeat not a number", true, 0, {"--repeat", "3x", "x"}, nullptr, 2, {}},
        {"repeat negative", true, 0, {"--repeat", "-1", "x"}, nullptr, 2, {}},
        {"repeat too large", true, 0, {"--repeat", "1000000001", "x"}, nullptr, 2, {}},
        {"repeat without count", true, 0, {"x", "--repeat"}, nullptr, 2, {}},
        {"unknown option", true, 0, {"--bogus", "x"}, nullptr, 2, {}},
        {"-- before a dashed message", true, 0, {"--", "--bogus"}, nullptr, 0, {"--bogus"}},
        {"help sends nothing", true, 0, {"--help", "x"}, nullptr, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CRecordingWindow> window;
        if (c.window)
            window = std::make_unique<CRecordingWindow>(c.answer);
        const SenderRun run = RunSender(c.args, c.input);
        EXPECT_EQ(c.expectedExit, run.exitCode) << "exit status; sender said: " << run.output;
        ExpectReceived(c.expectedMessages, run,
                       window ? window->messages : std::vector<Received>());
    }
}

TEST(Intake, TimeAndHelpPrintWhatScriptsRead) {
    CRecordingWindow window;
    const SenderRun timed = RunSender({"--time", "--repeat", "5", "x"});
    EXPECT_EQ(0u, timed.exitCode) << timed.output;
    unsigned long long count = 0;
    double nanoseconds = -1;
    char end = 0;
    EXPECT_EQ(3,
              sscanf(timed.output.c_str(), "kestrin-send: %llu messages, mean round trip %lf ns%c",
                     &count, &nanoseconds, &end))
        << "--time output: " << timed.output;
    EXPECT_EQ(5u, count) << timed.output;
    EXPECT_GT(nanoseconds, 0) << timed.output;
    EXPECT_EQ('\r', end) << "the line ends in CR LF: " << timed.output;

    const SenderRun help = RunSender({"--help"});
    EXPECT_EQ(0u, help.exitCode);
    EXPECT_EQ(0u,
              help.output.find("Usage: kestrin-send [--repeat N] [--time] [--] [MESSAGE...]\r\n"))
        << "--help output: " << help.output;
}

namespace {

class CRecordingRows : public IRowSink {
public:
    int GetItemCount() override { return static_cast<int>(rows.size()); }
    int InsertItem(int item, const char* text) override {
        rows.insert(rows.begin() + item, {text, "", "", ""});
        return item;
    }
    void SetItemText(int item, int subItem, const char* text) override {
        rows.at(item).at(subItem) = text;
    }

    std::vector<std::vector<std::string>> rows;
};

int SecondOfDay(const SYSTEMTIME& time) {
    return (time.wHour * 60 + time.wMinute) * 60 + time.wSecond;
}

} // namespace

TEST(CapturePipeline, AMessageFromAnotherProcessBecomesARow) {
    CWinProcessSource source;
    CRecordingRows rows;
    CCapture capture(source, rows);
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
        const std::vector<std::string>& row = rows.rows[i];
        EXPECT_EQ("kestrin-send.exe", row[0]) << "name in row " << i;
        EXPECT_EQ(std::to_string(run.processId), row[1]) << "id in row " << i;
        EXPECT_EQ(texts[i], row[3]) << "text in row " << i;

        SYSTEMTIME shown = {};
        char end = 0;
        ASSERT_EQ(3, sscanf(row[2].c_str(), "%2hu:%2hu:%2hu:00%c", &shown.wHour, &shown.wMinute,
                            &shown.wSecond, &end))
            << "time in row " << i << ": expected HH:MM:SS:00, got " << row[2];
        EXPECT_EQ(11u, row[2].size()) << "time in row " << i << ": " << row[2];
        // Local time of receipt, unless midnight fell in between.
        if (SecondOfDay(before) <= SecondOfDay(after)) {
            EXPECT_LE(SecondOfDay(before), SecondOfDay(shown))
                << "time in row " << i << ": " << row[2];
            EXPECT_GE(SecondOfDay(after), SecondOfDay(shown))
                << "time in row " << i << ": " << row[2];
        }
    }
    EXPECT_EQ(2u, capture.m_procNames.RefreshCount())
        << "the sender's first message refreshes the cache, its second does not";
}
