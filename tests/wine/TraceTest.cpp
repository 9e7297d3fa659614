// kestrin_trace.h as clients use it: from threads at once to Kestrin, from C, switched off, and
// against a stand-in window that refuses, goes away or hangs.
#include <algorithm>
#include <atomic>
#include <thread>

#include "KestrinProcess.h"
#include "kestrin_trace.h"

extern "C" BOOL TraceFromC(const char* text);
extern "C" int TraceOffEvaluations(void);

namespace {

// A window titled Kestrin on a thread of its own, which ends with it: it keeps what it is sent
// as "pid:text" and answers `answer`, after waiting for `release` while `hang` is set.
struct CStandIn {
    CStandIn() {
        current = this;
        thread = std::thread([&] {
            WNDCLASSA wc = {0, Proc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "StandIn"};
            ::RegisterClassA(&wc); // fails once registered, which is as good
            window = ::CreateWindowA(wc.lpszClassName, "Kestrin", 0, 0, 0, 0, 0, nullptr, nullptr,
                                     nullptr, nullptr);
            for (MSG msg; ::GetMessageA(&msg, nullptr, 0, 0) > 0;)
                ::DispatchMessageA(&msg);
        });
        WaitFor([this] { return window != nullptr; });
    }
    ~CStandIn() {
        ::SetEvent(release.Get());
        ::PostMessageA(window, WM_QUIT, 0, 0);
        thread.join();
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_SETTEXT)
            return ::DefWindowProcA(window, message, wParam, lParam);
        if (current->hang)
            ::WaitForSingleObject(current->release.Get(), kTimeoutMs);
        current->texts.push_back(std::to_string(wParam) + ":" + reinterpret_cast<char*>(lParam));
        return current->answer;
    }

    inline static CStandIn* current;
    std::thread thread;
    std::atomic<HWND> window = nullptr;
    std::vector<std::string> texts;
    LRESULT answer = 0;
    bool hang = false;
    CHandle release{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

} // namespace

TEST(Trace, FourThreadsAtOnceReachKestrinEachLineOnceInOrderWithTheirProcessAndFalseOnceItIsGone) {
    CKestrin kestrin;
    ASSERT_NO_FATAL_FAILURE(kestrin.Start());
    const int kThreads = 4, kEach = 250;
    std::atomic<int> refused = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                refused +=
                    t % 2 ? !KT("%d:%d", t, i) : !KestrinTraceTimeout(kTimeoutMs, "%d:%d", t, i);
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, refused);

    const std::string name = ProgramPath().substr(FileNameStart(ProgramPath())),
                      self = std::to_string(::GetCurrentProcessId());
    const std::vector<Row> rows = CRemoteList(kestrin.View()).GetRows();
    EXPECT_EQ(size_t(kThreads * kEach), rows.size());
    std::vector<int> next(kThreads);
    for (const Row& row : rows) {
        const int t = std::clamp(row[3][0] - '0', 0, kThreads - 1);
        EXPECT_EQ((Row{name, self, row[2], std::to_string(t) + ":" + std::to_string(next[t]++)}),
                  row);
    }
    kestrin.Close();
    EXPECT_FALSE(KestrinTrace("gone") || KestrinTraceTimeout(100, "gone"));
}

TEST(Trace, FalseWhenRefusedOrHungCutAt511BytesFromCTooAndFoundAgainOnceReplaced) {
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
