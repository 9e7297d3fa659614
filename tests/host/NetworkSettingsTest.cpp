// The network sources' settings as typed: the command line's sources and the allowed senders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NetworkSettings.h"

namespace {

// An argument, whether it is taken, and the sources it leaves: "udp PORT tcp PORT", off as "-".
TEST(NetworkSettings, SourcesArgumentTurnsOnWhatItNamesAndRefusesTheRestWhole) {
    const std::vector<std::pair<std::string, std::string>> arguments = {
        {"udp:5514", "udp 5514 - 514"},
        {"tcp:6000,udp:7000", "udp 7000 tcp 6000"},
        {"udp:65535,tcp:1", "udp 65535 tcp 1"},
        {"udp:0", ""},
        {"udp:65536", ""},
        {"tcp:4294967810", ""}, // 2^32 + 514
        {"udp:", ""},
        {"udp:514,", ""},
        {"udp:5x", ""},
        {"ftp:21", ""},
        {"", ""},
    };
    for (const auto& [argument, sources] : arguments) {
        NetworkSettings settings;
        const bool taken = ParseSourcesArgument(argument, settings);
        const std::string left = (settings.udp ? "udp " : "- ") + std::to_string(settings.udpPort) +
                                 (settings.tcp ? " tcp " : " - ") +
                                 std::to_string(settings.tcpPort);
        EXPECT_EQ(!sources.empty(), taken) << argument;
        EXPECT_EQ(taken ? sources : "- 514 - 514", left) << argument;
    }
}

// A list, then addresses it allows and refuses; a list that is not one leaves the last.
TEST(NetworkSettings, SenderListAllowsItsAddressesAndSubnetsOnly) {
    const auto ip = [](const char* text) {
        uint32_t address = 0;
        EXPECT_TRUE(ParseIPv4(text, address)) << text;
        return address;
    };
    CSenderList list;
    EXPECT_TRUE(list.Allows(ip("203.0.113.9"))) << "empty allows any";
    ASSERT_TRUE(list.Set(" 10.0.0.0/8, 192.168.1.5;127.0.0.1/32 "));
    for (const char* allowed : {"10.255.0.1", "10.0.0.0", "192.168.1.5", "127.0.0.1"})
        EXPECT_TRUE(list.Allows(ip(allowed))) << allowed;
    for (const char* refused : {"11.0.0.1", "192.168.1.6", "127.0.0.2", "9.255.255.255"})
        EXPECT_FALSE(list.Allows(ip(refused))) << refused;
    for (const char* wrong :
         {"10.0.0.256", "10.0.0.0/33", "10.0.0", "1.2.3.4.5", "host", "1.2.3.4/", "1..2.3"})
        EXPECT_FALSE(list.Set(wrong)) << wrong;
    EXPECT_FALSE(list.Allows(ip("11.0.0.1"))) << "a list that is not one changes nothing";
    ASSERT_TRUE(list.Set("0.0.0.0/0"));
    EXPECT_TRUE(list.Allows(ip("11.0.0.1")));
}

} // namespace
