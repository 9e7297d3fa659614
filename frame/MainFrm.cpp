// CMainFrame: toolbar with pictures from the extra strip, status bar, and the intake forwarding.
#include "MainFrm.h"

#include "View.h"
#include "WinApp.h"
#include "resource.h"

namespace {
// Pictures in the extra strip, counted from its first image.
enum ExtraImage {
    kCaptureOff = 1,
    kCaptureOn = 2,
    kFilter = 5,
    kClear = 6,
    kLogOff = 19,
    kLogOn = 20,
};
const int kExtraImagesAdded = 22;

const DWORD kToolBarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS |
                            CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
const DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM;
const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
} // namespace

const MessageMap CMainFrame::messageMap{
    &CFrameWnd::messageMap,
    MapCreate(&CMainFrame::OnCreate),
};

int CMainFrame::OnCreate(CREATESTRUCTA* cs) {
    if (CFrameWnd::OnCreate(cs) == -1)
        return -1;
    const RECT noBorders = {0, 0, 0, 0};
    if (!m_wndToolBar.CreateEx(*this, TBSTYLE_FLAT, kToolBarStyle, noBorders, AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    if (!m_wndStatusBar.Create(*this, kStatusBarStyle, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, 4))
        return -1;

    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);

    // The toolbar keeps a copy of the pictures it takes.
    const CBitmap extra(::LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDB_EXTRA)));
    m_nFirstExtraImage = m_wndToolBar.GetToolBarCtrl().AddBitmap(kExtraImagesAdded, extra.Get());

    ShowExtraImage(ID_CAPTURE, kCaptureOn);
    ShowExtraImage(ID_FILTER, kFilter);
    ShowExtraImage(ID_CLEAR, kClear);
    ShowExtraImage(ID_LOG_TO_FILE, kLogOff);
    return 0;
}

void CMainFrame::ShowExtraImage(UINT id, int offset) {
    int index = m_wndToolBar.CommandToIndex(id);
    if (index < 0)
        return;
    UINT buttonId;
    UINT style;
    int image;
    m_wndToolBar.GetButtonInfo(index, buttonId, style, image);
    m_wndToolBar.SetButtonInfo(index, buttonId, style, m_nFirstExtraImage + offset);
}

void CMainFrame::UpdateCaptureButton(bool bOn) {
    ShowExtraImage(ID_CAPTURE, bOn ? kCaptureOn : kCaptureOff);
}

void CMainFrame::UpdateLogButton(bool bOn) {
    ShowExtraImage(ID_LOG_TO_FILE, bOn ? kLogOn : kLogOff);
}

// Intake: where a client's WM_SETTEXT goes, and why. A client finds the top-level window
// captioned "Kestrin" and sends it WM_SETTEXT with its process id and a line; the answer says
// whether the line was taken (1: not taken).
// - This frame: never its caption, since clients find it by that. Every text goes to the view,
//   or is answered 1 while there is none.
// - The view: a row only when it is the main window's and Kestrin is not printing from the
//   command line (a window start-up is still opening, or one that only prints, shows nothing).
// - A message box shares this caption, so a client may find it instead: the framework's box
//   hook hands what it gets to the main window.
// - A floating bar's tool window is captioned after the bar, so no client finds it.
// - The text is read through a pointer into this process: a posted WM_SETTEXT is junk from
//   another program, and the thread's message hook drops it in every loop, modal ones too.
LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Only top-level windows hear that the session ends, and then may not be destroyed: the
    // view, which keeps the log, hears it too.
    if ((message == WM_QUERYENDSESSION || message == WM_ENDSESSION) && GetActiveView())
        GetActiveView()->SendMessage(message, wParam, lParam);
    if (message != WM_SETTEXT)
        return CFrameWnd::WindowProc(message, wParam, lParam);
    CView* view = GetActiveView();
    return view ? ::SendMessageA(view->m_hWnd, WM_SETTEXT, wParam, lParam) : 1;
}
