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
    char name[128] = "";
    names.Lookup(::GetCurrentProcessId(), name);
    EXPECT_EQ(self, name) << "the refreshes read names";
}

// The system may leave a cut name unterminated, or refuse a name cut inside a character; an
// ended process has no name.
TEST(ProcessNamesWin, NamesAreCutTo127BytesOfWholeCharactersAndEndedProcessesHaveNone) {
    std::string gbkName = "ab";
    for (int i = 0; i < 80; ++i)
        gbkName += "\xB5\xF7"; // the 127-byte cut falls inside a character
    const std::pair<std::string, std::string> cases[] = {
        {"kestrin-named.exe", "kestrin-named.exe"},
        {std::string(150, 'x') + ".exe", std::string(127, 'x')},
        {gbkName + ".exe", ""}}; // "": any whole-character start, or none
    CWinProcessSource source;
    for (const auto& [baseName, expected] : cases) {
        const std::string path = SiblingPath("") + baseName;
        ASSERT_TRUE(::CopyFileA(SiblingPath(kSendName).c_str(), path.c_str(), FALSE))
            << "copy to " << path << " failed with error " << ::GetLastError();
        CChildProcess child;
        ASSERT_NO_FATAL_FAILURE(StartWaitingSender(child, path));
        char name[128];
        memset(name, 'X', sizeof name);
        const size_t length = source.ReadName(child.Id(), name), end = strnlen(name, sizeof name);
        // The name whole, or its start cut between whole characters where that is all there is.
        const std::string want =
            !expected.empty() ? expected
                              : baseName.substr(0, CLeadBytes::System().FitLength(
                                                       baseName.c_str(), baseName.size(), end));
        EXPECT_EQ(std::make_pair(want, want.size()), std::make_pair(std::string(name, end), length))
            << "name and length returned";
        ASSERT_NO_FATAL_FAILURE(EndWaitingSender(child));
        EXPECT_EQ(0u, source.ReadName(child.Id(), name)) << "ended " << baseName;
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
