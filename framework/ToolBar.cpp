// CToolBar over the common-controls toolbar: buttons from resources, tips, prompts, gripper.
#include "ToolBar.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "CmdUI.h"
#include "FrameworkIds.h"
#include "Strings.h"

namespace {
// Toolbar record: version, image width, image height, button count, then the buttons' ids.
const WORD kRecordVersion = 1;
const size_t kRecordHeaderWords = 4;
// A button is its image and this much frame around it.
const int kButtonPadX = 7;
const int kButtonPadY = 7;
// Gripper: two etched lines, each 2 pixels wide, in a strip before the buttons (left of them,
// or above them on a vertical bar).
const int kGripperWidth = 9;
const int kGripperLineX[] = {2, 5};
const int kGripperLineInset = 2;
// An etched border line along the bar's edge.
const int kBorderLine = 2;

struct ToolBarRecord {
    int width = 0;
    int height = 0;
    std::vector<UINT> ids;
};

// Reads only within the resource's size: a record that claims more ids than it holds is refused.
bool ReadToolBarRecord(UINT resourceId, ToolBarRecord& record) {
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    HRSRC found =
        ::FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(RT_TOOLBAR));
    if (!found)
        return false;
    const size_t bytes = ::SizeofResource(module, found);
    HGLOBAL loaded = ::LoadResource(module, found);
    const WORD* words = loaded ? static_cast<const WORD*>(::LockResource(loaded)) : nullptr;
    if (!words || bytes < kRecordHeaderWords * sizeof(WORD))
        return false;
    const size_t count = words[3];
    if (words[0] != kRecordVersion || words[1] == 0 || words[2] == 0 ||
        bytes < (kRecordHeaderWords + count) * sizeof(WORD))
        return false;
    record.width = words[1];
    record.height = words[2];
    record.ids.assign(words + kRecordHeaderWords, words + kRecordHeaderWords + count);
    return true;
}
} // namespace

bool CToolBar::CreateEx(CWnd& parent, DWORD ctrlStyle, DWORD style, const RECT& borders, UINT id) {
    if (!InitBarClasses())
        return false;
    m_rcBorders = borders;
    // The frame lays the bar out and draws its borders.
    DWORD windowStyle =
        SplitStyle(style) | ctrlStyle | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN;
    if (m_dwStyle & CBRS_TOOLTIPS)
        windowStyle |= TBSTYLE_TOOLTIPS;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEA, nullptr, windowStyle, RECT{}, parent.m_hWnd,
                        ChildId(id)))
        return false;
    m_ctrl.m_hWnd = m_hWnd;
    // A floating bar's frame is never the active window: its tips show all the same.
    if (HWND tips = reinterpret_cast<HWND>(SendMessage(TB_GETTOOLTIPS)))
        ::SetWindowLongPtrA(tips, GWL_STYLE, ::GetWindowLongPtrA(tips, GWL_STYLE) | TTS_ALWAYSTIP);
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    AddToFrame(parent);
    return true;
}

bool CToolBar::LoadToolBar(UINT resourceId) {
    ToolBarRecord record;
    if (GetCount() != 0 || !ReadToolBarRecord(resourceId, record))
        return false;
    const auto pictures = static_cast<int>(
        record.ids.size() - std::count(record.ids.begin(), record.ids.end(), ID_SEPARATOR));
    const CBitmap strip(::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId)));
    BITMAP info = {};
    if (!strip || !::GetObjectA(strip.Get(), sizeof info, &info) ||
        info.bmWidth / record.width < pictures)
        return false;

    if (!m_ctrl.SetBitmapSize(SIZE{record.width, record.height}))
        return false;
    SendMessage(TB_SETBUTTONSIZE, 0,
                MAKELPARAM(record.width + kButtonPadX, record.height + kButtonPadY));
    int image = m_ctrl.AddBitmap(info.bmWidth / record.width, strip.Get());
    if (image < 0)
        return false;
    std::vector<TBBUTTON> buttons(record.ids.size());
    for (size_t i = 0; i < buttons.size(); ++i) {
        buttons[i].idCommand = static_cast<int>(record.ids[i]);
        if (record.ids[i] == ID_SEPARATOR) {
            buttons[i].fsStyle = TBSTYLE_SEP; // iBitmap 0: the control's separator width
        } else {
            buttons[i].iBitmap = image++;
            buttons[i].fsStyle = TBSTYLE_BUTTON;
            buttons[i].fsState = TBSTATE_ENABLED;
        }
    }
    return buttons.empty() || SendMessage(TB_ADDBUTTONSA, static_cast<WPARAM>(buttons.size()),
                                          reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

int CToolBar::GetCount() const {
    return static_cast<int>(SendMessage(TB_BUTTONCOUNT));
}

int CToolBar::CommandToIndex(UINT id) const {
    return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, id));
}

bool CToolBar::GetButtonInfo(int index, UINT& id, UINT& style, int& image) const {
    TBBUTTON button = {};
    if (index < 0 ||
        !SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button))) {
        id = ID_SEPARATOR;
        style = 0;
        image = -1;
        return false;
    }
    id = static_cast<UINT>(button.idCommand);
    style = button.fsStyle;
    image = button.iBitmap;
    return true;
}

bool CToolBar::SetButtonInfo(int index, UINT id, UINT style, int image) {
    if (index < 0 || index >= GetCount())
        return false;
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_STYLE | TBIF_IMAGE;
    info.idCommand = static_cast<int>(id);
    info.iImage = image;
    info.fsStyle = static_cast<BYTE>(style);
    return SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(&info)) != 0;
}

void CToolBar::SetCheckImages(UINT id, int image, int checkedImage) {
    m_checkImages.push_back({id, image, checkedImage});
}

// Idle updates run often: the picture changes only when it is not the one wanted.
void CToolBar::ShowCheck(UINT id, bool checked) {
    for (const CheckImages& button : m_checkImages) {
        const int image = checked ? button.checkedImage : button.image;
        if (button.id == id && SendMessage(TB_GETBITMAP, id) != image)
            SendMessage(TB_CHANGEBITMAP, id, MAKELPARAM(image, 0));
    }
}

bool CToolBar::OnParentNotify(NMHDR* hdr, LRESULT* result) {
    switch (hdr->code) {
    case TTN_GETDISPINFOA:
    case TTN_GETDISPINFOW:
        if (!(m_dwStyle & CBRS_TOOLTIPS) || !OnToolTipText(hdr))
            return false;
        *result = 0;
        return true;
    case TBN_HOTITEMCHANGE: {
        if (hdr->hwndFrom != m_hWnd || !(m_dwStyle & CBRS_FLYBY))
            return false;
        const auto* hot = reinterpret_cast<const NMTBHOTITEM*>(hdr);
        const bool leaving = (hot->dwFlags & HICF_LEAVING) || hot->idNew == 0;
        ::SendMessageA(::GetParent(m_hWnd), WM_SETMESSAGESTRING,
                       leaving ? AFX_IDS_IDLEMESSAGE : static_cast<WPARAM>(hot->idNew), 0);
        *result = 0; // the button may become hot
        return true;
    }
    default:
        return false;
    }
}

// The tool tip asks its owner, this bar, which hands the question on to the frame.
bool CToolBar::OnToolTipText(NMHDR* hdr) {
    HWND tips = reinterpret_cast<HWND>(SendMessage(TB_GETTOOLTIPS));
    if (hdr->hwndFrom != m_hWnd && (!tips || hdr->hwndFrom != tips))
        return false;
    const UINT flags = hdr->code == TTN_GETDISPINFOA
                           ? reinterpret_cast<NMTTDISPINFOA*>(hdr)->uFlags
                           : reinterpret_cast<NMTTDISPINFOW*>(hdr)->uFlags;
    const auto id = static_cast<UINT>(hdr->idFrom);
    if ((flags & TTF_IDISHWND) || id == ID_SEPARATOR || hdr->idFrom != id || CommandToIndex(id) < 0)
        return false;

    // No second field, no tip: the tool tip shows nothing for an empty text.
    m_strTip = AfxExtractSubString(AfxLoadString(id), 1);
    if (hdr->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(hdr);
        info->hinst = nullptr;
        info->szText[0] = '\0';
        info->lpszText = m_strTip.empty() ? info->szText : &m_strTip[0];
    } else {
        m_wstrTip = WideFromAnsi(m_strTip);
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(hdr);
        info->hinst = nullptr;
        info->szText[0] = L'\0';
        info->lpszText = m_wstrTip.empty() ? info->szText : &m_wstrTip[0];
    }
    return true;
}

// The buttons' extent, with the control's margin before the first mirrored after the last.
SIZE CToolBar::CalcFixedLayout() const {
    const RECT insets = NonClientInsets();
    const LRESULT button = SendMessage(TB_GETBUTTONSIZE);
    SIZE size = {LOWORD(button), HIWORD(button)};
    RECT first = {};
    if (GetCount() > 0 && SendMessage(TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first))) {
        size = {0, 0};
        for (int i = 0, count = GetCount(); i < count; ++i) {
            RECT item = {};
            SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            size = {std::max(size.cx, item.right + first.left),
                    std::max(size.cy, item.bottom + first.top)};
        }
    }
    return {size.cx + insets.left + insets.right, size.cy + insets.top + insets.bottom};
}

// Docked on the left or right the bar is a column, on the top or bottom a row; floating, a
// reshapable bar keeps the width it was last given.
void CToolBar::OnBarStyleChange(DWORD oldStyle, DWORD newStyle) {
    const bool reshaped = IsFloating() && (m_dwStyle & CBRS_SIZE_DYNAMIC);
    WrapButtons(IsVertical() ? 0 : reshaped ? m_nFloatWidth : INT_MAX);
    CControlBar::OnBarStyleChange(oldStyle, newStyle);
}

SIZE CToolBar::CalcDynamicLayout(int width) {
    m_nFloatWidth = width;
    WrapButtons(width);
    return CalcFixedLayout();
}

// Rows as wide as width allows (the bar's whole width, insets included), each with at least one
// button. A row ends after the separators that follow its last button: they become the gap
// between rows instead of starting the next one.
void CToolBar::WrapButtons(int width) {
    const int count = GetCount();
    for (int i = 0; i < count; ++i)
        SetWrap(i, false);
    // Measured on one unbroken row, where each button's place is its offset from the first.
    std::vector<RECT> items(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i),
                    reinterpret_cast<LPARAM>(&items[static_cast<size_t>(i)]));
    const RECT insets = NonClientInsets();
    const LONG margin = count > 0 ? items[0].left : 0;
    const LONG limit = std::max(width, 0) - insets.left - insets.right - 2 * margin;
    LONG rowStart = margin;
    for (int i = 1; i < count; ++i) {
        const RECT& item = items[static_cast<size_t>(i)];
        if (IsSeparator(i) || item.right - rowStart <= limit)
            continue;
        for (int j = i - 1; j >= 0; --j) {
            SetWrap(j, true);
            if (!IsSeparator(j))
                break;
        }
        rowStart = item.left;
    }
    SendMessage(TB_AUTOSIZE);
}

bool CToolBar::IsSeparator(int index) const {
    UINT id = 0, style = 0;
    int image = 0;
    return GetButtonInfo(index, id, style, image) && (style & TBSTYLE_SEP);
}

void CToolBar::SetWrap(int index, bool wrap) {
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_STATE;
    const BYTE bit = wrap ? TBSTATE_WRAP : 0;
    if (SendMessage(TB_GETBUTTONINFOA, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&info)) < 0 ||
        (info.fsState & TBSTATE_WRAP) == bit)
        return;
    info.fsState = static_cast<BYTE>((info.fsState & ~TBSTATE_WRAP) | bit);
    SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
}

void CToolBar::OnUpdateCmdUI(CCmdTarget& route) {
    for (int i = 0, count = GetCount(); i < count; ++i) {
        UINT id = 0, style = 0;
        int image = 0;
        if (!GetButtonInfo(i, id, style, image) || (style & TBSTYLE_SEP))
            continue;
        CCmdUI state;
        state.m_nID = id;
        state.m_pToolBar = this;
        state.DoUpdate(route);
    }
}

const MessageMap CToolBar::messageMap{
    &CControlBar::messageMap,
    MapMessage(WM_NCCALCSIZE, &CToolBar::OnNcCalcSize),
    MapMessage(WM_NCPAINT, &CToolBar::OnNcPaint),
    MapMessage(WM_NCHITTEST, &CToolBar::OnNcHitTest),
};

LRESULT CToolBar::OnNcCalcSize(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Default(WM_NCCALCSIZE, wParam, lParam);
    // Both forms of lParam start with the rectangle that becomes the client area.
    RECT& rect = *reinterpret_cast<RECT*>(lParam);
    const RECT insets = NonClientInsets();
    rect.left = std::min(rect.left + insets.left, rect.right);
    rect.top = std::min(rect.top + insets.top, rect.bottom);
    rect.right = std::max(rect.right - insets.right, rect.left);
    rect.bottom = std::max(rect.bottom - insets.bottom, rect.top);
    return result;
}

LRESULT CToolBar::OnNcPaint(WPARAM wParam, LPARAM lParam) {
    Default(WM_NCPAINT, wParam, lParam);
    PaintNonClient();
    return 0;
}

LRESULT CToolBar::OnNcHitTest(WPARAM wParam, LPARAM lParam) {
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    RECT gripper = GripperRect();
    ::OffsetRect(&gripper, window.left, window.top);
    return ::PtInRect(&gripper, PointFromLParam(lParam)) ? HTCAPTION
                                                         : Default(WM_NCHITTEST, wParam, lParam);
}

bool CToolBar::HasGripper() const {
    return (m_dwStyle & CBRS_GRIPPER) && !IsFloating();
}

RECT CToolBar::NonClientInsets() const {
    RECT insets = m_rcBorders;
    if (HasGripper())
        (IsVertical() ? insets.top : insets.left) += kGripperWidth;
    if (m_dwStyle & CBRS_BORDER_LEFT)
        insets.left += kBorderLine;
    if (m_dwStyle & CBRS_BORDER_TOP)
        insets.top += kBorderLine;
    if (m_dwStyle & CBRS_BORDER_RIGHT)
        insets.right += kBorderLine;
    if (m_dwStyle & CBRS_BORDER_BOTTOM)
        insets.bottom += kBorderLine;
    return insets;
}

// In window coordinates; empty without a gripper.
RECT CToolBar::GripperRect() const {
    if (!HasGripper())
        return RECT{};
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    ::OffsetRect(&window, -window.left, -window.top);
    const RECT insets = NonClientInsets();
    if (IsVertical())
        return {insets.left, m_rcBorders.top, window.right - insets.right,
                m_rcBorders.top + kGripperWidth};
    return {m_rcBorders.left, insets.top, m_rcBorders.left + kGripperWidth,
            window.bottom - insets.bottom};
}

void CToolBar::PaintNonClient() {
    HDC dc = ::GetWindowDC(m_hWnd);
    if (!dc)
        return;
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    ::OffsetRect(&window, -window.left, -window.top);
    const RECT insets = NonClientInsets();
    ::ExcludeClipRect(dc, insets.left, insets.top, window.right - insets.right,
                      window.bottom - insets.bottom);
    ::FillRect(dc, &window, ::GetSysColorBrush(COLOR_BTNFACE));

    if (HasGripper()) {
        const RECT gripper = GripperRect();
        for (int at : kGripperLineX) {
            RECT line = gripper;
            if (IsVertical()) {
                ::InflateRect(&line, -kGripperLineInset, 0);
                line.top += at;
                line.bottom = line.top + kBorderLine;
            } else {
                ::InflateRect(&line, 0, -kGripperLineInset);
                line.left += at;
                line.right = line.left + kBorderLine;
            }
            ::DrawEdge(dc, &line, EDGE_ETCHED, IsVertical() ? BF_TOP : BF_LEFT);
        }
    }
    const struct {
        DWORD border;
        RECT line;
        UINT edge;
    } borders[] = {
        {CBRS_BORDER_LEFT, {0, 0, kBorderLine, window.bottom}, BF_LEFT},
        {CBRS_BORDER_TOP, {0, 0, window.right, kBorderLine}, BF_TOP},
        {CBRS_BORDER_RIGHT, {window.right - kBorderLine, 0, window.right, window.bottom}, BF_LEFT},
        {CBRS_BORDER_BOTTOM, {0, window.bottom - kBorderLine, window.right, window.bottom}, BF_TOP},
    };
    for (auto border : borders)
        if (m_dwStyle & border.border)
            ::DrawEdge(dc, &border.line, EDGE_ETCHED, border.edge);
    ::ReleaseDC(m_hWnd, dc);
}
