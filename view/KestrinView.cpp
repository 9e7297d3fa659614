// CKestrinView: a report list-view window named and classed "Kestrin" that turns messages into
// rows.
#include "KestrinView.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <thread>
#include <vector>

#include "Clipboard.h"
#include "CmdUI.h"
#include "File.h"
#include "FileDialog.h"
#include "FilterDlg.h"
#include "LineWriter.h"
#include "RowKeys.h"
#include "ThreadEdge.h"
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

// The message format textId with the path in place of %s; the path is never a format.
std::string WithPath(UINT textId, const std::string& path) {
    std::string text = AfxLoadString(textId);
    return text.replace(text.find("%s"), 2, path);
}

// Save's file, which holds what it was given whole or says it failed.
class CFileSink : public ILogSink {
public:
    explicit CFileSink(CFile& file) : m_file(file) {}
    bool Write(const char* data, size_t size) override { return m_file.Write(data, size); }

private:
    CFile& m_file;
};

// Copy's block, sized beforehand: a line that would not fit is refused, never written past it.
class CBlockSink : public ILogSink {
public:
    CBlockSink(char* block, size_t room) : m_block(block), m_room(room) {}
    bool Write(const char* data, size_t size) override {
        if (size > m_room - m_used)
            return false;
        memcpy(m_block + m_used, data, size);
        m_used += size;
        return true;
    }
    bool Full() const { return m_used == m_room; }

private:
    char* m_block;
    size_t m_room;
    size_t m_used = 0;
};

struct KeyOfRow {
    WPARAM key;
    RowKey rowKey;
};
const KeyOfRow kRowKeys[] = {
    {VK_HOME, RowKey::kHome},   {VK_END, RowKey::kEnd},      {VK_UP, RowKey::kUp},
    {VK_DOWN, RowKey::kDown},   {VK_PRIOR, RowKey::kPageUp}, {VK_NEXT, RowKey::kPageDown},
    {VK_SPACE, RowKey::kSpace},
};

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
    MapCommand(ID_FILE_PRINT, &CView::OnFilePrint),
    MapCommand(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect),
    MapCommand(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview),
    MapMessage(WM_TIMER, &CKestrinView::OnTimer),
    MapMessage(LVM_DELETEALLITEMS, &CKestrinView::OnDeleteAllItems),
    MapMessage(WM_KEYDOWN, &CKestrinView::OnKeyDown),
    MapMessage(WM_LBUTTONDOWN, &CKestrinView::OnLButtonDown),
    MapMessage(WM_LBUTTONDBLCLK, &CKestrinView::OnLButtonDown),
    MapMessage(WM_RBUTTONDOWN, &CKestrinView::OnRButtonDown),
    // Typing finds no row: the list would ask for one by its text, which the view does not
    // offer.
    MapMessage(WM_CHAR, &CKestrinView::OnChar),
};

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

LRESULT CKestrinView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        // Only the main window's list takes rows (see the frame's intake note).
        const CWnd* main = AfxGetMainWnd();
        if (!main || ::GetParent(m_hWnd) != main->m_hWnd || AfxGetApp()->IsPrintingOnly())
            return 1;
        return m_capture.OnDebugMessage(static_cast<DWORD>(wParam),
                                        reinterpret_cast<const char*>(lParam));
    }
    // Whoever asks the list anything finds every row in it, shown yet or not.
    if (message >= LVM_FIRST && message < kListMessagesEnd && message != LVM_SETITEMCOUNT)
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
            list.InsertColumn(i, AfxLoadString(kColumns[i].headingId).c_str(), LVCFMT_LEFT,
                              kColumns[i].width);
    m_capture.SetFilter(";", nullptr);
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
}

void CKestrinView::OnCapture() {
    m_capture.SetCapture(!m_capture.IsCapturing());
}

void CKestrinView::OnUpdateCapture(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_capture.IsCapturing() ? 1 : 0);
}

void CKestrinView::OnLogToFile() {
    if (m_log)
        CloseLog();
    else if (AskLogPath(true))
        OpenLog();
}

void CKestrinView::OnUpdateLogToFile(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_log ? 1 : 0);
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
    if (m_log)
        LogRow(m_rows.GetCount() - 1);
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
    ::UpdateWindow(m_hWnd);
    m_pacing.ShowEnded(start, ::GetTickCount64());
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
    // -1 is every row.
    if (row < -1 || row >= static_cast<int>(m_rows.GetCount()))
        return FALSE;
    if (item.stateMask & LVIS_SELECTED) {
        const bool selected = item.state & LVIS_SELECTED;
        if (row == -1 && selected)
            m_selection.SelectOnly(0, static_cast<int>(m_rows.GetCount()) - 1);
        else if (row == -1)
            m_selection.Clear();
        else
            m_selection.Set(row, selected);
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
// the focus, alone they select the row they reach. Space selects the focused row (Ctrl: toggles);
// Ctrl+A selects every row.
LRESULT CKestrinView::OnKeyDown(WPARAM key, LPARAM lParam) {
    if (key == 'A' && ::GetKeyState(VK_CONTROL) < 0)
        return SelectAll();
    const auto* rowKey = std::find_if(std::begin(kRowKeys), std::end(kRowKeys),
                                      [key](const KeyOfRow& known) { return known.key == key; });
    if (rowKey == std::end(kRowKeys))
        return Default(WM_KEYDOWN, key, lParam);
    // Only rows the list counts can take the focus and show: it learns of new ones as they show.
    const int count = std::min(static_cast<int>(Default(LVM_GETITEMCOUNT, 0, 0)),
                               static_cast<int>(m_rows.GetCount()));
    const int row = RowForKey(rowKey->rowKey, FocusedRow(), count,
                              static_cast<int>(Default(LVM_GETCOUNTPERPAGE, 0, 0)));
    if (row < 0)
        return 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0, control = ::GetKeyState(VK_CONTROL) < 0;
    if (rowKey->rowKey == RowKey::kSpace && control && !shift)
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
    hit.pt = PointFromLParam(point);
    const int row =
        static_cast<int>(Default(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return row < static_cast<int>(m_rows.GetCount()) ? row : -1;
}

void CKestrinView::ShowDropped() {
    SetIdleText(AfxLoadString(IDS_ROWS_DROPPED) + std::to_string(m_nDropped));
}

void CKestrinView::SetIdleText(const std::string& text) {
    m_strIdleText = text;
    ::SendMessageA(::GetParent(m_hWnd), WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE, 0);
}

bool CKestrinView::AskLogPath(bool forLog) {
    if (!m_strLogPath.empty() && !m_bLogPathFailed)
        return true;
    // The log adds to the end of a file that exists: there is nothing to ask about replacing.
    CFileDialog dialog(false, m_strLogPath.c_str(),
                       OFN_HIDEREADONLY | (forLog ? 0 : OFN_OVERWRITEPROMPT));
    if (forLog)
        dialog.Customize(AfxLoadString(IDS_LOG_FILE_TITLE), IDD_LOG_FILE);
    if (dialog.DoModal() != IDOK)
        return false;
    m_strLogPath = dialog.GetPathName();
    m_bLogPathFailed = false;
    return true;
}

// A path that failed is not kept for good: the next Save or Log to file asks again.
void CKestrinView::LogPathFailed(UINT textId, const std::string& path) {
    m_bLogPathFailed = true;
    AfxMessageBox(WithPath(textId, path).c_str(), MB_OK);
}

// Save replaces the file the log appends to: the log lets it go and, once every row is saved,
// appends the rows that come after them.
void CKestrinView::OnSaveLog() {
    const bool logging = m_log != nullptr;
    m_log.reset();
    SaveLog();
    if (logging)
        OpenLog();
}

void CKestrinView::SaveLog() {
    // Cancelled, the dialog leaves no path, and the open fails on it.
    const std::string path = AskLogPath(false) ? m_strLogPath : std::string();
    if (!CFile::GetStatus(path.c_str())) {
        CFile created;
        created.Open(path.c_str(), CFile::modeCreate);
    }
    // Programs that read the log (tail -f, an editor) go on reading; one that writes it refuses.
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeWrite | CFile::shareDenyWrite)) {
        LogPathFailed(IDS_OPEN_FILE_FAILED, path);
        return;
    }

    CFileSink sink(file);
    CLineWriter lines(m_rows, GetListCtrl().GetHeaderCtrl().GetItemCount(), sink);
    const bool written = lines.Write(0, m_rows.GetCount());
    // The file is replaced: nothing of an earlier, longer save stays behind the new rows.
    if (!written || !file.SetEndHere())
        LogPathFailed(IDS_WRITE_FILE_FAILED, path);
}

LRESULT CKestrinView::SelectAll() {
    LVITEMA all = {};
    all.state = all.stateMask = LVIS_SELECTED;
    SetItemState(-1, all);
    return 0;
}

void CKestrinView::OnUpdateEditCopy(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!m_selection.IsEmpty());
}

void CKestrinView::OnEditCopy() {
    if (!m_selection.IsEmpty() && !CopySelection())
        AfxMessageBox(AfxLoadString(IDS_COPY_FAILED).c_str(), MB_OK);
}

// The text is written into the clipboard's block run by run, as Save writes its file.
bool CKestrinView::CopySelection() {
    const int columns = std::max(0, GetListCtrl().GetHeaderCtrl().GetItemCount());
    size_t length = 0;
    m_selection.ForEachRun(
        [&](size_t first, size_t last) { length += m_rows.LinesLength(first, last + 1, columns); });
    // The conversion counts in ints.
    if (length >= INT_MAX)
        return false;
    CGlobalMemory text(::GlobalAlloc(GMEM_MOVEABLE, length + 1));
    char* out = text ? static_cast<char*>(::GlobalLock(text.Get())) : nullptr;
    if (!out)
        return false;
    CBlockSink sink(out, length);
    CLineWriter lines(m_rows, columns, sink);
    bool whole = true;
    m_selection.ForEachRun(
        [&](size_t first, size_t last) { whole = whole && lines.Write(first, last + 1); });
    out[length] = '\0';
    ::GlobalUnlock(text.Get());
    if (!whole || !sink.Full())
        return false;
    // The system converts the text for those who ask for UTF-16, in the code page of the locale
    // given with it: ours, whose ANSI code page the text is in.
    CGlobalMemory locale(::GlobalAlloc(GMEM_MOVEABLE, sizeof(LCID)));
    auto* lcid = locale ? static_cast<LCID*>(::GlobalLock(locale.Get())) : nullptr;
    if (!lcid)
        return false;
    *lcid = ::GetSystemDefaultLCID();
    ::GlobalUnlock(locale.Get());
    CClipboard clipboard(m_hWnd);
    return clipboard.Put({{CF_TEXT, &text}, {CF_LOCALE, &locale}});
}

void CKestrinView::OpenLog() {
    auto log = std::make_unique<CLogFile>();
    if (log->Open(m_strLogPath, m_hWnd, kLogFailed)) {
        m_log = std::move(log);
        m_nLogColumns = std::max(0, GetListCtrl().GetHeaderCtrl().GetItemCount());
    } else
        LogPathFailed(IDS_OPEN_FILE_FAILED, m_strLogPath);
}

// The row's line as Save writes it; the writer thread takes it from memory, so the client's
// wait stays free of the disk.
void CKestrinView::LogRow(size_t row) {
    m_logLine.resize(CRowStore::LineRoom(m_nLogColumns));
    size_t used = 0;
    m_rows.FormatLines(row, m_nLogColumns, m_logLine.data(), m_logLine.size(), used);
    m_log->Add(m_logLine.data(), used);
}

void CKestrinView::CloseLog() {
    // A failed log writes nothing more, but its writer may still wait on a stalled disk: it is
    // closed on a thread of its own, which the window does not wait for (or here, when no thread
    // can start: the log is gone with the lambda that could not run).
    const bool written = !m_log->Failed() && m_log->Flush();
    if (written)
        m_log.reset();
    else
        CatchAtEdge([this] { std::thread([log = std::move(m_log)] {}).detach(); }, [] {});
    if (!written)
        LogPathFailed(IDS_LOG_FAILED, m_strLogPath);
}

// A posted copy from elsewhere finds the log writing and changes nothing.
LRESULT CKestrinView::OnLogFailed(WPARAM, LPARAM) {
    if (m_log && m_log->Failed())
        CloseLog();
    return 0;
}

// The session may end without the windows being destroyed: every row goes to the file first.
LRESULT CKestrinView::OnEndSession(WPARAM, LPARAM) {
    if (m_log)
        m_log->Flush();
    return TRUE;
}

// File Exit and closing the window destroy the view: the log is written whole and closed.
LRESULT CKestrinView::OnDestroy(WPARAM wParam, LPARAM lParam) {
    m_log.reset();
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
