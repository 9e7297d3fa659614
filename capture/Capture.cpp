// The capture pipeline: one received message to one row of the log list.
#include "Capture.h"

#include <cstring>

namespace {

// Copies as much of source as fits into dest without splitting a double-byte character.
template <size_t N>
void CopyFitting(const CLeadBytes& codePage, char (&dest)[N], const char* source) {
    size_t length = strnlen(source, N);
    if (length == N)
        length = codePage.FitLength(source, length, N - 1);
    memcpy(dest, source, length);
    dest[length] = '\0';
}

} // namespace

CCapture::CCapture(IProcessSource& processes, IRowSink& rows, ISender& sender, IClock& clock,
                   const CLeadBytes& codePage)
    : m_procNames(processes), m_rows(rows), m_sender(sender), m_clock(clock), m_codePage(codePage),
      m_filter(codePage) {}

long CCapture::OnDebugMessage(DWORD processId, const char* text) {
    return Take(processId, text, nullptr, "");
}

long CCapture::OnDebugOutput(DWORD processId, const char* text, uint64_t time, const char* name,
                             bool network, const char* detail) {
    return Take(processId, text, &time, name, network, detail);
}

long CCapture::Take(DWORD processId, const char* text, const uint64_t* time, const char* readName,
                    bool network, const char* detail) {
    if (!m_bCapture)
        return 0;
    if (!text)
        text = "";

    DebugRecord record = {};
    record.dwProcessId = processId;
    // A row keeps its first kMaxRowText bytes, whole characters only, and counts the rest.
    const size_t length = strlen(text);
    record.pszMsg = text;
    record.pszDetail = detail;
    record.cbMsg = length > kMaxRowText ? m_codePage.FitLength(text, length, kMaxRowText) : length;
    record.cbLeftOut = length - record.cbMsg;
    // The filter sees the text as received, not the kept part.
    const bool shown = m_filter.Match(text);

    // The sender waits while its name is read, so one that exits right after its send is named.
    // A writer's name read with its line is newer than a cached one, which an id reused since
    // would show; the cache keeps it for lines read once the writer had ended.
    char name[128] = {};
    bool missed = false;
    if (network)
        strncpy(name, readName, sizeof name - 1);
    else if (processId != 0 && *readName) {
        strncpy(name, readName, sizeof name - 1);
        m_procNames.Remember(processId, name);
    } else if (processId != 0)
        missed = !m_procNames.Find(processId, name);
    record.time = time ? *time : m_clock.Now();
    CopyFitting(m_codePage, record.szProcessName, name);
    const IRowSink::Appended row = shown ? m_rows.AppendRow(record) : IRowSink::kKept;
    const bool kept = row != IRowSink::kNotKept;
    // A refresh of the cache and a show cost milliseconds, and the message is stored: the client
    // goes on meanwhile. The rest costs less than answering early does: it answers on return.
    if (kept && (missed || row == IRowSink::kKeptShowDue))
        m_sender.Reply();
    if (row == IRowSink::kKeptShowDue)
        m_rows.ShowRows();
    if (missed)
        m_procNames.RefreshAfterMiss(processId, name);
    // A row that could not be kept is not taken, and the client is told so.
    return kept ? 0 : 1;
}
