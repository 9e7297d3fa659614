// Save writes the store to a file, Copy the selected runs to the clipboard, and the log each new
// row through its writer thread; the file dialogs ask for the path they share.
#include "RowOutput.h"

#include <climits>
#include <cstring>
#include <thread>

#include "Clipboard.h"
#include "File.h"
#include "FileDialog.h"
#include "LineWriter.h"
#include "Strings.h"
#include "ThreadEdge.h"
#include "resource.h"

namespace {
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
} // namespace

bool CRowOutput::AskPath(bool forLog) {
    if (!m_strPath.empty() && !m_bPathFailed)
        return true;
    // The log adds to the end of a file that exists: there is nothing to ask about replacing.
    CFileDialog dialog(false, m_strPath.c_str(),
                       OFN_HIDEREADONLY | (forLog ? 0 : OFN_OVERWRITEPROMPT));
    if (forLog)
        dialog.Customize(AfxLoadString(IDS_LOG_FILE_TITLE), IDD_LOG_FILE);
    if (dialog.DoModal() != IDOK)
        return false;
    m_strPath = dialog.GetPathName();
    m_bPathFailed = false;
    return true;
}

// A path that failed is not kept for good: the next Save or Log to file asks again.
void CRowOutput::PathFailed(UINT textId, const std::string& path) {
    m_bPathFailed = true;
    m_failed.OutputFailed(textId, path);
}

void CRowOutput::Save(int columns) {
    const bool logging = m_log != nullptr;
    m_log.reset();
    SaveFile(columns);
    if (logging)
        OpenLog(columns);
}

void CRowOutput::SaveFile(int columns) {
    // Cancelled, the dialog leaves no path, and the open fails on it.
    const std::string path = AskPath(false) ? m_strPath : std::string();
    if (!CFile::GetStatus(path.c_str())) {
        CFile created;
        created.Open(path.c_str(), CFile::modeCreate);
    }
    // Programs that read the log (tail -f, an editor) go on reading; one that writes it refuses.
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeWrite | CFile::shareDenyWrite)) {
        PathFailed(IDS_OPEN_FILE_FAILED, path);
        return;
    }

    CFileSink sink(file);
    CLineWriter lines(m_rows, columns, sink);
    bool written = true;
    m_shown.ForEachStoreRun(0, m_shown.GetCount(), [&](size_t, size_t first, size_t end) {
        return written = lines.Write(first, end);
    });
    // The file is replaced: nothing of an earlier, longer save stays behind the new rows.
    if (!written || !file.SetEndHere())
        PathFailed(IDS_WRITE_FILE_FAILED, path);
}

// The text is written into the clipboard's block run by run, as Save writes its file.
bool CRowOutput::Copy(const CRowSelection& selection, int columns, HWND owner) {
    size_t length = 0;
    selection.ForEachRun([&](size_t first, size_t last) {
        m_shown.ForEachStoreRun(first, last + 1, [&](size_t, size_t storeFirst, size_t storeEnd) {
            length += m_rows.LinesLength(storeFirst, storeEnd, columns);
            return true;
        });
    });
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
    selection.ForEachRun([&](size_t first, size_t last) {
        m_shown.ForEachStoreRun(first, last + 1, [&](size_t, size_t storeFirst, size_t storeEnd) {
            return whole = whole && lines.Write(storeFirst, storeEnd);
        });
    });
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
    CClipboard clipboard(owner);
    return clipboard.Put({{CF_TEXT, &text}, {CF_LOCALE, &locale}});
}

void CRowOutput::StartLog(int columns, HWND window, UINT failed) {
    m_logWindow = window;
    m_logFailed = failed;
    if (AskPath(true))
        OpenLog(columns);
}

void CRowOutput::OpenLog(int columns) {
    auto log = std::make_unique<CLogFile>();
    if (log->Open(m_strPath, m_logWindow, m_logFailed)) {
        m_log = std::move(log);
        m_nLogColumns = columns;
    } else
        PathFailed(IDS_OPEN_FILE_FAILED, m_strPath);
}

void CRowOutput::LogRow(size_t row) {
    m_logLine.resize(CRowStore::LineRoom(m_nLogColumns));
    size_t used = 0;
    m_rows.FormatLines(row, m_nLogColumns, m_logLine.data(), m_logLine.size(), used);
    m_log->Add(m_logLine.data(), used);
}

void CRowOutput::StopLog() {
    // A failed log writes nothing more, but its writer may still wait on a stalled disk: it is
    // closed on a thread of its own, which the window does not wait for (or here, when no thread
    // can start: the log is gone with the lambda that could not run).
    const bool written = !m_log->Failed() && m_log->Flush();
    if (written)
        m_log.reset();
    else
        CatchAtEdge([this] { std::thread([log = std::move(m_log)] {}).detach(); }, [] {});
    if (!written)
        PathFailed(IDS_LOG_FAILED, m_strPath);
}
