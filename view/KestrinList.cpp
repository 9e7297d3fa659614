// CKestrinView's list: the list view's own messages, the cells it asks for, and the selection
// that keys and clicks make.
#include "KestrinView.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "RowKeys.h"
#include "Strings.h"

namespace {
// The keys that move among the rows.
struct KeyOfRow {
    WPARAM key;
    RowKey rowKey;
};
const KeyOfRow kRowKeys[] = {
    {VK_HOME, RowKey::kHome},   {VK_END, RowKey::kEnd},      {VK_UP, RowKey::kUp},
    {VK_DOWN, RowKey::kDown},   {VK_PRIOR, RowKey::kPageUp}, {VK_NEXT, RowKey::kPageDown},
    {VK_SPACE, RowKey::kSpace},
};
} // namespace

// The list's rows are the store's and their selection the view's: the list's own ways set and
// read each row's state one by one, seconds at a million rows.
LRESULT CKestrinView::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Whoever asks the list anything finds every row in it, shown yet or not.
    if (message != LVM_SETITEMCOUNT)
        SyncItemCount();
    switch (message) {
    case LVM_GETSELECTEDCOUNT:
        return m_selection.GetCount();
    case LVM_GETNEXTITEM:
        if (LOWORD(lParam) == LVNI_SELECTED)
            return m_selection.GetNext(static_cast<int>(wParam));
        break;
    case LVM_SETITEMSTATE:
        if (!lParam)
            break;
        return SetItemState(static_cast<int>(wParam), *reinterpret_cast<const LVITEMA*>(lParam));
    }
    return CListView::WindowProc(message, wParam, lParam);
}

// Only rows the list counts can take the focus and show: it learns of new ones as they show.
int CKestrinView::ShownCount() {
    return std::min(static_cast<int>(Default(LVM_GETITEMCOUNT, 0, 0)),
                    static_cast<int>(m_shown.GetCount()));
}

void CKestrinView::SyncItemCount() {
    const WPARAM count = m_shown.GetCount();
    if (static_cast<WPARAM>(Default(LVM_GETITEMCOUNT, 0, 0)) != count)
        Default(LVM_SETITEMCOUNT, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

// Whoever empties the list empties the store with it.
LRESULT CKestrinView::OnDeleteAllItems(WPARAM wParam, LPARAM lParam) {
    m_rows.Clear();
    m_shown.Cleared();
    // A press or a drag under way no longer has its rows.
    EndGesture();
    m_selection.Clear();
    m_finder.Cleared();
    if (m_nHiddenTold)
        ShowIdleText();
    return Default(LVM_DELETEALLITEMS, wParam, lParam);
}

bool CKestrinView::OnChildNotify(NMHDR* header, LRESULT* result) {
    if (header->code == LVN_ODFINDITEMA) {
        const auto* find = reinterpret_cast<const NMLVFINDITEMA*>(header);
        *result = FindRow(find->iStart, find->lvfi.flags, find->lvfi.psz);
        return true;
    }
    if (header->code == LVN_ODFINDITEMW) {
        // Some lists ask in UTF-16 whatever their parent's format; the names are ANSI.
        const auto* find = reinterpret_cast<const NMLVFINDITEMW*>(header);
        const std::string text = find->lvfi.psz ? AnsiFromWide(find->lvfi.psz) : "";
        *result = FindRow(find->iStart, find->lvfi.flags, find->lvfi.psz ? text.c_str() : nullptr);
        return true;
    }
    if (header->code == NM_CUSTOMDRAW) {
        *result = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(header));
        return true;
    }
    if (header->code == LVN_ITEMCHANGED)
        UpdateDetail();
    if (header->code != LVN_GETDISPINFOA)
        return false;
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
    if ((item.mask & LVIF_STATE) && (item.stateMask & LVIS_SELECTED) &&
        m_selection.IsSelected(item.iItem))
        item.state |= LVIS_SELECTED;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        // The count may have been changed from outside: a row the store lacks is empty.
        RowCells scratch;
        const bool stored = item.iItem >= 0 && static_cast<size_t>(item.iItem) < m_shown.GetCount();
        ::lstrcpynA(item.pszText,
                    stored ? m_rows.GetCellText(StoreRow(item.iItem), item.iSubItem, scratch) : "",
                    item.cchTextMax);
    }
    *result = 0;
    return true;
}

// Typing asks for the next row whose first column starts with the letters typed. Wrap alone
// means a text search; rows have no item data or positions to search by.
int CKestrinView::FindRow(int start, UINT flags, const char* text) {
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP)) ||
        (flags & (LVFI_PARAM | LVFI_NEARESTXY)) || !text)
        return -1;
    const size_t row =
        m_shown.FindName(text, flags & LVFI_PARTIAL, static_cast<size_t>(std::max(start, 0)),
                         ShownCount(), flags & LVFI_WRAP);
    return row == SIZE_MAX ? -1 : static_cast<int>(row);
}

LRESULT CKestrinView::SetItemState(int row, const LVITEMA& item) {
    // -1 is every row.
    if (row < -1 || row >= static_cast<int>(m_shown.GetCount()))
        return FALSE;
    if (item.stateMask & LVIS_SELECTED) {
        const bool selected = item.state & LVIS_SELECTED;
        if (row == -1 && selected)
            m_selection.SelectOnly(0, static_cast<int>(m_shown.GetCount()) - 1);
        else if (row == -1)
            m_selection.Clear();
        else
            m_selection.Set(row, selected);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    LVITEMA rest = item;
    rest.stateMask &= ~LVIS_SELECTED;
    return !rest.stateMask ||
           Default(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rest));
}

void CKestrinView::MoveTo(int row, bool extend) {
    int mark = static_cast<int>(Default(LVM_GETSELECTIONMARK, 0, 0));
    if (!extend || mark < 0)
        mark = row;
    m_selection.SelectOnly(mark, row);
    Default(LVM_SETSELECTIONMARK, 0, mark);
    FocusRow(row);
}

// A found row may not have shown yet: the list learns of it first. It goes to the middle of the
// page, where the eye looks first.
void CKestrinView::ShowFound(int row) {
    SyncItemCount();
    MoveTo(row, false);
    RECT item = {};
    item.left = LVIR_BOUNDS;
    if (Default(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item))) {
        const int top = static_cast<int>(Default(LVM_GETTOPINDEX, 0, 0));
        const int page = static_cast<int>(Default(LVM_GETCOUNTPERPAGE, 0, 0));
        Default(LVM_SCROLL, 0, (row - top - page / 2) * (item.bottom - item.top));
    }
}

void CKestrinView::ToggleRow(int row) {
    m_selection.Set(row, !m_selection.IsSelected(row));
    Default(LVM_SETSELECTIONMARK, 0, row);
    FocusRow(row);
}

void CKestrinView::FocusRow(int row) {
    LVITEMA focus = {};
    focus.state = focus.stateMask = LVIS_FOCUSED;
    Default(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&focus));
    Default(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

// The keys that move the focus: with Shift they select from the mark, with Ctrl they only move
// the focus, alone they select the row they reach. Space selects the focused row (Ctrl: toggles);
// Ctrl+A selects every row.
LRESULT CKestrinView::OnKeyDown(WPARAM key, LPARAM lParam) {
    if (key == 'A' && ::GetKeyState(VK_CONTROL) < 0)
        return SelectAll();
    const auto* rowKey = std::find_if(std::begin(kRowKeys), std::end(kRowKeys),
                                      [key](const KeyOfRow& known) { return known.key == key; });
    if (rowKey == std::end(kRowKeys))
        return Default(WM_KEYDOWN, key, lParam);
    const int row = RowForKey(rowKey->rowKey, FocusedRow(), ShownCount(),
                              static_cast<int>(Default(LVM_GETTOPINDEX, 0, 0)),
                              static_cast<int>(Default(LVM_GETCOUNTPERPAGE, 0, 0)));
    if (row < 0)
        return 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0, control = ::GetKeyState(VK_CONTROL) < 0;
    if (rowKey->rowKey == RowKey::kSpace && control && !shift)
        ToggleRow(row);
    else if (control && !shift)
        FocusRow(row);
    else
        MoveTo(row, shift);
    return 0;
}

// The list finds the row typed letters lead to (see FindRow) and moves its focus there; the
// selection, the view's, follows.
LRESULT CKestrinView::OnChar(WPARAM code, LPARAM lParam) {
    const int focus = FocusedRow();
    const LRESULT result = Default(WM_CHAR, code, lParam);
    const int found = FocusedRow();
    if (found != focus && found >= 0)
        MoveTo(found, false);
    return result;
}

// A click selects its row, with Shift from the mark, with Ctrl toggles it, with both adds the
// rows from the mark. A press in the selection waits for the release to select its row alone, so
// that a drag keeps the selection. A press beside the rows clears the selection and starts the
// rectangle, whose rows join what the press left.
LRESULT CKestrinView::OnLButtonDown(WPARAM flags, LPARAM point) {
    ::SetFocus(m_hWnd);
    const int row = RowAt(point);
    const bool shift = flags & MK_SHIFT, control = flags & MK_CONTROL;
    if (row < 0) {
        if (!shift && !control)
            m_selection.Clear();
        m_marqueeBase = m_selection;
        m_marquee.Start(PointFromLParam(point));
        ::SetCapture(m_hWnd);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    } else if (control && shift) {
        const int mark = static_cast<int>(Default(LVM_GETSELECTIONMARK, 0, 0));
        m_selection.Add(mark < 0 ? row : mark, row);
        Default(LVM_SETSELECTIONMARK, 0, row);
        FocusRow(row);
    } else if (control)
        ToggleRow(row);
    else if (!shift && m_selection.IsSelected(row)) {
        m_pressedRow = row;
        m_pressedAt = PointFromLParam(point);
        ::SetCapture(m_hWnd);
        FocusRow(row);
    } else
        MoveTo(row, shift);
    return 0;
}

LRESULT CKestrinView::OnMouseMove(WPARAM flags, LPARAM point) {
    // Moves the system makes up while no button is down are no part of a drag.
    if (flags & MK_LBUTTON) {
        const POINT at = PointFromLParam(point);
        if (m_pressedRow >= 0 && (std::abs(at.x - m_pressedAt.x) > ::GetSystemMetrics(SM_CXDRAG) ||
                                  std::abs(at.y - m_pressedAt.y) > ::GetSystemMetrics(SM_CYDRAG)))
            m_pressedRow = -1;
        if (m_marquee.IsActive()) {
            m_marquee.MoveTo(at);
            SelectCovered();
        }
    }
    return Default(WM_MOUSEMOVE, flags, point);
}

LRESULT CKestrinView::OnLButtonUp(WPARAM, LPARAM) {
    const int pressed = m_pressedRow;
    EndGesture();
    if (pressed >= 0)
        MoveTo(pressed, false);
    return 0;
}

// Losing the mouse ends the gesture as it stands.
LRESULT CKestrinView::OnCaptureChanged(WPARAM, LPARAM) {
    EndGesture();
    return 0;
}

void CKestrinView::EndGesture() {
    m_pressedRow = -1;
    if (m_marquee.IsActive()) {
        m_marquee.End();
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

void CKestrinView::SelectCovered() {
    m_selection = m_marqueeBase;
    RECT client, topRow = {LVIR_BOUNDS, 0, 0, 0};
    const int top = static_cast<int>(Default(LVM_GETTOPINDEX, 0, 0));
    int first, last;
    if (::GetClientRect(m_hWnd, &client) &&
        Default(LVM_GETITEMRECT, static_cast<WPARAM>(top), reinterpret_cast<LPARAM>(&topRow)) &&
        m_marquee.Covers(client, topRow, top, ShownCount(), first, last))
        m_selection.Add(first, last);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

LRESULT CKestrinView::OnPaint(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Default(WM_PAINT, wParam, lParam);
    if (m_marquee.IsActive())
        m_marquee.Draw(m_hWnd);
    return result;
}

// A right click on a row outside the selection selects it alone, with Shift or Ctrl only moves
// the focus there, as it does on a selected row; beside the rows it clears the selection.
LRESULT CKestrinView::OnRButtonDown(WPARAM flags, LPARAM point) {
    ::SetFocus(m_hWnd);
    const int row = RowAt(point);
    if (row < 0) {
        if (!(flags & (MK_SHIFT | MK_CONTROL)))
            m_selection.Clear();
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    } else if (m_selection.IsSelected(row) || (flags & (MK_SHIFT | MK_CONTROL)))
        FocusRow(row);
    else
        MoveTo(row, false);
    return 0;
}

int CKestrinView::RowAt(LPARAM point) {
    LVHITTESTINFO hit = {};
    hit.pt = PointFromLParam(point);
    const int row =
        static_cast<int>(Default(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return row < static_cast<int>(m_shown.GetCount()) ? row : -1;
}

LRESULT CKestrinView::SelectAll() {
    LVITEMA all = {};
    all.state = all.stateMask = LVIS_SELECTED;
    SetItemState(-1, all);
    return 0;
}
