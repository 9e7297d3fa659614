// The network sources' settings read from what the user typed.
#include "NetworkSettings.h"

#include <algorithm>

namespace {
bool ParseNumber(const std::string& text, unsigned maximum, unsigned& value) {
    if (text.empty() || text.size() > 5)
        return false;
    value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(ch - '0');
    }
    return value <= maximum;
}
} // namespace

bool ParsePort(const std::string& text, unsigned& port) {
    return ParseNumber(text, 65535, port) && port != 0;
}

bool ParseSourcesArgument(const std::string& argument, NetworkSettings& settings) {
    NetworkSettings parsed = settings;
    size_t at = 0;
    do {
        const size_t end = std::min(argument.find(',', at), argument.size());
        const std::string item = argument.substr(at, end - at);
        unsigned port = 0;
        const bool udp = item.compare(0, 4, "udp:") == 0, tcp = item.compare(0, 4, "tcp:") == 0;
        if (!(udp || tcp) || !ParsePort(item.substr(4), port))
            return false;
        (udp ? parsed.udp : parsed.tcp) = true;
        (udp ? parsed.udpPort : parsed.tcpPort) = port;
        at = end + 1;
    } while (at <= argument.size());
    settings = parsed;
    return true;
}

bool ParseIPv4(const std::string& text, uint32_t& address) {
    address = 0;
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        const size_t end = part < 3 ? text.find('.', at) : text.size();
        unsigned value = 0;
        if (end == std::string::npos || !ParseNumber(text.substr(at, end - at), 255, value))
            return false;
        address = address << 8 | value;
        at = end + 1;
    }
    return true;
}

bool CSenderList::Set(const std::string& text) {
    std::vector<Subnet> subnets;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find_first_of(" ,;\t\r\n", at), text.size());
        const std::string item = text.substr(at, end - at);
        at = end + 1;
        if (item.empty())
            continue;
        const size_t slash = item.find('/');
        unsigned bits = 32;
        uint32_t address = 0;
        if (!ParseIPv4(item.substr(0, slash), address) ||
            (slash != std::string::npos && !ParseNumber(item.substr(slash + 1), 32, bits)))
            return false;
        const uint32_t mask = bits == 0 ? 0 : ~uint32_t(0) << (32 - bits);
        subnets.push_back({address & mask, mask});
    }
    m_subnets.swap(subnets);
    return true;
}

bool CSenderList::Allows(uint32_t address) const {
    if (m_subnets.empty())
        return true;
    for (const Subnet& subnet : m_subnets)
        if ((address & subnet.mask) == subnet.address)
            return true;
    return false;
}
