// CDetailBar: the detail pane along the bottom of the list, the focused row's whole text.
#pragma once

#include "ControlBar.h"

// A read-only text box that wraps, which the view fills (see CRowDetail). Off at first start;
// whether it is shown is remembered.
class CDetailBar : public CControlBar {
public:
    // Shown when it was at the last run's end.
    bool Create(CWnd& parent);
    // Shows or hides it, and remembers which.
    void Show(bool show);

    SIZE CalcFixedLayout() const override;
    void OnUpdateCmdUI(CCmdTarget&) override {}

protected:
    MESSAGE_MAP_MEMBERS();

private:
    LRESULT OnSize(WPARAM type, LPARAM size);
    HWND Frame() const { return ::GetParent(m_hWnd); }
};
