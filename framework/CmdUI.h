// CCmdUI: one user-interface element of a command (menu item, toolbar button) being updated.
#pragma once

#include <windows.h>

class CCmdTarget;
class CToolBar;

class CCmdUI {
public:
    UINT m_nID = 0;
    // Set for a menu item: the pop-up and the item's position in it.
    HMENU m_hMenu = nullptr;
    UINT m_nIndex = 0;
    // Set for a toolbar button.
    CToolBar* m_pToolBar = nullptr;

    void Enable(bool on);
    void SetCheck(int check);
    // One choice of a group: a menu item shows a bullet where a check would be.
    void SetRadio(bool on);

    // Enabled when some object on the route handles the command; then the first
    // update handler on the route may set the check (or rewrite its menu item).
    void DoUpdate(CCmdTarget& route);

private:
    void SetButtonState(BYTE flag, bool on);
};
