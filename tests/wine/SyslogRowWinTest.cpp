// The system's own conversion of a syslog message's UTF-8 to the code page rows are in (936).
#include <gtest/gtest.h>

#include "Syslog.h"

TEST(SyslogWin, Utf8BecomesTheCodePageWithAQuestionMarkForEachCharacterItLacks) {
    SyslogMessage message;
    message.host = "\xE4\xB8\xAD\xE6\x96\x87";
    message.app = "app";
    message.text = std::string("\xE4\xB8\xAD \xC3\xA9 \xF0\x9F\x98\x80 \xE2\x82\xAC|") +
                   std::string(70000, 'x');
    const SyslogRow row = MakeSyslogRow(message);
    EXPECT_EQ("\xD6\xD0\xCE\xC4/app", row.name);
    const std::string converted = "\xD6\xD0 \xA8\xA6 ? \x80|";
    EXPECT_EQ(converted, row.text.substr(0, converted.size()));
    EXPECT_EQ(converted.size() + 70000, row.text.size());
}
