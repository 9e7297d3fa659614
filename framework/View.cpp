// CView and CListView: creation inside the frame, initial update, command route to the document,
// printing and print preview.
#include "View.h"

#include <memory>

#include "FrameWnd.h"
#include "FrameworkIds.h"
#include "PrintPreview.h"
#include "WinApp.h"

const MessageMap CView::messageMap{
    &CWnd::messageMap,
    MapMessage(WM_WINDOWPOSCHANGED, &CView::OnWindowPosChanged),
};

CView::~CView() {
    if (m_pPreview)
        m_pPreview->DestroyWindow();
}

bool CView::PreCreateWindow(CREATESTRUCTA& cs) {
    // Views look sunken: a plain border becomes the client edge.
    if (cs.style & WS_BORDER) {
        cs.style &= ~static_cast<DWORD>(WS_BORDER);
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
    }
    return true;
}

bool CView::Create(CFrameWnd& frame, CDocument* document, CPrinterChoice* printer) {
    m_pDocument = document;
    m_pPrinter = printer;
    RECT empty = {0, 0, 0, 0};
    return CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, empty, frame.m_hWnd,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)));
}

void CView::OnInitialUpdate() {
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CView::OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI) {
    if (CWnd::OnCmdMsg(id, code, pCmdUI))
        return true;
    return m_pDocument && m_pDocument->OnCmdMsg(id, code, pCmdUI);
}

void CView::OnFilePrint() {
    Print(false);
}

void CView::OnFilePrintDirect() {
    Print(true);
}

bool CView::Print(bool direct) {
    CPrintInfo info;
    info.m_bDirect = direct;
    if (!OnPreparePrinting(&info))
        return false;
    const std::string title = m_pDocument && !m_pDocument->GetTitle().empty()
                                  ? m_pDocument->GetTitle()
                                  : AfxGetApp()->m_strAppName;
    return AfxPrintPages(*this, info, title.c_str());
}

void CView::OnFilePrintPreview() {
    if (m_pPreview)
        return;
    auto info = std::make_unique<CPrintInfo>();
    info->m_bPreview = true;
    if (!OnPreparePrinting(info.get()))
        return;
    m_pPreview = CPrintPreview::Show(*this, std::move(info));
}

bool CView::ClosePreview() {
    if (!m_pPreview)
        return false;
    m_pPreview->DestroyWindow();
    return true;
}

void CView::OnPreviewClosed() {
    m_pPreview = nullptr;
    // A frame on its way out has already hidden itself: nothing to show then.
    if (m_hWnd && ::IsWindowVisible(::GetParent(m_hWnd))) {
        ShowWindow(SW_SHOW);
        ::SetFocus(m_hWnd);
    }
}

HWND CView::GetFocusTarget() const {
    return m_pPreview ? m_pPreview->m_hWnd : m_hWnd;
}

LRESULT CView::OnWindowPosChanged(WPARAM wParam, LPARAM lParam) {
    if (m_pPreview)
        m_pPreview->TakePlaceOf(*this);
    // A moved view's children are drawn afresh: the list's header kept its first heading's
    // glyph clipped after a bar docked beside it.
    if (!(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOMOVE))
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT))
            ::InvalidateRect(child, nullptr, TRUE);
    return Default(WM_WINDOWPOSCHANGED, wParam, lParam);
}

bool CListView::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.lpszClass = WC_LISTVIEWA;
    return CView::PreCreateWindow(cs);
}
