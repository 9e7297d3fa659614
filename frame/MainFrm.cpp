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

void ShowImage(CToolBar& bar, UINT id, int image) {
    const int index = bar.CommandToIndex(id);
    UINT buttonId;
    UINT style;
    int shown;
    if (bar.GetButtonInfo(index, buttonId, style, shown))
        bar.SetButtonInfo(index, buttonId, style, image);
}
} // namespace

const MessageMap CMainFrame::messageMap{
    &CFrameWnd::messageMap,
    MapCreate(&CMainFrame::OnCreate),
    MapCommand(ID_EDIT_FIND, &CMainFrame::OnEditFind),
    MapCommand(ID_VIEW_FIND_BAR, &CMainFrame::OnViewFindBar),
    MapUpdate(ID_VIEW_FIND_BAR, &CMainFrame::OnUpdateControlBarMenu),
    MapCommand(ID_VIEW_DETAIL_BAR, &CMainFrame::OnViewDetailBar),
    MapUpdate(ID_VIEW_DETAIL_BAR, &CMainFrame::OnUpdateControlBarMenu),
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
    // Created after the status bar, so that it lies above it.
    if (!m_wndFindBar.Create(*this) || !m_wndDetailBar.Create(*this))
        return -1;

    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);

    // The toolbar keeps a copy of the pictures it takes.
    const CBitmap extra(::LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDB_EXTRA)));
    const int first = m_wndToolBar.GetToolBarCtrl().AddBitmap(kExtraImagesAdded, extra.Get());

    // Capture and Log to file show their state, as at first: capture on, no log.
    ShowImage(m_wndToolBar, ID_CAPTURE, first + kCaptureOn);
    ShowImage(m_wndToolBar, ID_FILTER, first + kFilter);
    ShowImage(m_wndToolBar, ID_CLEAR, first + kClear);
    ShowImage(m_wndToolBar, ID_LOG_TO_FILE, first + kLogOff);
    m_wndToolBar.SetCheckImages(ID_CAPTURE, first + kCaptureOff, first + kCaptureOn);
    m_wndToolBar.SetCheckImages(ID_LOG_TO_FILE, first + kLogOff, first + kLogOn);
    return 0;
}

void CMainFrame::OnViewFindBar() {
    if (m_wndFindBar.IsVisible())
        m_wndFindBar.Close();
    else
        m_wndFindBar.Open();
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
