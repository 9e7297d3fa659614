// CFilterDlg: edits the include and exclude texts of the message filter.
#pragma once

#include <string>

#include "Dialog.h"

class CFilterDlg : public CDialog {
public:
    CFilterDlg();

    // The dialog's whole input and output; they hold the edits' texts however it closed.
    std::string m_strInclude;
    std::string m_strExclude;

    bool OnInitDialog() override;

protected:
    void OnDestroy();
    MESSAGE_MAP_MEMBERS();
};
