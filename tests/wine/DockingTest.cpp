// The toolbar dragged by its gripper to each edge and out of the frame, its floating window's
// caption and close, and the View menu's bar toggles, driven with the messages the mouse sends.
#include "AppFixture.h"

namespace {

const int kViewPopup = 2;
const LRESULT kCaptureOffPicture = 12 + 1; // the extra strip's second picture, after 12 own

RECT WindowRect(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

LPARAM At(POINT point) {
    return MAKELPARAM(point.x, point.y);
}

class DockingTest : public AppFixture {
protected:
    HWND Bar() const { return m_frame->GetControlBar(AFX_IDW_TOOLBAR)->m_hWnd; }
    // Pressed on the gripper, moved to target (screen) and released there.
    void DragBarTo(POINT target) const {
        const RECT bar = WindowRect(Bar());
        const POINT gripper = {bar.left + 4, bar.top + 4};
        const LRESULT hit = ::SendMessageA(Bar(), WM_NCHITTEST, 0, At(gripper));
        ASSERT_EQ(HTCAPTION, hit) << "the gripper is where the bar is dragged from";
        ::SendMessageA(Bar(), WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), At(gripper));
        ::ScreenToClient(Bar(), &target);
        ::SendMessageA(Bar(), WM_MOUSEMOVE, MK_LBUTTON, At(target));
        ::SendMessageA(Bar(), WM_LBUTTONUP, 0, At(target));
    }
    // Just inside an edge ('l', 'r', 't', 'b') of the frame's client area above the status bar,
    // or its middle; in screen coordinates.
    POINT Near(char edge) const {
        RECT area = {};
        ::GetClientRect(m_frame->m_hWnd, &area);
        ::MapWindowPoints(m_frame->m_hWnd, nullptr, reinterpret_cast<POINT*>(&area), 2);
        area.bottom = WindowRect(::GetDlgItem(m_frame->m_hWnd, AFX_IDW_STATUS_BAR)).top;
        const POINT middle = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
        switch (edge) {
        case 'l':
            return {area.left + 4, middle.y};
        case 'r':
            return {area.right - 5, middle.y};
        case 't':
            return {middle.x, area.top + 4};
        case 'b':
            return {middle.x, area.bottom - 5};
        default:
            return middle;
        }
    }
    bool Checked(UINT id) const {
        HMENU view = ::GetSubMenu(::GetMenu(m_frame->m_hWnd), kViewPopup);
        m_frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), kViewPopup);
        return (::GetMenuState(view, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    // The buttons in a column, which the bar is no wider than.
    bool Vertical() const {
        RECT first = {}, last = {};
        ::SendMessageA(Bar(), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        ::SendMessageA(Bar(), TB_GETITEMRECT, ::SendMessageA(Bar(), TB_BUTTONCOUNT, 0, 0) - 1,
                       reinterpret_cast<LPARAM>(&last));
        const RECT bar = WindowRect(Bar());
        return last.top >= first.bottom && bar.right - bar.left < 2 * first.right;
    }
    // Where the bar lies around the view: the edge it takes and its orientation.
    std::string Place() const {
        const RECT bar = WindowRect(Bar()), view = WindowRect(m_view);
        const char* edge = bar.right <= view.left   ? "left"
                           : bar.left >= view.right ? "right"
                           : bar.bottom <= view.top ? "top"
                           : bar.top >= view.bottom ? "bottom"
                                                    : "over the view";
        return std::string(edge) + (Vertical() ? " vertical" : " horizontal");
    }
};

TEST_F(DockingTest, TheToolbarDocksAtEachEdgeAndFloatsInAToolWindowItsCaptionDocksBack) {
    const struct {
        char edge;
        const char* place; // null: floating, as over the middle of the view
    } drops[] = {{'l', "left vertical"},
                 {'r', "right vertical"},
                 {'m', nullptr},
                 {'b', "bottom horizontal"},
                 {'t', "top horizontal"}};
    for (const auto& drop : drops) {
        DragBarTo(Near(drop.edge));
        if (drop.place) {
            EXPECT_EQ(drop.place, Place());
            EXPECT_EQ(m_frame->m_hWnd, ::GetParent(Bar()));
        } else {
            EXPECT_NE(m_frame->m_hWnd, ::GetParent(Bar())) << "dropped over the view";
            m_frame->DockControlBar(m_frame->GetControlBar(AFX_IDW_TOOLBAR));
        }
    }

    const RECT frame = WindowRect(m_frame->m_hWnd);
    DragBarTo(POINT{frame.right + 40, frame.top + 40});
    HWND tool = ::GetParent(Bar());
    ASSERT_NE(m_frame->m_hWnd, tool);
    const RECT floating = WindowRect(tool);
    EXPECT_TRUE(::IsWindowVisible(tool) && (::GetWindowLongA(tool, GWL_STYLE) & WS_CAPTION) &&
                (::GetWindowLongA(tool, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
        << "a visible tool window with a caption";
    EXPECT_EQ(m_frame->m_hWnd, ::GetWindow(tool, GW_OWNER));
    EXPECT_EQ(m_frame->m_hWnd, ::FindWindowA(nullptr, "Kestrin")) << "what clients find";
    const RECT view = WindowRect(m_view);
    EXPECT_FALSE(Vertical()) << "floating, it lies flat";
    POINT origin = {};
    ::ClientToScreen(m_frame->m_hWnd, &origin);
    EXPECT_EQ(origin.y, view.top) << "the view takes the place it left";

    // A button of the floating bar still commands the view.
    Send("kept until Clear");
    ASSERT_EQ(Strings{"kept until Clear"}, Texts());
    g_app->OnIdle(0);
    RECT clear = {};
    ::SendMessageA(Bar(), TB_GETRECT, ID_CLEAR, reinterpret_cast<LPARAM>(&clear));
    const LPARAM centre =
        MAKELPARAM((clear.left + clear.right) / 2, (clear.top + clear.bottom) / 2);
    ::SendMessageA(Bar(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
    ::SendMessageA(Bar(), WM_LBUTTONUP, 0, centre);
    EXPECT_EQ(Strings{}, Texts()) << "rows after Clear on the floating bar";

    // Closed, it hides; the picture swaps go on; View > Toolbar shows it where it was.
    ::SendMessageA(tool, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(::IsWindowVisible(tool) || Checked(ID_VIEW_TOOLBAR)) << "after closing";
    Command(ID_CAPTURE);
    Command(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(::IsWindowVisible(Bar()) && Checked(ID_VIEW_TOOLBAR)) << "shown again";
    const RECT shown = WindowRect(tool);
    EXPECT_TRUE(::EqualRect(&floating, &shown)) << "where it was";
    EXPECT_EQ(kCaptureOffPicture, ::SendMessageA(Bar(), TB_GETBITMAP, ID_CAPTURE, 0));

    const POINT caption = {floating.left + 8,
                           floating.top + ::GetSystemMetrics(SM_CYSMCAPTION) / 2};
    const LRESULT hit = ::SendMessageA(tool, WM_NCHITTEST, 0, At(caption));
    EXPECT_EQ(HTCAPTION, hit);
    ::SendMessageA(tool, WM_NCLBUTTONDBLCLK, static_cast<WPARAM>(hit), At(caption));
    EXPECT_EQ(m_frame->m_hWnd, ::GetParent(Bar()));
    EXPECT_EQ("top horizontal", Place()) << "docked back where it left";
    EXPECT_FALSE(::IsWindowVisible(tool));
}

// Each bar's View item hides it, unchecked, and the view takes its strip; again, all is back.
TEST_F(DockingTest, ViewItemsHideAndShowTheirBarsWithTheirCheckMarks) {
    for (UINT id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        HWND bar = ::GetDlgItem(m_frame->m_hWnd, static_cast<int>(id));
        const RECT view = WindowRect(m_view);
        Command(id);
        const RECT grown = WindowRect(m_view), strip = WindowRect(bar);
        RECT overlap = {};
        EXPECT_FALSE(::IsWindowVisible(bar) || Checked(id)) << "hidden, unchecked: " << id;
        EXPECT_TRUE(::IntersectRect(&overlap, &grown, &strip)) << "the view takes its strip";
        Command(id);
        EXPECT_TRUE(::IsWindowVisible(bar) && Checked(id)) << "shown, checked: " << id;
        const RECT back = WindowRect(m_view);
        EXPECT_TRUE(::EqualRect(&view, &back)) << "the view as before: " << id;
    }
}

} // namespace
