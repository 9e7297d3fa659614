// The framework's own dispatch: one lookup for a message whatever the shapes mapped, the command
// route with disabled commands, exceptions stopped at the window procedure; handles.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>

#include "CmdUI.h"
#include "FrameWnd.h"
#include "Handle.h"
#include "View.h"
#include "WinApp.h"

namespace {
std::string g_ran; // who handled the last message or command

// Each message is mapped by the base in one shape and by the derived class in the other.
enum : UINT { kVoidUnderMessage = WM_APP, kMessageUnderVoid, kThrows };

struct BaseWnd : CWnd {
    void Ran() { g_ran = "base"; }
    LRESULT Answer(WPARAM, LPARAM) { return 1; }
    const MessageMap* GetMessageMap() const override { return &map; }
    static inline const MessageMap map{
        &CWnd::messageMap,
        MapVoid(kVoidUnderMessage, &BaseWnd::Ran),
        MapMessage(kMessageUnderVoid, &BaseWnd::Answer),
    };
};

struct DerivedWnd : BaseWnd {
    void Ran() { g_ran = "derived"; }
    LRESULT Answer(WPARAM, LPARAM) {
        g_ran = "derived";
        return 2;
    }
    LRESULT Throw(WPARAM outOfMemory, LPARAM) {
        if (outOfMemory)
            throw std::bad_alloc();
        throw std::runtime_error("handler failed");
    }
    const MessageMap* GetMessageMap() const override { return &map; }
    static inline const MessageMap map{
        &BaseWnd::map,
        MapMessage(kVoidUnderMessage, &DerivedWnd::Answer),
        MapVoid(kMessageUnderVoid, &DerivedWnd::Ran),
        MapMessage(kThrows, &DerivedWnd::Throw),
    };
};

struct RefusedWnd : CWnd {
    int OnCreate(CREATESTRUCTA*) { throw std::runtime_error("creation failed"); }
    const MessageMap* GetMessageMap() const override { return &map; }
    static inline const MessageMap map{&CWnd::messageMap, MapCreate(&RefusedWnd::OnCreate)};
};

// The k-th on the route (view, document, frame, application) handles commands 1..k, so command
// n runs on the n-th; command 5 has no handler.
const char* const kRoute[] = {"view", "document", "frame", "application"};
template <class Base, int K> struct Routed : Base {
    void Ran() { g_ran = kRoute[K - 1]; }
    const MessageMap* GetMessageMap() const override { return &map; }
    static inline const MessageMap map{
        &Base::messageMap, MapCommand(1, &Routed::Ran), MapCommand(K < 2 ? K : 2, &Routed::Ran),
        MapCommand(K < 3 ? K : 3, &Routed::Ran), MapCommand(K, &Routed::Ran)};
};
struct TestView : Routed<CView, 1> {
    bool PreCreateWindow(CREATESTRUCTA& cs) override {
        cs.lpszClass = "STATIC";
        return true;
    }
};
using TestDocument = Routed<CDocument, 2>;
using TestFrame = Routed<CFrameWnd, 3>;
using TestApp = Routed<CWinApp, 4>;

HWND MessageWindow(CWnd& wnd) {
    RECT none = {};
    return wnd.CreateEx(0, "STATIC", "", 0, none, HWND_MESSAGE, nullptr) ? wnd.m_hWnd : nullptr;
}
} // namespace

// A handler that throws fails its message and nothing else: the window works on.
TEST(Framework, TheMostDerivedEntryForAMessageRunsWhateverItsShapeAndAThrowFailsOnlyIt) {
    DerivedWnd wnd;
    ASSERT_TRUE(MessageWindow(wnd));
    const unsigned long long outOfMemory = AfxGetOutOfMemoryCount();
    EXPECT_EQ(wnd.SendMessage(kThrows, false), 0);
    EXPECT_EQ(wnd.SendMessage(kThrows, true), 0);
    EXPECT_EQ(AfxGetOutOfMemoryCount(), outOfMemory + 1);
    EXPECT_EQ(wnd.SendMessage(kVoidUnderMessage), 2);
    EXPECT_EQ(std::exchange(g_ran, ""), "derived");
    EXPECT_EQ(wnd.SendMessage(kMessageUnderVoid), 0) << "a void handler's answer is the default's";
    EXPECT_EQ(g_ran, "derived");
    RefusedWnd refused;
    EXPECT_FALSE(MessageWindow(refused)) << "a throwing WM_CREATE refuses the window";
}

TEST(Framework, CommandsGoFromViewToApplicationAndOneWithoutHandlerIsDisabled) {
    TestApp app;
    TestDocument document;
    CCreateContext context;
    context.m_pNewView = MakeAs<CView, TestView>;
    context.m_pCurrentDoc = &document;
    TestFrame frame;
    ASSERT_TRUE(frame.LoadFrame(0, WS_OVERLAPPEDWINDOW, &context));
    HMENU menu = ::CreatePopupMenu();
    for (UINT id = 1; id <= 5; ++id) {
        g_ran.clear();
        frame.SendMessage(WM_COMMAND, id);
        EXPECT_EQ(g_ran, id <= 4 ? kRoute[id - 1] : "") << "command " << id;
        ::AppendMenuA(menu, MF_STRING, id, "item");
        CCmdUI{id, menu, id - 1}.DoUpdate(frame);
        EXPECT_EQ((::GetMenuState(menu, id - 1, MF_BYPOSITION) & MF_GRAYED) != 0, id == 5)
            << "command " << id;
    }
    ::DestroyMenu(menu);
    frame.DestroyWindow();
}

// A handle is closed once, by its last owner: not when it is taken again, nor when it moves.
TEST(Framework, AHandleClosesOnceWithItsLastOwner) {
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD flags = 0;
    {
        CHandle first(event);
        first.Reset(event);
        CHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_TRUE(::GetHandleInformation(event, &flags)) << "closed while owned";
    }
    EXPECT_FALSE(::GetHandleInformation(event, &flags)) << "left open by its owner";
}
