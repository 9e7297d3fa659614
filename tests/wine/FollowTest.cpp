// Following the newest row through real keys, wheel, scroll bar and clicks.
#include "AppFixture.h"

namespace {

using FollowTest = AppFixture;

// After each act more rows come: either the last row is in view, or the list stays where the
// person left it and the status bar says following is paused. A click above the last page of the
// rows held pauses it, though they are not shown yet; one on the last row does not.
TEST_F(FollowTest, TheNewestRowStaysInViewUntilThePersonMovesAwayAndAgainOnceTheyComeBack) {
    const auto list = reinterpret_cast<WNDPROC>(::GetClassLongPtrA(m_view, GCLP_WNDPROC));
    const auto own = [&](UINT message) { // past the view, which would bring the count up to date
        return static_cast<int>(::CallWindowProcA(list, m_view, message, 0, 0));
    };
    int sent = 0;
    const auto more = [&] {
        for (int i = 0; i < 100; ++i)
            Send(("row " + std::to_string(sent++)).c_str());
    };
    const auto click = [&](int row) {
        RECT rect = {LVIR_BOUNDS, 0, 0, 0};
        ::SendMessageA(m_view, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        Input(m_view, WM_LBUTTONDOWN, 0, MAKELPARAM(rect.left + 30, rect.top + 2));
    };
    const std::string paused = Ansi("已暂停跟随最新行：按 End 回到最新行");
    Strings seen;
    const auto note = [&] {
        more();
        EXPECT_TRUE(WaitFor([&] { return PumpMessages(), own(LVM_GETITEMCOUNT) == sent; }));
        const bool checked =
            ::GetMenuState(OpenPopup(2), ID_VIEW_FOLLOW, MF_BYCOMMAND) & MF_CHECKED;
        const std::string status = WindowText(::GetDlgItem(m_frame->m_hWnd, AFX_IDW_STATUS_BAR));
        seen.push_back(std::string(checked ? "on " : "off ") +
                       (own(LVM_GETTOPINDEX) + own(LVM_GETCOUNTPERPAGE) >= sent ? "end" : "held") +
                       (status == paused ? " paused" : ""));
    };
    note();
    Command(ID_VIEW_FOLLOW), note();
    Input(m_view, WM_KEYDOWN, VK_END), Input(m_view, WM_KEYDOWN, VK_PRIOR), note();
    Input(m_view, WM_KEYDOWN, VK_END), note();
    Input(m_view, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)), note();
    Input(m_view, WM_KEYDOWN, VK_END, 0, VK_CONTROL), note();
    more(), click(own(LVM_GETTOPINDEX)), note();
    Input(m_view, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-100 * WHEEL_DELTA))), note();
    click(sent - 1), note();
    Input(m_view, WM_KEYDOWN, VK_HOME), Command(ID_CLEAR), sent = 0, note();
    Command(ID_VIEW_FOLLOW), note();
    EXPECT_EQ((Strings{"off held", "on end", "on held paused", "on end", "on held paused", "on end",
                       "on held paused", "on end", "on end", "on end", "off held"}),
              seen);
}

} // namespace
