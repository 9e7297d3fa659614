// The network sources' settings: which syslog sockets listen where, and who may send.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct NetworkSettings {
    bool udp = false, tcp = false;
    unsigned udpPort = 514, tcpPort = 514;
    std::string address; // IPv4, dotted; empty: all of the machine's
    std::string allowed; // senders' addresses and subnets, as typed; empty: any
};

// "udp:PORT,tcp:PORT", either or both: turns those sources on in settings, the rest as it was.
// False, settings untouched, for anything else.
bool ParseSourcesArgument(const std::string& argument, NetworkSettings& settings);

// A port of 1 to 65535 from text; false for anything else.
bool ParsePort(const std::string& text, unsigned& port);

// Senders allowed by IPv4 address or subnet ("10.0.0.5", "192.168.1.0/24"), separated by
// spaces, commas or semicolons; empty allows any.
class CSenderList {
public:
    // False, the list untouched, when an entry is not an address or subnet.
    bool Set(const std::string& text);
    // address in host byte order.
    bool Allows(uint32_t address) const;

private:
    struct Subnet {
        uint32_t address, mask;
    };
    std::vector<Subnet> m_subnets;
};

// A dotted IPv4 address in host byte order; false for anything else.
bool ParseIPv4(const std::string& text, uint32_t& address);
