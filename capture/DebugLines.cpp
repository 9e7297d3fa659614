// The bounded queue of debug-output lines between the reader and the user-interface thread.
#include "DebugLines.h"

#include <new>

bool CDebugLineQueue::Push(DWORD processId, uint64_t time, const std::string& name,
                           const char* text, size_t length, bool& wake, bool network,
                           const std::string& detail) {
    wake = false;
    if (!m_capture)
        return true;
    std::lock_guard<std::mutex> hold(m_lock);
    const bool kept = Keep(processId, time, name, text, length, network, detail);
    if (!kept)
        ++m_waiting.dropped;
    AskWake(wake);
    return kept;
}

void CDebugLineQueue::CountDropped(bool& wake) {
    wake = false;
    if (!m_capture)
        return;
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_waiting.dropped;
    AskWake(wake);
}

bool CDebugLineQueue::Keep(DWORD processId, uint64_t time, const std::string& name,
                           const char* text, size_t length, bool network,
                           const std::string& detail) {
    const size_t held = m_waiting.texts.size() + m_waiting.lines.size() * sizeof(DebugLine);
    if (length + name.size() + detail.size() + 3 + sizeof(DebugLine) > m_maxBytes - held)
        return false;
    const size_t offset = m_waiting.texts.size();
    try {
        m_waiting.texts.insert(m_waiting.texts.end(), text, text + length);
        m_waiting.texts.push_back('\0');
        m_waiting.texts.insert(m_waiting.texts.end(), name.c_str(), name.c_str() + name.size() + 1);
        const size_t detailOffset = m_waiting.texts.size();
        m_waiting.texts.insert(m_waiting.texts.end(), detail.c_str(),
                               detail.c_str() + detail.size() + 1);
        m_waiting.lines.push_back(
            {processId, time, offset, length, offset + length + 1, network, detailOffset});
    } catch (const std::bad_alloc&) {
        m_waiting.texts.resize(offset);
        return false;
    }
    return true;
}

void CDebugLineQueue::TakeAll(Batch& batch) {
    batch.lines.clear();
    batch.texts.clear();
    std::lock_guard<std::mutex> hold(m_lock);
    std::swap(batch.lines, m_waiting.lines);
    std::swap(batch.texts, m_waiting.texts);
    batch.dropped = m_waiting.dropped;
    m_waiting.dropped = 0;
    m_wakePending = false;
}

void CDebugLineQueue::WakeFailed() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_wakePending = false;
}
