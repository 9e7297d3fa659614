// CKestrinView: a report list-view window named and classed "Kestrin" that turns messages into
// rows.
#include "KestrinView.h"

#include "CmdUI.h"
#include "File.h"
#include "FileDialog.h"
#include "FilterDlg.h"
#include "MainFrm.h"
#include "WinApp.h"
#include "resource.h"

namespace {
const char kViewName[] = "Kestrin";

struct Column {
    const char* heading;
    int width;
};
// Rows that arrive in a burst are shown together once this long has passed.
const UINT_PTR kRedrawTimer = 0x4B52;
const UINT kRedrawDelayMs = 50;

const char kOpenFailed[] = "Open File %s failed";
const char kWriteFailed[] = "Write File %s failed";

// One of the message formats above with the path in place of %s; the path is never a format.
std::string WithPath(const char* message, const std::string& path) {
    std::string text = message;
    return text.replace(text.find("%s"), 2, path);
}

const Column kColumns[] = {
    {"进程名称", 150},
    {"pID", 100},
    {"时间", 90},
    {"调试信息", 450},
};

CMainFrame* MainFrame() {
    return dynamic_cast<CMainFrame*>(AfxGetMainWnd());
}
} // namespace

const CRuntimeClass CKestrinView::runtimeClass = {"CKestrinView", &CreateObject<CKestrinView>};

const MessageEntry CKestrinView::messageEntries[] = {
    MapCreate(&CKestrinView::OnCreate),
    MapCommand(ID_FILTER, &CKestrinView::OnFilter),
    MapCommand(ID_CLEAR, &CKestrinView::OnClear),
    MapCommand(ID_CAPTURE, &CKestrinView::OnCapture),
    MapUpdate(ID_CAPTURE, &CKestrinView::OnUpdateCapture),
    MapCommand(ID_LOG_TO_FILE, &CKestrinView::OnLogToFile),
    MapUpdate(ID_LOG_TO_FILE, &CKestrinView::OnUpdateLogToFile),
    MapCommand(ID_FILE_SAVE, &CKestrinView::OnSaveLog),
    MapMessage(WM_TIMER, &CKestrinView::OnTimer),
};
const MessageMap CKestrinView::messageMap(&CView::messageMap, CKestrinView::messageEntries);

const MessageMap* CKestrinView::GetMessageMap() const {
    return &messageMap;
}

CKestrinView::CKestrinView() : m_capture(m_processes, *this) {}

bool CKestrinView::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.lpszName = kViewName;
    cs.style |= LVS_REPORT;
    CListView::PreCreateWindow(cs);

    // A class of our own with the list view's attributes, so that the window is found
    // by class name "Kestrin" too.
    WNDCLASSA wc;
    if (!::GetClassInfoA(AfxGetInstanceHandle(), cs.lpszClass, &wc))
        return false;
    wc.lpszClassName = kViewName;
    wc.hInstance = AfxGetInstanceHandle();
    if (!AfxRegisterClass(&wc))
        return false;
    cs.lpszClass = kViewName;
    return true;
}

int CKestrinView::OnCreate(CREATESTRUCTA* cs) {
    return CListView::OnCreate(cs) == -1 ? -1 : 0;
}

LRESULT CKestrinView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT)
        return m_capture.OnDebugMessage(static_cast<DWORD>(wParam),
                                        reinterpret_cast<const char*>(lParam));
    return CListView::WindowProc(message, wParam, lParam);
}

void CKestrinView::OnInitialUpdate() {
    CListView::OnInitialUpdate();
    CListCtrl list = GetListCtrl();
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    // New and Open update the view again: the header keeps the columns it has.
    if (list.GetHeaderCtrl().GetItemCount() == 0)
        for (int i = 0; i < 4; ++i)
            list.InsertColumn(i, kColumns[i].heading, LVCFMT_LEFT, kColumns[i].width);
    m_capture.m_filter.SetFilter(";", nullptr);
}

void CKestrinView::OnFilter() {
    CFilterDlg dialog;
    // The texts grow with the lists, so the dialog always shows them whole.
    m_capture.m_filter.GetFilterTexts(dialog.m_strInclude, dialog.m_strExclude);
    if (dialog.DoModal() == IDOK)
        m_capture.m_filter.SetFilter(dialog.m_strInclude.c_str(), dialog.m_strExclude.c_str());
}

void CKestrinView::OnClear() {
    GetListCtrl().DeleteAllItems();
}

void CKestrinView::OnCapture() {
    m_capture.m_bCapture = !m_capture.m_bCapture;
    if (CMainFrame* frame = MainFrame())
        frame->UpdateCaptureButton(m_capture.m_bCapture);
}

void CKestrinView::OnUpdateCapture(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_capture.m_bCapture ? 1 : 0);
}

void CKestrinView::OnLogToFile() {
    m_bLogToFile = !m_bLogToFile;
    if (CMainFrame* frame = MainFrame())
        frame->UpdateLogButton(m_bLogToFile);
}

void CKestrinView::OnUpdateLogToFile(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bLogToFile ? 1 : 0);
}

int CKestrinView::GetItemCount() {
    return GetListCtrl().GetItemCount();
}

int CKestrinView::InsertItem(int item, const char* text) {
    HoldRedraw();
    return GetListCtrl().InsertItem(item, text);
}

// A visible list redraws its scroll bar at every insertion, which costs milliseconds under
// Wine: while rows keep coming they are added with redrawing off, then shown together.
void CKestrinView::HoldRedraw() {
    if (m_bRedrawHeld)
        return;
    SendMessage(WM_SETREDRAW, FALSE);
    ::SetTimer(m_hWnd, kRedrawTimer, kRedrawDelayMs, nullptr);
    m_bRedrawHeld = true;
}

LRESULT CKestrinView::OnTimer(WPARAM wParam, LPARAM lParam) {
    if (wParam != kRedrawTimer)
        return Default(WM_TIMER, wParam, lParam);
    ::KillTimer(m_hWnd, kRedrawTimer);
    m_bRedrawHeld = false;
    SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return 0;
}

void CKestrinView::SetItemText(int item, int subItem, const char* text) {
    GetListCtrl().SetItemText(item, subItem, text);
}

void CKestrinView::OnSaveLog() {
    if (m_strLogPath.empty()) {
        CFileDialog dialog(false, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
        if (dialog.DoModal() == IDOK)
            m_strLogPath = dialog.GetPathName();
    }
    if (!CFile::GetStatus(m_strLogPath.c_str())) {
        CFile created;
        created.Open(m_strLogPath.c_str(), CFile::modeCreate);
    }
    CFile file;
    if (!file.Open(m_strLogPath.c_str(), CFile::modeWrite)) {
        AfxMessageBox(WithPath(kOpenFailed, m_strLogPath).c_str(), MB_OK);
        return;
    }

    CListCtrl list = GetListCtrl();
    int rows = list.GetItemCount();
    int columns = list.GetHeaderCtrl().GetItemCount();
    // A line grows to fit its cells, so no row is ever cut or overflows.
    std::string line;
    line.reserve(1024);
    bool written = true;
    for (int row = 0; row < rows && written; ++row) {
        line.clear();
        for (int column = 0; column < columns; ++column) {
            line += list.GetItemText(row, column);
            line += '\t';
        }
        line += "\r\n";
        written = file.Write(line.data(), static_cast<DWORD>(line.size()));
    }
    // The file is replaced: nothing of an earlier, longer save stays behind the new rows.
    if (!written || !file.SetEndHere())
        AfxMessageBox(WithPath(kWriteFailed, m_strLogPath).c_str(), MB_OK);
}
