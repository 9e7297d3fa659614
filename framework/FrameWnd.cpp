// CFrameWnd: creation from resources, layout of bars and view, menus, prompts and command route.
#include "FrameWnd.h"

#include <algorithm>

#include "CmdUI.h"
#include "ControlBar.h"
#include "Document.h"
#include "FrameworkIds.h"
#include "MiniFrame.h"
#include "View.h"
#include "WinApp.h"

namespace {
const char kFrameClass[] = "KestrinFrame";
// A bar dropped this close to an edge of the docking area docks there: about a toolbar's
// thickness.
const int kDockZone = 32;
// Edges in the order their bars take strips: the top and bottom ones span the whole width.
const DWORD kEdges[] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT};

// The low four bits of a system command are the system's own; commands are 16 apart.
const UINT kSysCommandMask = 0xFFF0;
const UINT kSysCommandStep = 0x10;

bool IsRecentFileEntry(UINT id) {
    return id > ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE16;
}
} // namespace

const MessageMap CFrameWnd::messageMap{
    &CWnd::messageMap,
    MapCreate(&CFrameWnd::OnCreate),
    MapVoid(WM_SIZE, &CFrameWnd::OnSize),
    MapVoid(WM_SETFOCUS, &CFrameWnd::OnSetFocus),
    MapMessage(WM_CLOSE, &CFrameWnd::OnClose),
    MapMessage(WM_ENABLE, &CFrameWnd::OnEnable),
    MapMessage(WM_SYSCOMMAND, &CFrameWnd::OnSysCommand),
    MapMessage(WM_INITMENUPOPUP, &CFrameWnd::OnInitMenuPopup),
    MapMessage(WM_MENUSELECT, &CFrameWnd::OnMenuSelect),
    MapMessage(WM_SETMESSAGESTRING, &CFrameWnd::OnSetMessageString),
    MapCommand(ID_VIEW_TOOLBAR, &CFrameWnd::OnViewToolBar),
    MapCommand(ID_VIEW_STATUS_BAR, &CFrameWnd::OnViewStatusBar),
    MapUpdate(ID_VIEW_TOOLBAR, &CFrameWnd::OnUpdateControlBarMenu),
    MapUpdate(ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateControlBarMenu),
};

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() {
    LeaveMessageLoop();
}

bool CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CCreateContext* context) {
    HINSTANCE instance = AfxGetInstanceHandle();
    std::string title = AfxExtractSubString(AfxLoadString(resourceId), 0);
    HMENU menu = ::LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
    m_hAccelTable = ::LoadAcceleratorsA(instance, MAKEINTRESOURCEA(resourceId));

    if (!AfxRegisterWndClass(instance, kFrameClass, CS_DBLCLKS, COLOR_BTNFACE,
                             ::LoadIconA(instance, MAKEINTRESOURCEA(resourceId)))) {
        ::DestroyMenu(menu);
        return false;
    }

    m_pContext = context;
    bool created =
        CreateEx(0, kFrameClass, title.c_str(), style, rectDefault, nullptr, menu, nullptr);
    m_pContext = nullptr;
    if (created) {
        SetMessageText(AFX_IDS_IDLEMESSAGE);
        return true;
    }
    // A window that was created and destroyed took its menu with it.
    if (::IsMenu(menu))
        ::DestroyMenu(menu);
    return false;
}

bool CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    return cs.lpszClass != nullptr;
}

int CFrameWnd::OnCreate(CREATESTRUCTA* cs) {
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    if (m_pContext && m_pContext->m_pNewView) {
        m_pView = m_pContext->m_pNewView();
        if (!m_pView ||
            !m_pView->Create(*this, m_pContext->m_pCurrentDoc, m_pContext->m_pPrinter)) {
            m_pView.reset();
            return -1;
        }
    }
    if (CWinApp* app = AfxGetApp()) {
        app->AddMessageFilter(this);
        app->AddIdleHandler(this);
    }
    return 0;
}

CDocument* CFrameWnd::GetActiveDocument() const {
    return m_pView ? m_pView->GetDocument() : nullptr;
}

void CFrameWnd::AddControlBar(CControlBar* bar) {
    m_controlBars.push_back(bar);
}

void CFrameWnd::RemoveControlBar(CControlBar* bar) {
    m_controlBars.erase(std::remove(m_controlBars.begin(), m_controlBars.end(), bar),
                        m_controlBars.end());
    for (CDockBar& dock : m_dockBars)
        dock.Remove(bar);
    if (CMiniFrameWnd* mini = MiniFrameOf(bar))
        mini->SetBar(nullptr);
}

CControlBar* CFrameWnd::GetControlBar(UINT id) const {
    for (CControlBar* bar : m_controlBars)
        if (static_cast<UINT>(::GetDlgCtrlID(bar->m_hWnd)) == id)
            return bar;
    return nullptr;
}

void CFrameWnd::EnableDocking(DWORD dockStyle) {
    std::vector<CDockBar> docks;
    for (DWORD edge : kEdges) {
        auto had = std::find_if(m_dockBars.begin(), m_dockBars.end(),
                                [edge](const CDockBar& dock) { return dock.GetAlign() == edge; });
        if (had != m_dockBars.end())
            docks.push_back(*had);
        else if (dockStyle & edge)
            docks.emplace_back(edge);
    }
    m_dockBars = std::move(docks);
}

CDockBar* CFrameWnd::DockBarOf(const CControlBar* bar) {
    for (CDockBar& dock : m_dockBars)
        if (dock.Contains(bar))
            return &dock;
    return nullptr;
}

CMiniFrameWnd* CFrameWnd::MiniFrameOf(const CControlBar* bar) const {
    for (const auto& mini : m_miniFrames)
        if (mini->GetBar() == bar)
            return mini.get();
    return nullptr;
}

void CFrameWnd::Undock(CControlBar* bar) {
    if (CDockBar* dock = DockBarOf(bar))
        dock->Remove(bar);
    if (CMiniFrameWnd* mini = MiniFrameOf(bar)) {
        mini->ShowWindow(SW_HIDE);
        mini->SetBar(nullptr);
    }
}

bool CFrameWnd::DockControlBar(CControlBar* bar, DWORD edge) {
    if (!bar || !bar->m_hWnd)
        return false;
    const DWORD allowed = bar->GetDockStyle();
    const DWORD wanted = edge ? edge : bar->GetBarStyle() & CBRS_ALIGN_ANY;
    CDockBar* target = nullptr;
    for (CDockBar& dock : m_dockBars)
        if (!target && (dock.GetAlign() & allowed & wanted))
            target = &dock;
    for (CDockBar& dock : m_dockBars)
        if (!target && !edge && (dock.GetAlign() & allowed))
            target = &dock;
    if (!target) {
        RecalcLayout(); // a bar that does not dock keeps its edge
        return false;
    }
    const bool shown = bar->IsVisible();
    Undock(bar);
    if (::GetParent(bar->m_hWnd) != m_hWnd) // at start-up it is already the frame's
        ::SetParent(bar->m_hWnd, m_hWnd);
    target->Insert(bar);
    bar->ShowWindow(shown ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
    RedrawAfterDocking();
    return true;
}

bool CFrameWnd::FloatControlBar(CControlBar* bar, POINT point) {
    if (!bar || !bar->m_hWnd || !(bar->GetDockStyle()))
        return false;
    CMiniFrameWnd* mini = MiniFrameOf(bar);
    if (!mini)
        mini = MiniFrameOf(nullptr);
    if (!mini) {
        auto made = std::make_unique<CMiniFrameWnd>();
        if (!made->Create(*this, *this))
            return false;
        mini = made.get();
        m_miniFrames.push_back(std::move(made));
    }
    const bool shown = bar->IsVisible();
    if (mini->GetBar() != bar) {
        Undock(bar);
        ::SetParent(bar->m_hWnd, mini->m_hWnd);
        // The edge it left stays in its style: docking back goes there.
        bar->SetBarStyle((bar->GetBarStyle() & ~CBRS_BORDER_ANY) | CBRS_FLOATING);
        bar->ShowWindow(SW_SHOWNOACTIVATE);
        mini->SetBar(bar);
    }
    ::SetWindowPos(mini->m_hWnd, nullptr, point.x, point.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    mini->ShowWindow(shown ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
    RedrawAfterDocking();
    return true;
}

// Moved both ways at once, the view's header keeps the frame's background where the bar was
// (seen under Wine): the whole frame is painted afresh, which a rare drop can afford.
void CFrameWnd::RedrawAfterDocking() {
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Idle updates pass a hidden bar by: a bar shown is brought up to date at once.
void CFrameWnd::ShowControlBar(CControlBar* bar, bool show) {
    if (show)
        bar->OnUpdateCmdUI(*this);
    const int command = show ? SW_SHOWNOACTIVATE : SW_HIDE;
    if (CMiniFrameWnd* mini = bar->IsFloating() ? MiniFrameOf(bar) : nullptr)
        mini->ShowWindow(command);
    else
        bar->ShowWindow(command);
    RecalcLayout();
}

DWORD CFrameWnd::DockEdgeAt(DWORD edges, POINT point, int thickness, RECT& strip) const {
    POINT at = point;
    ::ScreenToClient(m_hWnd, &at);
    const RECT& area = m_rcDockArea;
    if (!::PtInRect(&area, at))
        return 0;
    DWORD nearest = 0;
    LONG nearestDistance = kDockZone;
    for (const CDockBar& dock : m_dockBars) {
        const DWORD edge = dock.GetAlign();
        const LONG distance = edge == CBRS_ALIGN_TOP      ? at.y - area.top
                              : edge == CBRS_ALIGN_BOTTOM ? area.bottom - 1 - at.y
                              : edge == CBRS_ALIGN_LEFT   ? at.x - area.left
                                                          : area.right - 1 - at.x;
        if ((edges & edge) && distance < nearestDistance) {
            nearest = edge;
            nearestDistance = distance;
        }
    }
    if (!nearest)
        return 0;
    RECT rest = area;
    strip = CDockBar::TakeStrip(rest, nearest, thickness);
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&strip), 2);
    return nearest;
}

// Plain bars (the status bar) take the outer strips; docked bars share what they leave, and the
// view takes the rest.
void CFrameWnd::RecalcLayout() {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    for (CControlBar* bar : m_controlBars) {
        if (DockBarOf(bar) || bar->IsFloating() || !bar->IsVisible())
            continue;
        const DWORD edge =
            bar->GetBarStyle() & CBRS_ALIGN_BOTTOM ? CBRS_ALIGN_BOTTOM : CBRS_ALIGN_TOP;
        bar->MoveWindow(CDockBar::TakeStrip(client, edge, bar->CalcFixedLayout().cy));
    }
    m_rcDockArea = client;
    for (const CDockBar& dock : m_dockBars)
        dock.Layout(client);
    if (m_pView && m_pView->m_hWnd)
        m_pView->MoveWindow(client);
}

void CFrameWnd::OnSize() {
    RecalcLayout();
}

void CFrameWnd::OnSetFocus() {
    if (m_pView && m_pView->m_hWnd)
        ::SetFocus(m_pView->GetFocusTarget());
}

// A modal dialog or message box disables the frame, and the command that runs it still uses the
// view when it returns: a close meanwhile (posted by another program) waits for it to end.
LRESULT CFrameWnd::OnClose(WPARAM, LPARAM) {
    if (!::IsWindowEnabled(m_hWnd))
        m_bCloseWhenEnabled = true;
    else
        DestroyWindow();
    return 0;
}

// Floating bars go with the frame: their buttons would run a command, a second dialog among
// them, under the modal window that disabled it.
LRESULT CFrameWnd::OnEnable(WPARAM enabled, LPARAM lParam) {
    for (const auto& mini : m_miniFrames)
        ::EnableWindow(mini->m_hWnd, enabled != 0);
    if (enabled && m_bCloseWhenEnabled) {
        m_bCloseWhenEnabled = false;
        ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    }
    return Default(WM_ENABLE, enabled, lParam);
}

// The caption's close box and Alt+F4 end the preview while it is shown, not Kestrin; File Exit
// and WM_CLOSE still end Kestrin.
LRESULT CFrameWnd::OnSysCommand(WPARAM wParam, LPARAM lParam) {
    if ((wParam & kSysCommandMask) == SC_CLOSE && m_pView && m_pView->ClosePreview())
        return 0;
    return Default(WM_SYSCOMMAND, wParam, lParam);
}

// Also on destruction: a window destroyed by ~CWnd never reaches this class's PostNcDestroy.
void CFrameWnd::LeaveMessageLoop() {
    if (CWinApp* app = AfxGetApp()) {
        app->RemoveMessageFilter(this);
        app->RemoveIdleHandler(this);
    }
}

void CFrameWnd::PostNcDestroy() {
    LeaveMessageLoop();
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
}

void CFrameWnd::SetMessageText(const char* text) {
    if (CControlBar* status = GetControlBar(AFX_IDW_STATUS_BAR))
        status->SetWindowText(text);
}

void CFrameWnd::SetMessageText(UINT id) {
    if (id == 0)
        id = AFX_IDS_IDLEMESSAGE;
    const std::string idle = id == AFX_IDS_IDLEMESSAGE && m_pView ? m_pView->GetIdleText() : "";
    SetMessageText(idle.empty() ? AfxExtractSubString(AfxLoadString(id), 0).c_str() : idle.c_str());
}

LRESULT CFrameWnd::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(lParam))
        return Default(WM_INITMENUPOPUP, wParam, lParam);
    HMENU menu = reinterpret_cast<HMENU>(wParam);
    // States are worked out afresh each time a pop-up opens; the recent-file entries
    // are rewritten as one by the first one's update.
    for (int index = 0; index < ::GetMenuItemCount(menu); ++index) {
        UINT id = ::GetMenuItemID(menu, index);
        if (id == 0 || id == static_cast<UINT>(-1) || IsRecentFileEntry(id))
            continue;
        CCmdUI ui;
        ui.m_nID = id;
        ui.m_hMenu = menu;
        ui.m_nIndex = static_cast<UINT>(index);
        ui.DoUpdate(*this);
    }
    return 0;
}

LRESULT CFrameWnd::OnMenuSelect(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    UINT flags = HIWORD(wParam);
    if (flags == 0xFFFF && lParam == 0)
        SetMessageText(AFX_IDS_IDLEMESSAGE);
    else if (flags & (MF_POPUP | MF_SEPARATOR))
        SetMessageText("");
    else if ((flags & MF_SYSMENU) && id == SC_CLOSE && m_pView && m_pView->IsPreviewShown())
        SetMessageText(AFX_IDS_PREVIEW_CLOSE);
    else if (flags & MF_SYSMENU)
        // System commands from SC_SIZE on have their prompts from AFX_IDS_SCSIZE on, one a command.
        SetMessageText(id >= SC_SIZE ? AFX_IDS_SCSIZE + (id - SC_SIZE) / kSysCommandStep
                                     : AFX_IDS_IDLEMESSAGE);
    else
        SetMessageText(id);
    return 0;
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM id, LPARAM) {
    SetMessageText(static_cast<UINT>(id));
    return 0;
}

void CFrameWnd::OnViewToolBar() {
    if (CControlBar* bar = GetControlBar(AFX_IDW_TOOLBAR))
        ShowControlBar(bar, !bar->IsVisible());
}

void CFrameWnd::OnViewStatusBar() {
    if (CControlBar* bar = GetControlBar(AFX_IDW_STATUS_BAR))
        ShowControlBar(bar, !bar->IsVisible());
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI) {
    CControlBar* bar = GetControlBar(pCmdUI->m_nID);
    pCmdUI->SetCheck(bar && bar->IsVisible());
}

bool CFrameWnd::OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI) {
    if (m_pView && m_pView->OnCmdMsg(id, code, pCmdUI))
        return true;
    if (CWnd::OnCmdMsg(id, code, pCmdUI))
        return true;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, code, pCmdUI);
}

bool CFrameWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    return std::any_of(m_controlBars.begin(), m_controlBars.end(),
                       [&](CControlBar* bar) { return bar->OnParentNotify(header, result); });
}

void CFrameWnd::OnIdle() {
    for (CControlBar* bar : m_controlBars)
        if (bar->IsWindowVisible())
            bar->OnUpdateCmdUI(*this);
}

bool CFrameWnd::PreTranslateMessage(MSG& msg) {
    // Keys go to the focus, but a bar being dragged holds the mouse: Escape goes to it, to end
    // the drag.
    const HWND capture = ::GetCapture();
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && capture &&
        std::any_of(m_controlBars.begin(), m_controlBars.end(),
                    [capture](const CControlBar* bar) { return bar->m_hWnd == capture; }))
        msg.hwnd = capture;
    return m_hAccelTable && (msg.hwnd == m_hWnd || ::IsChild(m_hWnd, msg.hwnd)) &&
           ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, &msg);
}
