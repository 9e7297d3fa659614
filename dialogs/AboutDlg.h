// CAboutDlg: the program's icon, description and the client routine to copy.
#pragma once

#include "Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    bool OnInitDialog() override;
};
