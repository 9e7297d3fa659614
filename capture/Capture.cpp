// The capture pipeline: one received message to one row of the log list.
#include "Capture.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Copies as much of source as fits into dest without splitting a double-byte character.
template <size_t N>
void CopyFitting(const CLeadBytes& codePage, char (&dest)[N], const char* source) {
    size_t length = codePage.FitLength(source, strlen(source), N - 1);
    memcpy(dest, source, length);
    dest[length] = '\0';
}

} // namespace

void FormatRowCells(const DebugRecord& record, RowCells& cells) {
    // "%ld" of a 32-bit long, as on Windows: ids from 2^31 up print negative.
    long pid = static_cast<int32_t>(record.dwProcessId);
    snprintf(cells.szPid, sizeof cells.szPid, "%ld", pid);
    const SYSTEMTIME& time = record.stTime;
    snprintf(cells.szTime, sizeof cells.szTime, "%02d:%02d:%02d:%02d", time.wHour, time.wMinute,
             time.wSecond, time.wMilliseconds);
}

void AppendRow(IRowSink& rows, const DebugRecord& record) {
    RowCells cells;
    FormatRowCells(record, cells);
    int n = rows.GetItemCount();
    rows.InsertItem(n, record.szProcessName);
    rows.SetItemText(n, 1, cells.szPid);
    rows.SetItemText(n, 2, cells.szTime);
    rows.SetItemText(n, 3, record.szMsg);
}

CCapture::CCapture(IProcessSource& processes, IRowSink& rows, IClock& clock,
                   const CLeadBytes& codePage)
    : m_procNames(processes), m_filter(codePage), m_rows(rows), m_clock(clock),
      m_codePage(codePage) {}

long CCapture::OnDebugMessage(DWORD processId, const char* text) {
    if (!m_bCapture)
        return 0;
    if (!text)
        text = "";

    DebugRecord record = {};
    char name[128] = {};
    if (processId != 0)
        m_procNames.Lookup(processId, name);
    record.dwProcessId = processId;
    m_clock.Now(record.stTime);
    CopyFitting(m_codePage, record.szProcessName, name);
    CopyFitting(m_codePage, record.szMsg, text);

    // The filter sees the text as received, not the cut copy.
    if (m_filter.Match(text))
        AppendRow(m_rows, record);
    return 0;
}
