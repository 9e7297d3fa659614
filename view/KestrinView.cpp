// CKestrinView: a report list-view window named and classed "Kestrin" that turns messages into
// rows; here its creation, intake and commands, in KestrinList.cpp the list's own rules.
#include "KestrinView.h"

#include "CmdUI.h"
#include "FilterDlg.h"
#include "Strings.h"
#include "WinApp.h"
#include "resource.h"

namespace {
const char kViewName[] = "Kestrin";

struct Column {
    UINT headingId;
    int width;
};
// The list view's own messages run from LVM_FIRST to here.
const UINT kListMessagesEnd = LVM_FIRST + 0x100;
const UINT_PTR kShowTimer = 0x4B52; // "KR": no id of the list's own

// Posted by the reader thread once for each batch of lines.
const UINT kDebugOutputReady = WM_APP + 1;

// Posted by the log's writer thread when a write failed.
const UINT kLogFailed = WM_APP + 14;

const Column kColumns[] = {
    {IDS_COLUMN_PROCESS, 150},
    {IDS_COLUMN_PID, 100},
    {IDS_COLUMN_TIME, 90},
    {IDS_COLUMN_MESSAGE, 450},
};
} // namespace

const MessageMap CKestrinView::messageMap{
    &CView::messageMap,
    MapCommand(ID_FILTER, &CKestrinView::OnFilter),
    MapCommand(ID_CLEAR, &CKestrinView::OnClear),
    MapCommand(ID_CAPTURE, &CKestrinView::OnCapture),
    MapUpdate(ID_CAPTURE, &CKestrinView::OnUpdateCapture),
    MapCommand(ID_LOG_TO_FILE, &CKestrinView::OnLogToFile),
    MapUpdate(ID_LOG_TO_FILE, &CKestrinView::OnUpdateLogToFile),
    MapCommand(ID_FILE_SAVE, &CKestrinView::OnSaveLog),
    MapCommand(ID_EDIT_COPY, &CKestrinView::OnEditCopy),
    MapUpdate(ID_EDIT_COPY, &CKestrinView::OnUpdateEditCopy),
    MapMessage(kLogFailed, &CKestrinView::OnLogFailed),
    MapMessage(WM_QUERYENDSESSION, &CKestrinView::OnEndSession),
    MapMessage(WM_ENDSESSION, &CKestrinView::OnEndSession),
    MapMessage(WM_DESTROY, &CKestrinView::OnDestroy),
    MapCommand(ID_CAPTURE_DEBUG_OUTPUT, &CKestrinView::OnCaptureDebugOutput),
    MapUpdate(ID_CAPTURE_DEBUG_OUTPUT, &CKestrinView::OnUpdateCaptureDebugOutput),
    MapMessage(kDebugOutputReady, &CKestrinView::OnDebugOutput),
    MapCommand(ID_VIEW_FOLLOW, &CKestrinView::OnFollow),
    MapUpdate(ID_VIEW_FOLLOW, &CKestrinView::OnUpdateFollow),
    MapCommand(ID_HIGHLIGHT, &CKestrinView::OnHighlight),
    MapCommand(ID_HIGHLIGHT_PROCESS, &CKestrinView::OnHighlightProcess),
    MapUpdate(ID_HIGHLIGHT_PROCESS, &CKestrinView::OnUpdateHighlightProcess),
    MapCommand(ID_FILE_PRINT, &CView::OnFilePrint),
    MapCommand(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect),
    MapCommand(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview),
    MapMessage(WM_TIMER, &CKestrinView::OnTimer),
    MapCommand(ID_EDIT_FIND_NEXT, &CKestrinView::OnFindNext),
    MapCommand(ID_EDIT_FIND_PREVIOUS, &CKestrinView::OnFindPrevious),
    MapMessage(kFindText, &CKestrinView::OnFindText),
    MapMessage(kFindContinue, &CKestrinView::OnFindContinue),
    MapCommand(ID_VIEW_TIME_SECONDS, &CKestrinView::OnTimeFormat<TimeFormat::kSeconds00>),
    MapCommand(ID_VIEW_TIME_MILLISECONDS, &CKestrinView::OnTimeFormat<TimeFormat::kMilliseconds>),
    MapCommand(ID_VIEW_TIME_SINCE_FIRST, &CKestrinView::OnTimeFormat<TimeFormat::kSinceFirst>),
    MapCommand(ID_VIEW_TIME_SINCE_PREVIOUS,
               &CKestrinView::OnTimeFormat<TimeFormat::kSincePrevious>),
    MapUpdate(ID_VIEW_TIME_SECONDS, &CKestrinView::OnUpdateTimeFormat),
    MapUpdate(ID_VIEW_TIME_MILLISECONDS, &CKestrinView::OnUpdateTimeFormat),
    MapUpdate(ID_VIEW_TIME_SINCE_FIRST, &CKestrinView::OnUpdateTimeFormat),
    MapUpdate(ID_VIEW_TIME_SINCE_PREVIOUS, &CKestrinView::OnUpdateTimeFormat),
    MapMessage(kDetailWanted, &CKestrinView::OnDetailWanted),
    MapMessage(LVM_DELETEALLITEMS, &CKestrinView::OnDeleteAllItems),
    MapMessage(WM_KEYDOWN, &CKestrinView::OnKeyDown),
    MapMessage(WM_LBUTTONDOWN, &CKestrinView::OnLButtonDown),
    MapMessage(WM_LBUTTONDBLCLK, &CKestrinView::OnLButtonDown),
    MapMessage(WM_RBUTTONDOWN, &CKestrinView::OnRButtonDown),
    MapMessage(WM_CHAR, &CKestrinView::OnChar),
    MapMessage(WM_MOUSEMOVE, &CKestrinView::OnMouseMove),
    MapMessage(WM_LBUTTONUP, &CKestrinView::OnLButtonUp),
    MapMessage(WM_CAPTURECHANGED, &CKestrinView::OnCaptureChanged),
    MapMessage(WM_PAINT, &CKestrinView::OnPaint),
    MapMessage(WM_RBUTTONUP, &CKestrinView::OnRButtonUp),
    MapMessage(WM_KEYUP, &CKestrinView::OnKeyUp),
    MapMessage(WM_SYSKEYDOWN, &CKestrinView::OnSysKey),
    MapMessage(WM_SYSKEYUP, &CKestrinView::OnSysKey),
    MapMessage(WM_CONTEXTMENU, &CKestrinView::OnContextMenu),
    MapCommand(ID_HIDE_PROCESS, &CKestrinView::OnHideProcess),
    MapUpdate(ID_HIDE_PROCESS, &CKestrinView::OnUpdateHide),
    MapCommand(ID_SHOW_ONLY_PROCESS, &CKestrinView::OnShowOnlyProcess),
    MapUpdate(ID_SHOW_ONLY_PROCESS, &CKestrinView::OnUpdateHide),
    MapCommand(ID_HIDE_INSTANCE, &CKestrinView::OnHideInstance),
    MapUpdate(ID_HIDE_INSTANCE, &CKestrinView::OnUpdateHide),
    MapCommand(ID_SHOW_ALL, &CKestrinView::OnShowAll),
    MapUpdate(ID_SHOW_ALL, &CKestrinView::OnUpdateShowAll),
    MapCommand(ID_NETWORK_SOURCES, &CKestrinView::OnNetworkSources),
    MapMessage(kNetworkRefused, &CKestrinView::OnNetworkRefused),
};

// Relative times are measured between the rows the list shows.
CKestrinView::CKestrinView() : m_capture(m_processes, *this, *this) {
    m_rows.SetTimeBase(&m_shown);
}

bool CKestrinView::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.lpszName = kViewName;
    cs.style |= LVS_REPORT | LVS_OWNERDATA;
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

LRESULT CKestrinView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        // Only the main window's list takes rows (see the frame's intake note).
        const CWnd* main = AfxGetMainWnd();
        if (!main || ::GetParent(m_hWnd) != main->m_hWnd || AfxGetApp()->IsPrintingOnly())
            return 1;
        return m_capture.OnDebugMessage(static_cast<DWORD>(wParam),
                                        reinterpret_cast<const char*>(lParam));
    }
    if (message >= LVM_FIRST && message < kListMessagesEnd)
        return OnListMessage(message, wParam, lParam);
    if (m_follow.IsOn() && IsPersonsMove(message))
        return PersonActs(message, wParam, lParam);
    return CListView::WindowProc(message, wParam, lParam);
}

void CKestrinView::OnInitialUpdate() {
    CListView::OnInitialUpdate();
    CListCtrl list = GetListCtrl();
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    Default(LVM_SETCALLBACKMASK, LVIS_SELECTED, 0);
    // New and Open update the view again: the header keeps the columns it has.
    if (list.GetHeaderCtrl().GetItemCount() == 0)
        for (int i = 0; i < 4; ++i)
            list.InsertColumn(i, AfxLoadString(kColumns[i].headingId).c_str(), LVCFMT_LEFT,
                              kColumns[i].width);
    m_capture.SetFilter(";", nullptr);
    RestoreFollow();
    RestoreHighlights();
    RestoreTimeFormat();
    m_debugOutput.SetWindow(m_hWnd, kDebugOutputReady);
    RestoreNetworkSources();
}

bool CKestrinView::OnPreparePrinting(CPrintInfo* info) {
    return DoPreparePrinting(info);
}

void CKestrinView::OnFilter() {
    CFilterDlg dialog;
    // The texts grow with the lists, so the dialog always shows them whole.
    m_capture.GetFilterTexts(dialog.m_strInclude, dialog.m_strExclude);
    if (dialog.DoModal() == IDOK)
        m_capture.SetFilter(dialog.m_strInclude.c_str(), dialog.m_strExclude.c_str());
}

void CKestrinView::OnClear() {
    GetListCtrl().DeleteAllItems();
    m_detail.Forget();
    UpdateDetail();
    m_followedTop = 0;
    if (m_follow.IsPaused()) {
        m_follow.Resume();
        ShowIdleText();
    }
}

void CKestrinView::OnCapture() {
    m_capture.SetCapture(!m_capture.IsCapturing());
}

void CKestrinView::OnUpdateCapture(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_capture.IsCapturing() ? 1 : 0);
}

void CKestrinView::OnLogToFile() {
    if (m_output.IsLogging())
        m_output.StopLog();
    else
        m_output.StartLog(Columns(), m_hWnd, kLogFailed);
}

void CKestrinView::OnUpdateLogToFile(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_output.IsLogging() ? 1 : 0);
}

void CKestrinView::Reply() {
    ::ReplyMessage(0);
}

IRowSink::Appended CKestrinView::AppendRow(const DebugRecord& record) {
    if (!m_rows.Append(record)) {
        ++m_nDropped;
        ShowDropped();
        return kNotKept;
    }
    m_output.Logged(m_rows.GetCount() - 1);
    m_shown.Arrived();
    const ULONGLONG now = ::GetTickCount64();
    if (const UINT wait = m_pacing.Arrive(now))
        if (!::SetTimer(m_hWnd, kShowTimer, wait, nullptr))
            m_pacing.TimerFailed();
    return m_pacing.IsDue(now) ? kKeptShowDue : kKept;
}

// Each change of the list's count redraws its scroll bar, which costs milliseconds under Wine:
// the list learns the count of a burst's rows at once, and then paints only what changed.
void CKestrinView::ShowRows() {
    const ULONGLONG start = ::GetTickCount64();
    ::KillTimer(m_hWnd, kShowTimer);
    m_pacing.ShowStarts();
    SyncItemCount();
    FollowNewestRow();
    UpdateDetail();
    ::UpdateWindow(m_hWnd);
    m_pacing.ShowEnded(start, ::GetTickCount64());
    m_finder.RowsShown();
    if (m_shown.GetHiddenCount() != m_nHiddenTold)
        ShowIdleText();
}

LRESULT CKestrinView::OnTimer(WPARAM wParam, LPARAM lParam) {
    if (wParam == kFindTimer)
        return OnFindContinue(0, 0);
    if (wParam != kShowTimer)
        return Default(WM_TIMER, wParam, lParam);
    ShowRows();
    return 0;
}

// F3 before any text was typed opens the find bar for one.
void CKestrinView::FindAgain(bool forward) {
    if (!m_finder.FindAgain(forward))
        ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, ID_EDIT_FIND, 0);
}

LRESULT CKestrinView::OnFindText(WPARAM, LPARAM) {
    m_finder.TextChanged();
    return 0;
}

LRESULT CKestrinView::OnFindContinue(WPARAM, LPARAM) {
    m_finder.Continue();
    return 0;
}

void CKestrinView::ShowDropped() {
    SetIdleText(AfxLoadString(IDS_ROWS_DROPPED) + std::to_string(m_nDropped));
}

void CKestrinView::SetIdleText(const std::string& text) {
    m_strIdleText = text;
    ShowIdleText();
}

void CKestrinView::ShowIdleText() {
    m_nHiddenTold = m_shown.GetHiddenCount();
    ::SendMessageA(::GetParent(m_hWnd), WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE, 0);
}

std::string CKestrinView::GetIdleText() const {
    std::string text = m_strIdleText;
    for (const std::string& more :
         {m_follow.IsPaused() ? AfxLoadString(IDS_FOLLOW_PAUSED) : std::string(), HiddenText(),
          NetworkText()})
        if (!more.empty())
            text += (text.empty() ? "" : "  ") + more;
    return text;
}

// Save and Log to file say so when they fail.
void CKestrinView::OutputFailed(UINT textId, const std::string& path) {
    AfxMessageBox(WithValue(AfxLoadString(textId), path).c_str(), MB_OK);
}

void CKestrinView::OnSaveLog() {
    m_output.Save(Columns());
}

void CKestrinView::OnUpdateEditCopy(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!m_selection.IsEmpty());
}

void CKestrinView::OnEditCopy() {
    if (!m_selection.IsEmpty() && !m_output.Copy(m_selection, Columns(), m_hWnd))
        AfxMessageBox(AfxLoadString(IDS_COPY_FAILED).c_str(), MB_OK);
}

LRESULT CKestrinView::OnLogFailed(WPARAM, LPARAM) {
    m_output.OnLogFailed();
    return 0;
}

LRESULT CKestrinView::OnEndSession(WPARAM, LPARAM) {
    m_output.FlushLog();
    return TRUE;
}

// File Exit and closing the window destroy the view: the log is written whole and closed.
LRESULT CKestrinView::OnDestroy(WPARAM wParam, LPARAM lParam) {
    m_output.CloseLog();
    return Default(WM_DESTROY, wParam, lParam);
}

void CKestrinView::OnCaptureDebugOutput() {
    if (m_debugOutput.IsOn()) {
        m_debugOutput.Stop();
        return;
    }
    const CDebugOutputReader::Result result = m_debugOutput.Start(m_hWnd, kDebugOutputReady);
    if (result != CDebugOutputReader::kStarted)
        SetIdleText(AfxLoadString(result == CDebugOutputReader::kOtherReader
                                      ? IDS_DEBUG_OUTPUT_TAKEN
                                      : IDS_DEBUG_OUTPUT_FAILED));
    else if (m_nDropped)
        ShowDropped();
    else
        SetIdleText("");
}

void CKestrinView::OnUpdateCaptureDebugOutput(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_debugOutput.IsOn() ? 1 : 0);
}

LRESULT CKestrinView::OnDebugOutput(WPARAM, LPARAM) {
    if (const unsigned long long dropped = m_debugOutput.TakeLines()) {
        m_nDropped += dropped;
        ShowDropped();
    }
    return 0;
}
