// The process-name cache against a fake process list: names, refresh rules, bad sources.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "FakeProcessSource.h"
#include "ProcessNames.h"

namespace {

std::string NameOf(CProcessNames& names, DWORD id) {
    char buffer[128];
    memset(buffer, 'z', sizeof buffer);
    names.Lookup(id, buffer);
    EXPECT_NE(nullptr, memchr(buffer, '\0', sizeof buffer)) << "id " << id;
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

// Expects each lookup's name and the refresh count after it.
void ExpectLookups(CProcessNames& names,
                   const std::vector<std::tuple<DWORD, std::string, unsigned>>& steps) {
    int step = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE("step " + std::to_string(step++) + " id " + std::to_string(std::get<0>(s)));
        EXPECT_EQ(std::get<1>(s), NameOf(names, std::get<0>(s)));
        EXPECT_EQ(std::get<2>(s), names.RefreshCount());
    }
}

TEST(ProcessNames, NewProcessRefreshesOnceThenComesFromTheCache) {
    FakeProcessSource source;
    source.Add(4, "system.exe");
    CProcessNames names(source);
    EXPECT_EQ(1u, names.RefreshCount());
    source.Add(77, "late.exe");
    ExpectLookups(names, {{4, "system.exe", 1}, {77, "late.exe", 2}, {77, "late.exe", 2}});
    EXPECT_EQ(2u, source.enumCalls);
    EXPECT_EQ(3u, source.readCalls); // two refreshes of 1 and 2 processes; hits cost nothing
}

TEST(ProcessNames, UnreadableSendersRefreshOnceEach) {
    FakeProcessSource source;
    source.Add(4, "system.exe");
    source.AddUnreadable(9);
    source.AddUnreadable(10);
    CProcessNames names(source);
    ExpectLookups(names,
                  {{9, "", 2}, {9, "", 2}, {10, "", 3}, {9, "", 3}, {10, "", 3}, {9, "", 3}});
}

TEST(ProcessNames, RefreshForgetsUnnamedIdsItNamesOrThatAreGone) {
    FakeProcessSource source;
    source.AddUnreadable(9);
    CProcessNames names(source);
    ExpectLookups(names, {{9, "", 2}, {42, "", 3}, {42, "", 3}}); // 42 is no process
    source.Remove(9);
    source.Add(9, "now.exe");
    source.Add(50, "other.exe");
    // 50 misses: the refresh names 9 and drops 42, which has not come back.
    ExpectLookups(names, {{50, "other.exe", 4}, {9, "now.exe", 4}, {42, "", 5}, {42, "", 5}});
}

TEST(ProcessNames, FailedEnumerationLeavesTheMapEmptyAndRefreshesAgain) {
    FakeProcessSource source;
    source.Add(4, "system.exe");
    source.AddUnreadable(9);
    CProcessNames names(source);
    ExpectLookups(names, {{9, "", 2}});
    source.failEnum = true;
    ExpectLookups(names, {{5, "", 3}, {4, "", 4}, {4, "", 5}, {9, "", 6}});
    source.failEnum = false;
    ExpectLookups(names, {{4, "system.exe", 7}, {9, "", 8}, {9, "", 8}});
}

TEST(ProcessNames, RefreshTakesTheFirst1024IdsAndDropsExitedProcesses) {
    FakeProcessSource source;
    for (DWORD id = 1; id <= 1030; ++id)
        source.Add(id, "p" + std::to_string(id));
    CProcessNames names(source);
    ExpectLookups(names, {{1, "p1", 1}, {1024, "p1024", 1}, {1025, "", 2}, {1030, "", 3}});
    source.Remove(1);
    // A cached name is used without checking the process still runs, until a miss.
    ExpectLookups(names, {{1, "p1", 3}, {2000, "", 4}, {1, "", 5}});
}

TEST(ProcessNames, DuplicateIdKeepsItsFirstName) {
    FakeProcessSource source;
    source.Add(8, "first.exe");
    source.Add(8, "second.exe");
    CProcessNames names(source);
    ExpectLookups(names, {{8, "first.exe", 1}});
}

TEST(ProcessNames, BogusByteCountsReadOnlyWholeIdsInTheArray) {
    FakeProcessSource source;
    for (DWORD id = 1; id <= 1030; ++id)
        source.Add(id, "p" + std::to_string(id));
    source.reportedBytes = 4096 + 400;
    CProcessNames names(source);
    EXPECT_EQ(1024u, source.readCalls);
    source.reportedBytes = 2 * 4 + 3;
    names.Refresh();
    ExpectLookups(names, {{1, "p1", 2}, {2, "p2", 2}, {3, "", 3}});
    EXPECT_EQ(1024u + 2 + 2, source.readCalls);
}

TEST(ProcessNames, NamesUpTo127BytesComeWhole) {
    const std::string name127(127, 'n');
    const std::string name300(300, 'm');
    FakeProcessSource source;
    source.Add(1, name127);
    source.Add(2, name300); // fills the buffer without a NUL
    source.Add(3, "");
    CProcessNames names(source);
    ExpectLookups(names, {{1, name127, 1}, {2, name300.substr(0, 127), 1}, {3, "", 2}, {3, "", 2}});
}

} // namespace
