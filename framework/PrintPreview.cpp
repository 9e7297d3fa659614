// CPrintPreview: one page at a time, fitted or zoomed, drawn by the view's print hooks.
#include "PrintPreview.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "FrameworkIds.h"
#include "Strings.h"
#include "WinApp.h"

const char CPrintPreview::kClassName[] = "KestrinPreview";

namespace {
const int kMaxZoom = 2;
const int kMargin = 16;
const int kShadow = 3;
const int kScrollLine = 16;

const struct {
    UINT id;
    UINT labelId;
} kControls[] = {
    {AFX_ID_PREVIEW_PRINT, AFX_IDS_PREVIEW_PRINT_LABEL},
    {AFX_ID_PREVIEW_NEXT, AFX_IDS_PREVIEW_NEXT_LABEL},
    {AFX_ID_PREVIEW_PREV, AFX_IDS_PREVIEW_PREV_LABEL},
    {AFX_ID_PREVIEW_ZOOMIN, AFX_IDS_PREVIEW_ZOOMIN_LABEL},
    {AFX_ID_PREVIEW_ZOOMOUT, AFX_IDS_PREVIEW_ZOOMOUT_LABEL},
    {AFX_ID_PREVIEW_CLOSE, AFX_IDS_PREVIEW_CLOSE_LABEL},
};

// The rectangle of child in its parent's client coordinates.
RECT PlaceInParent(HWND child) {
    RECT rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
} // namespace

CPrintPreview::CPrintPreview(CView& view, std::unique_ptr<CPrintInfo> info)
    : m_view(view), m_pInfo(std::move(info)) {}

CPrintPreview* CPrintPreview::Show(CView& view, std::unique_ptr<CPrintInfo> info) {
    if (!AfxRegisterWndClass(AfxGetInstanceHandle(), kClassName, 0, COLOR_APPWORKSPACE))
        return nullptr;
    auto* preview = new CPrintPreview(view, std::move(info));
    if (!preview->CreateEx(0, kClassName, nullptr, WS_CHILD | WS_CLIPCHILDREN,
                           PlaceInParent(view.m_hWnd), ::GetParent(view.m_hWnd), nullptr) ||
        !preview->CreateControls()) {
        preview->DestroyWindow();
        delete preview;
        return nullptr;
    }
    preview->m_bShown = true;
    view.ShowWindow(SW_HIDE);
    ::SetWindowPos(preview->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    // The keys come here: the controls' letters and Escape.
    ::SetFocus(preview->m_hWnd);
    return preview;
}

bool CPrintPreview::CreateControls() {
    m_hControls = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                                    WS_CHILD | WS_VISIBLE | TBSTYLE_LIST | CCS_TOP, 0, 0, 0, 0,
                                    m_hWnd, nullptr, AfxGetInstanceHandle(), nullptr);
    if (!m_hControls)
        return false;
    ::SendMessageA(m_hControls, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(m_hControls, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    // The toolbar keeps copies of the labels.
    std::string labels[std::size(kControls)];
    TBBUTTON buttons[std::size(kControls)] = {};
    for (size_t i = 0; i < std::size(kControls); ++i) {
        labels[i] = AfxLoadString(kControls[i].labelId);
        buttons[i].iBitmap = I_IMAGENONE;
        buttons[i].idCommand = static_cast<int>(kControls[i].id);
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
        buttons[i].iString = reinterpret_cast<INT_PTR>(labels[i].c_str());
    }
    if (!::SendMessageA(m_hControls, TB_ADDBUTTONSA, std::size(buttons),
                        reinterpret_cast<LPARAM>(buttons)))
        return false;
    ::SendMessageA(m_hControls, TB_AUTOSIZE, 0, 0);
    UpdateControls();
    return true;
}

void CPrintPreview::UpdateControls() const {
    const bool enabled[] = {true, m_nPage<m_pInfo->GetMaxPage(), m_nPage> m_pInfo->GetMinPage(),
                            m_nZoom<kMaxZoom, m_nZoom> 0, true};
    for (size_t i = 0; i < std::size(kControls); ++i)
        ::SendMessageA(m_hControls, TB_ENABLEBUTTON, kControls[i].id, MAKELPARAM(enabled[i], 0));
}

void CPrintPreview::TakePlaceOf(const CView& view) const {
    MoveWindow(PlaceInParent(view.m_hWnd));
}

bool CPrintPreview::OnCommand(WPARAM wParam, LPARAM) {
    switch (LOWORD(wParam)) {
    case AFX_ID_PREVIEW_PRINT: {
        // Printing starts from the view once the preview has made way for it.
        CView& view = m_view;
        DestroyWindow();
        view.OnFilePrint();
        return true;
    }
    case AFX_ID_PREVIEW_CLOSE:
        DestroyWindow();
        return true;
    case AFX_ID_PREVIEW_NEXT:
    case AFX_ID_PREVIEW_PREV:
        m_nPage = std::clamp(LOWORD(wParam) == AFX_ID_PREVIEW_NEXT ? m_nPage + 1 : m_nPage - 1,
                             m_pInfo->GetMinPage(), m_pInfo->GetMaxPage());
        break;
    case AFX_ID_PREVIEW_ZOOMIN:
    case AFX_ID_PREVIEW_ZOOMOUT:
        m_nZoom =
            std::clamp(m_nZoom + (LOWORD(wParam) == AFX_ID_PREVIEW_ZOOMIN ? 1 : -1), 0, kMaxZoom);
        UpdateScrollBars();
        break;
    default:
        return false;
    }
    UpdateControls();
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return true;
}

// A hot control's prompt goes to the parent for the frame's status bar, as the frame's own
// buttons' do.
bool CPrintPreview::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
    const auto* hot = reinterpret_cast<const NMTBHOTITEM*>(lParam);
    if (hot->hdr.hwndFrom != m_hControls || hot->hdr.code != TBN_HOTITEMCHANGE)
        return false;
    UINT prompt = AFX_IDS_IDLEMESSAGE;
    if (!(hot->dwFlags & HICF_LEAVING) && hot->idNew == AFX_ID_PREVIEW_CLOSE)
        prompt = AFX_IDS_PREVIEW_CLOSE;
    else if (!(hot->dwFlags & HICF_LEAVING) && hot->idNew == AFX_ID_PREVIEW_PRINT)
        prompt = ID_FILE_PRINT;
    ::SendMessageA(::GetParent(m_hWnd), WM_SETMESSAGESTRING, prompt, 0);
    *result = 0;
    return true;
}

const MessageMap CPrintPreview::messageMap{
    &CWnd::messageMap,
    MapMessage(WM_PAINT, &CPrintPreview::OnPaint),
    MapMessage(WM_ERASEBKGND, &CPrintPreview::OnEraseBkgnd),
    MapVoid(WM_SIZE, &CPrintPreview::OnSize),
    MapMessage(WM_HSCROLL, &CPrintPreview::OnHScroll),
    MapMessage(WM_VSCROLL, &CPrintPreview::OnVScroll),
    MapMessage(WM_MOUSEWHEEL, &CPrintPreview::OnMouseWheel),
    MapMessage(WM_KEYDOWN, &CPrintPreview::OnKeyDown),
    MapMessage(WM_CHAR, &CPrintPreview::OnChar),
    MapMessage(WM_SYSCHAR, &CPrintPreview::OnSysChar),
};

// The controls' strip in the buttons' colour (the toolbar shows what is behind it), the rest as
// the space around a page.
LRESULT CPrintPreview::OnEraseBkgnd(WPARAM dc, LPARAM) {
    RECT client, controls;
    ::GetClientRect(m_hWnd, &client);
    ::GetWindowRect(m_hControls, &controls);
    RECT strip = {client.left, client.top, client.right, controls.bottom - controls.top};
    client.top = strip.bottom;
    ::FillRect(reinterpret_cast<HDC>(dc), &strip, ::GetSysColorBrush(COLOR_BTNFACE));
    ::FillRect(reinterpret_cast<HDC>(dc), &client, ::GetSysColorBrush(COLOR_APPWORKSPACE));
    return 1;
}

void CPrintPreview::OnSize() {
    ::SendMessageA(m_hControls, TB_AUTOSIZE, 0, 0);
    UpdateScrollBars();
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

LRESULT CPrintPreview::OnMouseWheel(WPARAM wParam, LPARAM) {
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    ScrollTo(SB_VERT, m_ptScroll.y - GET_WHEEL_DELTA_WPARAM(wParam) *
                                         static_cast<int>(std::min(lines, 100u)) * kScrollLine /
                                         WHEEL_DELTA);
    return 0;
}

LRESULT CPrintPreview::OnKeyDown(WPARAM key, LPARAM lParam) {
    if (key != VK_ESCAPE)
        return Default(WM_KEYDOWN, key, lParam);
    OnCommand(AFX_ID_PREVIEW_CLOSE, 0);
    return 0;
}

LRESULT CPrintPreview::OnChar(WPARAM key, LPARAM) {
    PressMnemonic(key);
    return 0;
}

LRESULT CPrintPreview::OnSysChar(WPARAM key, LPARAM lParam) {
    return PressMnemonic(key) ? 0 : Default(WM_SYSCHAR, key, lParam);
}

RECT CPrintPreview::Room() const {
    RECT client, controls = {};
    ::GetClientRect(m_hWnd, &client);
    ::GetWindowRect(m_hControls, &controls);
    client.top += controls.bottom - controls.top;
    return client;
}

// Scroll bars take from the room: the fitted size is taken as if they were not there, so the
// page keeps its size whether or not they show.
SIZE CPrintPreview::PageSize(const RECT& shown) const {
    const LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
    RECT room = shown;
    room.right += style & WS_VSCROLL ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
    room.bottom += style & WS_HSCROLL ? ::GetSystemMetrics(SM_CYHSCROLL) : 0;
    const int width = ::GetDeviceCaps(m_pInfo->m_dc.Get(), PHYSICALWIDTH);
    const int height = ::GetDeviceCaps(m_pInfo->m_dc.Get(), PHYSICALHEIGHT);
    const int roomX = std::max(1, int(room.right - room.left) - 2 * kMargin);
    const int roomY = std::max(1, int(room.bottom - room.top) - 2 * kMargin);
    // Fitted: the page's longer side, relative to the room, fills the room.
    double scale =
        std::min(double(roomX) / std::max(1, width), double(roomY) / std::max(1, height));
    scale *= 1 << m_nZoom;
    return {std::max(1, int(width * scale)), std::max(1, int(height * scale))};
}

RECT CPrintPreview::PageRect() const {
    const RECT room = Room();
    const SIZE size = PageSize(room);
    // Centred where it fits, else from the margin less what is scrolled away.
    const bool scrollsX = size.cx + 2 * kMargin > room.right - room.left;
    const bool scrollsY = m_nZoom && size.cy + 2 * kMargin > room.bottom - room.top;
    const int left =
        scrollsX ? room.left + kMargin - m_ptScroll.x : (room.left + room.right - size.cx) / 2;
    const int top = scrollsY  ? room.top + kMargin - m_ptScroll.y
                    : m_nZoom ? (room.top + room.bottom - size.cy) / 2
                              : room.top + kMargin;
    return {left, top, left + size.cx, top + size.cy};
}

void CPrintPreview::UpdateScrollBars() {
    // Fitted, the page never scrolls: no bars, nothing scrolled.
    if (!m_nZoom) {
        m_ptScroll = {};
        ::ShowScrollBar(m_hWnd, SB_BOTH, FALSE);
        return;
    }
    const RECT room = Room();
    const SIZE size = PageSize(room);
    const int extent[] = {int(size.cx) + 2 * kMargin, int(size.cy) + 2 * kMargin};
    const int page[] = {int(room.right - room.left), int(room.bottom - room.top)};
    LONG* pos[] = {&m_ptScroll.x, &m_ptScroll.y};
    for (int bar : {SB_HORZ, SB_VERT}) {
        *pos[bar] = std::clamp<LONG>(*pos[bar], 0, std::max(0, extent[bar] - page[bar]));
        SCROLLINFO info = {sizeof info,
                           SIF_RANGE | SIF_PAGE | SIF_POS,
                           0,
                           extent[bar] - 1,
                           static_cast<UINT>(std::max(0, page[bar])),
                           int(*pos[bar]),
                           0};
        ::SetScrollInfo(m_hWnd, bar, &info, TRUE);
    }
}

LRESULT CPrintPreview::OnScroll(int bar, WPARAM request) {
    SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    if (!::GetScrollInfo(m_hWnd, bar, &info))
        return 0;
    const int page = static_cast<int>(info.nPage);
    int pos = info.nPos;
    switch (LOWORD(request)) {
    case SB_LINEUP:
        pos -= kScrollLine;
        break;
    case SB_LINEDOWN:
        pos += kScrollLine;
        break;
    case SB_PAGEUP:
        pos -= page;
        break;
    case SB_PAGEDOWN:
        pos += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        pos = info.nTrackPos;
        break;
    case SB_TOP:
        pos = info.nMin;
        break;
    case SB_BOTTOM:
        pos = info.nMax;
        break;
    default:
        return 0;
    }
    ScrollTo(bar, pos);
    return 0;
}

void CPrintPreview::ScrollTo(int bar, int pos) {
    (bar == SB_HORZ ? m_ptScroll.x : m_ptScroll.y) = pos;
    UpdateScrollBars();
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CPrintPreview::PressMnemonic(WPARAM key) {
    if (key >= 0x80)
        return false;
    for (const auto& control : kControls) {
        const std::string label = AfxLoadString(control.labelId);
        const char* mark = std::strchr(label.c_str(), '&');
        if (!mark || std::toupper(static_cast<unsigned char>(mark[1])) != std::toupper(int(key)))
            continue;
        // A grayed control's letter does nothing, as its button does.
        if (::SendMessageA(m_hControls, TB_ISBUTTONENABLED, control.id, 0))
            OnCommand(control.id, 0);
        return true;
    }
    return false;
}

LRESULT CPrintPreview::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    const RECT page = PageRect();
    RECT shadow = {page.left + kShadow, page.top + kShadow, page.right + kShadow,
                   page.bottom + kShadow};
    ::FillRect(dc, &shadow, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::FillRect(dc, &page, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));

    // The page's own drawing, in the printer's units, clipped to the page.
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, page.left, page.top, page.right, page.bottom);
    ::SetMapMode(dc, MM_ANISOTROPIC);
    ::SetWindowExtEx(dc, ::GetDeviceCaps(m_pInfo->m_dc.Get(), PHYSICALWIDTH),
                     ::GetDeviceCaps(m_pInfo->m_dc.Get(), PHYSICALHEIGHT), nullptr);
    ::SetViewportExtEx(dc, page.right - page.left, page.bottom - page.top, nullptr);
    ::SetViewportOrgEx(dc, page.left, page.top, nullptr);
    m_pInfo->m_nCurPage = m_nPage;
    m_view.OnPrint(dc, m_pInfo.get());
    ::RestoreDC(dc, saved);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

void CPrintPreview::PostNcDestroy() {
    if (!m_bShown)
        return;
    m_view.OnPreviewClosed();
    delete this;
}
