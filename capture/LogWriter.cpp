// The log writer's thread: wakes every period and writes what was handed over meanwhile.
#include "LogWriter.h"

#include <new>
#include <utility>

#include "ThreadEdge.h"

CLogWriter::CLogWriter(ILogSink& sink, std::chrono::milliseconds period,
                       std::function<void()> onFailed)
    : m_sink(sink), m_period(period), m_onFailed(std::move(onFailed)),
      m_thread([this] { CatchAtEdge([this] { Run(); }, [this] { Fail(); }); }) {}

CLogWriter::~CLogWriter() {
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
    Flush();
}

void CLogWriter::Add(const char* data, size_t size) {
    if (m_failed)
        return;
    try {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        // A stalled disk would otherwise keep every row in memory.
        if (size <= kMaxPendingBytes - m_pending.size()) {
            m_pending.append(data, size);
            return;
        }
    } catch (const std::bad_alloc&) {
        // Out of memory, as past the bound: handled below.
    }
    // The lines cannot be kept for the file: the log stops rather than leave a gap.
    Fail();
}

bool CLogWriter::Flush() {
    std::lock_guard<std::mutex> writing(m_writing);
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        m_taken.swap(m_pending);
    }
    // A sink that throws has failed like one that says so; the destructor flushes too.
    CatchAtEdge(
        [this] {
            if (!m_failed && !m_taken.empty() && !m_sink.Write(m_taken.data(), m_taken.size()))
                Fail();
        },
        [this] { Fail(); });
    // Emptied, it keeps its room for the next lines.
    m_taken.clear();
    return !m_failed;
}

void CLogWriter::Run() {
    std::unique_lock<std::mutex> lock(m_pendingLock);
    while (!m_stop) {
        m_wake.wait_for(lock, m_period, [this] { return m_stop; });
        lock.unlock();
        Flush();
        lock.lock();
    }
}

void CLogWriter::Fail() {
    if (!m_failed.exchange(true) && m_onFailed)
        m_onFailed();
}
