// CMainFrame: toolbar with pictures from the extra strip, status bar, and the intake forwarding.
#include "MainFrm.h"

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

const CRuntimeClass CMainFrame::runtimeClass = {"CMainFrame", &CreateObject<CMainFrame>};

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

    m_bmpExtra.Reset(::LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDB_EXTRA)));
    m_nFirstExtraImage =
        m_wndToolBar.GetToolBarCtrl().AddBitmap(kExtraImagesAdded, m_bmpExtra.Get());

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

void CMainFrame::OnUpdateFrameTitle(bool) {}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Only top-level windows hear that the session ends, and then may not be destroyed: the
    // view, which keeps the log, hears it too.
    if ((message == WM_QUERYENDSESSION || message == WM_ENDSESSION) && GetActiveView())
        GetActiveView()->SendMessage(message, wParam, lParam);
    if (message != WM_SETTEXT)
        return CFrameWnd::WindowProc(message, wParam, lParam);
    // Every text sent to the caption is a debug message for the view.
    CDocument* document = GetActiveDocument();
    if (!document)
        return 1;
    POSITION pos = document->GetFirstViewPosition();
    if (!pos)
        return 1;
    CView* view = document->GetNextView(pos);
    return ::SendMessageA(view->m_hWnd, WM_SETTEXT, wParam, lParam);
}
