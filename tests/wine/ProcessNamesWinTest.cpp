// The process-name cache over the real process list, and the system's code page.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "LeadBytes.h"
#include "ProcessNames.h"
#include "WinProcessSource.h"
#include "WineTestSupport.h"

// The plain function names: version 2's macros would rename the EnumProcesses members.
#define PSAPI_VERSION 1
#include <psapi.h>

namespace {

const char kSendName[] = "kestrin-send.exe";

// The system's process list, counting how often it is read.
class CCountingSource : public CWinProcessSource {
public:
    unsigned m_nRefreshes = 0;
    bool EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) override {
        ++m_nRefreshes;
        return CWinProcessSource::EnumProcesses(ids, bytes, bytesFilled);
    }
};

std::string Lookup(CProcessNames& names, DWORD processId) {
    char name[128];
    memset(name, 'X', sizeof name);
    names.Lookup(processId, name);
    return std::string(name, strnlen(name, sizeof name));
}

// kestrin-send with no message reads its input before it looks for a window: a real process
// that stays until its input is closed. Ready once its module list names its executable.
void StartWaitingSender(CChildProcess& child, const std::string& program) {
    ASSERT_TRUE(child.Start(CommandLine(program, {})))
        << "expected " << program << " to start, got error " << ::GetLastError();
    for (DWORD waited = 0;; waited += 10, ::Sleep(10)) {
        ASSERT_LT(waited, kChildTimeoutMs) << "expected the sender to load, it did not";
        const CHandle process(
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, child.Id()));
        HMODULE module;
        DWORD needed;
        WCHAR name[MAX_PATH]; // the wide name, which any name fits
        if (process && ::EnumProcessModules(process.Get(), &module, sizeof module, &needed) &&
            ::GetModuleBaseNameW(process.Get(), module, name, MAX_PATH) != 0)
            return;
    }
}

void EndWaitingSender(CChildProcess& child) {
    child.CloseInput();
    ASSERT_TRUE(child.WaitPumping(kChildTimeoutMs)) << "expected the sender to end at end of input";
    ASSERT_EQ(0u, child.ExitCode()) << "sender output: " << child.Output();
}

} // namespace

TEST(ProcessNamesWin, NamesARunningChildOnItsFirstLookupAndAnEndedOneNever) {
    CCountingSource source;
    CProcessNames names(source);
    CChildProcess child;
    ASSERT_NO_FATAL_FAILURE(StartWaitingSender(child, SiblingPath(kSendName)));
    // The first lookup refreshes once, the second is served from the cache.
    for (const char* lookup : {"first", "second"}) {
        EXPECT_EQ(kSendName, Lookup(names, child.Id())) << lookup << " lookup of " << child.Id();
        EXPECT_EQ(2u, source.m_nRefreshes) << "refreshes after the " << lookup << " lookup";
    }
    ASSERT_NO_FATAL_FAILURE(EndWaitingSender(child));
    source.m_nRefreshes = 0;
    CProcessNames fresh(source);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ("", Lookup(fresh, child.Id())) << "lookup " << i << " of ended id " << child.Id();
    EXPECT_LE(source.m_nRefreshes, 2u) << "refreshes, the first included, for 100 lookups";
}

// A new handle takes the lowest free slot: one a refresh left open would push it up.
TEST(ProcessNamesWin, RefreshesCloseEveryProcessHandleTheyOpen) {
    CWinProcessSource source;
    CProcessNames names(source);
    const auto nextHandle = [] {
        return CHandle(::CreateEventA(nullptr, FALSE, FALSE, nullptr)).Get();
    };
    const HANDLE before = nextHandle();
    for (int i = 0; i < 50; ++i)
        names.Refresh();
    EXPECT_EQ(before, nextHandle())
        << "the handle a new object gets, before and after 50 refreshes";
    const std::string self = ProgramPath().substr(FileNameStart(ProgramPath()));
    EXPECT_EQ(self, Lookup(names, ::GetCurrentProcessId())) << "the refreshes read names";
}

// The system may leave a cut name unterminated, or refuse a name cut inside a character.
TEST(ProcessNamesWin, LongExecutableNamesAreCutTo127BytesOfWholeCharacters) {
    std::string gbkName = "ab";
    for (int i = 0; i < 80; ++i)
        gbkName += "\xB5\xF7"; // the 127-byte cut falls inside a character
    const std::pair<std::string, size_t> cases[] = {{std::string(150, 'x') + ".exe", 127},
                                                    {gbkName + ".exe", 0}}; // 0: may be refused
    char temp[MAX_PATH];
    ASSERT_NE(0u, ::GetTempPathA(sizeof temp, temp));
    CWinProcessSource source;
    for (const auto& [baseName, expectedLength] : cases) {
        const std::string path = temp + baseName;
        ASSERT_TRUE(::CopyFileA(SiblingPath(kSendName).c_str(), path.c_str(), FALSE))
            << "copy to " << path << " failed with error " << ::GetLastError();
        {
            CChildProcess child;
            ASSERT_NO_FATAL_FAILURE(StartWaitingSender(child, path));
            char name[128];
            memset(name, 'X', sizeof name);
            const DWORD length = source.ReadName(child.Id(), name);
            const size_t end = strnlen(name, sizeof name);
            // Returned length, NUL, the name's start, and a cut between whole characters.
            EXPECT_EQ(std::make_tuple(end, end, baseName.substr(0, end), end),
                      std::make_tuple(
                          size_t{length}, expectedLength ? expectedLength : end,
                          std::string(name, end),
                          CLeadBytes::System().FitLength(baseName.c_str(), baseName.size(), end)));
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
