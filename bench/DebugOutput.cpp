// B12 and B13: debug output read by Kestrin, beside a bare reader of the same buffer.
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "BenchHarness.h"
#include "resource.h"

namespace {

// B12's stand-in: takes the debug-output buffer on a thread of the bench and only copies each
// line out and re-arms, counting the lines.
class CBareReader {
public:
    bool Start() {
        m_section.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                             kBufferBytes, "DBWIN_BUFFER"));
        // Kestrin lets go of it once the writers pause, after turning debug output off.
        if (!m_section || ::GetLastError() == ERROR_ALREADY_EXISTS) {
            m_section.Reset();
            return false;
        }
        m_view = static_cast<const char*>(
            ::MapViewOfFile(m_section.Get(), FILE_MAP_READ, 0, 0, kBufferBytes));
        m_bufferReady.Reset(::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY"));
        m_dataReady.Reset(::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY"));
        m_stop.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!m_view || !m_bufferReady || !m_dataReady || !m_stop)
            return false;
        m_thread = std::thread([this] { Run(); });
        return true;
    }
    // The lines read.
    unsigned long Stop() {
        if (m_thread.joinable()) {
            ::SetEvent(m_stop.Get());
            m_thread.join();
        }
        if (m_view)
            ::UnmapViewOfFile(m_view);
        m_view = nullptr;
        m_section.Reset();
        m_bufferReady.Reset();
        m_dataReady.Reset();
        return m_lines;
    }
    ~CBareReader() { Stop(); }

private:
    static const DWORD kBufferBytes = 4096;

    void Run() {
        char text[kBufferBytes];
        const HANDLE events[] = {m_stop.Get(), m_dataReady.Get()};
        ::SetEvent(m_bufferReady.Get());
        while (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            const size_t length = strnlen(m_view + sizeof(DWORD), kBufferBytes - sizeof(DWORD));
            memcpy(text, m_view + sizeof(DWORD), length);
            ::SetEvent(m_bufferReady.Get());
            ++m_lines;
        }
    }

    CHandle m_section, m_bufferReady, m_dataReady, m_stop;
    const char* m_view = nullptr;
    std::thread m_thread;
    unsigned long m_lines = 0;
};

// B12: debug-output lines per second of 1, 4 and 8 writer processes, read by Kestrin and by the
// bare reader in turn. A line Kestrin shows no row for, or the bare reader did not count, is lost.
bool DebugOutputThroughput(CTable& table, const CBenchKestrin& kestrin, const Scale& scale) {
    for (int writers : {1, 4, 8}) {
        const std::string what = Format("debug-output lines/s, %d writer process(es)", writers);
        Progress("B12: %s", what.c_str());
        const unsigned long each = scale.throughput / writers, total = each * writers;
        CSideBySide rate;
        unsigned long lost = 0;
        std::vector<Sent> sent;
        std::string failure;
        const auto write = [&](bool toKestrin, double& figure) {
            CBareReader bare;
            if (toKestrin ? !kestrin.Command(ID_CLEAR) || !kestrin.Command(ID_CAPTURE_DEBUG_OUTPUT)
                          : !WaitFor([&] { return bare.Start(); }))
                failure = "the reader could not take the buffer";
            else
                RunGated(writers, {"--write", std::to_string(each)}, each, sent, failure);
            unsigned long read = 0;
            if (toKestrin) {
                WaitFor([&] { return kestrin.Rows() >= total; });
                read = static_cast<unsigned long>(kestrin.Rows());
                kestrin.Command(ID_CAPTURE_DEBUG_OUTPUT);
            } else
                read = bare.Stop();
            if (!failure.empty())
                return false;
            lost += read > total ? read - total : total - read;
            figure = PerSecond(sent);
            return true;
        };
        if (!rate.Measure(scale.runs, write)) {
            table.Failed("B12", what, failure);
            return false;
        }
        table.Judge("B12", what,
                    Format("Kestrin %.0f / bare %.0f; %lu lost or twice", rate.First(),
                           rate.Second(), lost),
                    rate.Ratio(), ">= 0.90", rate.Ratio() >= 0.90 && lost == 0);
    }
    return true;
}

// B13: this process's WM_SETTEXT round trips to Kestrin with no debug output, during an 8-writer
// flood that Kestrin reads, and during the same flood read by the bare reader instead, which
// tells the writers' own load on the machine from Kestrin's; interleaved.
bool DebugOutputRoundTrip(CTable& table, const CBenchKestrin& kestrin, const Scale& scale) {
    const std::string what = Format("round trip during an 8-writer debug-output flood of %lu lines",
                                    8 * scale.floodEach);
    Progress("B13: %s", what.c_str());
    double ms = 0;
    unsigned long count = 0;
    const auto roundTrips = [&] {
        const LONGLONG start = Ticks();
        for (int i = 0; i < 20; ++i)
            ::SendMessageA(kestrin.Frame(), WM_SETTEXT, ::GetCurrentProcessId(),
                           reinterpret_cast<LPARAM>(kMessage));
        ms += TicksToMs(Ticks() - start);
        count += 20;
    };
    std::vector<double> idleUs, kestrinUs, bareUs;
    std::vector<Sent> sent;
    std::string failure;
    for (int run = 0; run < scale.runs; ++run) {
        ms = 0, count = 0;
        while (count < scale.roundTrip)
            roundTrips();
        idleUs.push_back(ms * 1000 / count);
        for (bool byKestrin : {true, false}) {
            CBareReader bare;
            if (byKestrin ? !kestrin.Command(ID_CAPTURE_DEBUG_OUTPUT)
                          : !WaitFor([&] { return bare.Start(); }))
                failure = "the reader could not take the buffer";
            ms = 0, count = 0;
            if (failure.empty())
                RunGated(8, {"--write", std::to_string(scale.floodEach)}, scale.floodEach, sent,
                         failure, roundTrips);
            if (byKestrin)
                kestrin.Command(ID_CAPTURE_DEBUG_OUTPUT);
            if (!failure.empty() || count == 0) {
                table.Failed("B13", what, failure.empty() ? "no round trip in the flood" : failure);
                return false;
            }
            (byKestrin ? kestrinUs : bareUs).push_back(ms * 1000 / count);
        }
    }
    const double ratio = Median(kestrinUs) / Median(idleUs);
    table.Judge("B13", what,
                Format("flood %.0f us / idle %.0f us", Median(kestrinUs), Median(idleUs)), ratio,
                "<= 1.5", ratio <= 1.5);
    table.Add("B13", "  the same, the flood read by the bare reader",
              Format("Kestrin's flood %.0f us / bare reader's flood %.0f us", Median(kestrinUs),
                     Median(bareUs)),
              Format("%.2f", Median(kestrinUs) / Median(bareUs)), "printed", "-");
    return true;
}

// B12 and B13 on a Kestrin of their own.
void DebugOutput(CTable& table, const Scale& scale, HWND) {
    CBenchKestrin kestrin;
    if (!kestrin.Open()) {
        table.Failed("B12", "a Kestrin for debug output", "it did not start");
        return;
    }
    if (DebugOutputThroughput(table, kestrin, scale) && DebugOutputRoundTrip(table, kestrin, scale))
        kestrin.Close();
}

const bool registered = RegisterGroup({60, {"B12", "B13"}, false, DebugOutput});

} // namespace
