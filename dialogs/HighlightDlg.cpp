// CHighlightDlg: the rule list with add, remove, up and down, and the boxes of the rule in focus.
#include "HighlightDlg.h"

#include <iterator>
#include <utility>

#include "Strings.h"
#include "resource.h"

namespace {
const int kEditors[] = {IDC_HIGHLIGHT_KIND,       IDC_HIGHLIGHT_TEXT,       IDC_HIGHLIGHT_CASE,
                        IDC_HIGHLIGHT_FOREGROUND, IDC_HIGHLIGHT_BACKGROUND, IDC_HIGHLIGHT_REMOVE,
                        IDC_HIGHLIGHT_UP,         IDC_HIGHLIGHT_DOWN};
} // namespace

const MessageMap CHighlightDlg::messageMap{
    &CWnd::messageMap,
    MapMessage(WM_COMMAND, &CHighlightDlg::OnControl),
    MapMessage(WM_DRAWITEM, &CHighlightDlg::OnDrawItem),
};

CHighlightDlg::CHighlightDlg() : CDialog(IDD_HIGHLIGHT) {}

bool CHighlightDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const std::pair<int, UINT> choices[] = {{IDC_HIGHLIGHT_KIND, IDS_HIGHLIGHT_KINDS},
                                            {IDC_HIGHLIGHT_FOREGROUND, IDS_HIGHLIGHT_FOREGROUNDS},
                                            {IDC_HIGHLIGHT_BACKGROUND, IDS_HIGHLIGHT_BACKGROUNDS}};
    for (const auto& [id, names] : choices) {
        const std::string all = AfxLoadString(names);
        for (int i = 0; !AfxExtractSubString(all, i).empty(); ++i)
            Send(id, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(AfxExtractSubString(all, i).c_str()));
    }
    Send(IDC_HIGHLIGHT_TEXT, EM_SETLIMITTEXT, 0);
    ShowRules(0);
    return true;
}

int CHighlightDlg::Current() const {
    const int row = static_cast<int>(Send(IDC_HIGHLIGHT_RULES, LB_GETCURSEL));
    return row >= 0 && row < static_cast<int>(m_rules.size()) ? row : -1;
}

std::string CHighlightDlg::Describe(const HighlightRule& rule) const {
    return AfxExtractSubString(AfxLoadString(IDS_HIGHLIGHT_KINDS), rule.kind) +
           AfxLoadString(IDS_HIGHLIGHT_SEPARATOR) + rule.text +
           (rule.matchCase ? AfxLoadString(IDS_HIGHLIGHT_CASE_NOTE) : "");
}

void CHighlightDlg::ShowRules(int row) {
    Send(IDC_HIGHLIGHT_RULES, LB_RESETCONTENT);
    for (const HighlightRule& rule : m_rules)
        Send(IDC_HIGHLIGHT_RULES, LB_ADDSTRING, 0,
             reinterpret_cast<LPARAM>(Describe(rule).c_str()));
    Send(IDC_HIGHLIGHT_RULES, LB_SETCURSEL, m_rules.empty() ? WPARAM(-1) : WPARAM(row));
    ShowRule();
}

void CHighlightDlg::ShowRule() {
    const int row = Current();
    for (int id : kEditors)
        ::EnableWindow(GetDlgItem(id), row >= 0);
    const HighlightRule shown = row >= 0 ? m_rules[row] : HighlightRule{};
    // No rule: the lists choose nothing.
    const auto choice = [row](unsigned index) { return row >= 0 ? WPARAM{index} : WPARAM(-1); };
    m_bShowing = true;
    Send(IDC_HIGHLIGHT_KIND, CB_SETCURSEL, choice(shown.kind));
    SetDlgItemText(IDC_HIGHLIGHT_TEXT, shown.text.c_str());
    Send(IDC_HIGHLIGHT_CASE, BM_SETCHECK, shown.matchCase ? BST_CHECKED : BST_UNCHECKED);
    Send(IDC_HIGHLIGHT_FOREGROUND, CB_SETCURSEL, choice(shown.foreground));
    Send(IDC_HIGHLIGHT_BACKGROUND, CB_SETCURSEL, choice(shown.background));
    m_bShowing = false;
}

void CHighlightDlg::TakeRule() {
    const int row = Current();
    if (row < 0 || m_bShowing)
        return;
    HighlightRule& rule = m_rules[row];
    rule.kind = Send(IDC_HIGHLIGHT_KIND, CB_GETCURSEL) == HighlightRule::kProcess
                    ? HighlightRule::kProcess
                    : HighlightRule::kText;
    GetDlgItemText(IDC_HIGHLIGHT_TEXT, rule.text);
    rule.matchCase = Send(IDC_HIGHLIGHT_CASE, BM_GETCHECK) == BST_CHECKED;
    rule.foreground = static_cast<unsigned char>(Send(IDC_HIGHLIGHT_FOREGROUND, CB_GETCURSEL));
    rule.background = static_cast<unsigned char>(Send(IDC_HIGHLIGHT_BACKGROUND, CB_GETCURSEL));
    // The list's item shows the rule's text and colours as they are typed.
    Send(IDC_HIGHLIGHT_RULES, LB_DELETESTRING, row);
    Send(IDC_HIGHLIGHT_RULES, LB_INSERTSTRING, row,
         reinterpret_cast<LPARAM>(Describe(rule).c_str()));
    Send(IDC_HIGHLIGHT_RULES, LB_SETCURSEL, row);
}

LRESULT CHighlightDlg::OnControl(WPARAM wParam, LPARAM) {
    const int row = Current();
    switch (LOWORD(wParam)) {
    case IDC_HIGHLIGHT_RULES:
        if (HIWORD(wParam) == LBN_SELCHANGE)
            ShowRule();
        break;
    case IDC_HIGHLIGHT_ADD: {
        // A new text rule below the focus, on the background fewest rules use.
        const HighlightRule added = {HighlightRule::kText, false, 0,
                                     CHighlights::NextBackground(m_rules), ""};
        m_rules.insert(m_rules.begin() + (row + 1), added);
        ShowRules(row + 1);
        ::SetFocus(GetDlgItem(IDC_HIGHLIGHT_TEXT));
        break;
    }
    case IDC_HIGHLIGHT_REMOVE:
        if (row >= 0) {
            m_rules.erase(m_rules.begin() + row);
            ShowRules(row < static_cast<int>(m_rules.size()) ? row : row - 1);
        }
        break;
    case IDC_HIGHLIGHT_UP:
    case IDC_HIGHLIGHT_DOWN: {
        const int other = row + (LOWORD(wParam) == IDC_HIGHLIGHT_UP ? -1 : 1);
        if (row >= 0 && other >= 0 && other < static_cast<int>(m_rules.size())) {
            std::swap(m_rules[row], m_rules[other]);
            ShowRules(other);
        }
        break;
    }
    case IDC_HIGHLIGHT_TEXT:
        if (HIWORD(wParam) == EN_CHANGE)
            TakeRule();
        break;
    case IDC_HIGHLIGHT_CASE:
        if (HIWORD(wParam) == BN_CLICKED)
            TakeRule();
        break;
    default:
        if (HIWORD(wParam) == CBN_SELCHANGE)
            TakeRule();
    }
    return 0;
}

// Each rule is drawn in its colours; the selected one as the system draws a selection.
LRESULT CHighlightDlg::OnDrawItem(WPARAM, LPARAM lParam) {
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item.CtlID != IDC_HIGHLIGHT_RULES || item.itemID >= m_rules.size())
        return FALSE;
    const HighlightRule& rule = m_rules[item.itemID];
    const bool selected = item.itemState & ODS_SELECTED;
    ::SetTextColor(item.hDC, selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT)
                                      : kHighlightForegrounds[rule.foreground]);
    ::SetBkColor(item.hDC, selected ? ::GetSysColor(COLOR_HIGHLIGHT)
                                    : kHighlightBackgrounds[rule.background]);
    const std::string text = Describe(rule);
    RECT rect = item.rcItem;
    ::ExtTextOutA(item.hDC, rect.left + 2, rect.top, ETO_OPAQUE | ETO_CLIPPED, &rect, text.c_str(),
                  static_cast<UINT>(text.size()), nullptr);
    if (item.itemState & ODS_FOCUS)
        ::DrawFocusRect(item.hDC, &rect);
    return TRUE;
}
