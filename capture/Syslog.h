// Syslog messages: one message's fields, a TCP stream cut into frames, and a row's cells.
#pragma once

#include <cstddef>
#include <string>

#include "LeadBytes.h"
#include "WinTypes.h"

struct SyslogMessage {
    std::string host, app, procId, msgId; // "-" where absent, as sent
    int facility = -1, severity = -1;     // from PRI; -1 when absent
    std::string timestamp;                // the sender's own, as sent; empty when absent
    std::string structuredData;           // as sent; empty or "-" when absent
    std::string text;                     // the message itself, as sent (bytes)
};

// One message (a datagram's payload or one TCP frame), new or old format; false only when there
// is nothing usable, and then the bytes become a row as plain text.
bool ParseSyslog(const char* data, size_t size, SyslogMessage& out);

constexpr size_t kMaxSyslogFrame = 64 * 1024;

// A TCP connection's stream cut into frames: octet-counted ("LEN SP MSG") or line-framed (LF),
// told apart by the connection's first byte. A frame over kMaxSyslogFrame is refused: Feed
// returns false and the connection is to be closed.
class CSyslogFramer {
public:
    template <class OnFrame> bool Feed(const char* data, size_t size, OnFrame onFrame) {
        m_pending.append(data, size);
        size_t at = 0;
        for (;;) {
            if (at == m_pending.size())
                break;
            if (m_counted < 0)
                m_counted = m_pending[at] >= '0' && m_pending[at] <= '9';
            if (m_counted) {
                size_t length = 0, digits = at;
                for (; digits < m_pending.size() && m_pending[digits] >= '0' &&
                       m_pending[digits] <= '9';
                     ++digits) {
                    length = length * 10 + static_cast<size_t>(m_pending[digits] - '0');
                    if (length > kMaxSyslogFrame)
                        return false;
                }
                if (digits == m_pending.size())
                    break;
                if (digits == at || m_pending[digits] != ' ')
                    return false;
                if (m_pending.size() - digits - 1 < length)
                    break;
                onFrame(m_pending.data() + digits + 1, length);
                at = digits + 1 + length;
            } else {
                const size_t end = m_pending.find('\n', at);
                if (end == std::string::npos) {
                    if (m_pending.size() - at > kMaxSyslogFrame)
                        return false;
                    break;
                }
                onFrame(m_pending.data() + at, end - at);
                at = end + 1;
            }
        }
        m_pending.erase(0, at);
        return true;
    }
    // The stream ended: a line-framed connection's last unterminated line is a frame.
    template <class OnFrame> void End(OnFrame onFrame) {
        if (m_counted == 0 && !m_pending.empty())
            onFrame(m_pending.data(), m_pending.size());
        m_pending.clear();
    }

private:
    std::string m_pending;
    int m_counted = -1; // unknown until the first byte
};

// The row's cells: "HOST/APP", the PROCID when it is a number that fits a DWORD (else 0), the
// text, and the detail pane's extra lines.
struct SyslogRow {
    std::string name;
    DWORD pid;
    std::string text;
    std::string detail;
};
SyslogRow MakeSyslogRow(const SyslogMessage& message, const CLeadBytes& codePage);
