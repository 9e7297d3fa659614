// B2, B8 and B5: many senders, an unnamed one, and memory over cycles of filling and Clear.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "WinProcessSource.h"
#include "resource.h"

namespace {

// Counts the enumerations, that is the refreshes, of the real process list.
class CCountingSource : public IProcessSource {
public:
    bool EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) override {
        ++m_enumerations;
        return m_real.EnumProcesses(ids, bytes, bytesFilled);
    }
    DWORD ReadName(DWORD processId, char (&name)[128]) override {
        return m_real.ReadName(processId, name);
    }

    unsigned m_enumerations = 0;

private:
    CWinProcessSource m_real;
};

// The id of a process that has ended; 0 if the system still lists it.
DWORD EndedProcessId() {
    CChildProcess child;
    if (!child.Start(CommandLine(SiblingPath("kestrin-send.exe"), {"--help"})))
        return 0;
    child.CloseInput();
    if (!child.WaitPumping(kTimeoutMs))
        return 0;
    DWORD ids[CProcessNames::kFirstProcesses];
    DWORD bytes = 0;
    CWinProcessSource().EnumProcesses(ids, sizeof ids, &bytes);
    DWORD* end = ids + bytes / sizeof(DWORD);
    return std::find(ids, end, child.Id()) == end ? child.Id() : 0;
}

struct UnnamedInProcess {
    DWORD id;
    unsigned refreshes;
    double ms;
};

// B8, in this process: the messages of an unnamed sender through the real pipeline.
UnnamedInProcess UnnamedSenderRefreshes(const Scale& scale) {
    UnnamedInProcess result = {EndedProcessId(), 0, 0};
    CCountingSource source;
    CStoringRows rows;
    CCapture capture(source, rows, rows);
    source.m_enumerations = 0;
    const LONGLONG start = Ticks();
    for (unsigned long i = 0; i < scale.unnamed; ++i)
        capture.OnDebugMessage(result.id, kMessage);
    result.ms = TicksToMs(Ticks() - start);
    result.refreshes = source.m_enumerations;
    return result;
}

// B8, end to end: the same number of messages from that id, and from a live one, to Kestrin.
bool UnnamedSender(CTable& table, const CBenchKestrin& kestrin, const Scale& scale,
                   const UnnamedInProcess& inProcess) {
    const std::string what = Format("%lu messages from an id no process owns", scale.unnamed);
    if (inProcess.id == 0) {
        table.Failed("B8", what, "found no ended process id");
        return true;
    }
    std::vector<Sent> unnamed, named;
    std::string failure;
    if (!Send(kestrin.Frame(), 1, scale.unnamed, unnamed, failure, std::to_string(inProcess.id),
              0) ||
        !Send(kestrin.Frame(), 1, scale.unnamed, named, failure)) {
        table.Failed("B8", what, failure);
        return false;
    }
    const double unnamedMs = TicksToMs(unnamed[0].end - unnamed[0].start);
    const double namedMs = TicksToMs(named[0].end - named[0].start);
    table.Add("B8", what,
              Format("%u refresh(es); %.0f ms in process; end to end %.0f ms", inProcess.refreshes,
                     inProcess.ms, unnamedMs),
              "", "1 refresh", inProcess.refreshes == 1 ? "met" : "MISSED");
    table.Add("B8", "  end to end, unnamed id / a live sender's id",
              Format("%.0f ms / %.0f ms", unnamedMs, namedMs), Format("%.2f", unnamedMs / namedMs),
              "printed", "-");
    return true;
}

// B2: messages per second of 1, 4 and 8 senders at once, Kestrin and bare runs interleaved.
bool Throughput(CTable& table, const CBenchKestrin& kestrin, HWND bare, const Scale& scale) {
    for (int senders : {1, 4, 8}) {
        const std::string what = Format("messages/s, %d sender process(es)", senders);
        Progress("B2: %s", what.c_str());
        CSideBySide rate;
        std::vector<Sent> sent;
        std::string failure;
        const unsigned long each = scale.throughput / senders;
        const auto send = [&](bool toKestrin, double& figure) {
            if (!Send(toKestrin ? kestrin.Frame() : bare, senders, each, sent, failure))
                return false;
            figure = PerSecond(sent);
            return true;
        };
        if (!rate.Measure(scale.runs, send)) {
            table.Failed("B2", what, failure);
            return false;
        }
        table.Judge("B2", what, Format("Kestrin %.0f / bare %.0f", rate.First(), rate.Second()),
                    rate.Ratio(), ">= 0.90", rate.Ratio() >= 0.90);
    }
    return true;
}

// B2 sustained: four senders of 20,000 messages each, seven rounds interleaved, the list emptied
// before each so that every round starts from the same count.
bool Sustained(CTable& table, const CBenchKestrin& kestrin, HWND bare, const Scale& scale) {
    const unsigned long each = scale.quick ? 2000 : 20000;
    const std::string what = Format("  sustained: messages/s, 4 senders x %lu", each);
    Progress("B2:%s", what.c_str());
    CSideBySide rate;
    std::vector<Sent> sent;
    std::string failure;
    const auto send = [&](bool toKestrin, double& figure) {
        if (!Send(toKestrin ? kestrin.Frame() : bare, 4, each, sent, failure))
            return false;
        figure = PerSecond(sent);
        return true;
    };
    const auto clear = [&] { return kestrin.Command(ID_CLEAR) || (failure = "Clear", false); };
    if (!rate.Measure(scale.quick ? 3 : 7, send, clear)) {
        table.Failed("B2", what, failure);
        return false;
    }
    table.Judge("B2", what, Format("Kestrin %.0f / bare %.0f", rate.First(), rate.Second()),
                rate.Ratio(), ">= 0.90", rate.Ratio() >= 0.90);
    return true;
}

// Watches one Wine process with strace, a Unix program that Wine starts as it starts any other
// but without a handle: a script finds the process by its name, an argument and this prefix, and
// leaves strace's id beside its output and a mark when it has ended.
class CSystemCalls {
public:
    CSystemCalls(const char* name, const char* argument)
        : m_base(Format("/tmp/kestrin-bench-%lu-%s", ::GetCurrentProcessId(), name)) {
        const std::string script =
            "for p in $(pgrep -x '" + std::string(name).substr(0, 15) +
            "'); do\n"
            "  tr '\\0' '\\n' </proc/$p/environ | grep -qx \"WINEPREFIX=$WINEPREFIX\" &&\n"
            "  tr '\\0' ' ' </proc/$p/cmdline | grep -q -- '" +
            argument +
            "' || continue\n"
            "  strace -f -qq -yy -e trace=write,writev -o " +
            m_base + ".out -p $p & echo $! >" + m_base +
            ".pid; wait; break\n"
            "done\n"
            "touch " +
            m_base + ".done\n";
        m_started = WriteFileText(m_base + ".sh", script) && RunShell(m_base + ".sh") &&
                    WaitFor([&] { return Exists(".pid") || Exists(".done"); }) && Exists(".pid");
        // strace stops the process's threads one by one as it attaches.
        ::Sleep(500);
    }
    ~CSystemCalls() {
        for (const char* suffix : {".sh", ".pid", ".out", ".done", ".stop"})
            ::DeleteFileA(WindowsPath(suffix).c_str());
    }
    // Detaches strace and counts the process's writes to the wineserver's pipe and to sockets,
    // which under Wine are the X server's.
    bool Count(unsigned long& server, unsigned long& x) {
        if (!m_started ||
            !WriteFileText(m_base + ".stop", "kill -INT $(cat " + m_base + ".pid)\n") ||
            !RunShell(m_base + ".stop") || !WaitFor([&] { return Exists(".done"); }))
            return false;
        server = x = 0;
        std::string line;
        for (char c : FileBytes(WindowsPath(".out"))) {
            if (c != '\n') {
                line += c;
                continue;
            }
            const bool write = line.find(" write(") != std::string::npos ||
                               line.find(" writev(") != std::string::npos;
            server += write && line.find("<pipe:") != std::string::npos;
            x += write && line.find("<UNIX-STREAM:") != std::string::npos;
            line.clear();
        }
        return true;
    }

private:
    std::string WindowsPath(const char* suffix) const {
        std::string path = "Z:" + m_base + suffix;
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }
    bool Exists(const char* suffix) const {
        return ::GetFileAttributesA(WindowsPath(suffix).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool WriteFileText(const std::string& unixPath, const std::string& text) const {
        FILE* file = fopen(("Z:" + unixPath).c_str(), "wb");
        const bool written = file && fwrite(text.data(), 1, text.size(), file) == text.size();
        return file && fclose(file) == 0 && written;
    }
    static bool RunShell(const std::string& scriptPath) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        std::string commandLine = "/bin/sh " + scriptPath;
        if (!::CreateProcessA("Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process))
            return false;
        for (HANDLE handle : {process.hProcess, process.hThread})
            if (handle)
                ::CloseHandle(handle);
        return true;
    }

    const std::string m_base;
    bool m_started = false;
};

// B2's cost on the system: one sender's messages to Kestrin and to the bare window, the writes
// of each receiving process counted per message.
bool WritesPerMessage(CTable& table, const CBenchKestrin& kestrin, HWND bare, const Scale& scale) {
    const std::string what = "  writes per message to wineserver / X server, 1 sender";
    Progress("B2:%s", what.c_str());
    double perMessage[2][2] = {};
    for (int turn = 0; turn < 2; ++turn) {
        CSystemCalls calls(turn == 0 ? "kestrin.exe" : "kestrin-bench.exe",
                           turn == 0 ? "" : "--bare");
        std::vector<Sent> sent;
        std::string failure;
        unsigned long server = 0, x = 0;
        if (!Send(turn == 0 ? kestrin.Frame() : bare, 1, scale.throughput, sent, failure) ||
            !calls.Count(server, x) || server == 0) {
            table.Failed("B2", what,
                         failure.empty() ? "strace could not watch the receiver" : failure);
            return true;
        }
        // The sender's warm-up messages are watched too.
        const double messages = scale.throughput + kWarmup;
        perMessage[turn][0] = server / messages;
        perMessage[turn][1] = x / messages;
    }
    const double extra = perMessage[0][0] - perMessage[1][0];
    table.Check("B2", what,
                Format("Kestrin %.2f / %.2f, bare %.2f / %.2f", perMessage[0][0], perMessage[0][1],
                       perMessage[1][0], perMessage[1][1]),
                "<= +1", extra <= 1);
    return true;
}

// B5: memory after cycles of filling and Clear, against after the first.
bool MemoryCycles(CTable& table, const CBenchKestrin& kestrin, const Scale& scale) {
    const std::string what =
        Format("memory after %d cycles of %zu rows and Clear", scale.cycles, scale.cycleRows);
    Progress("B5: %s", what.c_str());
    double firstSet = 0, firstPrivate = 0, workingSet = 0, privateBytes = 0;
    std::string failure;
    for (int cycle = 1; cycle <= scale.cycles; ++cycle) {
        if (!kestrin.FillTo(scale.cycleRows, failure) || !kestrin.Command(ID_CLEAR) ||
            !kestrin.Memory(workingSet, privateBytes)) {
            table.Failed("B5", what,
                         failure.empty() ? "Clear or the memory counters failed" : failure);
            return false;
        }
        if (cycle == 1) {
            firstSet = workingSet;
            firstPrivate = privateBytes;
        }
    }
    const double ratio = workingSet / firstSet;
    const double privateRatio = privateBytes / firstPrivate;
    table.Judge("B5", what,
                Format("working set %.1f / %.1f MB; private %.1f / %.1f MB (%.2f)",
                       workingSet / 1e6, firstSet / 1e6, privateBytes / 1e6, firstPrivate / 1e6,
                       privateRatio),
                ratio, "<= 1.05", ratio <= 1.05 && privateRatio <= 1.05);
    return true;
}

// B2, B8 and B5 on a second Kestrin, whose rows do not disturb the first's sizes. B8's messages
// in this process come first, before the Kestrin starts.
void ManySenders(CTable& table, const Scale& scale, HWND bare) {
    const UnnamedInProcess unnamed = UnnamedSenderRefreshes(scale);
    CBenchKestrin kestrin;
    bool ok = kestrin.Open();
    if (!ok)
        table.Failed("B2", "a second Kestrin", "it did not start");
    ok = ok && Throughput(table, kestrin, bare, scale) && Sustained(table, kestrin, bare, scale) &&
         WritesPerMessage(table, kestrin, bare, scale) &&
         UnnamedSender(table, kestrin, scale, unnamed) && kestrin.Command(ID_CLEAR) &&
         MemoryCycles(table, kestrin, scale);
    if (ok)
        kestrin.Close();
}

const bool registered = RegisterGroup({50, {"B2", "B5", "B8"}, true, ManySenders});

} // namespace
