// CKestrinView's hiding: the row menu, its commands on the selected rows' processes, and the list
// made anew from the shown rows when a rule changes.
#include "KestrinView.h"

#include "CmdUI.h"
#include "Handle.h"
#include "Strings.h"
#include "WinApp.h"
#include "resource.h"

namespace {
// A name in a menu text: '&' would mark a mnemonic.
std::string MenuEscaped(const std::string& text) {
    std::string escaped;
    for (const char c : text)
        escaped += c == '&' ? std::string("&&") : std::string(1, c);
    return escaped;
}

void PutInMenu(HMENU menu, UINT id, const std::string& value) {
    char text[64] = "";
    ::GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
    ::ModifyMenuA(menu, id, MF_BYCOMMAND | MF_STRING, id, WithValue(text, value).c_str());
}
} // namespace

// The list's own right click is replaced by ours (KestrinList.cpp): its release opens the menu.
LRESULT CKestrinView::OnRButtonUp(WPARAM, LPARAM point) {
    POINT at = PointFromLParam(point);
    ::ClientToScreen(m_hWnd, &at);
    ::SendMessageA(m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd),
                   MAKELPARAM(at.x, at.y));
    return 0;
}

// The menu key opens the menu at its release; Shift+F10 at its press, and the system's menu bar
// never sees that F10.
LRESULT CKestrinView::OnKeyUp(WPARAM key, LPARAM lParam) {
    if (key != VK_APPS)
        return Default(WM_KEYUP, key, lParam);
    ::SendMessageA(m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), LPARAM(-1));
    return 0;
}

LRESULT CKestrinView::OnSysKey(WPARAM key, LPARAM lParam) {
    const bool released = lParam & (1u << 31);
    if (key != VK_F10 || ::GetKeyState(VK_SHIFT) >= 0)
        return Default(released ? WM_SYSKEYUP : WM_SYSKEYDOWN, key, lParam);
    if (!released)
        ::SendMessageA(m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), LPARAM(-1));
    return 0;
}

// The release of a right click opens the menu, as does the keyboard's menu key or Shift+F10 (a
// point of -1, -1), at the focused row then.
LRESULT CKestrinView::OnContextMenu(WPARAM, LPARAM point) {
    POINT at = PointFromLParam(point);
    if (point == LPARAM(-1) || (at.x == -1 && at.y == -1)) {
        const int focus = FocusedRow();
        RECT row = {LVIR_BOUNDS, 0, 0, 0};
        at = {};
        if (focus >= 0 &&
            Default(LVM_GETITEMRECT, static_cast<WPARAM>(focus), reinterpret_cast<LPARAM>(&row)))
            at = {row.left, row.bottom};
        ::ClientToScreen(m_hWnd, &at);
    }
    CMenu menu(::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_ROW_MENU)));
    HMENU popup = ::GetSubMenu(menu.Get(), 0);
    if (!popup)
        return 0;
    std::vector<std::string> names;
    std::vector<DWORD> pids;
    SelectedProcesses(names, pids);
    // Without a selection the items are grayed and name nothing.
    const std::string process = names.size() > 1 ? WithValue(AfxLoadString(IDS_SELECTED_PROCESSES),
                                                             std::to_string(names.size()))
                                                 : MenuEscaped(names.empty() ? "" : names[0]);
    PutInMenu(popup, ID_HIDE_PROCESS, process);
    PutInMenu(popup, ID_SHOW_ONLY_PROCESS, process);
    PutInMenu(popup, ID_HIGHLIGHT_PROCESS, process);
    if (pids.size() > 1)
        ::ModifyMenuA(
            popup, ID_HIDE_INSTANCE, MF_BYCOMMAND | MF_STRING, ID_HIDE_INSTANCE,
            WithValue(AfxLoadString(IDS_HIDE_INSTANCES), std::to_string(pids.size())).c_str());
    // The frame states the items as it does its own menus' and routes the command chosen.
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, AfxGetMainWnd()->m_hWnd,
                     nullptr);
    return 0;
}

void CKestrinView::SelectedProcesses(std::vector<std::string>& names,
                                     std::vector<DWORD>& pids) const {
    m_selection.ForEachRun(
        [&](size_t first, size_t last) { m_shown.AddProcesses(first, last + 1, names, pids); });
}

void CKestrinView::OnUpdateHide(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!m_selection.IsEmpty());
}

void CKestrinView::OnUpdateShowAll(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_shown.IsHiding());
}

void CKestrinView::OnHideProcess() {
    ChangeShown(ID_HIDE_PROCESS);
}

void CKestrinView::OnShowOnlyProcess() {
    ChangeShown(ID_SHOW_ONLY_PROCESS);
}

void CKestrinView::OnHideInstance() {
    ChangeShown(ID_HIDE_INSTANCE);
}

void CKestrinView::OnShowAll() {
    ChangeShown(ID_SHOW_ALL);
}

// The selection was of list rows that now show other store rows: it is cleared, and the focus
// goes to the row it was on, or the next one shown.
void CKestrinView::ChangeShown(UINT command) {
    std::vector<std::string> names;
    std::vector<DWORD> pids;
    if (command != ID_SHOW_ALL)
        SelectedProcesses(names, pids);
    const int focus = FocusedRow();
    const size_t focusStoreRow =
        focus >= 0 && static_cast<size_t>(focus) < m_shown.GetCount() ? StoreRow(focus) : SIZE_MAX;
    bool changed = true;
    switch (command) {
    case ID_HIDE_PROCESS:
        changed = names.empty() || m_shown.HideNames(names);
        break;
    case ID_SHOW_ONLY_PROCESS:
        changed = names.empty() || m_shown.ShowOnlyNames(names);
        break;
    case ID_HIDE_INSTANCE:
        changed = pids.empty() || m_shown.HidePids(pids);
        break;
    default:
        m_shown.ShowAll();
    }
    if (!changed) {
        AfxMessageBox(AfxLoadString(IDS_HIDE_FAILED).c_str(), MB_OK);
        return;
    }
    EndGesture();
    m_selection.Clear();
    const size_t count = m_shown.GetCount();
    Default(LVM_SETITEMCOUNT, count, 0);
    m_finder.Cleared();
    if (count > 0 && focusStoreRow != SIZE_MAX) {
        const int row = static_cast<int>(std::min(m_shown.ListRow(focusStoreRow), count - 1));
        Default(LVM_SETSELECTIONMARK, 0, row);
        FocusRow(row);
    }
    // The list moved with its rows, not by the person: following goes on from here.
    m_followedTop = static_cast<int>(Default(LVM_GETTOPINDEX, 0, 0));
    FollowNewestRow();
    m_finder.RowsShown();
    ShowIdleText();
}

std::string CKestrinView::HiddenText() const {
    const size_t hidden = m_shown.GetHiddenCount();
    return hidden ? WithValue(AfxLoadString(IDS_ROWS_HIDDEN), std::to_string(hidden)) : "";
}
