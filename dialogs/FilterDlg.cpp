// CFilterDlg: the texts go in at start and come back out when the dialog is destroyed.
#include "FilterDlg.h"

#include "resource.h"

const MessageMap CFilterDlg::messageMap{
    &CWnd::messageMap,
    MapVoid(WM_DESTROY, &CFilterDlg::OnDestroy),
};

CFilterDlg::CFilterDlg() : CDialog(IDD_FILTER) {}

bool CFilterDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Lists of any length show whole and can be typed whole.
    for (int id : {IDC_INCLUDE, IDC_EXCLUDE})
        ::SendMessageA(GetDlgItem(id), EM_SETLIMITTEXT, 0, 0);
    SetDlgItemText(IDC_INCLUDE, m_strInclude.c_str());
    SetDlgItemText(IDC_EXCLUDE, m_strExclude.c_str());
    return true;
}

void CFilterDlg::OnDestroy() {
    GetDlgItemText(IDC_INCLUDE, m_strInclude);
    GetDlgItemText(IDC_EXCLUDE, m_strExclude);
}
