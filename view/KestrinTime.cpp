// CKestrinView: the time column's format, chosen from the View menu and remembered, and the
// detail pane's first text.
#include "KestrinView.h"

#include "CmdUI.h"
#include "WinApp.h"
#include "resource.h"

namespace {
const char kSettingsSection[] = "Settings";
const char kFormatEntry[] = "TimeFormat";
} // namespace

void CKestrinView::SetTimeFormat(TimeFormat format) {
    m_rows.SetTimeFormat(format);
    AfxGetApp()->WriteProfileInt(kSettingsSection, kFormatEntry, static_cast<UINT>(format));
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

// A value no format has (a later version's) leaves the first.
void CKestrinView::RestoreTimeFormat() {
    const UINT format = AfxGetApp()->GetProfileInt(kSettingsSection, kFormatEntry, 0);
    m_rows.SetTimeFormat(format < kTimeFormats ? static_cast<TimeFormat>(format)
                                               : TimeFormat::kSeconds00);
}

void CKestrinView::OnUpdateTimeFormat(CCmdUI* pCmdUI) {
    pCmdUI->SetRadio(pCmdUI->m_nID - ID_VIEW_TIME_SECONDS ==
                     static_cast<UINT>(m_rows.GetTimeFormat()));
}

LRESULT CKestrinView::OnDetailWanted(WPARAM, LPARAM) {
    m_detail.Forget();
    UpdateDetail();
    return 0;
}

void CKestrinView::UpdateDetail() {
    const int focus = FocusedRow();
    const bool shown = focus >= 0 && static_cast<size_t>(focus) < m_shown.GetCount();
    m_detail.Show(m_rows, shown ? static_cast<int>(StoreRow(focus)) : -1, ::GetParent(m_hWnd));
}
