// The toolbar dragged by its gripper to each edge and out of the frame, its floating window's
// caption and close, and the View menu's bar toggles, driven with the messages the mouse sends.
#include "AppFixture.h"

#include <set>

namespace {

RECT WindowRect(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

class DockingTest : public AppFixture {
protected:
    // The bar back at the top, as the other tests expect it.
    void TearDown() override {
        m_frame->DockControlBar(m_frame->GetControlBar(AFX_IDW_TOOLBAR), CBRS_ALIGN_TOP);
    }
    HWND Bar() const { return m_frame->GetControlBar(AFX_IDW_TOOLBAR)->m_hWnd; }
    // Pressed at from (screen) on a gripper or caption, released at target; Escape first if cancel.
    void Drag(HWND window, POINT from, POINT target, bool cancel = false) const {
        const LPARAM at = MAKELPARAM(from.x, from.y);
        ::SendMessageA(window, WM_NCLBUTTONDOWN, ::SendMessageA(window, WM_NCHITTEST, 0, at), at);
        ::ScreenToClient(Bar(), &target);
        ::SendMessageA(Bar(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(target.x, target.y));
        if (cancel)
            Input(m_view, WM_KEYDOWN, VK_ESCAPE);
        ::SendMessageA(Bar(), WM_LBUTTONUP, 0, MAKELPARAM(target.x, target.y));
    }
    void DragBarTo(POINT target, bool cancel = false) const {
        const RECT bar = WindowRect(Bar());
        Drag(Bar(), POINT{bar.left + 4, bar.top + 4}, target, cancel);
    }
    // A screen point 5 pixels inside the client area above the status bar: towards its left
    // (dx -1) or right (1) edge, its top (dy -1) or bottom (1), or midway (0).
    POINT Near(int dx, int dy) const {
        RECT a = {};
        ::GetClientRect(m_frame->m_hWnd, &a);
        ::MapWindowPoints(m_frame->m_hWnd, nullptr, reinterpret_cast<POINT*>(&a), 2);
        a.bottom = WindowRect(::GetDlgItem(m_frame->m_hWnd, AFX_IDW_STATUS_BAR)).top;
        return {(a.left + a.right) / 2 + dx * ((a.right - a.left) / 2 - 5),
                (a.top + a.bottom) / 2 + dy * ((a.bottom - a.top) / 2 - 5)};
    }
    bool Checked(UINT id) const { // on the View menu
        return ::GetMenuState(OpenPopup(2), id, MF_BYCOMMAND) & MF_CHECKED;
    }
    // Rows of buttons, each of which must lie whole inside window's client area.
    size_t Rows(HWND window) const {
        RECT client = {}, item = {}, inside = {};
        ::GetClientRect(window, &client);
        std::set<LONG> tops;
        for (int i = 0; ::SendMessageA(Bar(), TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item));
             ++i) {
            TBBUTTON button = {};
            ::SendMessageA(Bar(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
            ::MapWindowPoints(Bar(), window, reinterpret_cast<POINT*>(&item), 2);
            if (button.fsStyle & TBSTYLE_SEP)
                continue;
            tops.insert(item.top);
            EXPECT_TRUE(::IntersectRect(&inside, &item, &client) && ::EqualRect(&inside, &item))
                << "button " << i << " cut, at " << item.left << "," << item.top;
        }
        return tops.size();
    }
    // The edge of the view the bar lies along, and whether its buttons stand in a column.
    std::string Place() const {
        const RECT bar = WindowRect(Bar()), view = WindowRect(m_view);
        const char* edge = bar.right <= view.left   ? "left"
                           : bar.left >= view.right ? "right"
                           : bar.bottom <= view.top ? "top"
                           : bar.top >= view.bottom ? "bottom"
                                                    : "over the view";
        return std::string(edge) + (Rows(m_frame->m_hWnd) > 1 ? " vertical" : " horizontal");
    }
};

// Each bar's View item hides it, unchecked, and the view takes its strip; again, all is back.
TEST_F(DockingTest, ViewItemsHideTheBarsWhichDockAtEachEdgeAndFloatInAToolWindowThatDocksBack) {
    for (UINT id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        HWND bar = ::GetDlgItem(m_frame->m_hWnd, static_cast<int>(id));
        const RECT view = WindowRect(m_view), strip = WindowRect(bar);
        Command(id);
        RECT grown = WindowRect(m_view), overlap = {};
        EXPECT_FALSE(::IsWindowVisible(bar) || Checked(id)) << "hidden, unchecked: " << id;
        EXPECT_TRUE(::IntersectRect(&overlap, &grown, &strip)) << "the view takes its strip";
        Command(id);
        grown = WindowRect(m_view);
        EXPECT_TRUE(::IsWindowVisible(bar) && Checked(id)) << "shown, checked: " << id;
        EXPECT_TRUE(::EqualRect(&view, &grown)) << "the view as before: " << id;
    }
    const struct {
        int dx, dy;
        const char* place; // null: floating, as over the middle of the view
    } drops[] = {{-1, 0, "left vertical"},
                 {1, 0, "right vertical"},
                 {0, 0, nullptr},
                 {0, 1, "bottom horizontal"},
                 {0, -1, "top horizontal"}};
    DragBarTo(Near(-1, 0), true);
    EXPECT_EQ("top horizontal", Place()) << "Escape leaves the bar where it was";
    for (const auto& drop : drops) {
        DragBarTo(Near(drop.dx, drop.dy));
        EXPECT_EQ(drop.place != nullptr, m_frame->m_hWnd == ::GetParent(Bar())) << "docked?";
        if (drop.place)
            EXPECT_EQ(drop.place, Place());
        else
            m_frame->DockControlBar(m_frame->GetControlBar(AFX_IDW_TOOLBAR));
    }

    const RECT frame = WindowRect(m_frame->m_hWnd);
    DragBarTo(POINT{frame.right + 40, frame.top + 40});
    HWND tool = ::GetParent(Bar());
    ASSERT_NE(m_frame->m_hWnd, tool);
    const RECT floating = WindowRect(tool);
    EXPECT_TRUE(::IsWindowVisible(tool));
    EXPECT_EQ(std::make_pair(m_frame->m_hWnd, m_frame->m_hWnd),
              std::make_pair(::GetWindow(tool, GW_OWNER), ::FindWindowA(nullptr, "Kestrin")))
        << "its owner, and the window clients find";
    EXPECT_EQ(1u, Rows(tool)) << "floating, it lies flat";
    ::SendMessageA(Bar(), TB_SETHOTITEM, ::SendMessageA(Bar(), TB_COMMANDTOINDEX, ID_FILE_NEW, 0),
                   0);
    EXPECT_EQ(Ansi("建立新文档"), WindowText(::GetDlgItem(m_frame->m_hWnd, AFX_IDW_STATUS_BAR)))
        << "a hot button's prompt, from the tool window to the frame's status bar";
    ::SendMessageA(Bar(), TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
    // The pointer resting on a button shows its tip, though the tool window is never active.
    RECT button = {};
    ::SendMessageA(Bar(), TB_GETRECT, ID_FILE_NEW, reinterpret_cast<LPARAM>(&button));
    POINT over = {button.left + 4, button.top + 4}, screen = over;
    ::ClientToScreen(Bar(), &screen), ::SetCursorPos(screen.x, screen.y);
    ::SendMessageA(Bar(), WM_MOUSEMOVE, 0, MAKELPARAM(over.x, over.y));
    HWND tips = reinterpret_cast<HWND>(::SendMessageA(Bar(), TB_GETTOOLTIPS, 0, 0));
    EXPECT_TRUE(WaitFor([&] { return PumpMessages(), ::IsWindowVisible(tips); }))
        << "a floating bar's tip";

    // Closed, it hides; the picture swaps go on; View > Toolbar shows it where it was.
    ::SendMessageA(tool, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(::IsWindowVisible(tool) || Checked(ID_VIEW_TOOLBAR)) << "after closing";
    Command(ID_CAPTURE);
    Command(ID_VIEW_TOOLBAR);
    const RECT shown = WindowRect(tool);
    EXPECT_TRUE(::IsWindowVisible(Bar()) && Checked(ID_VIEW_TOOLBAR)) << "shown again";
    EXPECT_TRUE(::EqualRect(&floating, &shown)) << "where it was";
    EXPECT_EQ(kExtra + 1, ::SendMessageA(Bar(), TB_GETBITMAP, ID_CAPTURE, 0))
        << "Capture, switched off while the bar was hidden";

    // Disabled with the frame while a dialog runs: its Filter button opens no second one.
    bool whileOpen = true;
    Drive(ID_FILTER, {[&](HWND) { whileOpen = ::IsWindowEnabled(tool); }, Click(IDCANCEL)});
    EXPECT_EQ(std::make_pair(false, true), std::make_pair(whileOpen, !!::IsWindowEnabled(tool)))
        << "the floating bar enabled while a dialog runs, and after";

    // Half as wide by its right border, as the sizing loop asks and then moves the window.
    RECT asked = floating, snapped = floating;
    snapped.right = asked.right -= (asked.right - asked.left) / 2;
    ::SendMessageA(tool, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&snapped));
    ::MoveWindow(tool, snapped.left, snapped.top, snapped.right - snapped.left,
                 snapped.bottom - snapped.top, TRUE);
    const RECT reshaped = WindowRect(tool);
    EXPECT_TRUE(::EqualRect(&snapped, &reshaped) && snapped.right <= asked.right)
        << "asked for " << asked.right - asked.left << ", got " << reshaped.right - reshaped.left;
    EXPECT_GT(Rows(tool), 1u) << "rows that fit the width";
    ::SendMessageA(tool, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_TRUE(m_frame->m_hWnd == ::GetParent(Bar()) && !::IsWindowVisible(tool));
    EXPECT_EQ("top horizontal", Place()) << "docked back where it left, in one row";

    // Floating again, dragged by its caption: to the left edge it docks there.
    DragBarTo(POINT{frame.right + 40, frame.top + 40});
    tool = ::GetParent(Bar());
    POINT caption = {8, 0}; // of the client area, below the caption
    ::ClientToScreen(tool, &caption);
    Drag(tool, {caption.x, caption.y - ::GetSystemMetrics(SM_CYSMCAPTION) / 2}, Near(-1, 0));
    EXPECT_EQ("left vertical", Place()) << "the floating caption dragged to an edge";
}

} // namespace
