// CListCtrl: columns through the list view's ANSI messages.
#include "ListCtrl.h"

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width) const {
    LVCOLUMNA lvc = {};
    lvc.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    lvc.fmt = format;
    lvc.cx = width;
    lvc.pszText = const_cast<char*>(heading);
    return static_cast<int>(
        Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&lvc)));
}
