// CBitmap, CToolBarCtrl, CToolBar and CStatusBar over the common-controls toolbar and status bar.
#include "ControlBars.h"

#include <algorithm>
#include <climits>

#include "CmdUI.h"
#include "FrameWnd.h"
#include "FrameworkIds.h"
#include "Strings.h"

namespace {
// Toolbar record: version, image width, image height, button count, then the buttons' ids.
const WORD kRecordVersion = 1;
const size_t kRecordHeaderWords = 4;
// A button is its image and this much frame around it.
const int kButtonPadX = 7;
const int kButtonPadY = 7;
// Gripper: two etched lines, each 2 pixels wide, in a strip left of the buttons.
const int kGripperWidth = 9;
const int kGripperLineX[] = {2, 5};
const int kGripperLineInset = 2;
// An etched border line along the bar's edge.
const int kBorderLine = 2;
// The classic button-face grey of 16-colour toolbar pictures.
const BYTE kPictureFaceGrey = 0xC0;
// Status-bar panes: room between the pane's edge and its text, and above and below the text.
const int kPaneTextMargin = 4;
const int kPaneTextAir = 1;
const int kMaxPanes = 255;

bool InitBarClasses() {
    static const bool ready = [] {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_BAR_CLASSES};
        return ::InitCommonControlsEx(&init) != FALSE;
    }();
    return ready;
}

HMENU ChildId(UINT id) {
    return reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));
}

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty())
        return std::wstring();
    int length =
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                              length);
    return wide;
}

std::string AnsiFromWide(const std::wstring& wide) {
    if (wide.empty())
        return std::string();
    int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0],
                              length, nullptr, nullptr);
    return text;
}

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

// A copy of source, width pixels wide (cut, or widened with button face), in which the
// pictures' button-face grey is the system's button face.
HBITMAP CopyWithButtonFace(HBITMAP source, int width) {
    BITMAP info = {};
    if (width <= 0 || !::GetObjectA(source, sizeof info, &info) || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return nullptr;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = info.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    const auto sourceWidth = static_cast<size_t>(info.bmWidth);
    const auto copyWidth = static_cast<size_t>(width);
    const auto height = static_cast<size_t>(info.bmHeight);
    std::vector<RGBQUAD> pixels(sourceWidth * height);

    HDC screen = ::GetDC(nullptr);
    if (!screen)
        return nullptr;
    HBITMAP copy = nullptr;
    if (::GetDIBits(screen, source, 0, info.bmHeight, pixels.data(), &format, DIB_RGB_COLORS) ==
        info.bmHeight) {
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
        const RGBQUAD faceQuad = {GetBValue(face), GetGValue(face), GetRValue(face), 0};
        std::vector<RGBQUAD> copied(copyWidth * height, faceQuad);
        for (size_t y = 0; y < height; ++y) {
            for (size_t x = 0; x < std::min(sourceWidth, copyWidth); ++x) {
                const RGBQUAD& pixel = pixels[y * sourceWidth + x];
                const bool grey = pixel.rgbRed == kPictureFaceGrey &&
                                  pixel.rgbGreen == kPictureFaceGrey &&
                                  pixel.rgbBlue == kPictureFaceGrey;
                copied[y * copyWidth + x] = grey ? faceQuad : pixel;
            }
        }
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biSizeImage = 0;
        copy = ::CreateDIBitmap(screen, &format.bmiHeader, CBM_INIT, copied.data(), &format,
                                DIB_RGB_COLORS);
    }
    ::ReleaseDC(nullptr, screen);
    return copy;
}

// A device context of a window with the window's font selected, for measuring text.
class CFontDC {
public:
    explicit CFontDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(hWnd, WM_GETFONT, 0, 0));
        if (m_hDC && font)
            m_hOldFont = ::SelectObject(m_hDC, font);
    }
    CFontDC(const CFontDC&) = delete;
    CFontDC& operator=(const CFontDC&) = delete;
    ~CFontDC() {
        if (m_hOldFont)
            ::SelectObject(m_hDC, m_hOldFont);
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
    HGDIOBJ m_hOldFont = nullptr;
};

int LockKeyOf(UINT paneId) {
    switch (paneId) {
    case ID_INDICATOR_CAPS:
        return VK_CAPITAL;
    case ID_INDICATOR_NUM:
        return VK_NUMLOCK;
    case ID_INDICATOR_SCRL:
        return VK_SCROLL;
    default:
        return 0;
    }
}
} // namespace

bool CBitmap::Attach(HBITMAP bitmap) {
    if (!bitmap || m_hObject)
        return false;
    m_hObject = bitmap;
    return true;
}

void CBitmap::DeleteObject() {
    if (m_hObject)
        ::DeleteObject(m_hObject);
    m_hObject = nullptr;
}

bool CToolBarCtrl::SetBitmapSize(SIZE size) {
    if (size.cx <= 0 || size.cy <= 0 ||
        !::SendMessageA(m_hWnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(size.cx, size.cy)))
        return false;
    m_sizeImage = size;
    return true;
}

// The control may take every image the bitmap holds whatever the count says, and then answer
// the next call with an index that is not where its images went: it gets exactly count.
int CToolBarCtrl::AddBitmap(int count, CBitmap* bitmap) {
    if (count <= 0 || count > INT_MAX / m_sizeImage.cx || !bitmap || !bitmap->m_hObject)
        return -1;
    auto image = std::make_unique<CBitmap>();
    if (!image->Attach(CopyWithButtonFace(bitmap->m_hObject, count * m_sizeImage.cx)))
        return -1;
    TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(image->m_hObject)};
    m_images.push_back(std::move(image));
    LRESULT first = ::SendMessageA(m_hWnd, TB_ADDBITMAP, static_cast<WPARAM>(count),
                                   reinterpret_cast<LPARAM>(&add));
    if (first < 0)
        m_images.pop_back();
    return first < 0 ? -1 : static_cast<int>(first);
}

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
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return true;
}

bool CToolBar::LoadToolBar(UINT resourceId) {
    ToolBarRecord record;
    if (GetCount() != 0 || !ReadToolBarRecord(resourceId, record))
        return false;
    const auto pictures = static_cast<int>(
        record.ids.size() - std::count(record.ids.begin(), record.ids.end(), ID_SEPARATOR));
    CBitmap strip;
    BITMAP info = {};
    if (!strip.Attach(::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId))) ||
        !::GetObjectA(strip.m_hObject, sizeof info, &info) ||
        info.bmWidth / record.width < pictures)
        return false;

    if (!m_ctrl.SetBitmapSize(SIZE{record.width, record.height}))
        return false;
    SendMessage(TB_SETBUTTONSIZE, 0,
                MAKELPARAM(record.width + kButtonPadX, record.height + kButtonPadY));
    int image = m_ctrl.AddBitmap(info.bmWidth / record.width, &strip);
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

bool CToolBar::OnParentNotify(CFrameWnd& frame, NMHDR* hdr, LRESULT* result) {
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
        frame.SetMessageText(leaving ? AFX_IDS_IDLEMESSAGE : static_cast<UINT>(hot->idNew));
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

int CToolBar::CalcHeight(int) {
    const RECT insets = NonClientInsets();
    int buttons = HIWORD(SendMessage(TB_GETBUTTONSIZE));
    RECT first = {};
    if (GetCount() > 0 && SendMessage(TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first)))
        buttons = first.bottom + first.top; // the control's margin above, mirrored below
    return buttons + insets.top + insets.bottom;
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

LRESULT CToolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCALCSIZE: {
        LRESULT result = Default(message, wParam, lParam);
        // Both forms of lParam start with the rectangle that becomes the client area.
        RECT& rect = *reinterpret_cast<RECT*>(lParam);
        const RECT insets = NonClientInsets();
        rect.left = std::min(rect.left + insets.left, rect.right);
        rect.top = std::min(rect.top + insets.top, rect.bottom);
        rect.right = std::max(rect.right - insets.right, rect.left);
        rect.bottom = std::max(rect.bottom - insets.bottom, rect.top);
        return result;
    }
    case WM_NCPAINT:
        Default(message, wParam, lParam);
        PaintNonClient();
        return 0;
    default:
        return CControlBar::WindowProc(message, wParam, lParam);
    }
}

RECT CToolBar::NonClientInsets() const {
    RECT insets = m_rcBorders;
    if (m_dwStyle & CBRS_GRIPPER)
        insets.left += kGripperWidth;
    if (m_dwStyle & CBRS_BORDER_TOP)
        insets.top += kBorderLine;
    if (m_dwStyle & CBRS_BORDER_BOTTOM)
        insets.bottom += kBorderLine;
    return insets;
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

    if (m_dwStyle & CBRS_GRIPPER) {
        for (int x : kGripperLineX) {
            RECT line = {m_rcBorders.left + x, insets.top + kGripperLineInset,
                         m_rcBorders.left + x + kBorderLine,
                         window.bottom - insets.bottom - kGripperLineInset};
            ::DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
        }
    }
    if (m_dwStyle & CBRS_BORDER_TOP) {
        RECT line = {0, 0, window.right, kBorderLine};
        ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    }
    if (m_dwStyle & CBRS_BORDER_BOTTOM) {
        RECT line = {0, window.bottom - kBorderLine, window.right, window.bottom};
        ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    }
    ::ReleaseDC(m_hWnd, dc);
}

bool CStatusBar::Create(CWnd& parent, DWORD style, UINT id) {
    if (!InitBarClasses())
        return false;
    // The frame lays the bar out; CalcHeight says how high it wants to be.
    DWORD windowStyle = SplitStyle(style) | SBARS_SIZEGRIP | CCS_NOPARENTALIGN | CCS_NORESIZE;
    if (!CWnd::CreateEx(0, STATUSCLASSNAMEA, nullptr, windowStyle, RECT{}, parent.m_hWnd,
                        ChildId(id)))
        return false;
    // A font of our choosing, so that panes and height can be measured in it.
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return true;
}

bool CStatusBar::SetIndicators(const UINT* ids, int count) {
    if (!ids || count <= 0 || count > kMaxPanes)
        return false;
    CFontDC dc(m_hWnd);
    if (!dc.Get())
        return false;
    int borders[3] = {};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    const int frame = 2 * (::GetSystemMetrics(SM_CXEDGE) + kPaneTextMargin) + borders[2];

    std::vector<Pane> panes;
    for (int i = 0; i < count; ++i) {
        Pane pane = {ids[i], std::string(), 0, false};
        if (pane.id != ID_SEPARATOR) {
            pane.text = AfxLoadString(pane.id);
            SIZE extent = {};
            if (pane.text.empty() ||
                !::GetTextExtentPoint32A(dc.Get(), pane.text.c_str(),
                                         static_cast<int>(pane.text.size()), &extent))
                return false;
            pane.width = extent.cx + frame;
        }
        panes.push_back(pane);
    }
    m_panes = std::move(panes);
    LayoutPanes();
    for (size_t i = 0; i < m_panes.size(); ++i) {
        Pane& pane = m_panes[i];
        pane.shown = pane.id != ID_SEPARATOR && !LockKeyOf(pane.id);
        SetPaneText(static_cast<int>(i), pane.shown ? pane.text.c_str() : "");
    }
    UpdateIndicators();
    return true;
}

bool CStatusBar::SetPaneText(int index, const char* text) {
    if (index < 0 || index >= static_cast<int>(m_panes.size()))
        return false;
    // The message pane is drawn flat, the indicators sunken.
    const WPARAM part =
        static_cast<WPARAM>(index) |
        (m_panes[static_cast<size_t>(index)].id == ID_SEPARATOR ? SBT_NOBORDERS : 0);
    return SendMessage(SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text ? text : "")) != 0;
}

std::string CStatusBar::GetPaneText(int index) const {
    if (index < 0 || index >= static_cast<int>(m_panes.size()))
        return std::string();
    // Asked in UTF-16: the control's ANSI length may count characters rather than bytes.
    std::wstring wide(LOWORD(SendMessage(SB_GETTEXTLENGTHW, static_cast<WPARAM>(index))) + 1u,
                      L'\0');
    wide.resize(LOWORD(
        SendMessage(SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&wide[0]))));
    return AnsiFromWide(wide);
}

int CStatusBar::CalcHeight(int) {
    CFontDC dc(m_hWnd);
    TEXTMETRICA metrics = {};
    if (dc.Get())
        ::GetTextMetricsA(dc.Get(), &metrics);
    int borders[3] = {};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    return metrics.tmHeight + 2 * (borders[1] + ::GetSystemMetrics(SM_CYEDGE) + kPaneTextAir);
}

void CStatusBar::OnUpdateCmdUI(CCmdTarget&) {
    UpdateIndicators();
}

LRESULT CStatusBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CControlBar::WindowProc(message, wParam, lParam);
    if (message == WM_SIZE)
        LayoutPanes();
    return result;
}

// The indicators keep their widths at the right; the message pane takes what is left.
void CStatusBar::LayoutPanes() {
    if (m_panes.empty())
        return;
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    int right = client.right;
    if (::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & SBARS_SIZEGRIP)
        right -= ::GetSystemMetrics(SM_CXVSCROLL);
    right = std::max(right, 0);
    std::vector<int> edges(m_panes.size());
    for (size_t i = m_panes.size() - 1; i > 0; --i) {
        edges[i] = right;
        right = std::max(right - m_panes[i].width, 0);
    }
    edges[0] = right;
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

// Idle time comes often: a pane is written only when its key changed, so it is not repainted.
void CStatusBar::UpdateIndicators() {
    for (size_t i = 0; i < m_panes.size(); ++i) {
        Pane& pane = m_panes[i];
        const int key = LockKeyOf(pane.id);
        if (!key)
            continue;
        const bool on = (::GetKeyState(key) & 1) != 0;
        if (on != pane.shown && SetPaneText(static_cast<int>(i), on ? pane.text.c_str() : ""))
            pane.shown = on;
    }
}
