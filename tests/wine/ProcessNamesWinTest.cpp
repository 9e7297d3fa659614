// The process names read from the real process list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "WinProcessSource.h"
#include "WineTestSupport.h"

// New handles take free slots, the lowest first: a handle a refresh left open would hold one.
// kestrin-send with no message stays until its input is closed. The name starts with a
// double-byte character whose trail byte is a backslash's; the system may leave it unterminated.
TEST(ProcessNamesWin, NamesAreCutTo127BytesEndedProcessesHaveNoneAndRefreshesLeakNoHandle) {
    const std::string trailBackslash = "\x81\x5c";
    const std::string path = SiblingPath("") + trailBackslash + std::string(148, 'x') + ".exe";
    ASSERT_TRUE(::CopyFileA(SiblingPath("kestrin-send.exe").c_str(), path.c_str(), FALSE))
        << path << ": error " << ::GetLastError();
    CWinProcessSource source;
    CChildProcess child;
    ASSERT_TRUE(child.Start(CommandLine(path, {}))) << "error " << ::GetLastError();
    char name[128];
    DWORD length = 0;
    WaitFor([&] { // 0 until the sender has loaded
        memset(name, 'X', sizeof name);
        return (length = source.ReadName(child.Id(), name)) != 0;
    });
    EXPECT_EQ(std::make_pair(trailBackslash + std::string(125, 'x'), DWORD{127}),
              std::make_pair(std::string(name, strnlen(name, sizeof name)), length))
        << "name and length returned";
    const auto freeSlots = [] {
        std::vector<HANDLE> slots(64);
        for (HANDLE& slot : slots)
            slot = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        std::for_each(slots.begin(), slots.end(), ::CloseHandle);
        std::sort(slots.begin(), slots.end());
        return slots;
    };
    CProcessNames names(source);
    const std::vector<HANDLE> before = freeSlots();
    for (int i = 0; i < 50; ++i)
        names.Refresh();
    EXPECT_EQ(before, freeSlots()) << "the handles new objects get, before and after refreshes";
    child.CloseInput();
    ASSERT_TRUE(child.WaitPumping(kTimeoutMs)) << "expected the sender to end";
    EXPECT_EQ(0u, source.ReadName(child.Id(), name)) << "once ended";
    ::DeleteFileA(path.c_str());
}
