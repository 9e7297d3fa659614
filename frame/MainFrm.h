// CMainFrame: the top-level window clients find by its caption "Kestrin".
#pragma once

#include "FrameWnd.h"
#include "StatusBar.h"
#include "ToolBar.h"

class CMainFrame : public CFrameWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    int OnCreate(CREATESTRUCTA* cs);
    MESSAGE_MAP_MEMBERS();

private:
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
};
