// kestrin-bench: measures Kestrin side by side with bare stand-ins reached the same way, and
// prints one table of figures, ratios and targets. The program is its own stand-ins too: a
// sender (--send), a writer of debug output (--write), a syslog sender (--syslog) and a window
// that only answers (--bare), each a process of its own. The benchmarks come in groups, one file
// each, that register themselves (see BenchHarness.h).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BenchHarness.h"

namespace {

const Scale kFull = {false, 5, 2000, {0, 10000, 100000, 1000000}, 4000, 100000, 10, 10000, 5000};
const Scale kQuick = {true, 3, 500, {0, 1000, 5000, 20000}, 1000, 5000, 10, 10000, 1000};

// The processor, memory and Wine version the figures were measured on.
std::string Heading(bool quick) {
    char processor[128] = "unknown processor";
    DWORD size = sizeof processor;
    ::RegGetValueA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                   "ProcessorNameString", RRF_RT_REG_SZ, nullptr, processor, &size);
    SYSTEM_INFO system;
    ::GetNativeSystemInfo(&system);
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    ::GlobalMemoryStatusEx(&memory);
    const char* wine = "none";
    // Two casts through the generic function pointer type, which converts to any other.
    if (FARPROC version = ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version"))
        wine = reinterpret_cast<const char* (*)()>(reinterpret_cast<void (*)()>(version))();
    return Format("kestrin-bench%s: %s, %lu processors, %.1f GB; Wine %s; %d-bit build",
                  quick ? " --quick" : "", processor, system.dwNumberOfProcessors,
                  memory.ullTotalPhys / 1073741824.0, wine, static_cast<int>(sizeof(void*) * 8));
}

bool IsBenchmarkId(const std::string& text) {
    return std::any_of(Groups().begin(), Groups().end(),
                       [&](const BenchGroup& group) { return group.Names(text); });
}

// "B1..B15": the lowest and the highest id of the groups.
std::string IdRange() {
    std::vector<std::string> ids;
    for (const BenchGroup& group : Groups())
        ids.insert(ids.end(), group.ids.begin(), group.ids.end());
    const auto number = [](const std::string& a, const std::string& b) {
        return atoi(a.c_str() + 1) < atoi(b.c_str() + 1);
    };
    const auto [lowest, highest] = std::minmax_element(ids.begin(), ids.end(), number);
    return ids.empty() ? "" : *lowest + ".." + *highest;
}

// The bare window program, open while the groups that measure beside it run.
class CBareWindow {
public:
    ~CBareWindow() { Close(); }
    // Starts the program unless it runs; null when its window did not open.
    HWND Open() {
        if (!m_program) {
            m_program =
                std::make_unique<CProgram>("kestrin-bench.exe", std::vector<std::string>{"--bare"});
            WaitFor([&] { return (m_window = ::FindWindowA(nullptr, kBareTitle)) != nullptr; });
        }
        return m_window;
    }
    void Close() {
        if (!m_program)
            return;
        ::PostMessageA(m_window, WM_CLOSE, 0, 0);
        m_program->Wait();
        m_program.reset();
        m_window = nullptr;
    }

private:
    std::unique_ptr<CProgram> m_program;
    HWND m_window = nullptr;
};

// only names one benchmark (B7), or is empty for all of them; a benchmark that shares its Kestrin
// with others runs with them.
int RunBenchmarks(bool quick, const std::string& only) {
    if (::FindWindowA(nullptr, "Kestrin")) {
        fprintf(stderr, "kestrin-bench: a window titled Kestrin is open already; close it first\n");
        return 1;
    }
    const Scale& scale = quick ? kQuick : kFull;
    CTable table;
    CBareWindow bare;
    for (const BenchGroup& group : Groups()) {
        if (!only.empty() && !group.Names(only))
            continue;
        if (!group.besideBare) {
            bare.Close();
            group.run(table, scale, nullptr);
        } else if (HWND window = bare.Open())
            group.run(table, scale, window);
        else // under the id asked for, so that the table shows it
            table.Failed((only.empty() ? group.ids.front() : only).c_str(), "the bare window",
                         "it did not open");
    }
    bare.Close();
    table.Print(Heading(quick), only);
    return table.AnyFailed() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && strcmp(argv[1], "--send") == 0)
        return RunSender(argc, argv);
    if (argc >= 2 && strcmp(argv[1], "--write") == 0)
        return RunWriter(argc, argv);
    if (argc == 2 && strcmp(argv[1], "--bare") == 0)
        return RunBare();
    if (argc >= 2 && strcmp(argv[1], "--syslog") == 0)
        return RunSyslogSender(argc, argv);
    bool quick = false;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--quick") == 0 && !quick) {
            quick = true;
        } else if (strcmp(argv[i], "--only") == 0 && i + 1 < argc && only.empty() &&
                   IsBenchmarkId(argv[i + 1])) {
            only = argv[++i];
        } else {
            fprintf(stderr, "Usage: kestrin-bench [--quick] [--only %s]\n", IdRange().c_str());
            return 2;
        }
    }
    return RunBenchmarks(quick, only);
}
