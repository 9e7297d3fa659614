// B22 and B23: syslog floods read by Kestrin, beside a bare receiver on sockets of the same kind.
#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "BenchHarness.h"
#include "SyslogListener.h"
#include "resource.h"

namespace {

const int kSenders = 4;

// The stand-in: one thread polls a UDP and a TCP socket opened as Kestrin opens them, and only
// receives, counting datagrams and the bytes of the connections and noting when the first
// and the last came.
class CBareSyslog {
public:
    CBareSyslog() : m_frameBytes(SyslogFrame(0, true).size()) {}
    ~CBareSyslog() { Stop(); }

    // UDP on port, TCP on port + 1.
    bool Start(unsigned port) {
        int error = 0;
        m_udp = OpenSyslogSocket(SOCK_DGRAM, NetworkSettings(), port, error);
        m_tcp = OpenSyslogSocket(SOCK_STREAM, NetworkSettings(), port + 1, error);
        if (m_udp == INVALID_SOCKET || m_tcp == INVALID_SOCKET)
            return false;
        m_thread = std::thread([this] { Run(); });
        return true;
    }
    // Every frame has one size.
    size_t Lines() const { return m_datagrams + m_bytes / m_frameBytes; }
    double Seconds() const { return TicksToMs(m_last - m_first) / 1000; }
    // Between floods: counts from nothing.
    void Reset() {
        m_datagrams = 0;
        m_bytes = 0;
        m_first = 0;
        m_last = 0;
    }
    void Stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        for (SOCKET s : m_connections)
            ::closesocket(s);
        m_connections.clear();
        for (SOCKET* s : {&m_udp, &m_tcp})
            if (*s != INVALID_SOCKET)
                ::closesocket(std::exchange(*s, INVALID_SOCKET));
    }

private:
    void Run() {
        std::vector<char> buffer(65536);
        const int size = static_cast<int>(buffer.size());
        std::vector<WSAPOLLFD> polled;
        while (!m_stop) {
            polled = {{m_udp, POLLRDNORM, 0}, {m_tcp, POLLRDNORM, 0}};
            for (SOCKET s : m_connections)
                polled.push_back({s, POLLRDNORM, 0});
            if (::WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), 100) <= 0)
                continue;
            for (size_t i = polled.size(); i-- > 2;) {
                if (polled[i].revents == 0)
                    continue;
                const int got = ::recv(polled[i].fd, buffer.data(), size, 0);
                if (got > 0) {
                    Came();
                    m_bytes += static_cast<size_t>(got);
                } else if (got == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK) {
                    ::closesocket(polled[i].fd);
                    m_connections.erase(m_connections.begin() + static_cast<ptrdiff_t>(i - 2));
                }
            }
            if (polled[0].revents != 0)
                while (::recv(m_udp, buffer.data(), size, 0) >= 0) {
                    Came();
                    ++m_datagrams;
                }
            u_long nonBlocking = 1;
            if (polled[1].revents != 0)
                for (SOCKET s; (s = ::accept(m_tcp, nullptr, nullptr)) != INVALID_SOCKET;) {
                    ::ioctlsocket(s, FIONBIO, &nonBlocking);
                    m_connections.push_back(s);
                }
        }
    }

    void Came() {
        m_last = Ticks();
        if (m_first == 0)
            m_first = m_last.load();
    }

    const size_t m_frameBytes;
    std::atomic<LONGLONG> m_first{0}, m_last{0};
    SOCKET m_udp = INVALID_SOCKET, m_tcp = INVALID_SOCKET;
    std::vector<SOCKET> m_connections;
    std::atomic<size_t> m_datagrams{0}, m_bytes{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// A receiver of the floods: the ports its UDP and TCP sockets have; what empties it before a
// flood; the lines it has had; the seconds from the first of them to the last.
struct Receiver {
    unsigned udp, tcp;
    std::function<bool()> empty;
    std::function<size_t()> lines;
    std::function<double()> seconds;
};

// What a flood reached: the lines received, and the lines a second from the first to the last.
struct Reached {
    size_t lines = 0;
    double perSecond = 0;
};

// Senders of transport, each sending each lines at perSecond (0: as fast as they can), and
// meanwhile, if given, over and over until the receiver has every line or has had none more for
// a second.
bool Flood(const Receiver& receiver, bool tcp, unsigned long each, unsigned long perSecond,
           Reached& reached, std::string& failure,
           const std::function<void()>& meanwhile = nullptr) {
    const size_t total = kSenders * each;
    size_t seen = 0;
    LONGLONG grew = 0;
    const auto watch = [&] {
        if (const size_t now = receiver.lines(); now != seen)
            seen = now, grew = Ticks();
        meanwhile ? meanwhile() : ::Sleep(5);
    };
    std::vector<Sent> sent;
    const unsigned port = tcp ? receiver.tcp : receiver.udp;
    if (!receiver.empty()) {
        failure = "the receiver could not be emptied";
        return false;
    }
    if (!RunGated(kSenders,
                  {"--syslog", tcp ? "tcp" : "udp", std::to_string(port), std::to_string(each),
                   std::to_string(perSecond)},
                  each, sent, failure, watch))
        return false;
    for (const LONGLONG ended = Ticks();
         seen < total && TicksToMs(Ticks() - std::max(grew, ended)) < 1000;)
        watch();
    if (seen == 0) {
        failure = Format("no line reached port %u", port);
        return false;
    }
    reached = {seen, (seen - 1) / receiver.seconds()};
    return true;
}

// Kestrin's rows are stamped as their lines are received: the last row's time, counted from the
// first row's, is the span over which it received them.
double SecondsToLastRow(const CRemoteList& list) {
    return atof(list.GetRow(list.Count() - 1)[2].c_str());
}

// B22's UDP lines lost at perSecond, four seconds a flood, Kestrin and the bare receiver in turn.
bool LostAtPace(CTable& table, const Scale& scale, unsigned long perSecond, const Receiver& kestrin,
                const Receiver& bare) {
    const unsigned long each = perSecond / kSenders * (scale.quick ? 1 : 4);
    const std::string what =
        Format("  lost over UDP at %lu lines/s, %d senders x %lu", perSecond, kSenders, each);
    Progress("B22:%s", what.c_str());
    size_t lost[2] = {};
    std::string failure;
    for (int run = 0; run < scale.runs; ++run)
        for (bool toKestrin : {run % 2 == 0, run % 2 != 0}) {
            Reached reached;
            if (!Flood(toKestrin ? kestrin : bare, false, each, perSecond / kSenders, reached,
                       failure)) {
                table.Failed("B22", what, failure);
                return false;
            }
            lost[toKestrin ? 0 : 1] += kSenders * each - reached.lines;
        }
    table.Check(
        "B22", what,
        Format("Kestrin %zu, bare %zu of %lu", lost[0], lost[1], scale.runs * kSenders * each), "0",
        lost[0] == 0);
    return true;
}

// B22: lines a second over UDP and over TCP, all senders at full speed, Kestrin and the bare
// receiver in turn; then the lines lost over UDP at a steady pace.
bool Throughput(CTable& table, const Scale& scale, const Receiver& kestrin, const Receiver& bare) {
    const unsigned long each = scale.quick ? 5000 : 50000;
    for (bool tcp : {false, true}) {
        const std::string what =
            Format("syslog lines/s, %d senders over %s", kSenders, tcp ? "TCP" : "UDP");
        Progress("B22: %s", what.c_str());
        size_t lost[2] = {};
        std::string failure;
        CSideBySide rate;
        const auto flood = [&](bool toKestrin, double& figure) {
            Reached reached;
            if (!Flood(toKestrin ? kestrin : bare, tcp, each, 0, reached, failure))
                return false;
            lost[toKestrin ? 0 : 1] += kSenders * each - reached.lines;
            figure = reached.perSecond;
            return true;
        };
        if (!rate.Measure(scale.runs, flood)) {
            table.Failed("B22", what, failure);
            return false;
        }
        table.Judge("B22", what,
                    Format("Kestrin %.0f / bare %.0f; lost: Kestrin %zu, bare %zu", rate.First(),
                           rate.Second(), lost[0], lost[1]),
                    rate.Ratio(), tcp ? ">= 0.90; 0 lost" : ">= 0.90",
                    rate.Ratio() >= 0.90 && (!tcp || lost[0] == 0));
    }
    // At the target's pace and, for a machine that cannot carry it, at half.
    return LostAtPace(table, scale, 20000, kestrin, bare) &&
           LostAtPace(table, scale, 10000, kestrin, bare);
}

// B23: this process's WM_SETTEXT round trips to Kestrin during a TCP flood that Kestrin reads,
// and during the same flood read by the bare receiver instead; interleaved.
bool RoundTrip(CTable& table, const Scale& scale, const Receiver& kestrin, const Receiver& bare,
               const CBenchKestrin& program) {
    const unsigned long each = scale.quick ? 5000 : 50000;
    const std::string what = Format("round trip during a %d-sender syslog flood of %lu lines",
                                    kSenders, kSenders * each);
    Progress("B23: %s", what.c_str());
    double ms = 0;
    unsigned long count = 0;
    const auto roundTrips = [&] {
        const LONGLONG start = Ticks();
        for (int i = 0; i < 20; ++i)
            ::SendMessageA(program.Frame(), WM_SETTEXT, ::GetCurrentProcessId(),
                           reinterpret_cast<LPARAM>(kMessage));
        ms += TicksToMs(Ticks() - start);
        count += 20;
    };
    // The round trips are rows too: Kestrin has every line once its rows, less them, reach the
    // flood's.
    Receiver kestrinLess = kestrin;
    kestrinLess.lines = [&] {
        const size_t rows = kestrin.lines();
        return rows > count ? rows - count : 0;
    };
    std::string failure;
    CSideBySide roundTrip;
    const auto flood = [&](bool toKestrin, double& figure) {
        Reached reached;
        ms = 0, count = 0;
        if (!Flood(toKestrin ? kestrinLess : bare, true, each, 0, reached, failure, roundTrips))
            return false;
        figure = ms * 1000 / count;
        return count > 0;
    };
    if (!roundTrip.Measure(scale.runs, flood)) {
        table.Failed("B23", what, failure.empty() ? "no round trip in the flood" : failure);
        return false;
    }
    table.Judge("B23", what,
                Format("Kestrin's flood %.0f us / bare receiver's flood %.0f us", roundTrip.First(),
                       roundTrip.Second()),
                roundTrip.Ratio(), "<= 1.2", roundTrip.Ratio() <= 1.2);
    return true;
}

// B22 and B23 on a Kestrin started with syslog on, its ports and the bare receiver's next to
// each other.
void Syslog(CTable& table, const Scale& scale, HWND) {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        table.Failed("B22", "Winsock", "it did not start");
        return;
    }
    const unsigned port = 20000 + ::GetCurrentProcessId() % 20000;
    CBenchKestrin program({"/syslog", Format("udp:%u,tcp:%u", port, port + 1)});
    CBareSyslog bare;
    // The rows' times count from the first row: the last one's is Kestrin's span of receipt.
    if (!program.Open() || !program.Command(ID_VIEW_TIME_SINCE_FIRST) || !bare.Start(port + 2)) {
        table.Failed("B22", "Kestrin and the bare receiver", "either did not start");
    } else {
        const CRemoteList list(program.View());
        const Receiver kestrin = {port, port + 1, [&] { return program.Command(ID_CLEAR); },
                                  [&] { return program.Rows(); },
                                  [&] { return SecondsToLastRow(list); }};
        const Receiver bareReceiver = {port + 2, port + 3,
                                       [&] {
                                           bare.Reset();
                                           return true;
                                       },
                                       [&] { return bare.Lines(); },
                                       [&] { return bare.Seconds(); }};
        if (Throughput(table, scale, kestrin, bareReceiver) &&
            RoundTrip(table, scale, kestrin, bareReceiver, program))
            program.Close();
    }
    bare.Stop();
    ::WSACleanup();
}

const bool registered = RegisterGroup({65, {"B22", "B23"}, false, Syslog});

} // namespace
