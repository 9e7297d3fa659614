// CDialog: a modal dialog from a template, bound to its object at WM_INITDIALOG.
#pragma once

#include "Wnd.h"

class CDialog : public CWnd {
public:
    // Owned by the main window.
    explicit CDialog(UINT templateId);

    // IDOK or IDCANCEL as the dialog ended, -1 when it could not be created.
    int DoModal();
    // Centres the dialog over its owner; true lets the dialog manager set the focus.
    virtual bool OnInitDialog();
    void EndDialog(int result) const { ::EndDialog(m_hWnd, result); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND Owner() const;

    UINT m_nTemplateId;
};
