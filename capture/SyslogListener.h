// CSyslogListener: syslog's UDP and TCP sockets, read on a thread of their own into debug
// output's queue.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <memory>

#include "DebugLines.h"
#include "NetworkSettings.h"

struct SyslogThread;

// Each message becomes a line of the queue, stamped on receipt, its name "HOST/APP"; the window
// is posted ready once for each batch, and refused once for each change of the refused count
// it has not yet read. The thread never waits on the window.
// A source's socket, bound to settings' address and port: held exclusively, non-blocking, TCP's
// listening, UDP's with room for a burst. INVALID_SOCKET, and Winsock's error, when it cannot be.
SOCKET OpenSyslogSocket(int type, const NetworkSettings& settings, unsigned port, int& error);

class CSyslogListener {
public:
    // Connections beyond this close the one idle longest; one idle this long is closed.
    static const size_t kMaxConnections = 256;
    static const ULONGLONG kIdleMs = 5 * 60 * 1000;

    // Winsock's error for each source that could not be opened (0: opened, or not asked for).
    struct Opened {
        int udpError = 0, tcpError = 0;
    };

    CSyslogListener(std::shared_ptr<CDebugLineQueue> queue, HWND notify, UINT ready, UINT refused);
    CSyslogListener(const CSyslogListener&) = delete;
    CSyslogListener& operator=(const CSyslogListener&) = delete;
    // Closes every socket; waits for the thread, which looks up at least every 100 ms.
    ~CSyslogListener();

    // The sources settings turns on, from senders allowed lets in; nothing opens when none is on.
    Opened Start(const NetworkSettings& settings, const CSenderList& allowed);
    // Senders refused so far; the next refusal posts refused again.
    unsigned long long TakeRefused();

private:
    std::shared_ptr<SyslogThread> m_thread;
    bool m_winsock = false;
};
