// CKestrinView: a report list-view window named and classed "Kestrin" that turns messages into
// rows.
#include "KestrinView.h"

#include <algorithm>
#include <vector>

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
// Rows that arrive in a burst are shown together once this long has passed; during a flood,
// which starves timers, they are shown from the intake at least this often.
const UINT_PTR kShowTimer = 0x4B52;
const UINT kShowDelayMs = 50;
const ULONGLONG kLongestWaitMs = 120;
// Save hands the file this much at a time.
const size_t kSaveChunkBytes = 64 * 1024;

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
    MapCommand(ID_FILE_PRINT, &CView::OnFilePrint),
    MapCommand(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect),
    MapCommand(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview),
    MapMessage(WM_TIMER, &CKestrinView::OnTimer),
    MapMessage(LVM_DELETEALLITEMS, &CKestrinView::OnDeleteAllItems),
};
const MessageMap CKestrinView::messageMap(&CView::messageMap, CKestrinView::messageEntries);

const MessageMap* CKestrinView::GetMessageMap() const {
    return &messageMap;
}

CKestrinView::CKestrinView() : m_capture(m_processes, *this, *this) {}

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

int CKestrinView::OnCreate(CREATESTRUCTA* cs) {
    return CListView::OnCreate(cs) == -1 ? -1 : 0;
}

LRESULT CKestrinView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        // Only the main window's list shows rows: not one that start-up is still opening (and
        // drops when its file cannot be opened), nor one that runs only to print. The client is
        // told that its message was not taken.
        const CWnd* main = AfxGetMainWnd();
        if (!main || ::GetParent(m_hWnd) != main->m_hWnd || AfxGetApp()->IsPrintingOnly())
            return 1;
        return m_capture.OnDebugMessage(static_cast<DWORD>(wParam),
                                        reinterpret_cast<const char*>(lParam));
    }
    // Whoever asks the list anything finds every row in it, shown yet or not.
    if (message >= LVM_FIRST && message < LVM_FIRST + 0x100 && message != LVM_SETITEMCOUNT)
        SyncItemCount();
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

void CKestrinView::OnDraw(HDC) {}

bool CKestrinView::OnPreparePrinting(CPrintInfo* info) {
    return DoPreparePrinting(info);
}

void CKestrinView::OnBeginPrinting(HDC, CPrintInfo*) {}

void CKestrinView::OnEndPrinting(HDC, CPrintInfo*) {}

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

void CKestrinView::Reply() {
    ::ReplyMessage(0);
}

bool CKestrinView::AppendRow(const DebugRecord& record) {
    if (!m_rows.Append(record)) {
        ++m_nDropped;
        ShowDropped();
        return false;
    }
    if (!m_bShowPending) {
        m_bShowPending = true;
        m_pendingSince = ::GetTickCount64();
        // Without the timer nothing would show a burst's last rows: show them as they come.
        if (!::SetTimer(m_hWnd, kShowTimer, kShowDelayMs, nullptr))
            m_pendingSince = 0;
    }
    if (::GetTickCount64() - m_pendingSince >= kLongestWaitMs) {
        // Showing takes milliseconds: the client does not wait for it.
        Reply();
        ShowRows();
    }
    return true;
}

// Each change of the list's count redraws its scroll bar, which costs milliseconds under Wine:
// the list learns the count of a burst's rows at once, and then paints only what changed.
void CKestrinView::ShowRows() {
    ::KillTimer(m_hWnd, kShowTimer);
    m_bShowPending = false;
    SyncItemCount();
    ::UpdateWindow(m_hWnd);
}

void CKestrinView::SyncItemCount() {
    const WPARAM count = m_rows.GetCount();
    if (static_cast<WPARAM>(Default(LVM_GETITEMCOUNT, 0, 0)) != count)
        Default(LVM_SETITEMCOUNT, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

LRESULT CKestrinView::OnTimer(WPARAM wParam, LPARAM lParam) {
    if (wParam != kShowTimer)
        return Default(WM_TIMER, wParam, lParam);
    ShowRows();
    return 0;
}

// Whoever empties the list empties the store with it.
LRESULT CKestrinView::OnDeleteAllItems(WPARAM wParam, LPARAM lParam) {
    m_rows.Clear();
    return Default(LVM_DELETEALLITEMS, wParam, lParam);
}

bool CKestrinView::OnChildNotify(NMHDR* header, LRESULT* result) {
    if (header->code != LVN_GETDISPINFOA)
        return false;
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        // The count may have been changed from outside: a row the store lacks is empty.
        RowCells scratch;
        const bool stored = item.iItem >= 0 && static_cast<size_t>(item.iItem) < m_rows.GetCount();
        ::lstrcpynA(item.pszText,
                    stored ? m_rows.GetCellText(item.iItem, item.iSubItem, scratch) : "",
                    item.cchTextMax);
    }
    *result = 0;
    return true;
}

void CKestrinView::ShowDropped() {
    if (CMainFrame* frame = MainFrame())
        frame->SetIdleText((AfxLoadString(IDS_ROWS_DROPPED) + std::to_string(m_nDropped)).c_str());
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

    // Rows are formatted from the store straight into large writes.
    const int columns = std::max(0, GetListCtrl().GetHeaderCtrl().GetItemCount());
    std::vector<char> chunk(kSaveChunkBytes);
    bool written = true;
    for (size_t row = 0; row < m_rows.GetCount() && written;) {
        size_t used = 0;
        const size_t lines = m_rows.FormatLines(row, columns, chunk.data(), chunk.size(), used);
        // A line longer than the chunk (a header of very many columns) gets a larger one.
        if (lines == 0) {
            chunk.resize(chunk.size() * 2);
            continue;
        }
        written = file.Write(chunk.data(), static_cast<DWORD>(used));
        row += lines;
    }
    // The file is replaced: nothing of an earlier, longer save stays behind the new rows.
    if (!written || !file.SetEndHere())
        AfxMessageBox(WithPath(kWriteFailed, m_strLogPath).c_str(), MB_OK);
}
