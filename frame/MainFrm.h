// CMainFrame: the top-level window clients find by its caption "Kestrin".
#pragma once

#include "DetailBar.h"
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
    void OnViewDetailBar() { m_wndDetailBar.Show(!m_wndDetailBar.IsVisible()); }
    MESSAGE_MAP_MEMBERS();

private:
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CFindBar m_wndFindBar;
    CDetailBar m_wndDetailBar;
};
