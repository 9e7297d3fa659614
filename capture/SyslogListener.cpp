// The syslog listener's thread: one poll over the sockets, datagrams and TCP frames as lines.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "SyslogListener.h"

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include "Capture.h"
#include "Syslog.h"
#include "ThreadEdge.h"

namespace {
const INT kPollMs = 100;
// A datagram's largest payload, and a byte more to tell a cut one.
const int kDatagramBytes = 65536;
// Datagrams waiting in the system while the thread is busy: enough for a flood's burst.
const int kUdpReceiveBuffer = 8 << 20;

struct Connection {
    SOCKET socket;
    ULONGLONG lastActive;
    std::string address;
    CSyslogFramer framer;
};

std::string AddressText(const sockaddr_in& from) {
    char text[INET_ADDRSTRLEN] = "?";
    const uint32_t address = ntohl(from.sin_addr.s_addr);
    snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 255,
             (address >> 8) & 255, address & 255);
    return text;
}

} // namespace

SOCKET OpenSyslogSocket(int type, const NetworkSettings& settings, unsigned port, int& error) {
    SOCKET s = ::socket(AF_INET, type, type == SOCK_DGRAM ? IPPROTO_UDP : IPPROTO_TCP);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<u_short>(port));
    uint32_t address = INADDR_ANY;
    ParseIPv4(settings.address, address);
    at.sin_addr.s_addr = htonl(address);
    // A port another program holds is in use, never shared.
    const BOOL exclusive = TRUE;
    u_long nonBlocking = 1;
    if (s == INVALID_SOCKET ||
        ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                     sizeof exclusive) != 0 ||
        ::bind(s, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
        (type == SOCK_STREAM && ::listen(s, SOMAXCONN) != 0) ||
        ::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        error = ::WSAGetLastError();
        if (s != INVALID_SOCKET)
            ::closesocket(s);
        return INVALID_SOCKET;
    }
    if (type == SOCK_DGRAM)
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&kUdpReceiveBuffer),
                     sizeof kUdpReceiveBuffer);
    return s;
}

struct SyslogThread {
    std::shared_ptr<CDebugLineQueue> queue;
    HWND notify;
    UINT ready, refusedMessage;
    CSenderList allowed;
    SOCKET udp = INVALID_SOCKET, tcp = INVALID_SOCKET;
    std::vector<Connection> connections;
    std::atomic<bool> stop{false};
    std::atomic<unsigned long long> refused{0};
    std::atomic<bool> refusedPosted{false};
    bool wakeDue = false; // a line was queued that the window is to be woken for
    std::vector<char> buffer = std::vector<char>(kDatagramBytes);
    std::thread thread;

    void Run();
    void Round(std::vector<WSAPOLLFD>& polled);
    bool Allows(const sockaddr_in& from) { return allowed.Allows(ntohl(from.sin_addr.s_addr)); }
    void Refuse();
    void Deliver(const char* data, size_t size, const std::string& address);
    void Wake();
    void ReadDatagrams();
    void Accept();
    // False when the connection is to close.
    bool Read(Connection& connection);
    void Close(size_t index);
};

void SyslogThread::Refuse() {
    ++refused;
    if (!refusedPosted.exchange(true))
        ::PostMessageA(notify, refusedMessage, 0, 0);
}

// What cannot be read as syslog still becomes a row, named by its sender's address.
void SyslogThread::Deliver(const char* data, size_t size, const std::string& address) {
    if (size == 0)
        return;
    const uint64_t time = IClock::System().Now();
    bool wake = false;
    CatchAtEdge(
        [&] {
            SyslogMessage message;
            if (!ParseSyslog(data, size, message)) {
                message.host = address;
                message.text.assign(data, size);
            }
            const SyslogRow row = MakeSyslogRow(message, CLeadBytes::System());
            queue->Push(row.pid, time, row.name, row.text.data(), row.text.size(), wake, true,
                        row.detail);
        },
        [&] { queue->CountDropped(wake); });
    wakeDue = wakeDue || wake;
}

// Once a round, not once a message: a flood reaches the window in batches.
void SyslogThread::Wake() {
    if (std::exchange(wakeDue, false) && !::PostMessageA(notify, ready, 0, 0))
        queue->WakeFailed();
}

void SyslogThread::ReadDatagrams() {
    // A flood waits for the next round after a few, so connections are served too.
    for (int i = 0; i < 256; ++i) {
        sockaddr_in from = {};
        int fromSize = sizeof from;
        const int got = ::recvfrom(udp, buffer.data(), kDatagramBytes, 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got < 0 && ::WSAGetLastError() == WSAEMSGSIZE)
            continue; // larger than any syslog datagram: not a message
        if (got < 0)
            return;
        if (!Allows(from))
            Refuse();
        else
            Deliver(buffer.data(), static_cast<size_t>(got), AddressText(from));
    }
}

void SyslogThread::Accept() {
    for (;;) {
        sockaddr_in from = {};
        int fromSize = sizeof from;
        const SOCKET s = ::accept(tcp, reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (s == INVALID_SOCKET)
            return;
        if (!Allows(from)) {
            ::closesocket(s);
            Refuse();
            continue;
        }
        u_long nonBlocking = 1;
        ::ioctlsocket(s, FIONBIO, &nonBlocking);
        if (connections.size() >= CSyslogListener::kMaxConnections) {
            size_t oldest = 0;
            for (size_t i = 1; i < connections.size(); ++i)
                if (connections[i].lastActive < connections[oldest].lastActive)
                    oldest = i;
            Close(oldest);
        }
        try {
            connections.push_back({s, ::GetTickCount64(), AddressText(from), CSyslogFramer()});
        } catch (...) {
            ::closesocket(s);
            throw;
        }
    }
}

bool SyslogThread::Read(Connection& connection) {
    const int got = ::recv(connection.socket, buffer.data(), kDatagramBytes, 0);
    if (got < 0)
        return ::WSAGetLastError() == WSAEWOULDBLOCK;
    auto frame = [&](const char* data, size_t size) { Deliver(data, size, connection.address); };
    if (got == 0) {
        connection.framer.End(frame);
        return false;
    }
    connection.lastActive = ::GetTickCount64();
    return connection.framer.Feed(buffer.data(), static_cast<size_t>(got), frame);
}

void SyslogThread::Close(size_t index) {
    ::closesocket(connections[index].socket);
    connections.erase(connections.begin() + static_cast<ptrdiff_t>(index));
}

void SyslogThread::Run() {
    std::vector<WSAPOLLFD> polled;
    while (!stop) {
        CatchAtEdge([&] { Round(polled); }, [] { ::Sleep(kPollMs); });
        Wake();
    }
    for (size_t i = connections.size(); i-- > 0;)
        Close(i);
    for (SOCKET s : {udp, tcp})
        if (s != INVALID_SOCKET)
            ::closesocket(s);
}

// Out of memory, a round stops where it was and the next one goes on.
void SyslogThread::Round(std::vector<WSAPOLLFD>& polled) {
    polled.clear();
    for (SOCKET s : {udp, tcp})
        if (s != INVALID_SOCKET)
            polled.push_back({s, POLLRDNORM, 0});
    for (const Connection& connection : connections)
        polled.push_back({connection.socket, POLLRDNORM, 0});
    if (::WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), kPollMs) < 0) {
        ::Sleep(kPollMs);
        return;
    }
    const size_t listeners = polled.size() - connections.size();
    // Connections first: those accepted now were not polled.
    const ULONGLONG now = ::GetTickCount64();
    for (size_t i = connections.size(); i-- > 0;) {
        const bool ready = polled[listeners + i].revents != 0;
        if ((ready && !Read(connections[i])) ||
            (!ready && now - connections[i].lastActive > CSyslogListener::kIdleMs))
            Close(i);
    }
    for (size_t i = 0; i < listeners; ++i)
        if (polled[i].revents != 0)
            polled[i].fd == udp ? ReadDatagrams() : Accept();
}

CSyslogListener::CSyslogListener(std::shared_ptr<CDebugLineQueue> queue, HWND notify, UINT ready,
                                 UINT refused)
    : m_thread(std::make_shared<SyslogThread>()) {
    m_thread->queue = std::move(queue);
    m_thread->notify = notify;
    m_thread->ready = ready;
    m_thread->refusedMessage = refused;
}

CSyslogListener::~CSyslogListener() {
    m_thread->stop = true;
    if (m_thread->thread.joinable())
        m_thread->thread.join();
    if (m_winsock)
        ::WSACleanup();
}

CSyslogListener::Opened CSyslogListener::Start(const NetworkSettings& settings,
                                               const CSenderList& allowed) {
    Opened opened;
    if (!settings.udp && !settings.tcp)
        return opened;
    WSADATA data;
    const int started = ::WSAStartup(MAKEWORD(2, 2), &data);
    m_winsock = started == 0;
    if (!m_winsock) {
        opened.udpError = settings.udp ? started : 0;
        opened.tcpError = settings.tcp ? started : 0;
        return opened;
    }
    SyslogThread& thread = *m_thread;
    thread.allowed = allowed;
    if (settings.udp)
        thread.udp = OpenSyslogSocket(SOCK_DGRAM, settings, settings.udpPort, opened.udpError);
    if (settings.tcp)
        thread.tcp = OpenSyslogSocket(SOCK_STREAM, settings, settings.tcpPort, opened.tcpError);
    if (thread.udp != INVALID_SOCKET || thread.tcp != INVALID_SOCKET)
        thread.thread = std::thread([&thread] { thread.Run(); });
    return opened;
}

unsigned long long CSyslogListener::TakeRefused() {
    m_thread->refusedPosted = false;
    return m_thread->refused;
}
