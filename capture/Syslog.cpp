// Syslog messages read field by field; a stand-in that takes the common shapes of both formats.
#include "Syslog.h"

#include <algorithm>
#include <cstdlib>

namespace {
// The next space-separated field from at; at moves past it and its space.
std::string Field(const std::string& s, size_t& at) {
    const size_t end = std::min(s.find(' ', at), s.size());
    std::string field = s.substr(at, end - at);
    at = end < s.size() ? end + 1 : end;
    return field;
}
} // namespace

bool ParseSyslog(const char* data, size_t size, SyslogMessage& out) {
    out = SyslogMessage();
    out.host = out.app = out.procId = out.msgId = "-";
    const std::string s(data, size);
    size_t at = 0;
    if (s.size() > 2 && s[0] == '<') {
        const size_t close = s.find('>');
        if (close != std::string::npos && close > 1 && close <= 4) {
            const int pri = atoi(s.substr(1, close - 1).c_str());
            out.facility = pri / 8;
            out.severity = pri % 8;
            at = close + 1;
        }
    }
    if (s.compare(at, 2, "1 ") == 0) {
        at += 2;
        out.timestamp = Field(s, at);
        out.host = Field(s, at);
        out.app = Field(s, at);
        out.procId = Field(s, at);
        out.msgId = Field(s, at);
        if (s.compare(at, 1, "[") == 0) {
            const size_t end = std::min(s.find("] ", at), s.size() - 1) + 1;
            out.structuredData = s.substr(at, end - at);
            at = end;
        } else
            out.structuredData = Field(s, at);
        out.text = s.substr(std::min(at + (s.compare(at, 1, " ") == 0), s.size()));
        return true;
    }
    if (out.facility >= 0 && s.size() - at > 16 && s[at + 3] == ' ' && s[at + 15] == ' ') {
        out.timestamp = s.substr(at, 15);
        at += 16;
        out.host = Field(s, at);
        const size_t colon = s.find(": ", at);
        if (colon != std::string::npos && s.find(' ', at) > colon) {
            std::string tag = s.substr(at, colon - at);
            const size_t open = tag.find('[');
            if (open != std::string::npos && tag.back() == ']') {
                out.procId = tag.substr(open + 1, tag.size() - open - 2);
                tag.resize(open);
            }
            out.app = tag;
            at = colon + 2;
        }
    }
    out.text = s.substr(at);
    return out.facility >= 0;
}

SyslogRow MakeSyslogRow(const SyslogMessage& message, const CLeadBytes&) {
    SyslogRow row;
    row.name = message.host + "/" + message.app;
    char* end = nullptr;
    const unsigned long long pid = strtoull(message.procId.c_str(), &end, 10);
    row.pid =
        !message.procId.empty() && message.procId[0] != '-' && *end == '\0' && pid <= 0xFFFFFFFFull
            ? static_cast<DWORD>(pid)
            : 0;
    row.text = message.text;
    for (char& ch : row.text)
        if (ch == '\0')
            ch = '?';
    if (message.severity >= 0)
        row.detail = "severity " + std::to_string(message.severity) + ", facility " +
                     std::to_string(message.facility);
    if (!message.timestamp.empty())
        row.detail += "\r\nsent " + message.timestamp;
    if (!message.structuredData.empty() && message.structuredData != "-")
        row.detail += "\r\n" + message.structuredData;
    return row;
}
