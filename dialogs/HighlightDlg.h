// CHighlightDlg: edits the ordered highlight rules, each shown in its own colours.
#pragma once

#include <vector>

#include "Dialog.h"
#include "Highlights.h"

class CHighlightDlg : public CDialog {
public:
    CHighlightDlg();

    // The dialog's whole input and output: edited in place, kept by the caller on OK.
    std::vector<HighlightRule> m_rules;

    bool OnInitDialog() override;

protected:
    LRESULT OnControl(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(WPARAM, LPARAM lParam);
    MESSAGE_MAP_MEMBERS();

private:
    int Current() const;
    // The list shows the rules, with row at the focus; the boxes show its rule (none: grayed).
    void ShowRules(int row);
    void ShowRule();
    // The boxes' values go into the current rule.
    void TakeRule();
    std::string Describe(const HighlightRule& rule) const;
    LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendDlgItemMessageA(m_hWnd, id, message, wParam, lParam);
    }

    bool m_bShowing = false; // the boxes are being filled: their changes are not the user's
};
