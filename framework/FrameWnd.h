// CFrameWnd: a top-level window with menu, accelerators, control bars and one view.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CreateContext.h"
#include "DockBar.h"
#include "DockSite.h"
#include "MessageLoop.h"
#include "Wnd.h"

class CMiniFrameWnd;

// Registers itself with the message loop: its accelerators, and its bars' states at idle time.
class CFrameWnd : public CWnd, public CDockSite, private CMessageFilter, private CIdleHandler {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Menu, accelerators, icon and caption (first field of the string) from resourceId.
    bool LoadFrame(UINT resourceId, DWORD style, CCreateContext* context);
    bool PreCreateWindow(CREATESTRUCTA& cs) override;

    CView* GetActiveView() const { return m_pView.get(); }
    CDocument* GetActiveDocument() const;

    // Edges (CBRS_ALIGN_ bits) at which bars may dock.
    void EnableDocking(DWORD dockStyle);
    bool DockControlBar(CControlBar* bar, DWORD edge = 0) override;
    bool FloatControlBar(CControlBar* bar, POINT point) override;
    void ShowControlBar(CControlBar* bar, bool show) override;
    // The bar with child-window id, docked, floating or hidden; null when there is none.
    CControlBar* GetControlBar(UINT id) const;
    DWORD DockEdgeAt(DWORD edges, POINT point, int thickness, RECT& strip) const override;
    void AddControlBar(CControlBar* bar) override;
    void RemoveControlBar(CControlBar* bar) override;
    CDockSite* GetDockSite() override { return this; }
    void RecalcLayout();

    // The status bar's message pane: a command's prompt, or the idle text.
    void SetMessageText(const char* text);
    void SetMessageText(UINT id);

    // Route: active view (then its document), this frame, the application.
    bool OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI) override;
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    int OnCreate(CREATESTRUCTA* cs);
    void OnSize();
    LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnable(WPARAM enabled, LPARAM lParam);
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    void OnSetFocus();
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);
    // A bar's or the preview's prompt: wParam is the string id.
    LRESULT OnSetMessageString(WPARAM id, LPARAM lParam);
    void OnViewToolBar();
    void OnViewStatusBar();
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    // The main window's end ends the message loop.
    void PostNcDestroy() override;
    MESSAGE_MAP_MEMBERS();

private:
    // Escape to a bar being dragged, then the accelerators.
    bool PreTranslateMessage(MSG& msg) override;
    // Idle-time update of the bars' command states.
    void OnIdle() override;
    void LeaveMessageLoop();
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
    bool m_bCloseWhenEnabled = false; // a close came while a modal window disabled the frame
};
