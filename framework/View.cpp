// CView and CListView: creation inside the frame, initial update, command route to the document.
#include "View.h"

#include "FrameworkIds.h"

CView::~CView() {
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

bool CView::PreCreateWindow(CREATESTRUCTA& cs) {
    // Views look sunken: a plain border becomes the client edge.
    if (cs.style & WS_BORDER) {
        cs.style &= ~static_cast<DWORD>(WS_BORDER);
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
    }
    return true;
}

bool CView::Create(CWnd& frame, CDocument* document) {
    m_pDocument = document;
    if (document)
        document->AddView(this);
    RECT empty = {0, 0, 0, 0};
    return CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, empty, frame.m_hWnd,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)));
}

void CView::OnInitialUpdate() {
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CView::OnDraw(HDC) {}

bool CView::OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI) {
    if (CWnd::OnCmdMsg(id, code, pCmdUI))
        return true;
    return m_pDocument && m_pDocument->OnCmdMsg(id, code, pCmdUI);
}

bool CListView::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.lpszClass = WC_LISTVIEWA;
    return CView::PreCreateWindow(cs);
}
