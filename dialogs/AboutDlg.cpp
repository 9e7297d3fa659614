// CAboutDlg: fills the read-only sample box with the client routine.
#include "AboutDlg.h"

#include "ClientSample.h"
#include "resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SetWindowTextA(GetDlgItem(IDC_SAMPLE), kClientSample);
    return true;
}
