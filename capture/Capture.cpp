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
    : m_procNames(processes), m_filter(codePage), m_rows(rows), m_sender(sender), m_clock(clock),
      m_codePage(codePage) {}

long CCapture::OnDebugMessage(DWORD processId, const char* text) {
    if (!m_bCapture)
        return 0;
    if (!text)
        text = "";

    DebugRecord record = {};
    record.dwProcessId = processId;
    CopyFitting(m_codePage, record.szMsg, text);
    // The filter sees the text as received, not the cut copy.
    const bool shown = m_filter.Match(text);
    // A refresh costs milliseconds: the text is no longer needed, so the client goes on
    // meanwhile. A cached name costs less than answering early does: it answers on return.
    if (processId != 0 && !m_procNames.IsCached(processId))
        m_sender.Reply();

    char name[128] = {};
    if (processId != 0)
        m_procNames.Lookup(processId, name);
    m_clock.Now(record.stTime);
    CopyFitting(m_codePage, record.szProcessName, name);
    if (shown)
        m_rows.AppendRow(record);
    return 0;
}
