// CCmdUI: applies a command's state to its menu item or toolbar button.
#include "CmdUI.h"

#include "ToolBar.h"
#include "Wnd.h"

// Idle updates run often: touch the button only when its state changes, so it is not repainted.
void CCmdUI::SetButtonState(BYTE flag, bool on) {
    HWND bar = m_pToolBar->m_hWnd;
    LRESULT state = ::SendMessageA(bar, TB_GETSTATE, m_nID, 0);
    if (state == -1)
        return;
    LRESULT wanted = on ? (state | flag) : (state & ~flag);
    if (wanted != state)
        ::SendMessageA(bar, TB_SETSTATE, m_nID, MAKELPARAM(wanted, 0));
}

void CCmdUI::Enable(bool on) {
    if (m_hMenu)
        ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
    else if (m_pToolBar)
        SetButtonState(TBSTATE_ENABLED, on);
}

void CCmdUI::SetCheck(int check) {
    if (m_hMenu)
        ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    else if (m_pToolBar) {
        SetButtonState(TBSTATE_CHECKED, check != 0);
        m_pToolBar->ShowCheck(m_nID, check != 0);
    }
}

void CCmdUI::SetRadio(bool on) {
    if (m_hMenu) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE;
        if (::GetMenuItemInfoA(m_hMenu, m_nIndex, TRUE, &item)) {
            item.fType |= MFT_RADIOCHECK;
            ::SetMenuItemInfoA(m_hMenu, m_nIndex, TRUE, &item);
        }
    }
    SetCheck(on ? 1 : 0);
}

void CCmdUI::DoUpdate(CCmdTarget& route) {
    Enable(route.OnCmdMsg(m_nID, CN_PROBE, this));
    route.OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this);
}
