// Debug output as rows: the reader started and stopped, its batches taken a slice at a time.
#include "DebugOutput.h"

#include "WinApp.h"

namespace {
// Beside the recent-file list.
const char kSettingsSection[] = "Settings";
const char kChosenEntry[] = "CaptureDebugOutput";
} // namespace

bool CDebugOutput::WasChosen() {
    return AfxGetApp()->GetProfileInt(kSettingsSection, kChosenEntry, 0) != 0;
}

CDebugOutputReader::Result CDebugOutput::Start(HWND window, UINT ready) {
    m_reader.reset();
    AfxGetApp()->WriteProfileInt(kSettingsSection, kChosenEntry, 1);
    m_window = window;
    m_ready = ready;
    auto reader = std::make_unique<CDebugOutputReader>(m_capture.GetDebugLines(), window, ready);
    const CDebugOutputReader::Result result = reader->Start();
    if (result == CDebugOutputReader::kStarted)
        m_reader = std::move(reader);
    return result;
}

void CDebugOutput::Stop() {
    m_reader.reset();
    AfxGetApp()->WriteProfileInt(kSettingsSection, kChosenEntry, 0);
}

// Each line of a text becomes a row as an intake message would, stamped when it was read. A
// batch may take seconds: it goes on at the next wake-up, which is posted when a slice ends.
unsigned long long CDebugOutput::TakeLines() {
    const ULONGLONG until = ::GetTickCount64() + kSliceMs;
    unsigned long long dropped = 0;
    for (;;) {
        if (m_nDone == m_batch.lines.size()) {
            if (m_batch.texts.capacity() > kKeptBatchBytes)
                m_batch = CDebugLineQueue::Batch();
            m_capture.GetDebugLines()->TakeAll(m_batch);
            m_nDone = 0;
            dropped += m_batch.dropped;
            if (m_batch.lines.empty())
                return dropped;
        }
        const DebugLine& line = m_batch.lines[m_nDone++];
        ForEachLine(&m_batch.texts[line.offset], line.length, [&](const char* text) {
            m_capture.OnDebugOutput(line.dwProcessId, text, line.time,
                                    &m_batch.texts[line.nameOffset], line.network,
                                    &m_batch.texts[line.detailOffset]);
        });
        // Without a wake-up to come back to, the batch goes on at once.
        if (::GetTickCount64() >= until && ::PostMessageA(m_window, m_ready, 0, 0))
            return dropped;
    }
}
