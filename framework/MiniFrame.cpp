// CMiniFrameWnd: a floating bar's tool window, its caption's double-click and its close.
#include "MiniFrame.h"

#include <string>

#include "ControlBar.h"
#include "FrameworkIds.h"
#include "WinApp.h"

namespace {
const char kMiniFrameClass[] = "KestrinMiniFrame";
const DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
const DWORD kExStyle = WS_EX_TOOLWINDOW;

// A bar that can be reshaped gets a border to drag.
DWORD StyleFor(const CControlBar* bar) {
    return bar && (bar->GetBarStyle() & CBRS_SIZE_DYNAMIC) ? kStyle | WS_THICKFRAME : kStyle;
}
} // namespace

RECT CMiniFrameWnd::WindowRectFor(const CControlBar* bar, SIZE size, POINT topLeft) {
    RECT rect = {0, 0, size.cx, size.cy};
    ::AdjustWindowRectEx(&rect, StyleFor(bar), FALSE, kExStyle);
    ::OffsetRect(&rect, topLeft.x - rect.left, topLeft.y - rect.top);
    return rect;
}

bool CMiniFrameWnd::Create(CWnd& owner, CDockSite& dockSite) {
    if (!AfxRegisterWndClass(AfxGetInstanceHandle(), kMiniFrameClass, CS_DBLCLKS, COLOR_BTNFACE))
        return false;
    m_pOwner = &owner;
    m_pDockSite = &dockSite;
    return CWnd::CreateEx(kExStyle, kMiniFrameClass, "", kStyle, RECT{}, owner.m_hWnd, nullptr);
}

void CMiniFrameWnd::SetBar(CControlBar* bar) {
    m_pBar = bar;
    if (!bar)
        return;
    // A caption other than the frame's, so that clients looking for the frame never find this.
    std::string title;
    GetDlgItemText(::GetDlgCtrlID(bar->m_hWnd), title);
    SetWindowText(title.c_str());
    ::SetWindowLongA(
        m_hWnd, GWL_STYLE,
        static_cast<LONG>((::GetWindowLongA(m_hWnd, GWL_STYLE) & WS_VISIBLE) | StyleFor(bar)));
    RecalcLayout();
}

void CMiniFrameWnd::RecalcLayout() {
    if (!m_pBar)
        return;
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    const RECT fit =
        WindowRectFor(m_pBar, m_pBar->CalcFixedLayout(), POINT{window.left, window.top});
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, fit.right - fit.left, fit.bottom - fit.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    FitBar();
}

void CMiniFrameWnd::FitBar() {
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    m_pBar->MoveWindow(client);
}

const MessageMap CMiniFrameWnd::messageMap{
    &CWnd::messageMap,
    MapMessage(WM_NCLBUTTONDOWN, &CMiniFrameWnd::OnNcLButtonDown),
    MapMessage(WM_NCLBUTTONDBLCLK, &CMiniFrameWnd::OnNcLButtonDblClk),
    MapMessage(WM_SIZING, &CMiniFrameWnd::OnSizing),
    MapVoid(WM_SIZE, &CMiniFrameWnd::OnSize),
    MapMessage(WM_GETMINMAXINFO, &CMiniFrameWnd::OnGetMinMaxInfo),
    MapMessage(WM_CLOSE, &CMiniFrameWnd::OnClose),
    MapMessage(WM_SETMESSAGESTRING, &CMiniFrameWnd::OnSetMessageString),
};

LRESULT CMiniFrameWnd::OnNcLButtonDown(WPARAM hit, LPARAM point) {
    if (hit != HTCAPTION || !m_pBar)
        return Default(WM_NCLBUTTONDOWN, hit, point);
    m_pBar->BeginDrag(PointFromLParam(point));
    return 0;
}

LRESULT CMiniFrameWnd::OnNcLButtonDblClk(WPARAM hit, LPARAM point) {
    if (hit != HTCAPTION || !m_pBar)
        return Default(WM_NCLBUTTONDBLCLK, hit, point);
    m_pDockSite->DockControlBar(m_pBar);
    return 0;
}

// The bar takes the width the drag asks for and the window its shape, growing or shrinking
// away from the edges that are not dragged.
LRESULT CMiniFrameWnd::OnSizing(WPARAM edge, LPARAM lParam) {
    if (!m_pBar)
        return Default(WM_SIZING, edge, lParam);
    RECT& rect = *reinterpret_cast<RECT*>(lParam);
    const RECT frame = WindowRectFor(m_pBar, SIZE{}, POINT{});
    const SIZE size = m_pBar->CalcDynamicLayout((rect.right - rect.left) - frame.right);
    RECT fit = WindowRectFor(m_pBar, size, POINT{rect.left, rect.top});
    if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
        ::OffsetRect(&fit, rect.right - fit.right, 0);
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
        ::OffsetRect(&fit, 0, rect.bottom - fit.bottom);
    rect = fit;
    return TRUE;
}

void CMiniFrameWnd::OnSize() {
    if (m_pBar)
        FitBar();
}

LRESULT CMiniFrameWnd::OnGetMinMaxInfo(WPARAM, LPARAM info) {
    // The system's smallest sizable window is wider than a column of buttons.
    const RECT frame = WindowRectFor(m_pBar, SIZE{1, 1}, POINT{});
    reinterpret_cast<MINMAXINFO*>(info)->ptMinTrackSize = {frame.right, frame.bottom};
    return 0;
}

LRESULT CMiniFrameWnd::OnClose(WPARAM, LPARAM) {
    if (m_pBar)
        m_pDockSite->ShowControlBar(m_pBar, false);
    return 0;
}

bool CMiniFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    return m_pOwner->OnCommand(wParam, lParam);
}

bool CMiniFrameWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return m_pOwner->OnNotify(wParam, lParam, result);
}

LRESULT CMiniFrameWnd::OnSetMessageString(WPARAM id, LPARAM lParam) {
    return m_pOwner->SendMessage(WM_SETMESSAGESTRING, id, lParam);
}
