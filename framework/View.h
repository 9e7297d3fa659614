// CView and CListView: the window that shows a document inside a frame.
#pragma once

#include <memory>
#include <string>

#include "Document.h"
#include "ListCtrl.h"
#include "Print.h"
#include "Wnd.h"

class CFrameWnd;
class CPrintPreview;

class CView : public CWnd {
public:
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    // Called by the document template each time the document is new or opened.
    virtual void OnInitialUpdate();
    // The frame shows it in place of its idle message while it is not empty, so that it stays in
    // sight; a view that changes it sends its parent WM_SETMESSAGESTRING for the idle message.
    virtual std::string GetIdleText() const { return std::string(); }
    bool PreCreateWindow(CREATESTRUCTA& cs) override;
    // The view's own commands first, then its document's.
    bool OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI) override;

    // A print job's hooks. A view prints once it prepares its jobs, usually with
    // DoPreparePrinting; a page it does not draw stays empty.
    virtual bool OnPreparePrinting(CPrintInfo*) { return false; }
    virtual void OnPrint(HDC, CPrintInfo*) {}

    // One job, with the print dialog or direct to the chosen printer; false when nothing printed.
    bool Print(bool direct);
    // Print (with the print dialog), Print Direct (to the chosen printer) and Print Preview.
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    // The preview has closed: the view shows again.
    void OnPreviewClosed();
    bool IsPreviewShown() const { return m_pPreview != nullptr; }
    // Where the keys go: the preview while it is shown, else the view.
    HWND GetFocusTarget() const;
    // Closes the preview if one is shown; false when there was none.
    bool ClosePreview();

protected:
    friend class CFrameWnd;
    // The frame creates the view as its client-area child and attaches the document; the view
    // prints to printer.
    bool Create(CFrameWnd& frame, CDocument* document, CPrinterChoice* printer);
    bool DoPreparePrinting(CPrintInfo* info) { return AfxPreparePrinting(*info, m_pPrinter); }
    // A preview takes the view's place, wherever the frame puts the view.
    LRESULT OnWindowPosChanged(WPARAM wParam, LPARAM lParam);
    MESSAGE_MAP_MEMBERS();

private:
    CDocument* m_pDocument = nullptr;
    CPrinterChoice* m_pPrinter = nullptr;
    CPrintPreview* m_pPreview = nullptr; // it ends itself when closed
};

// A view that is a report-style list-view control.
class CListView : public CView {
public:
    CListCtrl GetListCtrl() const { return CListCtrl(m_hWnd); }
    // The list-view class with the standard view styling.
    bool PreCreateWindow(CREATESTRUCTA& cs) override;
};
