// CKestrinView's colours: the rules, remembered, and the rows the list draws in their colours.
#include "KestrinView.h"

#include "CmdUI.h"
#include "HighlightDlg.h"
#include "WinApp.h"

namespace {
// Beside the recent-file list; one value holds every rule.
const char kSettingsSection[] = "Settings";
const char kRulesEntry[] = "Highlights";
} // namespace

// No value, or one that is not a list of rules, is none.
void CKestrinView::RestoreHighlights() {
    std::string value;
    std::vector<HighlightRule> rules;
    if (AfxGetApp()->GetProfileBinary(kSettingsSection, kRulesEntry, value))
        CHighlights::Unpack(value, rules);
    m_highlights.SetRules(std::move(rules));
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CKestrinView::SetHighlights(std::vector<HighlightRule> rules) {
    m_highlights.SetRules(std::move(rules));
    AfxGetApp()->WriteProfileBinary(kSettingsSection, kRulesEntry,
                                    CHighlights::Pack(m_highlights.GetRules()));
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CKestrinView::OnHighlight() {
    CHighlightDlg dialog;
    dialog.m_rules = m_highlights.GetRules();
    if (dialog.DoModal() == IDOK)
        SetHighlights(std::move(dialog.m_rules));
}

// The selected rows' processes, or the focused row's when none is selected.
void CKestrinView::OnHighlightProcess() {
    CHighlights added = m_highlights;
    std::vector<bool> seen(m_rows.GetNameCount());
    const auto add = [&](int row) {
        const uint32_t name = m_rows.GetNameIndex(StoreRow(row));
        if (!seen[name])
            added.AddProcess(m_rows.GetName(name));
        seen[name] = true;
    };
    const int shown = ShownCount();
    if (m_selection.IsEmpty() && FocusedRow() >= 0 && FocusedRow() < shown)
        add(FocusedRow());
    m_selection.ForEachRun([&](int first, int last) {
        for (int row = first; row <= last && row < shown; ++row)
            add(row);
    });
    if (added.GetRules().size() != m_highlights.GetRules().size())
        SetHighlights(added.GetRules());
}

void CKestrinView::OnUpdateHighlightProcess(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!m_selection.IsEmpty() || (FocusedRow() >= 0 && FocusedRow() < ShownCount()));
}

// Only a list with rules asks about each row; a selected row keeps the list's own colours.
LRESULT CKestrinView::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return m_highlights.IsEmpty() ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return CDRF_DODEFAULT;
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    if (row < 0 || static_cast<size_t>(row) >= m_shown.GetCount() || m_selection.IsSelected(row))
        return CDRF_DODEFAULT;
    const int rule = m_highlights.RuleOf(m_rows, StoreRow(row));
    if (rule >= 0) {
        draw.clrText = kHighlightForegrounds[m_highlights.GetRules()[rule].foreground];
        draw.clrTextBk = kHighlightBackgrounds[m_highlights.GetRules()[rule].background];
    }
    return CDRF_DODEFAULT;
}
