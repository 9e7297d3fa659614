// kestrin-send in a child process against a stand-in Kestrin here that takes, refuses, hangs on
// or dies with what it is sent.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "WineTestSupport.h"

namespace {

using Received = std::vector<std::pair<WPARAM, std::string>>;

enum Receiver { kNone, kTakes, kRefuses, kHangs, kEnds };

// A window titled "Kestrin" on a thread of its own, so that a receiver that ends takes only its
// thread along. It records every message with its sender's id and answers as told; kNone: none.
class CStandIn {
public:
    CStandIn(Receiver receiver, Received& messages) : m_receiver(receiver), m_messages(messages) {
        if (receiver == kNone)
            return;
        // The system copies a sent text onto this stack, two bytes a byte.
        m_thread.Reset(::CreateThread(nullptr, 64 << 20, Run, this,
                                      STACK_SIZE_PARAM_IS_A_RESERVATION, &m_threadId));
        ::WaitForSingleObject(m_ready.Get(), kChildTimeoutMs);
    }
    ~CStandIn() {
        ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(m_thread.Get(), kChildTimeoutMs);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CStandIn*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        // Never the default handling: the title has to stay "Kestrin".
        if (message != WM_SETTEXT || !self)
            return ::DefWindowProcA(hwnd, message, wParam, lParam);
        self->m_messages.emplace_back(wParam, reinterpret_cast<const char*>(lParam));
        if (self->m_receiver == kEnds)
            ::ExitThread(0);
        ::Sleep(self->m_receiver == kHangs ? 1000 : 0);
        return self->m_receiver == kRefuses;
    }

    static DWORD WINAPI Run(void* param) {
        auto* self = static_cast<CStandIn*>(param);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KestrinStandIn";
        ::RegisterClassA(&windowClass); // fails, harmlessly, from the second stand-in on
        HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "Kestrin", WS_OVERLAPPED, 0,
                                        0, 200, 100, nullptr, nullptr, windowClass.hInstance, 0);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        ::SetEvent(self->m_ready.Get());
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
            ::DispatchMessageA(&msg);
        return 0;
    }

    const Receiver m_receiver;
    Received& m_messages;
    CHandle m_ready{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    CHandle m_thread;
    DWORD m_threadId = 0;
};

const char kGbkText[] = "\xB5\xF7\xCA\xD4\xD0\xC5\xCF\xA2"; // in code page 936

} // namespace

TEST(Intake, MessagesArriveWithTheSendersIdAndTheExitStatusSaysWhetherAllWereTaken) {
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
            ASSERT_TRUE(sender.WaitPumping(kChildTimeoutMs)) << "expected kestrin-send to end";
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
}
