// Syslog messages read into fields, the two formats told apart per message, and made into rows.
#include "Syslog.h"

#include <string_view>

namespace {

using Bytes = std::string_view;

const char* const kSeverities[] = {"emerg",   "alert",  "crit", "err",
                                   "warning", "notice", "info", "debug"};
const char* const kFacilities[] = {"kern",   "user",   "mail",   "daemon", "auth",     "syslog",
                                   "lpr",    "news",   "uucp",   "cron",   "authpriv", "ftp",
                                   "ntp",    "audit",  "alert",  "clock",  "local0",   "local1",
                                   "local2", "local3", "local4", "local5", "local6",   "local7"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsDigit(Bytes bytes, size_t at) {
    return at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9';
}

bool IsChar(Bytes bytes, size_t at, char ch) {
    return at < bytes.size() && bytes[at] == ch;
}

// The bytes up to the next space or the end, which are taken from rest with that one space.
Bytes TakeWord(Bytes& rest) {
    const Bytes word = rest.substr(0, rest.find(' '));
    rest.remove_prefix(std::min(rest.size(), word.size() + 1));
    return word;
}

// "<PRI>": one to three digits without a leading zero, at most 191.
bool TakePri(Bytes& rest, SyslogMessage& out) {
    int pri = 0;
    size_t digits = 0;
    while (digits < 3 && IsDigit(rest, 1 + digits))
        pri = pri * 10 + (rest[1 + digits++] - '0');
    if (!IsChar(rest, 0, '<') || digits == 0 || !IsChar(rest, 1 + digits, '>') ||
        (digits > 1 && rest[1] == '0') || pri > 191)
        return false;
    out.facility = pri / 8;
    out.severity = pri % 8;
    rest.remove_prefix(digits + 2);
    return true;
}

// Bytes of the SD elements that start rest, or 0 when an element is not closed.
size_t StructuredDataLength(Bytes rest) {
    size_t at = 0;
    while (IsChar(rest, at, '[')) {
        // A ']' or '"' escaped in a quoted value closes nothing.
        for (bool quoted = false; !IsChar(rest, at, ']') || quoted;) {
            if (++at >= rest.size())
                return 0;
            if (quoted && rest[at] == '\\')
                ++at;
            else if (rest[at] == '"')
                quoted = !quoted;
        }
        ++at;
    }
    return at;
}

// "<PRI>VERSION TIMESTAMP HOSTNAME APP-NAME PROCID MSGID SD MSG"; false when rest (after PRI) has
// no version and a timestamp that may follow it.
bool Parse5424(Bytes rest, SyslogMessage& out) {
    size_t digits = 0;
    while (digits < 3 && IsDigit(rest, digits))
        ++digits;
    if (digits == 0 || rest[0] == '0' || !IsChar(rest, digits, ' ') ||
        !(IsChar(rest, digits + 1, '-') || IsDigit(rest, digits + 1)))
        return false;
    rest.remove_prefix(digits + 1);
    const Bytes timestamp = TakeWord(rest);
    out.timestamp = timestamp == "-" ? "" : std::string(timestamp);
    for (std::string* field : {&out.host, &out.app, &out.procId, &out.msgId}) {
        const Bytes word = TakeWord(rest);
        *field = word.empty() ? "-" : std::string(word);
    }
    // SD that is neither nil nor whole elements stays in the text.
    const size_t sd = rest.substr(0, 2) == "- " || rest == "-" ? 1 : StructuredDataLength(rest);
    out.structuredData = rest.substr(0, sd);
    rest.remove_prefix(sd);
    if (sd > 0 && IsChar(rest, 0, ' '))
        rest.remove_prefix(1);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF")
        rest.remove_prefix(3);
    out.text = rest;
    return true;
}

// Bytes of the timestamp that starts rest: "Mmm dd hh:mm:ss" (a day under 10 with a space before
// or after it, a fraction of a second after it), or RFC 3339's "yyyy-mm-ddT..." as rsyslog
// forwards it; 0 when there is none.
size_t TimestampLength(Bytes rest) {
    if (IsDigit(rest, 0) && IsDigit(rest, 3) && IsChar(rest, 4, '-') && IsChar(rest, 7, '-') &&
        IsChar(rest, 10, 'T'))
        return rest.find(' ') == Bytes::npos ? rest.size() : rest.find(' ');
    if (std::find(std::begin(kMonths), std::end(kMonths), rest.substr(0, 3)) == std::end(kMonths) ||
        !IsChar(rest, 3, ' '))
        return 0;
    size_t at = 0;
    if ((IsChar(rest, 4, ' ') || IsDigit(rest, 4)) && IsDigit(rest, 5) && IsChar(rest, 6, ' '))
        at = 7;
    else if (IsDigit(rest, 4) && IsChar(rest, 5, ' '))
        at = 6;
    else
        return 0;
    for (size_t i = 0; i < 8; ++i) {
        if (i % 3 == 2 ? !IsChar(rest, at + i, ':') : !IsDigit(rest, at + i))
            return 0;
    }
    at += 8;
    if (IsChar(rest, at, '.') && IsDigit(rest, at + 1)) {
        for (++at; IsDigit(rest, at);)
            ++at;
    }
    return at;
}

// Bytes of the "TAG: " or "TAG[PID]: " (the colon optional after a PID) that starts rest, with
// the app and pid it names; 0 when rest does not start with one.
size_t TagLength(Bytes rest, Bytes& app, Bytes& pid) {
    const size_t end = std::min(rest.find_first_of(" [:"), rest.size());
    if (end == 0 || end == rest.size() || rest[end] == ' ')
        return 0;
    pid = "-";
    size_t next = end + 1;
    if (rest[end] == '[') {
        const size_t close = rest.find_first_of(" ]", next);
        if (close == Bytes::npos || rest[close] != ']')
            return 0;
        if (close > next)
            pid = rest.substr(next, close - next);
        next = close + (IsChar(rest, close + 1, ':') ? 2 : 1);
    }
    if (next < rest.size() && rest[next] != ' ')
        return 0;
    app = rest.substr(0, end);
    return std::min(rest.size(), next + 1);
}

// "[<PRI>][TIMESTAMP SP [HOSTNAME SP]][TAG: ]MSG". The first word after a timestamp is a host
// unless it is a tag or the last word. Without PRI or timestamp a line is all text.
void Parse3164(Bytes rest, bool hasPri, SyslogMessage& out) {
    const size_t stamp = TimestampLength(rest);
    Bytes app, pid;
    if (stamp > 0) {
        out.timestamp = rest.substr(0, stamp);
        rest.remove_prefix(std::min(rest.size(), stamp + 1));
        if (TagLength(rest, app, pid) == 0 && rest.find(' ') != Bytes::npos)
            out.host = TakeWord(rest);
    }
    const size_t tag = stamp > 0 || hasPri ? TagLength(rest, app, pid) : 0;
    if (tag > 0) {
        out.app = app;
        out.procId = pid;
        rest.remove_prefix(tag);
    }
    out.text = rest;
}

bool IsUtf8(Bytes bytes) {
    for (size_t at = 0; at < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[at]);
        const size_t length = lead < 0x80   ? 1
                              : lead < 0xC2 ? 0
                              : lead < 0xE0 ? 2
                              : lead < 0xF0 ? 3
                              : lead < 0xF5 ? 4
                                            : 0;
        if (length == 0 || length > bytes.size() - at)
            return false;
        // The second byte's range rules out overlong forms, surrogates and code points over
        // U+10FFFF.
        const unsigned char second = length > 1 ? static_cast<unsigned char>(bytes[at + 1]) : 0;
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        if (length > 1 && (second < low || second > high))
            return false;
        for (size_t i = 2; i < length; ++i) {
            if ((static_cast<unsigned char>(bytes[at + i]) & 0xC0) != 0x80)
                return false;
        }
        at += length;
    }
    return true;
}

// A cell's text in the ANSI code page, NULs as spaces.
std::string AnsiCell(Bytes bytes) {
    std::string cell(bytes);
    std::replace(cell.begin(), cell.end(), '\0', ' ');
    const bool ascii = std::all_of(cell.begin(), cell.end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    return ascii || !IsUtf8(cell) ? cell : Utf8ToAnsi(cell.data(), cell.size());
}

DWORD PidOf(const std::string& procId) {
    unsigned long long pid = 0;
    for (const char ch : procId) {
        if (ch < '0' || ch > '9')
            return 0;
        pid = pid * 10 + (ch - '0');
        if (pid > 0xFFFFFFFFull)
            return 0;
    }
    return static_cast<DWORD>(pid);
}

} // namespace

bool ParseSyslog(const char* data, size_t size, SyslogMessage& out) {
    while (size > 0 && (data[size - 1] == '\n' || data[size - 1] == '\r' || data[size - 1] == '\0'))
        --size;
    out = SyslogMessage();
    out.host = out.app = out.procId = out.msgId = "-";
    if (size == 0)
        return false;
    Bytes rest(data, size);
    const bool hasPri = TakePri(rest, out);
    if (!hasPri || !Parse5424(rest, out))
        Parse3164(rest, hasPri, out);
    return true;
}

SyslogRow MakeSyslogRow(const SyslogMessage& message, const CLeadBytes& codePage) {
    SyslogRow row = {};
    const std::string name = AnsiCell((message.host.empty() ? "-" : message.host) + "/" +
                                      (message.app.empty() ? "-" : message.app));
    row.name = name.substr(0, codePage.FitLength(name.data(), name.size(), 63));
    row.pid = PidOf(message.procId);
    row.text = AnsiCell(message.text);
    std::string detail;
    if (message.severity >= 0 && message.severity < 8)
        detail += std::string("severity: ") + kSeverities[message.severity] + " (" +
                  std::to_string(message.severity) + ")\r\n";
    if (message.facility >= 0 && message.facility < 24)
        detail += std::string("facility: ") + kFacilities[message.facility] + " (" +
                  std::to_string(message.facility) + ")\r\n";
    if (!message.msgId.empty() && message.msgId != "-")
        detail += "msgid: " + AnsiCell(message.msgId) + "\r\n";
    if (!message.timestamp.empty())
        detail += "timestamp: " + AnsiCell(message.timestamp) + "\r\n";
    if (!message.structuredData.empty() && message.structuredData != "-")
        detail += "structured data: " + AnsiCell(message.structuredData) + "\r\n";
    row.detail = detail.substr(0, detail.size() - std::min<size_t>(detail.size(), 2));
    return row;
}
