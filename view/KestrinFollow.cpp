// CKestrinView's following of the newest row: the setting, the person's moves that pause and
// resume it, and the step of each show that brings the last row into view.
#include "KestrinView.h"

#include "CmdUI.h"
#include "WinApp.h"
#include "resource.h"

namespace {
// Beside Capture debug output's choice.
const char kSettingsSection[] = "Settings";
const char kFollowEntry[] = "FollowNewestRow";
} // namespace

bool CKestrinView::IsPersonsMove(UINT message) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        return true;
    }
    return false;
}

void CKestrinView::RestoreFollow() {
    m_follow.SetOn(AfxGetApp()->GetProfileInt(kSettingsSection, kFollowEntry, 0) != 0);
}

void CKestrinView::OnFollow() {
    m_follow.SetOn(!m_follow.IsOn());
    AfxGetApp()->WriteProfileInt(kSettingsSection, kFollowEntry, m_follow.IsOn() ? 1 : 0);
    m_followedTop = static_cast<int>(Default(LVM_GETTOPINDEX, 0, 0));
    FollowNewestRow();
    ShowIdleText();
}

void CKestrinView::OnUpdateFollow(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_follow.IsOn() ? 1 : 0);
}

ListPlace CKestrinView::Place() {
    return {static_cast<int>(Default(LVM_GETTOPINDEX, 0, 0)),
            static_cast<int>(Default(LVM_GETCOUNTPERPAGE, 0, 0)),
            static_cast<int>(Default(LVM_GETITEMCOUNT, 0, 0)), FocusedRow()};
}

LRESULT CKestrinView::PersonActs(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool wasPaused = m_follow.IsPaused();
    CatchMoveUp();
    const ListPlace before = Place();
    const bool click =
        message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN;
    if (click)
        m_follow.PersonClicked(RowAt(lParam), static_cast<int>(m_shown.GetCount()), before.page);
    const LRESULT result = CListView::WindowProc(message, wParam, lParam);
    ListPlace after = Place();
    // A click puts the focus where the person looks, which is no move of the view.
    if (click)
        after.focus = before.focus;
    m_follow.PersonMoved(before, after);
    m_followedTop = after.top;
    if (m_follow.IsPaused() != wasPaused)
        ShowIdleText();
    return result;
}

// Whatever moved the view up since following last placed it (a found row) pauses it too.
void CKestrinView::CatchMoveUp() {
    m_follow.MovedUpSince(m_followedTop, static_cast<int>(Default(LVM_GETTOPINDEX, 0, 0)));
}

// The list scrolls only at a show, so following adds nothing to a client's wait.
void CKestrinView::FollowNewestRow() {
    if (!m_follow.IsOn())
        return;
    const bool wasPaused = m_follow.IsPaused();
    CatchMoveUp();
    const int count = static_cast<int>(Default(LVM_GETITEMCOUNT, 0, 0));
    if (m_follow.Follows() && count > 0)
        Default(LVM_ENSUREVISIBLE, static_cast<WPARAM>(count - 1), FALSE);
    m_followedTop = static_cast<int>(Default(LVM_GETTOPINDEX, 0, 0));
    if (m_follow.IsPaused() != wasPaused)
        ShowIdleText();
}
