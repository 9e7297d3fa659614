// CDebugOutputReader: the session's reader of OutputDebugString, on a thread of its own.
#pragma once

#include <windows.h>

#include <memory>

#include "DebugLines.h"

struct DebugOutputThread;

// Takes the shared buffer and its two events, re-arms the buffer as soon as a line is copied
// out, and queues the line; the window is posted message once for each batch.
class CDebugOutputReader {
public:
    enum Result { kStarted, kOtherReader, kFailed };

    CDebugOutputReader(std::shared_ptr<CDebugLineQueue> queue, HWND notify, UINT message);
    CDebugOutputReader(const CDebugOutputReader&) = delete;
    CDebugOutputReader& operator=(const CDebugOutputReader&) = delete;
    ~CDebugOutputReader();

    // kOtherReader when another program holds the buffer or made its events: they are left to
    // that program. A buffer that only writers still hold, their reader gone, is taken over.
    Result Start();
    // Returns at once: the thread goes on serving writers in the middle of a line, dropping
    // their lines, until they pause, then releases the buffer and events. Started again
    // meanwhile, in this process, it reads again.
    void Stop();
    bool IsRunning() const { return m_thread != nullptr; }

private:
    std::shared_ptr<CDebugLineQueue> m_queue;
    HWND m_notify;
    UINT m_message;
    std::shared_ptr<DebugOutputThread> m_thread; // while started
};
