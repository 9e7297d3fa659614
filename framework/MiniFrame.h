// CMiniFrameWnd: the small tool window a floating control bar lives in.
#pragma once

#include "DockSite.h"
#include "Wnd.h"

// Owned by the frame the bar docks in: its caption drags the bar as the gripper does (to an edge
// or elsewhere), a double-click there docks the bar back, and closing it hides the bar. Commands,
// notifications and prompts from the bar go on to the owner.
class CMiniFrameWnd : public CWnd {
public:
    bool Create(CWnd& owner, CDockSite& dockSite);
    CControlBar* GetBar() const { return m_pBar; }
    // Holds bar (or, null, nothing) and takes its size; visibility is left to the caller.
    void SetBar(CControlBar* bar);
    void RecalcLayout();

    // The window rectangle of the tool window for bar whose client area has size, at topLeft.
    static RECT WindowRectFor(const CControlBar* bar, SIZE size, POINT topLeft);

    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    MESSAGE_MAP_MEMBERS();

private:
    void FitBar();
    // Moved by its caption as its bar is by the gripper, so that it can dock at an edge.
    LRESULT OnNcLButtonDown(WPARAM hit, LPARAM point);
    LRESULT OnNcLButtonDblClk(WPARAM hit, LPARAM point);
    LRESULT OnSizing(WPARAM edge, LPARAM rect);
    void OnSize();
    LRESULT OnGetMinMaxInfo(WPARAM wParam, LPARAM info);
    LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetMessageString(WPARAM id, LPARAM lParam);

    CWnd* m_pOwner = nullptr;
    CDockSite* m_pDockSite = nullptr;
    CControlBar* m_pBar = nullptr;
};
