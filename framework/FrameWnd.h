// CFrameWnd: a top-level window with menu, accelerators, control bars and one view.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DockBar.h"
#include "Document.h"
#include "MiniFrame.h"
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

    // Edges (CBRS_ALIGN_ bits) at which bars may dock.
    void EnableDocking(DWORD dockStyle);
    // Docks bar at edge (one CBRS_ALIGN_ bit), or at none given where it last was; false when
    // neither the bar nor this frame allows that edge.
    bool DockControlBar(CControlBar* bar, DWORD edge = 0);
    // Floats bar in a tool window of its own whose top-left corner is at point (screen).
    bool FloatControlBar(CControlBar* bar, POINT point);
    void ShowControlBar(CControlBar* bar, bool show);
    // The bar with child-window id, docked, floating or hidden; null when there is none.
    CControlBar* GetControlBar(UINT id) const;
    // The edge among edges that a bar dropped at point (screen) docks at, 0 for none, and the
    // strip of that thickness it would take there, on the screen.
    DWORD DockEdgeAt(DWORD edges, POINT point, int thickness, RECT& strip) const;
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

    // Bars created in this frame, kept in the order created until their windows go.
    void AddControlBar(CControlBar* bar);
    void RemoveControlBar(CControlBar* bar);

protected:
    int OnCreate(CREATESTRUCTA* cs);
    void OnSize();
    LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnable(WPARAM enabled, LPARAM lParam);
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    void OnSetFocus();
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);
    void OnViewToolBar();
    void OnViewStatusBar();
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    // The main window's end ends the message loop.
    void PostNcDestroy() override;
    MESSAGE_MAP_MEMBERS();

private:
    CDockBar* DockBarOf(const CControlBar* bar);
    // The tool window holding bar; for null, one that holds nothing.
    CMiniFrameWnd* MiniFrameOf(const CControlBar* bar) const;
    // Takes the bar out of its dock bar or tool window, which is hidden.
    void Undock(CControlBar* bar);
    void RedrawAfterDocking();

    CCreateContext* m_pContext = nullptr;
    std::vector<CControlBar*> m_controlBars;
    std::vector<CDockBar> m_dockBars;
    // A tool window per bar that ever floated: kept, hidden and empty, while the bar is docked.
    std::vector<std::unique_ptr<CMiniFrameWnd>> m_miniFrames;
    RECT m_rcDockArea = {}; // client coordinates: what the plain bars leave for docked ones
    std::unique_ptr<CView> m_pView;
    HACCEL m_hAccelTable = nullptr;
    std::string m_strIdleText;
    bool m_bCloseWhenEnabled = false; // a close came while a modal window disabled the frame
};
