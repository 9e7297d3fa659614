// The clients (kestrin-send in a child process, kestrin_trace.h here) against a stand-in Kestrin
// that takes, refuses, hangs on or dies with what it is sent; names from the real process list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "Syslog.h"
#include "WineTestSupport.h"
#include "kestrin_trace.h"

extern "C" BOOL TraceFromC(const char* text, int* evaluated);

namespace {

using Received = std::vector<std::pair<WPARAM, std::string>>;

enum Receiver { kNone, kTakes, kRefuses, kHangs, kEnds };

// A window titled "Kestrin" on a thread of its own, which a receiver that ends takes along; it
// records each message with its sender's id and answers as the receiver set then tells.
struct CStandIn {
    CStandIn(Receiver receiver, Received& messages) : receiver(receiver), messages(messages) {
        current = this;
        // The system copies a sent text onto the thread's stack, two bytes a byte.
        if (receiver != kNone)
            thread.Reset(::CreateThread(nullptr, 64 << 20, Run, nullptr,
                                        STACK_SIZE_PARAM_IS_A_RESERVATION, &threadId));
        ::WaitForSingleObject(ready.Get(), receiver == kNone ? 0 : kTimeoutMs);
    }
    ~CStandIn() {
        ::PostThreadMessageA(threadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(thread.Get(), kTimeoutMs);
    }
    // Never the default handling: the title has to stay "Kestrin".
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_SETTEXT)
            return ::DefWindowProcA(window, message, wParam, lParam);
        current->messages.emplace_back(wParam, reinterpret_cast<const char*>(lParam));
        if (current->receiver == kEnds)
            ::ExitThread(0);
        ::Sleep(current->receiver == kHangs ? 1000 : 0);
        return current->receiver == kRefuses;
    }
    static DWORD WINAPI Run(void*) {
        WNDCLASSA wc = {0, Proc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "StandIn"};
        ::RegisterClassA(&wc); // fails once registered, which is as good
        ::CreateWindowA(wc.lpszClassName, "Kestrin", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                        nullptr);
        ::SetEvent(current->ready.Get());
        for (MSG msg; ::GetMessageA(&msg, nullptr, 0, 0) > 0;)
            ::DispatchMessageA(&msg);
        return 0;
    }

    inline static CStandIn* current;
    Receiver receiver;
    Received& messages;
    CHandle ready{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    CHandle thread;
    DWORD threadId = 0;
};

const char kGbkText[] = "\xB5\xF7\xCA\xD4\xD0\xC5\xCF\xA2"; // in code page 936

} // namespace

TEST(Intake, MessagesArriveWithTheSendersIdAndBothClientsTellWhetherEachWasTaken) {
    using Texts = std::vector<std::string>;
    // Among them a trail byte that is a backslash, and a wildcard the runtime must not expand.
    const Texts args = {"hello", kGbkText, "\x81\x5C", "", "*.txt", std::string(511, 'd')};
    const std::string line(5000, 'd');
    const std::string input = std::string("first\r\nsecond\n\n") + kGbkText + "\n" + line +
                              "\r\nin\rside\nlast without a line feed";
    const Texts lines = {
        "first", "second", "", kGbkText, line, "in\rside", "last without a line feed"};
    const std::string longest(16 << 20, 'z');
    const struct {
        const char* name;
        Texts args;
        std::string input;
        Receiver receiver;
        DWORD exit;
        Texts messages;
        const char* said;
    } cases[] = {
        {"arguments", args, "", kTakes, 0, args, ""},
        {"input lines", {}, input, kTakes, 0, lines, ""},
        {"repeat, time", {"--repeat", "2", "--time", "a"}, "", kTakes, 0, {"a", "a"}, "2 messages"},
        {"-- before a dashed message", {"--", "--bogus"}, "", kTakes, 0, {"--bogus"}, ""},
        {"answer 1 stops at the first", {"x", "y"}, "", kRefuses, 2, {"x"}, "did not take"},
        {"answer 1 on input", {}, "one\ntwo\n", kRefuses, 2, {"one"}, "did not take"},
        {"no window", {"x"}, "", kNone, 1, {}, "no window"},
        {"empty input needs no window", {}, "", kNone, 0, {}, ""},
        {"timeout, answered", {"--timeout", "5000", "a"}, "", kTakes, 0, {"a"}, ""},
        {"timeout, hung", {"--timeout", "200", "x", "y"}, "", kHangs, 2, {"x"}, "is hung"},
        {"no timeout waits", {"x"}, "", kHangs, 0, {"x"}, ""},
        {"ends while taking it", {"x", "y"}, "", kEnds, 2, {"x"}, "ended before"},
        {"over 16 MB cut", {}, longest + "zz\r\nnext", kTakes, 2, {longest, "next"}, "line 1 was"},
        {"NUL in a line", {}, std::string("ok\nb\0d\nno\n", 10), kTakes, 2, {"ok"}, "line 2"},
        {"repeat 0", {"--repeat", "0", "x"}, "", kTakes, 2, {}, "got 0"},
        {"timeout without milliseconds", {"x", "--timeout"}, "", kTakes, 2, {}, "needs"},
        {"unknown option", {"--bogus", "x"}, "", kTakes, 2, {}, "unknown option"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Received got;
        CChildProcess sender;
        {
            CStandIn window(c.receiver, got);
            ASSERT_TRUE(sender.Start(CommandLine(SiblingPath("kestrin-send.exe"), c.args)))
                << "expected kestrin-send to start, got error " << ::GetLastError();
            sender.CloseInput(c.input);
            ASSERT_TRUE(sender.WaitPumping(kTimeoutMs)) << "expected kestrin-send to end";
        } // the stand-in's thread has ended: got is complete
        const std::string said = sender.Output();
        EXPECT_TRUE(sender.ExitCode() == c.exit && said.find(c.said) != std::string::npos)
            << "expected exit status " << c.exit << " saying \"" << c.said << "\"; got "
            << sender.ExitCode() << ": " << said;
        Received expected;
        for (const std::string& text : c.messages)
            expected.emplace_back(sender.Id(), text);
        EXPECT_EQ(expected, got) << "(sender id, text) received";
    }

    // The header: lines cut at 511 bytes, from C too; KT's arguments unevaluated when it is off;
    // FALSE when refused, hung or no window; a new window found once the old one is gone.
    int evaluated = 0;
    const WPARAM self = ::GetCurrentProcessId();
    for (int round = 0; round < 2; ++round) {
        Received got;
        {
            CStandIn standIn(kTakes, got);
            EXPECT_TRUE(KestrinTrace("%s%0599d", "x", 6) && TraceFromC("text", &evaluated));
            standIn.receiver = kRefuses;
            EXPECT_FALSE(KestrinTrace("refused") || KestrinTraceTimeout(100, "refused"));
            standIn.receiver = kHangs; // no refusal, only no answer in time
            EXPECT_FALSE(KestrinTraceTimeout(100, "hung"));
        }
        EXPECT_EQ((Received{{self, "x" + std::string(510, '0')},
                            {self, "C: text"},
                            {self, "refused"},
                            {self, "refused"},
                            {self, "hung"}}),
                  got);
        EXPECT_FALSE(KestrinTrace("gone") || KestrinTraceTimeout(100, "gone"));
    }
    EXPECT_EQ(0, evaluated) << "KT's arguments evaluated while it is off";
}

// New handles take the lowest free slots, so a leaked one shows; kestrin-send stays until its
// input closes. The name's first character is double-byte, trail byte '\\'; may be unterminated.
TEST(ProcessNamesWin, NamesAreCutTo127BytesEndedProcessesHaveNoneAndRefreshesLeakNoHandle) {
    const std::string trailBackslash = "\x81\x5c";
    const std::string path = SiblingPath("") + trailBackslash + std::string(148, 'x') + ".exe";
    ASSERT_TRUE(::CopyFileA(SiblingPath("kestrin-send.exe").c_str(), path.c_str(), FALSE))
        << path << ": error " << ::GetLastError();
    CWinProcessSource source;
    CChildProcess child;
    ASSERT_TRUE(child.Start(CommandLine(path, {}))) << "error " << ::GetLastError();
    char name[128];
    DWORD length = 0;
    WaitFor([&] { // 0 until the sender has loaded
        memset(name, 'X', sizeof name);
        return (length = source.ReadName(child.Id(), name)) != 0;
    });
    EXPECT_EQ(std::make_pair(trailBackslash + std::string(125, 'x'), DWORD{127}),
              std::make_pair(std::string(name, strnlen(name, sizeof name)), length))
        << "name and length returned";
    const auto freeSlots = [] {
        std::vector<HANDLE> slots(64);
        for (HANDLE& slot : slots)
            slot = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        std::for_each(slots.begin(), slots.end(), ::CloseHandle);
        std::sort(slots.begin(), slots.end());
        return slots;
    };
    CProcessNames names(source);
    const std::vector<HANDLE> before = freeSlots();
    for (int i = 0; i < 50; ++i)
        names.Refresh();
    EXPECT_EQ(before, freeSlots()) << "the handles new objects get, before and after refreshes";
    child.CloseInput();
    ASSERT_TRUE(child.WaitPumping(kTimeoutMs)) << "expected the sender to end";
    EXPECT_EQ(0u, source.ReadName(child.Id(), name)) << "once ended";
    ::DeleteFileA(path.c_str());
}

// The system's conversion of a syslog message's UTF-8 to the rows' code page (936 here).
TEST(SyslogWin, Utf8BecomesTheCodePageWithOneQuestionMarkForEachCharacterItLacks) {
    const SyslogRow row =
        MakeSyslogRow({"\xE4\xB8\xAD\xE6\x96\x87", "app", "-", "-", -1, -1, "", "",
                       "\xE4\xB8\xAD \xC3\xA9 \xF0\x9F\x98\x80 \xE2\x82\xAC"});
    EXPECT_EQ("\xD6\xD0\xCE\xC4/app|\xD6\xD0 \xA8\xA6 ? \x80", row.name + "|" + row.text);
}
