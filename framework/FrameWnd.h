// CFrameWnd: a top-level window with menu, accelerators, control bars and one view.
#pragma once

#include <memory>
#include <string>

#include "Document.h"
#include "StatusBar.h"
#include "ToolBar.h"
#include "View.h"
#include "Wnd.h"

// What the document template hands the frame so that it can create the view.
struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
};

class CFrameWnd : public CWnd {
public:
    // Menu, accelerators, icon and caption (first field of the string) from resourceId.
    bool LoadFrame(UINT resourceId, DWORD style, CCreateContext* context);
    bool PreCreateWindow(CREATESTRUCTA& cs) override;

    CView* GetActiveView() const { return m_pView.get(); }
    CDocument* GetActiveDocument() const;
    HACCEL GetAccelerators() const { return m_hAccelTable; }

    // The framework would put the document's title into the caption here.
    virtual void OnUpdateFrameTitle(bool addToTitle);

    void DockControlBar(CControlBar* bar);
    void ShowControlBar(CControlBar* bar, bool show);
    void RecalcLayout();

    // The status bar's message pane: a command's prompt, or the idle text.
    void SetMessageText(const char* text);
    void SetMessageText(UINT id);
    // Shown in place of the idle message from now on, so that it stays in sight.
    void SetIdleText(const char* text);

    // Route: active view (then its document), this frame, the application.
    bool OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI) override;
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Idle-time update of the bars' command states.
    void OnIdleUpdateCmdUI();

protected:
    int OnCreate(CREATESTRUCTA* cs);
    void OnSize();
    LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    void OnSetFocus();
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);
    void OnViewToolBar();
    void OnViewStatusBar();
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    // The main window's end ends the message loop.
    void PostNcDestroy() override;
    const MessageMap* GetMessageMap() const override;
    static const MessageEntry messageEntries[];
    static const MessageMap messageMap;

private:
    CControlBar* GetControlBar(UINT id) const;

    CCreateContext* m_pContext = nullptr;
    std::unique_ptr<CView> m_pView;
    HACCEL m_hAccelTable = nullptr;
    std::string m_strIdleText;
};
