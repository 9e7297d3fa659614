// BenchHarness: the helpers every group shares, and the registry of the groups.
#include "BenchHarness.h"

#include <commctrl.h>
// The plain function names, which PSAPI_VERSION 2 would turn into macros that rename
// CWinProcessSource::EnumProcesses.
#define PSAPI_VERSION 1
#include <psapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>

std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void Progress(const char* format, ...) {
    va_list args;
    va_start(args, format);
    fputs("kestrin-bench: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    fflush(stderr);
    va_end(args);
}

LONGLONG Ticks() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double TicksToMs(LONGLONG ticks) {
    static const double perSecond = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart);
    }();
    return ticks * 1000.0 / perSecond;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

bool CSideBySide::Measure(int rounds,
                          const std::function<bool(bool first, double& figure)>& measure,
                          const std::function<bool()>& before) {
    for (int round = 0; round < rounds; ++round) {
        if (before && !before())
            return false;
        for (int turn = 0; turn < 2; ++turn) {
            const bool first = (round + turn) % 2 == 0;
            double figure = 0;
            if (!measure(first, figure))
                return false;
            (first ? m_first : m_second).push_back(figure);
        }
    }
    return true;
}

void CTable::Add(const char* id, const std::string& what, const std::string& figures,
                 const std::string& ratio, const char* target, const char* verdict) {
    m_lines.push_back({id, what, figures, ratio, target, verdict});
    Progress("%s %s: %s %s", id, what.c_str(), figures.c_str(), ratio.c_str());
}

void CTable::Judge(const char* id, const std::string& what, const std::string& figures,
                   double ratio, const char* target, bool met) {
    Add(id, what, figures, Format("%.2f", ratio), target, met ? "met" : "MISSED");
}

void CTable::Check(const char* id, const std::string& what, const std::string& figures,
                   const char* target, bool met) {
    Add(id, what, figures, "", target, met ? "met" : "MISSED");
}

void CTable::Failed(const char* id, const std::string& what, const std::string& reason) {
    Add(id, what, "failed: " + reason, "", "", "FAILED");
    m_failed = true;
}

void CTable::Print(const std::string& heading, const std::string& only) const {
    printf("%s\n\n", heading.c_str());
    const char* format = "%-4s %-56s %-52s %-6s %-9s %s\n";
    printf(format, "#", "What", "Figures", "Ratio", "Target", "Verdict");
    std::vector<Line> lines;
    std::copy_if(m_lines.begin(), m_lines.end(), std::back_inserter(lines),
                 [&](const Line& line) { return only.empty() || line.id == only; });
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return atoi(a.id.c_str() + 1) < atoi(b.id.c_str() + 1);
    });
    for (const Line& line : lines)
        printf(format, line.id.c_str(), line.what.c_str(), line.figures.c_str(), line.ratio.c_str(),
               line.target.c_str(), line.verdict.c_str());
}

double MeanRoundTripUs(const Sent& sent) {
    return TicksToMs(sent.end - sent.start) * 1000.0 / sent.count;
}

double PerSecond(const std::vector<Sent>& sent) {
    LONGLONG start = sent.front().start, end = sent.front().end;
    double total = 0;
    for (const Sent& s : sent) {
        start = std::min(start, s.start);
        end = std::max(end, s.end);
        total += s.count;
    }
    return total * 1000.0 / TicksToMs(end - start);
}

bool RunGated(int senders, const std::vector<std::string>& args, unsigned long each,
              std::vector<Sent>& sent, std::string& failure,
              const std::function<void()>& meanwhile) {
    static int batches = 0;
    const std::string gateName =
        Format("KestrinBenchGate-%lu-%d", ::GetCurrentProcessId(), ++batches);
    CHandle gate(::CreateEventA(nullptr, TRUE, FALSE, gateName.c_str()));
    CHandle ready(::CreateSemaphoreA(nullptr, 0, senders, (gateName + "-ready").c_str()));
    if (!gate || !ready) {
        failure = "cannot create the senders' gate";
        return false;
    }
    std::vector<std::unique_ptr<CChildProcess>> children;
    for (int i = 0; i < senders; ++i) {
        children.push_back(std::make_unique<CChildProcess>());
        std::vector<std::string> line = args;
        line.push_back(gateName);
        if (!children.back()->Start(CommandLine(ProgramPath(), line))) {
            failure = "cannot start a sender";
            return false;
        }
        children.back()->CloseInput();
    }
    for (int i = 0; i < senders; ++i)
        if (::WaitForSingleObject(ready.Get(), kTimeoutMs) != WAIT_OBJECT_0) {
            failure = "a sender did not warm up";
            return false;
        }
    ::SetEvent(gate.Get());

    if (meanwhile)
        for (const auto& child : children)
            while (::WaitForSingleObject(child->Handle(), 0) == WAIT_TIMEOUT)
                meanwhile();
    sent.clear();
    for (const auto& child : children) {
        Sent s = {};
        if (!child->WaitPumping(kBatchTimeoutMs)) {
            failure = "a sender did not end";
            return false;
        }
        const std::string output = child->Output();
        unsigned long refused = 0;
        if (child->ExitCode() != 0 ||
            sscanf(output.c_str(), "sent %lu refused %lu from %lld to %lld longest %lld", &s.count,
                   &refused, &s.start, &s.end, &s.longest) != 5 ||
            s.count != each || s.end <= s.start) {
            failure = "a sender said: " + output;
            return false;
        }
        sent.push_back(s);
    }
    return true;
}

bool Send(HWND target, int senders, unsigned long each, std::vector<Sent>& sent,
          std::string& failure, const std::string& pid, unsigned long warmup,
          const std::function<void()>& meanwhile) {
    return RunGated(senders,
                    {"--send", std::to_string(reinterpret_cast<uintptr_t>(target)),
                     std::to_string(each), pid, std::to_string(warmup), kMessage},
                    each, sent, failure, meanwhile);
}

CBenchKestrin::CBenchKestrin(const std::vector<std::string>& args) : CKestrin(FirstStart(args)) {}

// Kestrin reads its remembered choices (debug output on, say) as it starts: forgetting them
// first gives every run the same start.
const std::vector<std::string>& CBenchKestrin::FirstStart(const std::vector<std::string>& args) {
    const std::string settings = std::string(kRegistryPath) + "\\Settings";
    const LSTATUS deleted = ::RegDeleteTreeA(HKEY_CURRENT_USER, settings.c_str());
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
        Progress("cannot forget Kestrin's settings (error %ld): it starts with them", deleted);
    return args;
}

bool CBenchKestrin::Open() {
    Start();
    m_view = Frame() ? ::FindWindowExA(Frame(), nullptr, "Kestrin", nullptr) : nullptr;
    return m_view != nullptr;
}

size_t CBenchKestrin::Rows() const {
    return static_cast<size_t>(::SendMessageA(m_view, LVM_GETITEMCOUNT, 0, 0));
}

bool CBenchKestrin::Sync(DWORD timeoutMs) const {
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutA(Frame(), WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer) != 0;
}

bool CBenchKestrin::Command(UINT id, DWORD timeoutMs) const {
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutA(Frame(), WM_COMMAND, id, 0, SMTO_NORMAL, timeoutMs, &answer) != 0;
}

bool ProcessMemory(HANDLE process, double& workingSet, double& privateBytes) {
    PROCESS_MEMORY_COUNTERS counters = {};
    if (!::GetProcessMemoryInfo(process, &counters, sizeof counters))
        return false;
    workingSet = static_cast<double>(counters.WorkingSetSize);
    privateBytes = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr;
         ::VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize)
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            privateBytes += static_cast<double>(region.RegionSize);
    return privateBytes > 0;
}

bool CBenchKestrin::Memory(double& workingSet, double& privateBytes) const {
    return Sync() && ProcessMemory(m_process.Handle(), workingSet, privateBytes);
}

bool CBenchKestrin::FillTo(size_t rows, std::string& failure) const {
    const size_t have = Rows();
    if (have >= rows)
        return true;
    const int senders = 4;
    Progress("filling Kestrin from %zu to %zu rows", have, rows);
    std::vector<Sent> sent;
    return Send(Frame(), senders, static_cast<unsigned long>((rows - have + 3) / senders), sent,
                failure, "self", 0) &&
           Sync();
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    char chunk[65536];
    DWORD got = 0;
    while (file && ::ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got != 0)
        bytes.append(chunk, got);
    return bytes;
}

bool DismissedModal(const CBenchKestrin& kestrin) {
    HWND modal = ModalWindowOf(kestrin.Id());
    if (modal)
        ::PostMessageA(modal, WM_COMMAND, IDCANCEL, 0);
    return modal != nullptr;
}

std::string TempPath(const char* fileName) {
    char folder[MAX_PATH];
    const DWORD length = ::GetTempPathA(sizeof folder, folder);
    return std::string(folder, length) + fileName;
}

bool CommandWithPath(const CBenchKestrin& kestrin, UINT id, const std::string& path) {
    ::PostMessageA(kestrin.Frame(), WM_COMMAND, id, 0);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = ModalWindowOf(kestrin.Id())) && FileNameEdit(dialog); }))
        return false;
    ::SetWindowTextA(FileNameEdit(dialog), path.c_str());
    ::PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    return WaitFor([&] { return !::IsWindow(dialog); }) && kestrin.Sync(kBatchTimeoutMs) &&
           !DismissedModal(kestrin);
}

namespace {

// Filled while the groups' files are initialised, whichever comes first.
std::vector<BenchGroup>& Registry() {
    static std::vector<BenchGroup> groups;
    return groups;
}

} // namespace

bool BenchGroup::Names(const std::string& id) const {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool RegisterGroup(const BenchGroup& group) {
    std::vector<BenchGroup>& groups = Registry();
    const auto later =
        std::upper_bound(groups.begin(), groups.end(), group.rank,
                         [](int rank, const BenchGroup& other) { return rank < other.rank; });
    groups.insert(later, group);
    return true;
}

const std::vector<BenchGroup>& Groups() {
    return Registry();
}
