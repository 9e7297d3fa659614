// Kestrin under abuse from other processes: huge texts, posted messages that carry junk
// pointers, and a close that arrives inside a modal loop.
#include "KestrinProcess.h"

namespace {

// Bounded, so that a dead or stuck Kestrin fails the test instead of hanging it.
bool SendText(HWND window, const std::string& text) {
    DWORD_PTR answer = 1;
    return ::SendMessageTimeoutA(window, WM_SETTEXT, ::GetCurrentProcessId(),
                                 reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kTimeoutMs,
                                 &answer) &&
           answer == 0;
}

std::string Letters(size_t length) {
    std::string text(length, '\0');
    for (size_t i = 0; i < length; ++i)
        text[i] = static_cast<char>('a' + i % 26);
    return text;
}

} // namespace

TEST(Fault, TextsOfUpTo16MegabytesBecomeRows) {
    CKestrin kestrin;
    ASSERT_NO_FATAL_FAILURE(kestrin.Start());
    const size_t lengths[] = {1048575, 16u << 20};
    for (size_t length : lengths)
        EXPECT_TRUE(SendText(kestrin.Frame(), Letters(length))) << "a text of " << length;
    const std::vector<Row> rows = kestrin.Rows();
    ASSERT_EQ(2u, rows.size()) << "rows after the long texts";
    for (const Row& row : rows)
        EXPECT_EQ(Letters(127), row[3]);
    kestrin.Close();
}

TEST(Fault, PostedMessagesWithJunkPointersAreDroppedInEveryLoop) {
    CKestrin kestrin;
    ASSERT_NO_FATAL_FAILURE(kestrin.Start());
    const UINT kAppAbout = 57664;
    // Once in the main loop, once in the About box's.
    for (bool modal : {false, true}) {
        SCOPED_TRACE(modal ? "About box open" : "main loop");
        if (modal) {
            ::PostMessageA(kestrin.Frame(), WM_COMMAND, kAppAbout, 0);
            ASSERT_TRUE(WaitFor([&] { return ModalWindowOf(kestrin.Id()) != nullptr; }));
        }
        for (HWND target : {kestrin.Frame(), kestrin.View()})
            EXPECT_TRUE(::PostMessageA(target, WM_NOTIFY, 0, 0x7FF1));
        EXPECT_TRUE(SendText(kestrin.Frame(), "after the junk")) << "Kestrin still answers";
    }
    const std::vector<Row> rows = kestrin.Rows();
    ASSERT_EQ(2u, rows.size()) << "rows: one real message per loop, none from the junk";
    EXPECT_EQ("after the junk", rows[1][3]);
    ::PostMessageA(ModalWindowOf(kestrin.Id()), WM_COMMAND, IDCANCEL, 0);
    kestrin.Close();
}

TEST(Fault, AWindowClosedInsideTheMoveLoopEndsItsProcess) {
    // The move loop runs inside the main loop's dispatch, or inside a sent message.
    for (bool sent : {false, true}) {
        SCOPED_TRACE(sent ? "sent" : "posted");
        CKestrin kestrin;
        ASSERT_NO_FATAL_FAILURE(kestrin.Start());
        if (sent)
            ::SendMessageTimeoutA(kestrin.Frame(), WM_SYSCOMMAND, SC_MOVE, 0, SMTO_NORMAL, 200,
                                  nullptr);
        else
            ::PostMessageA(kestrin.Frame(), WM_SYSCOMMAND, SC_MOVE, 0);
        ::PostMessageA(kestrin.Frame(), WM_CLOSE, 0, 0);
        kestrin.Wait();
    }
    CKestrin next;
    ASSERT_NO_FATAL_FAILURE(next.Start()) << "a new Kestrin starts once the others have ended";
    next.Close();
}
