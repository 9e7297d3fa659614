// Syslog from other machines: real senders' messages in both formats, both TCP framings however
// the stream is cut, and the row a message becomes.
#include <gtest/gtest.h>

#include "Syslog.h"

namespace {

// A message's fields in one line: "host app procid msgid severity facility|timestamp|SD|text".
std::string Fields(const std::string& raw) {
    SyslogMessage m;
    if (!ParseSyslog(raw.data(), raw.size(), m))
        return "none";
    return m.host + " " + m.app + " " + m.procId + " " + m.msgId + " " +
           std::to_string(m.severity) + " " + std::to_string(m.facility) + "|" + m.timestamp + "|" +
           m.structuredData + "|" + m.text;
}

// The frames of a stream fed in pieces of the given size, and whether it framed well.
std::string Frames(const std::string& stream, size_t piece) {
    std::string frames;
    CSyslogFramer framer;
    const auto onFrame = [&](const char* frame, size_t size) {
        frames += "[" + std::string(frame, size) + "]";
    };
    bool ok = true;
    for (size_t at = 0; at < stream.size() && ok; at += piece)
        ok = framer.Feed(stream.data() + at, std::min(piece, stream.size() - at), onFrame);
    framer.End(onFrame);
    return frames + (ok ? "" : "!");
}

} // namespace

// RFC 5424's and 3164's own examples, util-linux logger (--rfc5424 -i, --rfc3164 -i, and with no
// host as it writes locally), rsyslog's RSYSLOG_SyslogProtocol23Format and RSYSLOG_ForwardFormat,
// and what is kept whole as text.
TEST(Syslog, RealSendersMessagesGiveTheirFields) {
    const std::pair<std::string, std::string> cases[] = {
        {"<34>1 2003-10-11T22:14:15.003Z mymachine.example.com su - ID47 - \xEF\xBB\xBF'su root' "
         "failed",
         "mymachine.example.com su - ID47 2 4|2003-10-11T22:14:15.003Z|-|'su root' failed"},
        {"<165>1 2003-08-24T05:14:15.000003-07:00 192.0.2.1 myproc 8710 - - %% It's time",
         "192.0.2.1 myproc 8710 - 5 20|2003-08-24T05:14:15.000003-07:00|-|%% It's time"},
        {R"(<165>1 2003-10-11T22:14:15.003Z h evntslog - ID47 [ex@32473 iut="3" a="x\]\"] y"][p@32473 class="high"] An event)",
         R"(h evntslog - ID47 5 20|2003-10-11T22:14:15.003Z|[ex@32473 iut="3" a="x\]\"] y"][p@32473 class="high"]|An event)"},
        {R"(<13>1 2026-12-08T06:00:00.123456+00:00 box tester 4242 - [timeQuality tzKnown="1"] hi)",
         R"(box tester 4242 - 5 1|2026-12-08T06:00:00.123456+00:00|[timeQuality tzKnown="1"]|hi)"},
        {"<30>1 2026-12-08T06:00:00+01:00 web01 nginx 777 - - started\r\n",
         "web01 nginx 777 - 6 3|2026-12-08T06:00:00+01:00|-|started"},
        {"<13>1 - - - - - [x y=\"1] text", "- - - - 5 1|||[x y=\"1] text"},
        {"<13>1 -", "- - - - 5 1|||"},
        {"<34>Oct 11 22:14:15 mymachine su: 'su root' failed",
         "mymachine su - - 2 4|Oct 11 22:14:15||'su root' failed"},
        {"<13>Feb  5 17:32:18 10.0.0.99 Use the BFG!",
         "10.0.0.99 - - - 5 1|Feb  5 17:32:18||Use the BFG!"},
        {"<13>Dec  8 06:00:00 box tester[4242]: hello",
         "box tester 4242 - 5 1|Dec  8 06:00:00||hello"},
        {"<13>Dec 8 06:00:00.25 tester: hi", "- tester - - 5 1|Dec 8 06:00:00.25||hi"},
        {"<86>2026-12-08T06:00:00.1+01:00 web01 sshd[99]: Accepted",
         "web01 sshd 99 - 6 10|2026-12-08T06:00:00.1+01:00||Accepted"},
        {"<191>kernel[]:", "- kernel - - 7 23|||"},
        {"Oct 11 22:14:15 m postfix/smtpd[12] x", "m postfix/smtpd 12 - -1 -1|Oct 11 22:14:15||x"},
        {"<192>1 - h a - - - x", "- - - - -1 -1|||<192>1 - h a - - - x"},
        {"<013>Oct 11 22:14:15 m su: x", "- - - - -1 -1|||<013>Oct 11 22:14:15 m su: x"},
        {"error: disk full", "- - - - -1 -1|||error: disk full"},
        {"<13>http://x y", "- - - - 5 1|||http://x y"},
        {std::string("\n\0\r\n", 4), "none"},
    };
    for (const auto& [raw, fields] : cases)
        EXPECT_EQ(fields, Fields(raw)) << raw;
}

// However a stream is cut, the same whole frames come out; End gives a last unterminated line
// but never part of a counted frame; a bad length or an overlong frame stops the connection.
TEST(Syslog, FramingsGiveWholeFramesHoweverTheStreamIsCut) {
    const std::string big(kMaxSyslogFrame, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"5 hello3 <1>1 x9 2 \n\r\n12 3", "[hello][<1>][x][2 \n\r\n12 3]"},
        {"5 hello3 ab", "[hello]"},
        {"a\nbb\r\n\nccc", "[a][bb\r][][ccc]"},
        {"65536 " + big, "[" + big + "]"},
        {big + "\n", "[" + big + "]"},
        {"5 hello\n", "[hello]!"},
        {"05 hello", "!"},
        {"65537 x", "!"},
        {"5x", "!"},
        {big + "x", "!"},
    };
    for (const auto& [stream, frames] : cases) {
        EXPECT_EQ(frames, Frames(stream, stream.size())) << stream.substr(0, 20);
        EXPECT_EQ(frames, Frames(stream, 1)) << stream.substr(0, 20);
        EXPECT_EQ(frames, Frames(stream, 7)) << stream.substr(0, 20);
    }
}

// The cells: "HOST/APP" cut on a character, the pid only when it fits, UTF-8 in code page 936 or
// bytes as they came, NULs as spaces, the detail lines from what was sent.
TEST(Syslog, RowsShowMessagesInTheCodePage) {
    SyslogMessage m;
    m.host = "-";
    m.app = std::string(40, 'a');
    std::string zhong;
    for (int i = 0; i < 40; ++i)
        zhong += "\xE4\xB8\xAD";
    m.procId = "4294967295";
    m.text = std::string("\xE4\xB8\xAD\0\xF0\x9F\x98\x80|", 9);
    SyslogRow row = MakeSyslogRow(m, CLeadBytes::Cp936());
    EXPECT_EQ("-/" + m.app, row.name);
    EXPECT_EQ(4294967295u, row.pid);
    EXPECT_EQ("\xD6\xD0 ?|", row.text);
    EXPECT_EQ("", row.detail);

    m.host = zhong;
    m.procId = "4294967296";
    m.text = "\xD6\xD0\xFF";
    m.severity = 3;
    m.facility = 16;
    m.timestamp = "Oct 11 22:14:15";
    m.structuredData = "[a b=\"c\"]";
    row = MakeSyslogRow(m, CLeadBytes::Cp936());
    std::string cut;
    for (int i = 0; i < 31; ++i)
        cut += "\xD6\xD0";
    EXPECT_EQ(cut, row.name);
    EXPECT_EQ(0u, row.pid);
    EXPECT_EQ(m.text, row.text);
    EXPECT_EQ("severity: err (3)\r\nfacility: local0 (16)\r\ntimestamp: Oct 11 22:14:15\r\n"
              "structured data: [a b=\"c\"]",
              row.detail);
    for (const char* pid : {"12a", "-", "", "99999999999999999999"}) {
        m.procId = pid;
        EXPECT_EQ(0u, MakeSyslogRow(m).pid) << pid;
    }
}
