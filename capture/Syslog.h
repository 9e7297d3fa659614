// Syslog from other machines: one message's fields (RFC 5424 and the BSD format), a TCP stream
// cut into frames (RFC 6587), and the row a message becomes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "LeadBytes.h"
#include "WinTypes.h"

struct SyslogMessage {
    std::string host, app, procId, msgId; // "-" where absent, as sent
    int facility = -1, severity = -1;     // from PRI; -1 when absent
    std::string timestamp;                // the sender's own, as sent; empty when absent
    std::string structuredData;           // RFC 5424 SD as sent; empty or "-" when absent
    std::string text;                     // the message itself, as sent (bytes)
};

// One message (a datagram's payload or one TCP frame): RFC 5424 or RFC 3164, told apart per
// message; never reads past size. Line ends and NULs at the end are no part of the message, nor
// is a UTF-8 BOM that starts the text. Whatever is not a header field stays in text, so no byte
// is lost: a message without a header (or with an invalid PRI) is all text. False only when no
// byte is left: the frame was empty, and there is no row to make.
bool ParseSyslog(const char* data, size_t size, SyslogMessage& out);

// A frame longer than this ends its connection: the same bound as a row's text.
constexpr size_t kMaxSyslogFrame = 64 * 1024;

// A TCP connection's stream cut into frames: octet-counted ("LEN SP MSG") when its first byte is a
// digit, else line-framed (LF). A length with a leading zero, over kMaxSyslogFrame or with a
// non-digit in it, and a line longer than kMaxSyslogFrame, are framing errors: Feed returns false,
// now and ever after, and the connection is to be closed. A line is not cut instead: its rest
// would arrive as a frame of its own. A frame is handed on only whole; at most one frame is held.
class CSyslogFramer {
public:
    // onFrame(const char* frame, size_t size), once per frame, in order.
    template <class OnFrame> bool Feed(const char* data, size_t size, OnFrame onFrame);
    // The stream ended: a line-framed connection's last unterminated line, if any, is a frame; an
    // octet-counted frame cut short is not.
    template <class OnFrame> void End(OnFrame onFrame);

private:
    enum Mode { kFirst, kLength, kOctets, kLines, kBroken };
    Mode m_mode = kFirst;
    size_t m_length = 0; // of the octet-counted frame being read
    std::string m_frame; // the part of the frame that came so far
};

// The row's cells from a message: "HOST/APP" ("-" for an absent part) cut to 63 bytes on a
// character boundary; the pid (PROCID when it is a number that fits a DWORD, else 0); the text in
// the ANSI code page, and the detail pane's extra lines (severity, facility, MSGID, the sender's
// timestamp, structured data: those sent), each without NULs, each NUL becoming a space. Valid
// UTF-8 is converted, what the code page cannot show becoming "?"; other bytes are taken as they
// are (an older sender's own code page). A text is never longer than the message's.
struct SyslogRow {
    std::string name;
    DWORD pid;
    std::string text;
    std::string detail;
};
SyslogRow MakeSyslogRow(const SyslogMessage& message,
                        const CLeadBytes& codePage = CLeadBytes::System());

// Valid UTF-8 in the ANSI code page, what it cannot show as "?": the system's conversion.
std::string Utf8ToAnsi(const char* text, size_t size);

template <class OnFrame> bool CSyslogFramer::Feed(const char* data, size_t size, OnFrame onFrame) {
    for (size_t pos = 0; pos < size && m_mode != kBroken;) {
        const char ch = data[pos];
        switch (m_mode) {
        case kFirst:
            m_mode = ch >= '0' && ch <= '9' ? kLength : kLines;
            break;
        case kLength:
            ++pos;
            if (ch == ' ' && m_length > 0) {
                m_mode = kOctets;
            } else if (ch >= '0' && ch <= '9' && (m_length > 0 || ch != '0') &&
                       m_length * 10 + (ch - '0') <= kMaxSyslogFrame) {
                m_length = m_length * 10 + (ch - '0');
            } else {
                m_mode = kBroken;
            }
            break;
        case kOctets: {
            // A frame that came whole in this piece is handed on from it, not copied.
            const size_t take = std::min(m_length - m_frame.size(), size - pos);
            if (m_frame.empty() && take == m_length) {
                onFrame(data + pos, m_length);
            } else {
                m_frame.append(data + pos, take);
                if (m_frame.size() == m_length)
                    onFrame(m_frame.data(), m_frame.size());
            }
            pos += take;
            if (m_frame.size() == m_length || take == m_length) {
                m_frame.clear();
                m_length = 0;
                m_mode = kLength;
            }
            break;
        }
        case kLines: {
            const char* end = static_cast<const char*>(memchr(data + pos, '\n', size - pos));
            const size_t take = (end ? end - data : size) - pos;
            if (m_frame.size() + take > kMaxSyslogFrame) {
                m_mode = kBroken;
                break;
            }
            if (m_frame.empty() && end) {
                onFrame(data + pos, take);
            } else {
                m_frame.append(data + pos, take);
                if (end)
                    onFrame(m_frame.data(), m_frame.size());
            }
            pos += take + (end ? 1 : 0);
            if (end)
                m_frame.clear();
            break;
        }
        case kBroken:
            break;
        }
    }
    return m_mode != kBroken;
}

template <class OnFrame> void CSyslogFramer::End(OnFrame onFrame) {
    if (m_mode == kLines && !m_frame.empty())
        onFrame(m_frame.data(), m_frame.size());
    m_frame.clear();
    m_mode = kBroken;
}
