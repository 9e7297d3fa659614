// CLogWriter: appends the lines one thread hands over to a sink, from a thread of its own.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// Where the log's bytes go; called on one thread at a time.
class ILogSink {
public:
    // Writes all of data after what was written before; false when it could not.
    virtual bool Write(const char* data, size_t size) = 0;

protected:
    ~ILogSink() = default;
};

// Handing lines over only appends them to memory: the writer's thread takes them at least every
// period, so whoever hands them over never waits on the disk. After the first failed write
// nothing more is written, and onFailed, which throws nothing, is called once, on the thread that
// met the failure; a sink or a thread that throws has failed too, and so has a hand-over that
// would make the lines waiting for the thread more than kMaxPendingBytes.
class CLogWriter {
public:
    static const size_t kMaxPendingBytes = 64u << 20;

    CLogWriter(ILogSink& sink, std::chrono::milliseconds period, std::function<void()> onFailed);
    // Writes what is pending, then stops the thread.
    ~CLogWriter();
    CLogWriter(const CLogWriter&) = delete;
    CLogWriter& operator=(const CLogWriter&) = delete;

    void Add(const char* data, size_t size);
    // Writes everything handed over so far before it returns; false once a write failed.
    bool Flush();
    bool Failed() const { return m_failed; }

private:
    void Run();
    void Fail();

    ILogSink& m_sink;
    const std::chrono::milliseconds m_period;
    const std::function<void()> m_onFailed;
    std::atomic<bool> m_failed{false};
    // Taking the pending lines and writing them is one step under m_writing, so that lines reach
    // the sink in the order they were handed over whichever thread writes them.
    std::mutex m_writing;
    std::string m_taken; // the lines being written
    std::mutex m_pendingLock;
    std::condition_variable m_wake;
    std::string m_pending;
    bool m_stop = false;
    std::thread m_thread;
};
