// Syslog from other machines: real senders' messages in both formats, both TCP framings however
// the stream is cut, and the row a message becomes.
#include <gtest/gtest.h>

#include "Syslog.h"

using Cases = std::vector<std::pair<std::string, std::string>>;

// The RFCs' examples, logger's --rfc5424 and --rfc3164 (-i; without a host as it logs locally),
// rsyslog's forwarding formats, and what stays text: "host app procid msgid sev fac|time|SD|text".
TEST(Syslog, RealSendersMessagesGiveTheirFields) {
    const Cases cases = {
        {"<34>1 2003-10-11T22:14:15.003Z mymachine su - ID47 - \xEF\xBB\xBFsu x",
         "mymachine su - ID47 2 4|2003-10-11T22:14:15.003Z|-|su x"},
        {"<165>1 2003-08-24T05:14:15.000003-07:00 192.0.2.1 myproc 8710 - - %% It's\n",
         "192.0.2.1 myproc 8710 - 5 20|2003-08-24T05:14:15.000003-07:00|-|%% It's"},
        {R"(<191>1 2003-10-11T22:14:15Z h ev - ID47 [ex@1 a="x\]\"] y"][p@1 c="h"] An event)",
         R"(h ev - ID47 7 23|2003-10-11T22:14:15Z|[ex@1 a="x\]\"] y"][p@1 c="h"]|An event)"},
        {R"(<13>1 2026-12-08T06:00:00.123456+00:00 box tester 4242 - [timeQuality a="1"] hi)",
         R"(box tester 4242 - 5 1|2026-12-08T06:00:00.123456+00:00|[timeQuality a="1"]|hi)"},
        {"<13>1 - - - - - [x y=\"1] text", "- - - - 5 1|||[x y=\"1] text"},
        {"<34>Oct 11 22:14:15 m su: 'su root'", "m su - - 2 4|Oct 11 22:14:15||'su root'"},
        {"<13>Feb  5 17:32:18 10.0.0.99 Use it!", "10.0.0.99 - - - 5 1|Feb  5 17:32:18||Use it!"},
        {"<13>Dec  8 06:00:00 box tester[4242]: hi", "box tester 4242 - 5 1|Dec  8 06:00:00||hi"},
        {"<13>Dec 8 06:00:00.25 tester: hi", "- tester - - 5 1|Dec 8 06:00:00.25||hi"},
        {"<86>2026-12-08T06:00:00.1+01:00 web01 sshd[99]: Ok",
         "web01 sshd 99 - 6 10|2026-12-08T06:00:00.1+01:00||Ok"},
        {"Oct 11 22:14:15 m postfix/smtpd[] x", "m postfix/smtpd - - -1 -1|Oct 11 22:14:15||x"},
        {"<192>1 - h a - - - x", "- - - - -1 -1|||<192>1 - h a - - - x"},
        {"<013>Oct 11 22:14:15 m su: x", "- - - - -1 -1|||<013>Oct 11 22:14:15 m su: x"},
        {"error: disk full", "- - - - -1 -1|||error: disk full"},
        {"<13>http://x y", "- - - - 5 1|||http://x y"},
        {std::string("\n\0\r\n", 4), "none"}};
    for (const auto& [raw, fields] : cases) {
        SyslogMessage m;
        const bool parsed = ParseSyslog(raw.data(), raw.size(), m);
        EXPECT_EQ(fields, !parsed
                              ? "none"
                              : m.host + " " + m.app + " " + m.procId + " " + m.msgId + " " +
                                    std::to_string(m.severity) + " " + std::to_string(m.facility) +
                                    "|" + m.timestamp + "|" + m.structuredData + "|" + m.text)
            << raw;
    }
}

// However a stream is cut, the same whole frames come out; End gives a last unterminated line
// but never part of a counted frame; a bad length or an overlong frame stops the connection ("!").
TEST(Syslog, FramingsGiveWholeFramesHoweverTheStreamIsCut) {
    const std::string big(kMaxSyslogFrame, 'x');
    const Cases cases = {{"5 hello3 <1>1 x9 2 \n\r\n12 33 ab", "hello|<1>|x|2 \n\r\n12 3|"},
                         {"a\nbb\r\n\nccc", "a|bb\r||ccc|"},
                         {"65536 " + big, big + "|"},
                         {big + "\n", big + "|"},
                         {"5 hello\n", "hello|!"},
                         {"05 hello", "!"},
                         {"65537 x", "!"},
                         {"5x", "!"},
                         {big + "x", "!"}};
    for (const auto& [stream, expected] : cases) {
        for (const size_t piece : {stream.size(), size_t{1}, size_t{7}}) {
            std::string got;
            CSyslogFramer framer;
            const auto onFrame = [&](const char* f, size_t n) { got.append(f, n) += '|'; };
            bool ok = true;
            for (size_t at = 0; at < stream.size() && ok; at += piece)
                ok = framer.Feed(stream.data() + at, std::min(piece, stream.size() - at), onFrame);
            framer.End(onFrame);
            EXPECT_EQ(expected, got + (ok ? "" : "!")) << stream.substr(0, 20) << " by " << piece;
        }
    }
}

// "HOST/APP" cut on a character, the pid only where it fits a DWORD, UTF-8 in code page 936 ("?"
// for what it lacks) or other bytes as they came, NULs as spaces; the detail lines.
TEST(Syslog, RowsShowMessagesInTheCodePage) {
    std::string zhong, cut;
    for (int i = 0; i < 40; ++i)
        zhong += "\xE4\xB8\xAD", cut += i < 31 ? "\xD6\xD0" : "";
    const std::string text("\xE4\xB8\xAD\0\xF0\x9F\x98\x80|", 9);
    const std::vector<std::pair<SyslogMessage, std::string>> cases = {
        {{"-", "app", "4294967295", "-", -1, -1, "", "-", text}, "-/app|4294967295|\xD6\xD0 ?||"},
        {{zhong, "a", "4294967297", "ID47", 16, 3, "Oct 11 22:14:15", "[a b=\"c\"]",
          "\xD6\xD0\xFF"},
         cut + "|0|\xD6\xD0\xFF|severity: err (3)\r\nfacility: local0 (16)\r\nmsgid: ID47\r\n"
               "timestamp: Oct 11 22:14:15\r\nstructured data: [a b=\"c\"]"},
        {{"", "", "12a", "-", -1, -1, "", "", ""}, "-/-|0||"}};
    for (const auto& [m, expected] : cases) {
        const SyslogRow row = MakeSyslogRow(m, CLeadBytes::Cp936());
        EXPECT_EQ(expected,
                  row.name + "|" + std::to_string(row.pid) + "|" + row.text + "|" + row.detail);
    }
}
