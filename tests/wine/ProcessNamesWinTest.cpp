// The process names read from the real process list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "LeadBytes.h"
#include "WinProcessSource.h"
#include "WineTestSupport.h"

// The plain function names: version 2's macros would rename the EnumProcesses members.
#define PSAPI_VERSION 1
#include <psapi.h>

// New handles take free slots, the lowest first: a handle a refresh left open would hold one.
TEST(ProcessNamesWin, RefreshesReadNamesAndCloseEveryProcessHandleTheyOpen) {
    CWinProcessSource source;
    CProcessNames names(source);
    const auto freeSlots = [] {
        std::vector<HANDLE> slots(64);
        for (HANDLE& slot : slots)
            slot = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        std::for_each(slots.begin(), slots.end(), ::CloseHandle);
        std::sort(slots.begin(), slots.end());
        return slots;
    };
    const std::vector<HANDLE> before = freeSlots();
    for (int i = 0; i < 50; ++i)
        names.Refresh();
    EXPECT_EQ(before, freeSlots()) << "the handles new objects get, before and after refreshes";
    char name[128] = "";
    names.Lookup(::GetCurrentProcessId(), name);
    EXPECT_EQ(ProgramPath().substr(FileNameStart(ProgramPath())), name);
}

// kestrin-send with no message reads its input first: a process that stays until its input is
// closed. The system may leave a cut name unterminated, or refuse a name cut inside a character.
TEST(ProcessNamesWin, NamesAreCutTo127BytesOfWholeCharactersAndEndedProcessesHaveNone) {
    std::string gbkName = "ab";
    for (int i = 0; i < 80; ++i)
        gbkName += "\xB5\xF7"; // the 127-byte cut falls inside a character
    const std::pair<std::string, std::string> cases[] = {
        {std::string(150, 'x') + ".exe", std::string(127, 'x')},
        {gbkName + ".exe", ""}}; // "": any start of whole characters, or none
    CWinProcessSource source;
    for (const auto& [baseName, expected] : cases) {
        const std::string path = SiblingPath("") + baseName;
        ASSERT_TRUE(::CopyFileA(SiblingPath("kestrin-send.exe").c_str(), path.c_str(), FALSE))
            << path << ": error " << ::GetLastError();
        CChildProcess child;
        ASSERT_TRUE(child.Start(CommandLine(path, {}))) << "error " << ::GetLastError();
        // Loaded once its module list gives its wide name, which any name fits.
        WCHAR wide[MAX_PATH] = L"";
        for (DWORD waited = 0; !wide[0]; waited += 10, ::Sleep(10)) {
            ASSERT_LT(waited, kChildTimeoutMs) << "expected the sender to load";
            const CHandle process(
                ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, child.Id()));
            HMODULE module;
            DWORD needed;
            if (process && ::EnumProcessModules(process.Get(), &module, sizeof module, &needed))
                ::GetModuleBaseNameW(process.Get(), module, wide, MAX_PATH);
        }
        char name[128];
        memset(name, 'X', sizeof name);
        const size_t length = source.ReadName(child.Id(), name), end = strnlen(name, sizeof name);
        const std::string want =
            !expected.empty() ? expected
                              : baseName.substr(0, CLeadBytes::System().FitLength(
                                                       baseName.c_str(), baseName.size(), end));
        EXPECT_EQ(std::make_pair(want, want.size()), std::make_pair(std::string(name, end), length))
            << "name and length returned";
        child.CloseInput();
        ASSERT_TRUE(child.WaitPumping(kChildTimeoutMs)) << "expected the sender to end";
        EXPECT_EQ(0u, source.ReadName(child.Id(), name)) << "ended " << baseName;
        ::DeleteFileA(path.c_str());
    }
}
