// CDebugOutputReader: the session's reader of OutputDebugString, on a thread of its own.
#pragma once

#include <windows.h>

#include <thread>

#include "DebugLines.h"
#include "Handle.h"
#include "WinProcessSource.h"

// Takes the shared buffer and its two events, re-arms the buffer as soon as a line is copied
// out, and queues the line; the window is posted message once for each batch.
class CDebugOutputReader {
public:
    enum Result { kStarted, kOtherReader, kFailed };

    CDebugOutputReader(CDebugLineQueue& queue, HWND notify, UINT message);
    CDebugOutputReader(const CDebugOutputReader&) = delete;
    CDebugOutputReader& operator=(const CDebugOutputReader&) = delete;
    ~CDebugOutputReader();

    // kOtherReader when another program holds the buffer: it is left to that program.
    Result Start();
    // Lets writers that are in the middle of a line go on, then releases the buffer and events.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

private:
    void Run();
    void Failed() noexcept;
    void Release();

    CDebugLineQueue& m_queue;
    HWND m_notify;
    UINT m_message;
    CHandle m_section;
    CMappedView m_view;
    CHandle m_bufferReady;
    CHandle m_dataReady;
    CHandle m_stop;
    std::thread m_thread;
};
