// CRowOutput: the ways rows leave Kestrin: Save's file, the clipboard and the log file.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "LogFile.h"
#include "RowSelection.h"
#include "ShownRows.h"

// Where failures are told: the window, which shows them in a box.
class IOutputFailed {
public:
    // The message is string textId with path in place of its %s.
    virtual void OutputFailed(UINT textId, const std::string& path) = 0;

protected:
    ~IOutputFailed() = default;
};

// Save, Copy and Log to file, each row as a line of columns cells. Save and the log share one
// path, asked for the first time and after a failure on it, the dialog then starting from the
// failed path.
class CRowOutput {
public:
    CRowOutput(const CShownRows& shown, IOutputFailed& failed)
        : m_rows(shown.Store()), m_shown(shown), m_failed(failed) {}

    // Every shown row to the file, replacing it. The log lets it go meanwhile and, once every row
    // is saved, appends the rows that come after them.
    void Save(int columns);
    // The selected list rows as Save's lines, as ANSI text and as UTF-16 converted from it, on the
    // clipboard; false, with the clipboard as it was, when it is held or memory runs out.
    bool Copy(const CRowSelection& selection, int columns, HWND owner);

    // Log to file: rows added from now on go to the file, hidden or not. Its writer posts failed to
    // window when a write failed, which OnLogFailed takes.
    void StartLog(int columns, HWND window, UINT failed);
    // Writes what is pending and closes the file; tells when not every row reached it.
    void StopLog();
    bool IsLogging() const { return m_log != nullptr; }
    // The row just added, as its line; the writer thread takes it from memory, so the client's
    // wait stays free of the disk.
    void Logged(size_t row) {
        if (m_log)
            LogRow(row);
    }
    // A posted copy from elsewhere finds the log writing and changes nothing.
    void OnLogFailed() {
        if (m_log && m_log->Failed())
            StopLog();
    }
    // The session may end without the windows being destroyed: every row goes to the file.
    void FlushLog() {
        if (m_log)
            m_log->Flush();
    }
    // Writes every row and closes the file.
    void CloseLog() { m_log.reset(); }

private:
    // False when the dialog was cancelled.
    bool AskPath(bool forLog);
    void PathFailed(UINT textId, const std::string& path);
    void SaveFile(int columns);
    void OpenLog(int columns);
    void LogRow(size_t row);

    const CRowStore& m_rows;
    const CShownRows& m_shown;
    IOutputFailed& m_failed;
    std::string m_strPath;
    bool m_bPathFailed = false;      // so the next Save or Log to file asks again
    std::unique_ptr<CLogFile> m_log; // while Log to file is on
    int m_nLogColumns = 0;
    HWND m_logWindow = nullptr;
    UINT m_logFailed = 0;
    std::vector<char> m_logLine;
};
