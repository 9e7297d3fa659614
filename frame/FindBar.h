// CFindBar: the find bar along the bottom of the list, above the status bar.
#pragma once

#include "ControlBar.h"
#include "MessageLoop.h"

// A text box, next and previous buttons, match case and where the find stands. What is typed
// goes to the view as it is typed; Enter finds the next match, Shift+Enter the previous, Escape
// closes the bar and gives the list the focus.
class CFindBar : public CControlBar, private CMessageFilter {
public:
    ~CFindBar() override;
    bool Create(CWnd& parent);
    // Shows the bar with its text selected, ready for typing.
    void Open();
    void Close();

    SIZE CalcFixedLayout() const override;
    void OnUpdateCmdUI(CCmdTarget&) override {}

protected:
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    MESSAGE_MAP_MEMBERS();

private:
    // Enter and Escape, and the edit keys the frame's accelerators would take from the box.
    bool PreTranslateMessage(MSG& msg) override;
    LRESULT OnSize(WPARAM type, LPARAM size);
    void SendText();
    HWND View() const;
    HWND Frame() const { return ::GetParent(m_hWnd); }
};
