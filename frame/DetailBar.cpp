// CDetailBar: its text box, sized to the bar, and the remembered choice to show it.
#include "DetailBar.h"

#include <algorithm>

#include "RowDetail.h"
#include "WinApp.h"
#include "resource.h"

namespace {
const char kBarClass[] = "KestrinDetailBar";
const char kSettingsSection[] = "Settings";
const char kShownEntry[] = "DetailPane";
const int kMargin = 2;
const int kLines = 6;
} // namespace

const MessageMap CDetailBar::messageMap{
    &CControlBar::messageMap,
    MapMessage(WM_SIZE, &CDetailBar::OnSize),
};

bool CDetailBar::Create(CWnd& parent) {
    const HINSTANCE instance = AfxGetInstanceHandle();
    if (!CreateBottomBar(parent, kBarClass, ID_VIEW_DETAIL_BAR))
        return false;
    const DWORD boxStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE |
                           ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL;
    HWND box = ::CreateWindowExA(0, "EDIT", "", boxStyle, 0, 0, 0, 0, m_hWnd,
                                 ChildId(IDC_DETAIL_TEXT), instance, nullptr);
    if (!box)
        return false;
    ::SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                   FALSE);
    // Texts of up to 64 KB and more, line breaks doubled.
    ::SendMessageA(box, EM_SETLIMITTEXT, 0, 0);
    AddToFrame(parent);
    if (AfxGetApp()->GetProfileInt(kSettingsSection, kShownEntry, 0))
        Show(true);
    return true;
}

void CDetailBar::Show(bool show) {
    if (CDockSite* site = CWnd::FromHandle(Frame())->GetDockSite())
        site->ShowControlBar(this, show);
    AfxGetApp()->WriteProfileInt(kSettingsSection, kShownEntry, show ? 1 : 0);
    if (show)
        ::SendMessageA(::GetDlgItem(Frame(), AFX_IDW_PANE_FIRST), kDetailWanted, 0, 0);
}

SIZE CDetailBar::CalcFixedLayout() const {
    return {0, kLines * GuiFontHeight() + 4 * kMargin + 2 * ::GetSystemMetrics(SM_CYBORDER)};
}

LRESULT CDetailBar::OnSize(WPARAM, LPARAM size) {
    ::MoveWindow(GetDlgItem(IDC_DETAIL_TEXT), kMargin, kMargin,
                 std::max(LOWORD(size) - 2 * kMargin, 0), std::max(HIWORD(size) - 2 * kMargin, 0),
                 TRUE);
    return 0;
}
