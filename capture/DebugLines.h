// The debug output of other programs on its way to the user-interface thread: the lines waiting
// for it, and a text cut into lines.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "WinTypes.h"

// One text as the reader received it, with its writer's name as the reader read it (empty when
// it could not); both live in the batch's texts, each followed by a NUL.
struct DebugLine {
    DWORD dwProcessId;
    uint64_t time; // of receipt, as RowTime.h counts it
    size_t offset;
    size_t length;
    size_t nameOffset;
    bool network;        // a syslog message's: its name is its sender's, not a process's
    size_t detailOffset; // the detail pane's extra lines, after the name
};

// Lines the reader thread has taken and the user-interface thread has not, bounded in bytes.
// The user-interface thread is woken once for a batch: Push asks for a wake-up only when none is
// pending since the last TakeAll.
class CDebugLineQueue {
public:
    static const size_t kMaxBytes = 64u << 20;

    struct Batch {
        std::vector<DebugLine> lines;
        std::vector<char> texts; // each line's text and name, each followed by a NUL
        unsigned long long dropped = 0;
    };

    explicit CDebugLineQueue(size_t maxBytes = kMaxBytes) : m_maxBytes(maxBytes) {}

    // Keeps a copy of the text (none while Capture is off); false when it was dropped (the queue
    // was full or memory ran out) and counted. Sets wake when the user-interface thread is to be
    // woken.
    bool Push(DWORD processId, uint64_t time, const std::string& name, const char* text,
              size_t length, bool& wake, bool network = false, const std::string& detail = "");
    // Moves every waiting line and the count of dropped ones into batch, whose earlier
    // contents are discarded (its memory is reused).
    void TakeAll(Batch& batch);
    // A line the reader could not take is counted as one the queue dropped (none while Capture is
    // off); sets wake as Push does.
    void CountDropped(bool& wake);
    // The wake-up could not be delivered: the next Push asks again.
    void WakeFailed();
    // While Capture is off lines are dropped as they come, uncounted, like intake messages.
    void SetCapture(bool on) { m_capture = on; }

private:
    void AskWake(bool& wake) {
        wake = !m_wakePending;
        m_wakePending = true;
    }
    bool Keep(DWORD processId, uint64_t time, const std::string& name, const char* text,
              size_t length, bool network, const std::string& detail);

    const size_t m_maxBytes;
    std::atomic<bool> m_capture{true};
    std::mutex m_lock;
    Batch m_waiting;
    bool m_wakePending = false;
};

// Cuts text (length bytes and a NUL) into lines in place and calls line(text) for each, in
// order: LF or CR LF ends a line, a trailing break adds no empty line, an empty text is one
// empty line.
template <class Line> void ForEachLine(char* text, size_t length, Line line) {
    for (size_t start = 0;;) {
        char* end = static_cast<char*>(memchr(text + start, '\n', length - start));
        if (!end) {
            if (start < length || start == 0)
                line(static_cast<const char*>(text + start));
            return;
        }
        const size_t next = static_cast<size_t>(end - text) + 1;
        if (end > text + start && end[-1] == '\r')
            --end;
        *end = '\0';
        line(static_cast<const char*>(text + start));
        start = next;
        if (start == length)
            return;
    }
}
