// The process-name cache over the real process list, and the system's code page.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "LeadBytes.h"
#include "ProcessNames.h"
#include "WinProcessSource.h"
#include "WineTestSupport.h"

// After our headers: its macros would rename IProcessSource::EnumProcesses.
#include <psapi.h>

namespace {

const char kSendName[] = "kestrin-send.exe";

std::string Lookup(CProcessNames& names, DWORD processId) {
    char name[128];
    memset(name, 'X', sizeof name);
    names.Lookup(processId, name);
    return std::string(name, strnlen(name, sizeof name));
}

// Whether the process has loaded its executable, so that its module list can be read;
// asked through the wide name, which any name fits.
bool HasLoaded(DWORD processId) {
    const CHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    HMODULE module;
    DWORD needed;
    WCHAR name[MAX_PATH];
    return process && ::EnumProcessModules(process.Get(), &module, sizeof module, &needed) &&
           ::GetModuleBaseNameW(process.Get(), module, name, MAX_PATH) != 0;
}

// The name the way the process list gives it: the base name of the first listed module, or
// "" when the process or its modules cannot be read.
std::string FirstModuleName(DWORD processId) {
    const CHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    HMODULE module;
    DWORD needed;
    char name[128] = {};
    if (!process || !::EnumProcessModules(process.Get(), &module, sizeof module, &needed))
        return "";
    return std::string(name, ::GetModuleBaseNameA(process.Get(), module, name, sizeof name));
}

// kestrin-send with no message reads its input before it looks for a window: a
// real process that stays until its input is closed.
void StartWaitingSender(CChildProcess& child, const std::string& program) {
    ASSERT_TRUE(child.Start(CommandLine(program, {})))
        << "expected " << program << " to start, got error " << ::GetLastError();
    for (DWORD waited = 0; !HasLoaded(child.Id()); waited += 10) {
        ASSERT_LT(waited, kChildTimeoutMs) << "expected the sender to load, it did not";
        ::Sleep(10);
    }
}

void EndWaitingSender(CChildProcess& child) {
    child.CloseInput();
    ASSERT_TRUE(child.WaitPumping(kChildTimeoutMs)) << "expected the sender to end at end of input";
    ASSERT_EQ(0u, child.ExitCode()) << "sender output: " << child.Output();
}

// Handles this process holds open, or -1. Wine's GetProcessHandleCount answers 0,
// which no live process has; the system's handle list is counted then.
long OwnHandleCount() {
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count != 0)
        return static_cast<long>(count);

    using QuerySystem = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const FARPROC proc =
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    if (!proc)
        return -1;
    auto query = reinterpret_cast<QuerySystem>(reinterpret_cast<void (*)()>(proc));
    struct Entry {
        ULONG ownerId;
        BYTE type;
        BYTE flags;
        USHORT value;
        PVOID object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    const ULONG kSystemHandleInformation = 16;
    const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<char> buffer(64 * 1024);
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), nullptr)) == kInfoLengthMismatch &&
           buffer.size() < (64u << 20))
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    const Table* table = reinterpret_cast<const Table*>(buffer.data());
    long own = 0;
    for (ULONG i = 0; i < table->count; ++i)
        own += table->entries[i].ownerId == ::GetCurrentProcessId();
    return own;
}

std::string OwnBaseName() {
    const std::string program = ProgramPath();
    return program.substr(FileNameStart(program));
}

} // namespace

TEST(ProcessNamesWin, NamesARunningChildOnItsFirstLookupAndAnEndedOneNever) {
    CWinProcessSource source;
    CProcessNames names(source);
    CChildProcess child;
    ASSERT_NO_FATAL_FAILURE(StartWaitingSender(child, SiblingPath(kSendName)));
    // The first lookup refreshes once, the second is served from the cache.
    for (const char* lookup : {"first", "second"}) {
        EXPECT_EQ(kSendName, Lookup(names, child.Id())) << lookup << " lookup of " << child.Id();
        EXPECT_EQ(2u, names.RefreshCount()) << "refreshes after the " << lookup << " lookup";
    }
    ASSERT_NO_FATAL_FAILURE(EndWaitingSender(child));

    CProcessNames fresh(source);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ("", Lookup(fresh, child.Id())) << "lookup " << i << " of ended id " << child.Id();
    EXPECT_LE(fresh.RefreshCount(), 2u) << "refreshes, the first included, for 100 lookups";
}

TEST(ProcessNamesWin, ReadsTheNameOfEveryProcessAsItsFirstModulesName) {
    DWORD ids[1024];
    DWORD bytes = 0;
    ASSERT_TRUE(::EnumProcesses(ids, sizeof ids, &bytes));
    ASSERT_GT(bytes, 0u);
    CWinProcessSource source;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        char name[128];
        const DWORD length = source.ReadName(ids[i], name);
        EXPECT_EQ(FirstModuleName(ids[i]), std::string(name, length)) << "process " << ids[i];
    }
}

TEST(ProcessNamesWin, RefreshesCloseEveryProcessHandleTheyOpen) {
    CWinProcessSource source;
    CProcessNames names(source);
    const long before = OwnHandleCount();
    ASSERT_GE(before, 1) << "expected a handle count for this process, got none";
    for (int i = 0; i < 50; ++i)
        names.Refresh();
    EXPECT_EQ(OwnBaseName(), Lookup(names, ::GetCurrentProcessId()))
        << "the refreshes opened processes and read their names";
    EXPECT_EQ(before, OwnHandleCount()) << "handles held before and after 50 refreshes";
}

// The system may leave a cut name unterminated, or refuse a name cut inside a character.
TEST(ProcessNamesWin, LongExecutableNamesAreCutTo127BytesOfWholeCharacters) {
    std::string gbkName = "ab";
    for (int i = 0; i < 80; ++i)
        gbkName += "\xB5\xF7"; // the 127-byte cut falls inside a character
    const struct {
        std::string baseName;
        size_t expectedLength; // 0 where the system may refuse the name
    } cases[] = {{std::string(150, 'x') + ".exe", 127}, {gbkName + ".exe", 0}};
    char temp[MAX_PATH];
    ASSERT_NE(0u, ::GetTempPathA(sizeof temp, temp));
    CWinProcessSource source;
    for (const auto& c : cases) {
        const std::string path = temp + c.baseName;
        ASSERT_TRUE(::CopyFileA(SiblingPath(kSendName).c_str(), path.c_str(), FALSE))
            << "copy to " << path << " failed with error " << ::GetLastError();
        {
            CChildProcess child;
            ASSERT_NO_FATAL_FAILURE(StartWaitingSender(child, path));
            char name[128];
            memset(name, 'X', sizeof name);
            const DWORD length = source.ReadName(child.Id(), name);
            const size_t terminated = strnlen(name, sizeof name);
            EXPECT_EQ(length, terminated) << "returned length and NUL position";
            EXPECT_LE(terminated, 127u);
            EXPECT_EQ(c.baseName.substr(0, terminated), std::string(name, terminated));
            EXPECT_EQ(terminated, CLeadBytes::System().FitLength(c.baseName.c_str(),
                                                                 c.baseName.size(), terminated))
                << "the name ends on a character boundary";
            if (c.expectedLength != 0) {
                EXPECT_EQ(c.expectedLength, terminated);
            }
            ASSERT_NO_FATAL_FAILURE(EndWaitingSender(child));
        }
        ::DeleteFileA(path.c_str());
    }
}

TEST(SystemCodePage, IsCodePage936UnderTheTestPrefix) {
    ASSERT_EQ(936u, ::GetACP());
    const CLeadBytes cp936 = CLeadBytes::Cp936();
    for (int ch = 0; ch < 256; ++ch)
        EXPECT_EQ(cp936.IsLead(static_cast<unsigned char>(ch)),
                  CLeadBytes::System().IsLead(static_cast<unsigned char>(ch)))
            << "lead byte 0x" << std::hex << ch << ": host table vs system";
}
