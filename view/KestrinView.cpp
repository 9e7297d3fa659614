// CKestrinView: a report list-view window named and classed "Kestrin" that turns messages into
// rows.
#include "KestrinView.h"

#include <windowsx.h>

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

// Posted by the reader thread once for each batch of lines.
const UINT kDebugOutputReady = WM_APP + 1;
// A batch's memory is kept for the next one up to this size.
const size_t kKeptBatchBytes = 1u << 20;

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
    MapCommand(ID_CAPTURE_DEBUG_OUTPUT, &CKestrinView::OnCaptureDebugOutput),
    MapUpdate(ID_CAPTURE_DEBUG_OUTPUT, &CKestrinView::OnUpdateCaptureDebugOutput),
    MapMessage(kDebugOutputReady, &CKestrinView::OnDebugOutput),
    MapCommand(ID_FILE_PRINT, &CView::OnFilePrint),
    MapCommand(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect),
    MapCommand(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview),
    MapMessage(WM_TIMER, &CKestrinView::OnTimer),
    MapMessage(LVM_DELETEALLITEMS, &CKestrinView::OnDeleteAllItems),
    MapMessage(WM_KEYDOWN, &CKestrinView::OnKeyDown),
    MapMessage(WM_LBUTTONDOWN, &CKestrinView::OnLButtonDown),
    MapMessage(WM_LBUTTONDBLCLK, &CKestrinView::OnLButtonDown),
    MapMessage(WM_RBUTTONDOWN, &CKestrinView::OnRButtonDown),
    // Typing finds no row: the list would ask for one by its text, which the view does not offer.
    MapMessage(WM_CHAR, &CKestrinView::OnChar),
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
    switch (message) {
    case LVM_GETSELECTEDCOUNT:
        return m_selection.GetCount();
    case LVM_GETNEXTITEM:
        if (LOWORD(lParam) == LVNI_SELECTED)
            return m_selection.GetNext(static_cast<int>(wParam));
        break;
    case LVM_SETITEMSTATE:
        if (!lParam)
            break;
        return SetItemState(static_cast<int>(wParam), *reinterpret_cast<const LVITEMA*>(lParam));
    }
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
    m_debugLines.SetCapture(m_capture.m_bCapture);
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
    m_selection.Clear();
    return Default(LVM_DELETEALLITEMS, wParam, lParam);
}

bool CKestrinView::OnChildNotify(NMHDR* header, LRESULT* result) {
    if (header->code != LVN_GETDISPINFOA)
        return false;
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
    if ((item.mask & LVIF_STATE) && (item.stateMask & LVIS_SELECTED) &&
        m_selection.IsSelected(item.iItem))
        item.state |= LVIS_SELECTED;
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

LRESULT CKestrinView::SetItemState(int row, const LVITEMA& item) {
    if (item.stateMask & LVIS_SELECTED) {
        const bool selected = item.state & LVIS_SELECTED;
        if (row == -1 && selected)
            m_selection.SelectOnly(0, static_cast<int>(m_rows.GetCount()) - 1);
        else if (row == -1)
            m_selection.Clear();
        else if (row < static_cast<int>(m_rows.GetCount()))
            m_selection.Set(row, selected);
        else
            return FALSE;
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    LVITEMA rest = item;
    rest.stateMask &= ~LVIS_SELECTED;
    return !rest.stateMask ||
           Default(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rest));
}

void CKestrinView::MoveTo(int row, bool extend) {
    int mark = static_cast<int>(Default(LVM_GETSELECTIONMARK, 0, 0));
    if (!extend || mark < 0)
        mark = row;
    m_selection.SelectOnly(mark, row);
    Default(LVM_SETSELECTIONMARK, 0, mark);
    FocusRow(row);
}

void CKestrinView::ToggleRow(int row) {
    m_selection.Set(row, !m_selection.IsSelected(row));
    Default(LVM_SETSELECTIONMARK, 0, row);
    FocusRow(row);
}

void CKestrinView::FocusRow(int row) {
    LVITEMA focus = {};
    focus.state = focus.stateMask = LVIS_FOCUSED;
    Default(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&focus));
    Default(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

// The keys that move the focus: with Shift they select from the mark, with Ctrl they only move
// the focus, alone they select the row they reach. Space selects the focused row (Ctrl: toggles).
LRESULT CKestrinView::OnKeyDown(WPARAM key, LPARAM lParam) {
    const int count = static_cast<int>(m_rows.GetCount());
    const int focus = FocusedRow();
    const int page = std::max(1, static_cast<int>(Default(LVM_GETCOUNTPERPAGE, 0, 0)));
    int row;
    switch (key) {
    case VK_HOME:
        row = 0;
        break;
    case VK_END:
        row = count - 1;
        break;
    case VK_UP:
        row = focus - 1;
        break;
    case VK_DOWN:
        row = focus + 1;
        break;
    case VK_PRIOR:
        row = focus - page;
        break;
    case VK_NEXT:
        row = focus + page;
        break;
    case VK_SPACE:
        row = focus;
        break;
    default:
        return Default(WM_KEYDOWN, key, lParam);
    }
    if (count == 0 || (key == VK_SPACE && focus < 0))
        return 0;
    row = std::clamp(row, 0, count - 1);
    const bool shift = ::GetKeyState(VK_SHIFT) < 0, control = ::GetKeyState(VK_CONTROL) < 0;
    if (key == VK_SPACE && control && !shift)
        ToggleRow(row);
    else if (control && !shift)
        FocusRow(row);
    else
        MoveTo(row, shift);
    return 0;
}

// A click selects its row, with Shift from the mark, with Ctrl toggles it; a click beside the
// rows clears the selection.
LRESULT CKestrinView::OnLButtonDown(WPARAM flags, LPARAM point) {
    ::SetFocus(m_hWnd);
    const int row = RowAt(point);
    if (row < 0) {
        if (!(flags & (MK_SHIFT | MK_CONTROL)))
            m_selection.Clear();
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    } else if ((flags & MK_CONTROL) && !(flags & MK_SHIFT))
        ToggleRow(row);
    else
        MoveTo(row, flags & MK_SHIFT);
    return 0;
}

// A right click on a row outside the selection selects it alone.
LRESULT CKestrinView::OnRButtonDown(WPARAM flags, LPARAM point) {
    const int row = RowAt(point);
    if (row >= 0 && !m_selection.IsSelected(row))
        OnLButtonDown(flags & ~(MK_SHIFT | MK_CONTROL), point);
    return 0;
}

int CKestrinView::RowAt(LPARAM point) {
    LVHITTESTINFO hit = {};
    hit.pt = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    const int row =
        static_cast<int>(Default(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return row < static_cast<int>(m_rows.GetCount()) ? row : -1;
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

void CKestrinView::OnCaptureDebugOutput() {
    CMainFrame* frame = MainFrame();
    const bool on = !m_debugReader;
    m_debugReader.reset();
    if (on) {
        auto reader = std::make_unique<CDebugOutputReader>(m_debugLines, m_hWnd, kDebugOutputReady);
        const CDebugOutputReader::Result result = reader->Start();
        if (result != CDebugOutputReader::kStarted) {
            // Left off, and remembered as the user wanted it.
            if (frame)
                frame->SetIdleText(AfxLoadString(result == CDebugOutputReader::kOtherReader
                                                     ? IDS_DEBUG_OUTPUT_TAKEN
                                                     : IDS_DEBUG_OUTPUT_FAILED)
                                       .c_str());
            return;
        }
        m_debugReader = std::move(reader);
        if (m_nDropped)
            ShowDropped();
        else if (frame)
            frame->SetIdleText("");
    }
    AfxGetApp()->WriteProfileInt(kSettingsSection, kCaptureDebugOutputEntry, on ? 1 : 0);
}

void CKestrinView::OnUpdateCaptureDebugOutput(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_debugReader ? 1 : 0);
}

// Each line of a text becomes a row as an intake message would, stamped when it was read.
LRESULT CKestrinView::OnDebugOutput(WPARAM, LPARAM) {
    m_debugLines.TakeAll(m_debugBatch);
    for (const DebugLine& line : m_debugBatch.lines)
        ForEachLine(&m_debugBatch.texts[line.offset], line.length, [&](const char* text) {
            m_capture.OnDebugOutput(line.dwProcessId, text, line.stTime);
        });
    if (m_debugBatch.dropped) {
        m_nDropped += m_debugBatch.dropped;
        ShowDropped();
    }
    if (m_debugBatch.texts.capacity() > kKeptBatchBytes)
        m_debugBatch = CDebugLineQueue::Batch();
    return 0;
}
