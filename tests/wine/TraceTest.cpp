// kestrin_trace.h as clients use it: from threads at once to Kestrin, from C, switched off, and
// against a stand-in window that refuses, goes away or hangs.
#include <atomic>
#include <future>
#include <thread>

#include "KestrinProcess.h"
#include "kestrin_trace.h"

extern "C" BOOL TraceFromC(const char* text);
extern "C" int TraceOffEvaluations(void);

namespace {

// A window titled Kestrin on a thread of its own: it keeps what it is sent as "pid:text" and
// answers `answer`, after waiting for `release` while `hang` is set.
struct CStandIn {
    CStandIn() {
        current = this;
        std::promise<HWND> created;
        thread = std::thread([&] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = Proc;
            wc.lpszClassName = "KestrinStandIn";
            ::RegisterClassA(&wc); // fails once registered, which is as good
            created.set_value(::CreateWindowA(wc.lpszClassName, "Kestrin", 0, 0, 0, 0, 0, nullptr,
                                              nullptr, nullptr, nullptr));
            for (MSG msg; ::GetMessageA(&msg, nullptr, 0, 0) > 0;)
                ::DispatchMessageA(&msg);
        });
        window = created.get_future().get();
    }
    ~CStandIn() {
        ::SetEvent(release.Get());
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        thread.join();
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_DESTROY)
            ::PostQuitMessage(0);
        if (message != WM_SETTEXT)
            return ::DefWindowProcA(window, message, wParam, lParam);
        if (current->hang)
            ::WaitForSingleObject(current->release.Get(), kTimeoutMs);
        current->texts.push_back(std::to_string(wParam) + ":" + reinterpret_cast<char*>(lParam));
        return current->answer;
    }

    inline static CStandIn* current;
    std::thread thread;
    HWND window;
    std::vector<std::string> texts;
    LRESULT answer = 0;
    bool hang = false;
    CHandle release{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

} // namespace

TEST(Trace, FourThreadsAtOnceReachKestrinEachLineOnceInOrderWithTheirProcess) {
    CKestrin kestrin;
    ASSERT_NO_FATAL_FAILURE(kestrin.Start());
    const int kThreads = 4, kEach = 250;
    std::vector<std::thread> threads;
    std::atomic<int> refused = 0;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                refused +=
                    t % 2 ? !KT("%d:%d", t, i) : !KestrinTraceTimeout(kTimeoutMs, "%d:%d", t, i);
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, refused);
    EXPECT_TRUE(KestrinTrace("%0600d", 6)) << "a line of 600 bytes";

    const std::vector<Row> rows = CRemoteList(kestrin.View()).GetRows();
    ASSERT_EQ(size_t(kThreads * kEach + 1), rows.size());
    const std::string name = ProgramPath().substr(FileNameStart(ProgramPath()));
    const std::string self = std::to_string(::GetCurrentProcessId());
    std::vector<int> next(kThreads);
    for (size_t r = 0; r + 1 < rows.size(); ++r) {
        int t = 0, i = 0, n = 0;
        EXPECT_TRUE(sscanf(rows[r][3].c_str(), "%d:%d%n", &t, &i, &n) == 2 && t >= 0 &&
                    t < kThreads && i == next[t]++ && size_t(n) == rows[r][3].size() &&
                    rows[r][0] == name && rows[r][1] == self)
            << "row " << r << ": " << rows[r][0] << ", " << rows[r][1] << ", " << rows[r][3];
    }
    EXPECT_EQ(std::string(127, '0'), rows.back()[3]);
    kestrin.Close();
}

TEST(Trace, FalseWithoutKestrinOrWhenItRefusesOrHangsAndCutAt511Bytes) {
    ASSERT_TRUE(KestrinWindows().empty()) << "expected no Kestrin running before the test";
    EXPECT_FALSE(KestrinTrace("none") || KestrinTraceTimeout(100, "none"));
    EXPECT_EQ(0, TraceOffEvaluations()) << "KT's arguments evaluated while it is off";
    const std::string self = std::to_string(::GetCurrentProcessId()) + ":";
    for (int round = 0; round < 2; ++round) { // the second finds the new window
        CStandIn standIn;
        EXPECT_TRUE(KestrinTrace("%s%0599d", "x", 6) && TraceFromC("text"));
        EXPECT_EQ((std::vector<std::string>{self + "x" + std::string(510, '0'), self + "C: text"}),
                  standIn.texts);
        standIn.answer = 1;
        EXPECT_FALSE(KestrinTrace("refused") || KestrinTraceTimeout(100, "refused"));
        standIn.answer = 0; // no refusal, only no answer in time
        standIn.hang = true;
        EXPECT_FALSE(KestrinTraceTimeout(100, "hung"));
    }
}
