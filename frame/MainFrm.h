// CMainFrame: the top-level window clients find by its caption "Kestrin".
#pragma once

#include "FindBar.h"
#include "FrameWnd.h"
#include "StatusBar.h"
#include "ToolBar.h"

class CMainFrame : public CFrameWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    int OnCreate(CREATESTRUCTA* cs);
    void OnEditFind() { m_wndFindBar.Open(); }
    void OnViewFindBar();
    MESSAGE_MAP_MEMBERS();

private:
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CFindBar m_wndFindBar;
};
