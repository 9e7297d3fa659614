// CFrameWnd: creation from resources, layout of bars and view, menus, prompts and command route.
#include "FrameWnd.h"

#include "CmdUI.h"
#include "FrameworkIds.h"
#include "WinApp.h"

namespace {
const char kFrameClass[] = "KestrinFrame";

bool IsRecentFileEntry(UINT id) {
    return id > ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE1 + 15;
}
} // namespace

const MessageEntry CFrameWnd::messageEntries[] = {
    MapCreate(&CFrameWnd::OnCreate),
    MapVoid(WM_SIZE, &CFrameWnd::OnSize),
    MapVoid(WM_SETFOCUS, &CFrameWnd::OnSetFocus),
    MapMessage(WM_CLOSE, &CFrameWnd::OnClose),
    MapMessage(WM_INITMENUPOPUP, &CFrameWnd::OnInitMenuPopup),
    MapMessage(WM_MENUSELECT, &CFrameWnd::OnMenuSelect),
    MapCommand(ID_VIEW_TOOLBAR, &CFrameWnd::OnViewToolBar),
    MapCommand(ID_VIEW_STATUS_BAR, &CFrameWnd::OnViewStatusBar),
    MapUpdate(ID_VIEW_TOOLBAR, &CFrameWnd::OnUpdateControlBarMenu),
    MapUpdate(ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateControlBarMenu),
};
const MessageMap CFrameWnd::messageMap(&CWnd::messageMap, CFrameWnd::messageEntries);

const MessageMap* CFrameWnd::GetMessageMap() const {
    return &messageMap;
}

bool CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CCreateContext* context) {
    HINSTANCE instance = AfxGetInstanceHandle();
    std::string title = AfxExtractSubString(AfxLoadString(resourceId), 0);
    HMENU menu = ::LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
    m_hAccelTable = ::LoadAcceleratorsA(instance, MAKEINTRESOURCEA(resourceId));

    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(resourceId));
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFrameClass;
    if (!AfxRegisterClass(&wc)) {
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
    if (m_pContext && m_pContext->m_pNewViewClass) {
        m_pView.reset(dynamic_cast<CView*>(m_pContext->m_pNewViewClass->m_pfnCreateObject()));
        if (!m_pView || !m_pView->Create(*this, m_pContext->m_pCurrentDoc)) {
            m_pView.reset();
            return -1;
        }
    }
    return 0;
}

CDocument* CFrameWnd::GetActiveDocument() const {
    return m_pView ? m_pView->GetDocument() : nullptr;
}

void CFrameWnd::OnUpdateFrameTitle(bool addToTitle) {
    CDocument* document = GetActiveDocument();
    if (!addToTitle || !document)
        return;
    SetWindowText((document->GetTitle() + " - " + AfxGetApp()->m_strAppName).c_str());
}

void CFrameWnd::DockControlBar(CControlBar*) {
    RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* bar, bool show) {
    bar->ShowWindow(show ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT id) const {
    return dynamic_cast<CControlBar*>(CWnd::FromHandle(GetDlgItem(static_cast<int>(id))));
}

void CFrameWnd::RecalcLayout() {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    // Top bars stack downwards from the top edge, bottom bars upwards from the bottom;
    // the view takes what is left.
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        auto* bar = dynamic_cast<CControlBar*>(CWnd::FromHandle(child));
        if (!bar || !bar->IsWindowVisible())
            continue;
        int height = bar->CalcHeight(client.right - client.left);
        RECT place = client;
        if (bar->GetBarStyle() & CBRS_ALIGN_BOTTOM) {
            place.top = client.bottom - height;
            client.bottom = place.top;
        } else {
            place.bottom = client.top + height;
            client.top = place.bottom;
        }
        bar->MoveWindow(place);
    }
    if (m_pView && m_pView->m_hWnd) {
        if (client.bottom < client.top)
            client.bottom = client.top;
        m_pView->MoveWindow(client);
    }
}

void CFrameWnd::OnSize() {
    RecalcLayout();
}

void CFrameWnd::OnSetFocus() {
    if (m_pView && m_pView->m_hWnd)
        ::SetFocus(m_pView->m_hWnd);
}

LRESULT CFrameWnd::OnClose(WPARAM, LPARAM) {
    DestroyWindow();
    return 0;
}

void CFrameWnd::PostNcDestroy() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
}

void CFrameWnd::SetMessageText(const char* text) {
    if (auto* status = dynamic_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR)))
        status->SetPaneText(0, text);
}

void CFrameWnd::SetMessageText(UINT id) {
    if (id == 0)
        id = AFX_IDS_IDLEMESSAGE;
    if (id == AFX_IDS_IDLEMESSAGE && !m_strIdleText.empty())
        SetMessageText(m_strIdleText.c_str());
    else
        SetMessageText(AfxExtractSubString(AfxLoadString(id), 0).c_str());
}

void CFrameWnd::SetIdleText(const char* text) {
    m_strIdleText = text;
    SetMessageText(AFX_IDS_IDLEMESSAGE);
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
    else if (flags & MF_SYSMENU)
        // System commands SC_SIZE (0xF000) onwards have their prompts from 0xEF00, one per 16.
        SetMessageText(id >= 0xF000 ? AFX_IDS_SCSIZE + ((id - 0xF000) >> 4) : AFX_IDS_IDLEMESSAGE);
    else
        SetMessageText(id);
    return 0;
}

void CFrameWnd::OnViewToolBar() {
    if (CControlBar* bar = GetControlBar(AFX_IDW_TOOLBAR))
        ShowControlBar(bar, !bar->IsWindowVisible());
}

void CFrameWnd::OnViewStatusBar() {
    if (CControlBar* bar = GetControlBar(AFX_IDW_STATUS_BAR))
        ShowControlBar(bar, !bar->IsWindowVisible());
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI) {
    CControlBar* bar = GetControlBar(pCmdUI->m_nID);
    pCmdUI->SetCheck(bar && bar->IsWindowVisible());
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
    auto* toolBar = dynamic_cast<CToolBar*>(GetControlBar(AFX_IDW_TOOLBAR));
    return toolBar && toolBar->OnParentNotify(*this, reinterpret_cast<NMHDR*>(lParam), result);
}

void CFrameWnd::OnIdleUpdateCmdUI() {
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (auto* bar = dynamic_cast<CControlBar*>(CWnd::FromHandle(child)))
            if (bar->IsWindowVisible())
                bar->OnUpdateCmdUI(*this);
}
