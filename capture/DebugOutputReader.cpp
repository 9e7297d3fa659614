// The reader of the session's debug output: one 4,096-byte buffer (a process id, then the text)
// and two auto-reset events shared with every writer.
#include "DebugOutputReader.h"

#include <map>
#include <string>

#include "Capture.h"
#include "ThreadEdge.h"

namespace {
const char kBufferName[] = "DBWIN_BUFFER";
const char kBufferReadyName[] = "DBWIN_BUFFER_READY";
const char kDataReadyName[] = "DBWIN_DATA_READY";
const DWORD kBufferBytes = 4096;

struct SharedBuffer {
    DWORD processId;
    char text[kBufferBytes - sizeof(DWORD)];
};

// A writer opens the buffer, then waits up to 10 s for it, behind every other writer that has
// it open: a reader that lets go while writers keep writing leaves them waiting that long for
// each line, one after the other. So the reader lets go once none has written for kQuietMs,
// serving and dropping their lines meanwhile, for at most kDrainMs.
const DWORD kQuietMs = 100;
// Lines are shown this long after the writers pause, and at least this often while they write.
const DWORD kPauseMs = 5;
const ULONGLONG kPostEveryMs = 20;
const ULONGLONG kDrainMs = 3000;
} // namespace

CDebugOutputReader::CDebugOutputReader(CDebugLineQueue& queue, HWND notify, UINT message)
    : m_queue(queue), m_notify(notify), m_message(message) {}

CDebugOutputReader::~CDebugOutputReader() {
    Stop();
}

CDebugOutputReader::Result CDebugOutputReader::Start() {
    if (IsRunning())
        return kStarted;
    m_section.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         kBufferBytes, kBufferName));
    if (m_section && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        Release();
        return kOtherReader;
    }
    if (m_section)
        m_view.Reset(::MapViewOfFile(m_section.Get(), FILE_MAP_READ, 0, 0, kBufferBytes));
    m_bufferReady.Reset(::CreateEventA(nullptr, FALSE, FALSE, kBufferReadyName));
    m_dataReady.Reset(::CreateEventA(nullptr, FALSE, FALSE, kDataReadyName));
    m_stop.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!m_view || !m_bufferReady || !m_dataReady || !m_stop) {
        Release();
        return kFailed;
    }
    try {
        m_thread = std::thread([this] { CatchAtEdge([this] { Run(); }, [this] { Failed(); }); });
    } catch (const std::system_error&) {
        Release();
        return kFailed;
    }
    return kStarted;
}

void CDebugOutputReader::Stop() {
    if (!IsRunning())
        return;
    ::SetEvent(m_stop.Get());
    m_thread.join();
    Release();
}

void CDebugOutputReader::Release() {
    m_view.Reset();
    for (CHandle* handle : {&m_section, &m_bufferReady, &m_dataReady, &m_stop})
        handle->Reset();
}

void CDebugOutputReader::Run() {
    const SharedBuffer& buffer = *static_cast<const SharedBuffer*>(m_view.Get());
    char text[sizeof buffer.text];
    // The stop event first: during a flood the data event is always set.
    const HANDLE events[] = {m_stop.Get(), m_dataReady.Get()};
    ::SetEvent(m_bufferReady.Get());
    // The wake-up a batch is owed is posted once the writers pause, or kPostEveryMs after its
    // first line: a wake-up is a round trip to the system for both threads, too dear a line.
    bool owed = false;
    ULONGLONG owedSince = 0;
    // A writer may end before its line is shown: its name is read here, once a batch.
    CWinProcessSource processes;
    std::map<DWORD, std::string> names;
    const auto post = [&] {
        if (!::PostMessageA(m_notify, m_message, 0, 0))
            m_queue.WakeFailed();
        owed = false;
        names.clear();
    };
    for (;;) {
        const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, owed ? kPauseMs : INFINITE);
        if (woken == WAIT_TIMEOUT) {
            post();
            continue;
        }
        if (woken != WAIT_OBJECT_0 + 1)
            break;
        const DWORD processId = buffer.processId;
        const size_t length = strnlen(buffer.text, sizeof text - 1);
        memcpy(text, buffer.text, length);
        text[length] = '\0';
        // The writer waits for this, and every other writer behind it.
        ::SetEvent(m_bufferReady.Get());

        SYSTEMTIME time;
        IClock::System().Now(time);
        bool wake = false;
        // A line that finds no memory for its writer's name is dropped and counted.
        CatchAtEdge(
            [&] {
                auto named = names.find(processId);
                if (named == names.end()) {
                    char name[128] = {};
                    if (processId != 0)
                        processes.ReadName(processId, name);
                    named = names.emplace(processId, name).first;
                }
                m_queue.Push(processId, time, named->second, text, length, wake);
            },
            [&] { m_queue.CountDropped(wake); });
        const ULONGLONG now = ::GetTickCount64();
        if (wake)
            owed = true, owedSince = now;
        if (owed && now - owedSince >= kPostEveryMs)
            post();
    }
    if (owed)
        post();
    const ULONGLONG until = ::GetTickCount64() + kDrainMs;
    while (::GetTickCount64() < until &&
           ::WaitForSingleObject(m_dataReady.Get(), kQuietMs) == WAIT_OBJECT_0)
        ::SetEvent(m_bufferReady.Get());
}

// The reader has stopped reading: the window learns of it as a dropped line. Writers wait for
// the buffer in vain until Capture debug output is turned off.
void CDebugOutputReader::Failed() noexcept {
    bool wake = false;
    m_queue.CountDropped(wake);
    if (wake && !::PostMessageA(m_notify, m_message, 0, 0))
        m_queue.WakeFailed();
}
