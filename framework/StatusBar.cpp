// CStatusBar over the common-controls status bar: panes measured in its font, lock-key indicators.
#include "StatusBar.h"

#include <algorithm>

#include "FrameworkIds.h"
#include "Handle.h"
#include "Strings.h"

namespace {
// Status-bar panes: room between the pane's edge and its text, and above and below the text.
const int kPaneTextMargin = 4;
const int kPaneTextAir = 1;
const int kMaxPanes = 255;

// A device context of a window with the window's font selected, for measuring text.
CWindowDC FontDC(HWND window) {
    HDC dc = ::GetDC(window);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(window, WM_GETFONT, 0, 0));
    return CWindowDC(dc, {window, dc && font ? ::SelectObject(dc, font) : nullptr});
}

int LockKeyOf(UINT paneId) {
    switch (paneId) {
    case ID_INDICATOR_CAPS:
        return VK_CAPITAL;
    case ID_INDICATOR_NUM:
        return VK_NUMLOCK;
    case ID_INDICATOR_SCRL:
        return VK_SCROLL;
    default:
        return 0;
    }
}
} // namespace

bool CStatusBar::Create(CWnd& parent, DWORD style, UINT id) {
    if (!InitBarClasses())
        return false;
    // The frame lays the bar out; CalcFixedLayout says how high it wants to be.
    DWORD windowStyle = SplitStyle(style) | SBARS_SIZEGRIP | CCS_NOPARENTALIGN | CCS_NORESIZE;
    if (!CWnd::CreateEx(0, STATUSCLASSNAMEA, nullptr, windowStyle, RECT{}, parent.m_hWnd,
                        ChildId(id)))
        return false;
    // A font of our choosing, so that panes and height can be measured in it.
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    AddToFrame(parent);
    return true;
}

bool CStatusBar::SetIndicators(const UINT* ids, int count) {
    if (!ids || count <= 0 || count > kMaxPanes)
        return false;
    const CWindowDC dc = FontDC(m_hWnd);
    if (!dc)
        return false;
    int borders[3] = {};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    const int frame = 2 * (::GetSystemMetrics(SM_CXEDGE) + kPaneTextMargin) + borders[2];

    std::vector<Pane> panes;
    for (int i = 0; i < count; ++i) {
        Pane pane = {ids[i], std::string(), 0, false};
        if (pane.id != ID_SEPARATOR) {
            pane.text = AfxLoadString(pane.id);
            SIZE extent = {};
            if (pane.text.empty() ||
                !::GetTextExtentPoint32A(dc.Get(), pane.text.c_str(),
                                         static_cast<int>(pane.text.size()), &extent))
                return false;
            pane.width = extent.cx + frame;
        }
        panes.push_back(pane);
    }
    m_panes = std::move(panes);
    LayoutPanes();
    for (size_t i = 0; i < m_panes.size(); ++i) {
        Pane& pane = m_panes[i];
        pane.shown = pane.id != ID_SEPARATOR && !LockKeyOf(pane.id);
        SetPaneText(static_cast<int>(i), pane.shown ? pane.text.c_str() : "");
    }
    UpdateIndicators();
    return true;
}

bool CStatusBar::SetPaneText(int index, const char* text) {
    if (index < 0 || index >= static_cast<int>(m_panes.size()))
        return false;
    // The message pane is drawn flat, the indicators sunken.
    const WPARAM part =
        static_cast<WPARAM>(index) |
        (m_panes[static_cast<size_t>(index)].id == ID_SEPARATOR ? SBT_NOBORDERS : 0);
    return SendMessage(SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text ? text : "")) != 0;
}

SIZE CStatusBar::CalcFixedLayout() const {
    const CWindowDC dc = FontDC(m_hWnd);
    TEXTMETRICA metrics = {};
    if (dc)
        ::GetTextMetricsA(dc.Get(), &metrics);
    int borders[3] = {};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    return {0, metrics.tmHeight + 2 * (borders[1] + ::GetSystemMetrics(SM_CYEDGE) + kPaneTextAir)};
}

void CStatusBar::OnUpdateCmdUI(CCmdTarget&) {
    UpdateIndicators();
}

const MessageMap CStatusBar::messageMap{
    &CControlBar::messageMap,
    MapMessage(WM_SIZE, &CStatusBar::OnSize),
    MapMessage(WM_SETTEXT, &CStatusBar::OnSetText),
};

LRESULT CStatusBar::OnSetText(WPARAM, LPARAM text) {
    return SetPaneText(0, reinterpret_cast<const char*>(text));
}

LRESULT CStatusBar::OnSize(WPARAM type, LPARAM size) {
    const LRESULT result = Default(WM_SIZE, type, size);
    LayoutPanes();
    return result;
}

// The indicators keep their widths at the right; the message pane takes what is left.
void CStatusBar::LayoutPanes() {
    if (m_panes.empty())
        return;
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    int right = client.right;
    if (::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & SBARS_SIZEGRIP)
        right -= ::GetSystemMetrics(SM_CXVSCROLL);
    right = std::max(right, 0);
    std::vector<int> edges(m_panes.size());
    for (size_t i = m_panes.size() - 1; i > 0; --i) {
        edges[i] = right;
        right = std::max(right - m_panes[i].width, 0);
    }
    edges[0] = right;
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

// Idle time comes often: a pane is written only when its key changed, so it is not repainted.
void CStatusBar::UpdateIndicators() {
    for (size_t i = 0; i < m_panes.size(); ++i) {
        Pane& pane = m_panes[i];
        const int key = LockKeyOf(pane.id);
        if (!key)
            continue;
        const bool on = (::GetKeyState(key) & 1) != 0;
        if (on != pane.shown && SetPaneText(static_cast<int>(i), on ? pane.text.c_str() : ""))
            pane.shown = on;
    }
}
