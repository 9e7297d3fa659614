// CListCtrl: columns, items and cell texts through the list view's ANSI messages.
#include "ListCtrl.h"

#include <vector>

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width) const {
    LVCOLUMNA lvc = {};
    lvc.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    lvc.fmt = format;
    lvc.cx = width;
    lvc.pszText = const_cast<char*>(heading);
    return static_cast<int>(
        Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&lvc)));
}

int CListCtrl::InsertItem(int item, const char* text) const {
    LVITEMA lvi = {};
    lvi.mask = LVIF_TEXT;
    lvi.iItem = item;
    lvi.pszText = const_cast<char*>(text);
    return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lvi)));
}

bool CListCtrl::SetItemText(int item, int subItem, const char* text) const {
    LVITEMA lvi = {};
    lvi.iSubItem = subItem;
    lvi.pszText = const_cast<char*>(text);
    return Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)) != 0;
}

std::string CListCtrl::GetItemText(int item, int subItem) const {
    // The control copies at most the buffer's size: grow until the text fits with room to spare.
    std::vector<char> buffer(256);
    for (;;) {
        LVITEMA lvi = {};
        lvi.iSubItem = subItem;
        lvi.pszText = buffer.data();
        lvi.cchTextMax = static_cast<int>(buffer.size());
        LRESULT length =
            Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi));
        if (length < static_cast<LRESULT>(buffer.size()) - 2)
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}
