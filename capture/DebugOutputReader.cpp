// The reader of the session's debug output: one 4,096-byte buffer (a process id, then the text)
// and two auto-reset events shared with every writer.
#include "DebugOutputReader.h"

#include <map>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "Capture.h"
#include "Handle.h"
#include "ThreadEdge.h"
#include "WinProcessSource.h"

// An event's kind and state (EVENT_BASIC_INFORMATION), which no call of kernel32 tells.
extern "C" LONG NTAPI NtQueryEvent(HANDLE event, int infoClass, void* info, ULONG length,
                                   ULONG* returned);

namespace {
const char kBufferName[] = "DBWIN_BUFFER";
const char kBufferReadyName[] = "DBWIN_BUFFER_READY";
const char kDataReadyName[] = "DBWIN_DATA_READY";
// Writers take turns through it, each holding it from its wait for the buffer to its line's end.
const char kWritersName[] = "DBWinMutex";
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
// A live reader answers a line, and a writer ends its line, well within this.
const DWORD kProbeMs = 100;
// With no line for this long the reader looks whether a writer took the buffer and wrote nothing.
const DWORD kRearmMs = 500;

// The protocol's events reset themselves when a wait takes them: one that stays set would be
// read without end.
bool ResetsItself(HANDLE event) {
    struct {
        int type; // 1: SynchronizationEvent
        LONG state;
    } info = {};
    return NtQueryEvent(event, 0, &info, sizeof info, nullptr) == 0 && info.type == 1;
}

// A buffer that exists is another reader's unless only writers hold it, their reader gone: a
// writer has waited for it longer than a reader takes to answer, or nobody arms it while no
// writer can take it.
bool OnlyWritersHold(HANDLE bufferReady) {
    CHandle writers(::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kWritersName));
    if (!writers)
        return false;
    const DWORD turn = ::WaitForSingleObject(writers.Get(), kProbeMs);
    if (turn == WAIT_TIMEOUT)
        return true;
    if (turn != WAIT_OBJECT_0 && turn != WAIT_ABANDONED)
        return false;
    // Taken to look, it is given back: no writer waits for it while the mutex is held here.
    const bool armed = ::WaitForSingleObject(bufferReady, kProbeMs) == WAIT_OBJECT_0;
    if (armed)
        ::SetEvent(bufferReady);
    ::ReleaseMutex(writers.Get());
    return !armed;
}
} // namespace

// What the reader's thread owns: it may outlive the view that started it, serving writers until
// they pause.
struct DebugOutputThread {
    CDebugOutputReader::Result Open();
    // Where lines go from now on, a null queue to stop; false once the buffer was let go.
    bool Attach(std::shared_ptr<CDebugLineQueue> to, HWND window, UINT wakeUp);
    void Run();
    // True when stopped, false when waiting failed.
    bool Read();
    // Serves writers, dropping their lines, until they pause; false when attached or stopped
    // again meanwhile.
    bool Drain();
    // False when started again, unless anyway.
    bool LetGo(bool anyway);
    void Failed() noexcept;

    CHandle section;
    CMappedView view;
    CHandle bufferReady;
    CHandle dataReady;
    CHandle changed; // auto-reset: attached elsewhere or stopped
    CHandle letGo;   // manual-reset: the buffer and events are released
    std::mutex lock; // over the four below
    std::shared_ptr<CDebugLineQueue> queue;
    HWND notify = nullptr;
    UINT message = 0;
    bool released = false;
};

namespace {
// This process's last reader. When the process ends, after its windows, writers in the middle
// of a line are served before it goes, so that none is left waiting for a reader that is gone.
struct LastReader {
    std::weak_ptr<DebugOutputThread> thread;
    ~LastReader() {
        if (const std::shared_ptr<DebugOutputThread> last = thread.lock()) {
            last->Attach(nullptr, nullptr, 0);
            ::WaitForSingleObject(last->letGo.Get(), DWORD(kDrainMs + 2 * kQuietMs));
        }
    }
} g_last;
} // namespace

CDebugOutputReader::CDebugOutputReader(std::shared_ptr<CDebugLineQueue> queue, HWND notify,
                                       UINT message)
    : m_queue(std::move(queue)), m_notify(notify), m_message(message) {}

CDebugOutputReader::~CDebugOutputReader() {
    Stop();
}

CDebugOutputReader::Result CDebugOutputReader::Start() {
    if (IsRunning())
        return kStarted;
    // Stopped a moment ago, it still has the buffer: it reads again, and no line is read twice.
    if (const std::shared_ptr<DebugOutputThread> last = g_last.thread.lock())
        if (last->Attach(m_queue, m_notify, m_message)) {
            m_thread = last;
            return kStarted;
        }
    auto thread = std::make_shared<DebugOutputThread>();
    const Result opened = thread->Open();
    if (opened != kStarted)
        return opened;
    thread->queue = m_queue, thread->notify = m_notify, thread->message = m_message;
    try {
        std::thread([thread] {
            CatchAtEdge([&] { thread->Run(); }, [&] { thread->Failed(); });
        }).detach();
    } catch (const std::system_error&) {
        return kFailed;
    }
    g_last.thread = thread;
    m_thread = std::move(thread);
    return kStarted;
}

void CDebugOutputReader::Stop() {
    if (m_thread)
        m_thread->Attach(nullptr, nullptr, 0);
    m_thread.reset();
}

CDebugOutputReader::Result DebugOutputThread::Open() {
    section.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                       kBufferBytes, kBufferName));
    const bool existed = section && ::GetLastError() == ERROR_ALREADY_EXISTS;
    bool eventExisted = false;
    for (const auto& [event, name] :
         {std::pair(&bufferReady, kBufferReadyName), std::pair(&dataReady, kDataReadyName)}) {
        event->Reset(::CreateEventA(nullptr, FALSE, FALSE, name));
        eventExisted = eventExisted || (*event && ::GetLastError() == ERROR_ALREADY_EXISTS);
    }
    changed.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    letGo.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (section)
        view.Reset(::MapViewOfFile(section.Get(), FILE_MAP_READ, 0, 0, kBufferBytes));
    if (!view || !bufferReady || !dataReady || !changed || !letGo)
        return CDebugOutputReader::kFailed;
    // The events, like the buffer, are another program's when they were there before it.
    if (existed ? !OnlyWritersHold(bufferReady.Get()) : eventExisted)
        return CDebugOutputReader::kOtherReader;
    if (!ResetsItself(bufferReady.Get()) || !ResetsItself(dataReady.Get()))
        return CDebugOutputReader::kOtherReader;
    return CDebugOutputReader::kStarted;
}

bool DebugOutputThread::Attach(std::shared_ptr<CDebugLineQueue> to, HWND window, UINT wakeUp) {
    std::lock_guard<std::mutex> hold(lock);
    if (released)
        return false;
    queue = std::move(to), notify = window, message = wakeUp;
    ::SetEvent(changed.Get());
    return true;
}

void DebugOutputThread::Run() {
    // A line a writer left for a reader now gone is read before the buffer is armed.
    if (::WaitForSingleObject(dataReady.Get(), 0) == WAIT_OBJECT_0)
        ::SetEvent(dataReady.Get());
    else
        ::SetEvent(bufferReady.Get());
    while (Read())
        if (Drain() && LetGo(false))
            return;
    LetGo(true);
}

bool DebugOutputThread::Read() {
    const SharedBuffer& buffer = *static_cast<const SharedBuffer*>(view.Get());
    char text[sizeof buffer.text];
    // The change event first: during a flood the data event is always set.
    const HANDLE events[] = {changed.Get(), dataReady.Get()};
    std::shared_ptr<CDebugLineQueue> to;
    HWND window = nullptr;
    UINT wakeUp = 0;
    // The wake-up a batch is owed is posted once the writers pause, or kPostEveryMs after its
    // first line: a wake-up is a round trip to the system for both threads, too dear a line.
    bool owed = false;
    ULONGLONG owedSince = 0;
    // A writer may end before its line is shown: its name is read here, once a batch.
    CWinProcessSource processes;
    std::map<DWORD, std::string> names;
    const auto post = [&] {
        if (!::PostMessageA(window, wakeUp, 0, 0))
            to->WakeFailed();
        owed = false;
        names.clear();
    };
    const auto attached = [&] {
        if (owed)
            post();
        std::lock_guard<std::mutex> hold(lock);
        to = queue, window = notify, wakeUp = message;
        return to != nullptr;
    };
    if (!attached())
        return true;
    for (bool taken = false;;) {
        const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, owed ? kPauseMs : kRearmMs);
        if (woken == WAIT_OBJECT_0) {
            if (!attached())
                return true;
            continue;
        }
        if (woken == WAIT_TIMEOUT && owed) {
            post();
            continue;
        }
        // No line for a while: the buffer is armed (taken to look, it is given back), or a writer
        // took it and wrote nothing. Taken at two looks in a row it is armed again, lest every
        // later writer wait 10 s a line in vain; writers take turns through their own mutex.
        if (woken == WAIT_TIMEOUT) {
            const bool armed = ::WaitForSingleObject(bufferReady.Get(), 0) == WAIT_OBJECT_0;
            if (armed || taken)
                ::SetEvent(bufferReady.Get());
            taken = !armed && !taken;
            continue;
        }
        if (woken != WAIT_OBJECT_0 + 1)
            return false;
        taken = false;
        const DWORD processId = buffer.processId;
        size_t length = strnlen(buffer.text, sizeof text - 1);
        memcpy(text, buffer.text, length);
        text[length] = '\0';
        // A full buffer may end in the first half of a character that the system cut in two.
        if (length == sizeof text - 1)
            text[length = CLeadBytes::System().FitLength(text, length + 1, length)] = '\0';
        // The writer waits for this, and every other writer behind it.
        ::SetEvent(bufferReady.Get());

        const uint64_t time = IClock::System().Now();
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
                to->Push(processId, time, named->second, text, length, wake);
            },
            [&] { to->CountDropped(wake); });
        const ULONGLONG now = ::GetTickCount64();
        if (wake)
            owed = true, owedSince = now;
        if (owed && now - owedSince >= kPostEveryMs)
            post();
    }
}

bool DebugOutputThread::Drain() {
    const HANDLE events[] = {changed.Get(), dataReady.Get()};
    for (const ULONGLONG until = ::GetTickCount64() + kDrainMs; ::GetTickCount64() < until;) {
        const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, kQuietMs);
        if (woken != WAIT_OBJECT_0 + 1)
            return woken != WAIT_OBJECT_0;
        ::SetEvent(bufferReady.Get());
    }
    return true;
}

bool DebugOutputThread::LetGo(bool anyway) {
    {
        std::lock_guard<std::mutex> hold(lock);
        if (queue && !anyway)
            return false;
        released = true;
    }
    view.Reset();
    for (CHandle* handle : {&section, &bufferReady, &dataReady})
        handle->Reset();
    ::SetEvent(letGo.Get());
    return true;
}

// The reader has stopped reading: the window learns of it as a dropped line, and the buffer is
// let go, so that writers do not wait for it in vain.
void DebugOutputThread::Failed() noexcept {
    {
        std::lock_guard<std::mutex> hold(lock);
        bool wake = false;
        if (queue)
            queue->CountDropped(wake);
        if (wake && !::PostMessageA(notify, message, 0, 0))
            queue->WakeFailed();
    }
    LetGo(true);
}
