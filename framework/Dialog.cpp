// CDialog: modal run, centring, OK and Cancel, and mapped messages of dialogs.
#include "Dialog.h"

#include "WinApp.h"

CDialog::CDialog(UINT templateId) : m_nTemplateId(templateId) {}

HWND CDialog::Owner() const {
    return AfxGetModalOwner();
}

int CDialog::DoModal() {
    INT_PTR result = ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nTemplateId),
                                       Owner(), DialogProc, reinterpret_cast<LPARAM>(this));
    return static_cast<int>(result);
}

bool CDialog::OnInitDialog() {
    HWND owner = Owner();
    RECT area;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT self;
    ::GetWindowRect(m_hWnd, &self);
    int width = self.right - self.left;
    int height = self.bottom - self.top;
    ::SetWindowPos(m_hWnd, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
    } else {
        dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
        if (!dialog)
            return FALSE;
    }
    // A dialog half set up or half read would lose what the user typed: it ends as not run.
    const INT_PTR result = AfxCallbackEdge(
        [&]() -> INT_PTR {
            return message == WM_INITDIALOG ? dialog->OnInitDialog()
                                            : dialog->OnDialogMessage(message, wParam, lParam);
        },
        [dialog]() -> INT_PTR {
            dialog->EndDialog(-1);
            return FALSE;
        });
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
    }
    return result;
}

INT_PTR CDialog::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Enter, Escape and the close box arrive as IDOK and IDCANCEL, and end the dialog so.
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
        (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(LOWORD(wParam));
        return TRUE;
    }
    LRESULT result = 0;
    if (!DispatchMapped(message, wParam, lParam, result))
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
