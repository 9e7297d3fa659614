// CControlBar: what every bar shares, and the drag by the gripper that docks or floats it.
#include "ControlBar.h"

#include <algorithm>
#include <cstdlib>

#include "MiniFrame.h"
#include "WinApp.h"

namespace {
// Width of the outline that shows where a dragged bar would go.
const int kDragFrame = 3;

POINT ScreenPoint(HWND hWnd, LPARAM lParam) {
    POINT point = PointFromLParam(lParam);
    ::ClientToScreen(hWnd, &point);
    return point;
}
} // namespace

bool CControlBar::InitBarClasses() {
    static const bool ready = [] {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_BAR_CLASSES};
        return ::InitCommonControlsEx(&init) != FALSE;
    }();
    return ready;
}

void CControlBar::AddToFrame(CWnd& parent) {
    m_pDockSite = parent.GetDockSite();
    if (m_pDockSite)
        m_pDockSite->AddControlBar(this);
}

bool CControlBar::CreateBottomBar(CWnd& parent, const char* className, UINT id) {
    if (!AfxRegisterWndClass(AfxGetInstanceHandle(), className, 0, COLOR_BTNFACE))
        return false;
    const DWORD style = SplitStyle(WS_CHILD | WS_CLIPCHILDREN | CBRS_BOTTOM);
    return CreateEx(0, className, nullptr, style, RECT{}, parent.m_hWnd, ChildId(id));
}

int CControlBar::GuiFontHeight() const {
    TEXTMETRICA metrics = {};
    if (HDC dc = ::GetDC(m_hWnd)) {
        const HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
        ::GetTextMetricsA(dc, &metrics);
        ::SelectObject(dc, old);
        ::ReleaseDC(m_hWnd, dc);
    }
    return metrics.tmHeight;
}

// A bar destroyed before its window leaves its frame now: the window's end, in ~CWnd, no longer
// reaches this class's PostNcDestroy.
CControlBar::~CControlBar() {
    PostNcDestroy();
}

void CControlBar::PostNcDestroy() {
    if (m_pDockSite)
        m_pDockSite->RemoveControlBar(this);
    m_pDockSite = nullptr;
}

void CControlBar::SetBarStyle(DWORD style) {
    const DWORD old = m_dwStyle;
    m_dwStyle = style & CBRS_ALL;
    if (old != m_dwStyle)
        OnBarStyleChange(old, m_dwStyle);
}

// The borders and gripper are the non-client area: it is measured again.
void CControlBar::OnBarStyleChange(DWORD, DWORD) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool CControlBar::IsVisible() const {
    HWND shown = IsFloating() ? ::GetParent(m_hWnd) : m_hWnd;
    return shown && (::GetWindowLongPtrA(shown, GWL_STYLE) & WS_VISIBLE);
}

const MessageMap CControlBar::messageMap{
    &CWnd::messageMap,
    MapMessage(WM_NCLBUTTONDOWN, &CControlBar::OnNcLButtonDown),
    MapMessage(WM_MOUSEMOVE, &CControlBar::OnMouseMove),
    MapMessage(WM_LBUTTONUP, &CControlBar::OnLButtonUp),
    MapVoid(WM_CAPTURECHANGED, &CControlBar::OnCaptureChanged),
    MapMessage(WM_KEYDOWN, &CControlBar::OnKeyDown),
};

LRESULT CControlBar::OnNcLButtonDown(WPARAM hit, LPARAM point) {
    if (hit != HTCAPTION || !m_dwDockStyle || IsFloating() || !m_pDockSite)
        return Default(WM_NCLBUTTONDOWN, hit, point);
    BeginDrag(PointFromLParam(point));
    return 0;
}

LRESULT CControlBar::OnMouseMove(WPARAM flags, LPARAM point) {
    if (!m_bDragging)
        return Default(WM_MOUSEMOVE, flags, point);
    TrackDrag(ScreenPoint(m_hWnd, point));
    return 0;
}

LRESULT CControlBar::OnLButtonUp(WPARAM flags, LPARAM point) {
    if (!m_bDragging)
        return Default(WM_LBUTTONUP, flags, point);
    EndDrag(true, ScreenPoint(m_hWnd, point));
    return 0;
}

void CControlBar::OnCaptureChanged() {
    if (m_bDragging)
        EndDrag(false, POINT{});
}

LRESULT CControlBar::OnKeyDown(WPARAM key, LPARAM lParam) {
    if (!m_bDragging || key != VK_ESCAPE)
        return Default(WM_KEYDOWN, key, lParam);
    EndDrag(false, POINT{});
    return 0;
}

void CControlBar::BeginDrag(POINT point) {
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    m_ptGrab = {point.x - window.left, point.y - window.top};
    m_ptStart = point;
    m_bDragging = true;
    ::SetCapture(m_hWnd);
    TrackDrag(point);
}

void CControlBar::TrackDrag(POINT point) {
    RECT place = {};
    DropTarget(point, place);
    if (m_bDragShown && ::EqualRect(&place, &m_rcDrag))
        return;
    if (m_bDragShown)
        InvertDragRect();
    m_rcDrag = place;
    InvertDragRect();
    m_bDragShown = true;
}

// Not dragging any more before the capture goes, so that its loss does not end the drag again.
void CControlBar::EndDrag(bool drop, POINT point) {
    m_bDragging = false;
    if (m_bDragShown)
        InvertDragRect();
    m_bDragShown = false;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    // A click is no drag: a floating caption's double-click starts with one.
    const bool moved = std::abs(point.x - m_ptStart.x) > ::GetSystemMetrics(SM_CXDRAG) ||
                       std::abs(point.y - m_ptStart.y) > ::GetSystemMetrics(SM_CYDRAG);
    if (!drop || !moved)
        return;
    RECT place = {};
    if (DWORD edge = DropTarget(point, place))
        m_pDockSite->DockControlBar(this, edge);
    else
        m_pDockSite->FloatControlBar(this, POINT{place.left, place.top});
}

DWORD CControlBar::DropTarget(POINT point, RECT& place) const {
    const SIZE size = CalcFixedLayout();
    const bool vertical = IsVertical();
    if (DWORD edge =
            m_pDockSite->DockEdgeAt(m_dwDockStyle, point, vertical ? size.cx : size.cy, place))
        return edge;
    // Floating, the bar lies along its caption, which stays under the pointer.
    const SIZE floating = vertical ? SIZE{size.cy, size.cx} : size;
    place =
        CMiniFrameWnd::WindowRectFor(this, floating,
                                     POINT{point.x - std::min<LONG>(m_ptGrab.x, floating.cx - 1),
                                           point.y - ::GetSystemMetrics(SM_CYSMCAPTION) / 2});
    return 0;
}

// Drawn and erased alike, on the screen over every window, as the drag goes on.
void CControlBar::InvertDragRect() {
    HDC dc = ::GetDCEx(nullptr, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (!dc)
        return;
    const RECT& r = m_rcDrag;
    const int w = r.right - r.left, h = r.bottom - r.top;
    HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(GRAY_BRUSH));
    ::PatBlt(dc, r.left, r.top, w, kDragFrame, PATINVERT);
    ::PatBlt(dc, r.left, r.bottom - kDragFrame, w, kDragFrame, PATINVERT);
    ::PatBlt(dc, r.left, r.top + kDragFrame, kDragFrame, h - 2 * kDragFrame, PATINVERT);
    ::PatBlt(dc, r.right - kDragFrame, r.top + kDragFrame, kDragFrame, h - 2 * kDragFrame,
             PATINVERT);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
}
