// CView and CListView: the window that shows a document inside a frame.
#pragma once

#include "Document.h"
#include "ListCtrl.h"
#include "Wnd.h"

class CView : public CWnd {
public:
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    // Called by the document template each time the document is new or opened.
    virtual void OnInitialUpdate();
    virtual void OnDraw(HDC hdc);
    bool PreCreateWindow(CREATESTRUCTA& cs) override;
    // The view's own commands first, then its document's.
    bool OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI) override;

protected:
    friend class CFrameWnd;
    // The frame creates the view as its client-area child and attaches the document.
    bool Create(CWnd& frame, CDocument* document);

private:
    CDocument* m_pDocument = nullptr;
};

// A view that is a report-style list-view control.
class CListView : public CView {
public:
    CListCtrl GetListCtrl() const { return CListCtrl(m_hWnd); }
    // The list-view class with the standard view styling.
    bool PreCreateWindow(CREATESTRUCTA& cs) override;
};
