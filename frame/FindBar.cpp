// CFindBar: its controls, laid out in a row, and the keys of its text box.
#include "FindBar.h"

#include <algorithm>

#include "RowFinder.h"
#include "Strings.h"
#include "WinApp.h"
#include "resource.h"

namespace {
const char kBarClass[] = "KestrinFindBar";
const int kMargin = 4;

struct Control {
    int id;
    const char* className;
    UINT textId; // 0: none
    DWORD style;
    int width; // 0: the rest of the bar
};
const Control kControls[] = {
    {IDC_FIND_LABEL, "STATIC", IDS_FIND_LABEL, SS_CENTERIMAGE, 40},
    {IDC_FIND_TEXT, "EDIT", 0, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 220},
    {IDC_FIND_NEXT, "BUTTON", IDS_FIND_NEXT_LABEL, WS_TABSTOP | BS_PUSHBUTTON, 64},
    {IDC_FIND_PREVIOUS, "BUTTON", IDS_FIND_PREVIOUS_LABEL, WS_TABSTOP | BS_PUSHBUTTON, 64},
    {IDC_FIND_MATCH_CASE, "BUTTON", IDS_FIND_MATCH_CASE, WS_TABSTOP | BS_AUTOCHECKBOX, 100},
    {IDC_FIND_STATUS, "STATIC", 0, SS_CENTERIMAGE | SS_NOPREFIX, 0},
};

bool IsDown(int key) {
    return ::GetKeyState(key) < 0;
}

// The keys with which a text box edits and uses the clipboard, which the accelerators share.
bool IsEditKey(WPARAM key) {
    const bool control = IsDown(VK_CONTROL), shift = IsDown(VK_SHIFT);
    return (control && (key == 'C' || key == 'V' || key == 'X' || key == 'Z' || key == 'A')) ||
           (key == VK_INSERT && (control || shift)) || (key == VK_DELETE && shift) ||
           (key == VK_BACK && IsDown(VK_MENU));
}
} // namespace

const MessageMap CFindBar::messageMap{
    &CControlBar::messageMap,
    MapMessage(WM_SIZE, &CFindBar::OnSize),
};

CFindBar::~CFindBar() {
    if (CWinApp* app = AfxGetApp())
        app->RemoveMessageFilter(this);
}

bool CFindBar::Create(CWnd& parent) {
    const HINSTANCE instance = AfxGetInstanceHandle();
    if (!CreateBottomBar(parent, kBarClass, ID_VIEW_FIND_BAR))
        return false;
    const auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
    for (const Control& control : kControls) {
        const std::string text = control.textId ? AfxLoadString(control.textId) : "";
        HWND child = ::CreateWindowExA(0, control.className, text.c_str(),
                                       WS_CHILD | WS_VISIBLE | control.style, 0, 0, 0, 0, m_hWnd,
                                       ChildId(control.id), instance, nullptr);
        if (!child)
            return false;
        ::SendMessageA(child, WM_SETFONT, font, FALSE);
    }
    AddToFrame(parent);
    // Before the frame's accelerators, which would take the box's edit keys.
    AfxGetApp()->AddMessageFilter(this, true);
    return true;
}

SIZE CFindBar::CalcFixedLayout() const {
    return {0, GuiFontHeight() + 4 * kMargin};
}

LRESULT CFindBar::OnSize(WPARAM, LPARAM size) {
    const int height = HIWORD(size) - 2 * kMargin;
    int x = kMargin;
    for (const Control& control : kControls) {
        const int width = control.width ? control.width : std::max(LOWORD(size) - x - kMargin, 0);
        ::MoveWindow(GetDlgItem(control.id), x, kMargin, width, height, TRUE);
        x += width + kMargin;
    }
    return 0;
}

void CFindBar::Open() {
    if (CDockSite* site = CWnd::FromHandle(Frame())->GetDockSite())
        site->ShowControlBar(this, true);
    HWND box = GetDlgItem(IDC_FIND_TEXT);
    ::SetFocus(box);
    ::SendMessageA(box, EM_SETSEL, 0, -1);
}

void CFindBar::Close() {
    if (CDockSite* site = CWnd::FromHandle(Frame())->GetDockSite())
        site->ShowControlBar(this, false);
    ::SetFocus(View());
}

HWND CFindBar::View() const {
    return ::GetDlgItem(Frame(), AFX_IDW_PANE_FIRST);
}

void CFindBar::SendText() {
    ::SendMessageA(View(), kFindText, 0, 0);
}

bool CFindBar::OnCommand(WPARAM wParam, LPARAM) {
    switch (LOWORD(wParam)) {
    case IDC_FIND_TEXT:
        if (HIWORD(wParam) == EN_CHANGE)
            SendText();
        return true;
    case IDC_FIND_MATCH_CASE:
        SendText();
        return true;
    case IDC_FIND_NEXT:
    case IDC_FIND_PREVIOUS:
        ::SendMessageA(Frame(), WM_COMMAND,
                       LOWORD(wParam) == IDC_FIND_NEXT ? ID_EDIT_FIND_NEXT : ID_EDIT_FIND_PREVIOUS,
                       0);
        return true;
    }
    return false;
}

bool CFindBar::PreTranslateMessage(MSG& msg) {
    if (msg.message != WM_KEYDOWN || !m_hWnd || !::IsChild(m_hWnd, msg.hwnd))
        return false;
    if (msg.wParam == VK_ESCAPE) {
        Close();
        return true;
    }
    if (msg.hwnd != GetDlgItem(IDC_FIND_TEXT))
        return false;
    if (msg.wParam == VK_RETURN) {
        ::SendMessageA(Frame(), WM_COMMAND,
                       IsDown(VK_SHIFT) ? ID_EDIT_FIND_PREVIOUS : ID_EDIT_FIND_NEXT, 0);
        return true;
    }
    if (!IsEditKey(msg.wParam))
        return false;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
    return true;
}
