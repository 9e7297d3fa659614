// The process-name cache against a fake process list: names, refresh rules, bad sources.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "Fakes.h"
#include "ProcessNames.h"

namespace {

// Expects each lookup's name and the number of enumerations after it.
void ExpectLookups(CProcessNames& names, const FakeProcessSource& source,
                   const std::vector<std::tuple<DWORD, std::string, unsigned>>& steps) {
    for (const auto& [id, name, enumerations] : steps) {
        SCOPED_TRACE("lookup of id " + std::to_string(id));
        char buffer[128];
        memset(buffer, 'z', sizeof buffer);
        names.Lookup(id, buffer);
        ASSERT_NE(nullptr, memchr(buffer, '\0', sizeof buffer)) << "the name is unterminated";
        EXPECT_EQ(name, buffer);
        EXPECT_EQ(enumerations, source.enumCalls);
    }
}

TEST(ProcessNames, UnreadableSendersRefreshOnceEach) {
    FakeProcessSource source;
    source.Add(9, "");
    source.Add(10, "");
    CProcessNames names(source);
    ExpectLookups(names, source,
                  {{9, "", 2}, {9, "", 2}, {10, "", 3}, {9, "", 3}, {10, "", 3}, {9, "", 3}});
    // A refresh forgets the unnamed ids it names or that are gone: 42 is no process.
    ExpectLookups(names, source, {{42, "", 4}, {42, "", 4}});
    source.Remove(9);
    source.Add(9, "now.exe");
    source.Add(50, "other.exe");
    ExpectLookups(names, source, {{50, "other.exe", 5}, {9, "now.exe", 5}, {42, "", 6}});
}

TEST(ProcessNames, FailedEnumerationLeavesTheMapEmptyAndRefreshesAgain) {
    FakeProcessSource source;
    source.Add(4, "system.exe");
    source.Add(9, "");
    CProcessNames names(source);
    ExpectLookups(names, source, {{9, "", 2}});
    source.failEnum = true;
    ExpectLookups(names, source, {{5, "", 3}, {4, "", 4}, {4, "", 5}, {9, "", 6}});
    source.failEnum = false;
    ExpectLookups(names, source, {{4, "system.exe", 7}, {9, "", 8}, {9, "", 8}});
}

// Names are cut to 127 bytes.
TEST(ProcessNames, RefreshTakesTheFirst1024IdsAndDropsExitedProcesses) {
    const std::string cut(127, 'm');
    FakeProcessSource source;
    source.Add(1, cut + "more");
    for (DWORD id = 2; id <= 1030; ++id)
        source.Add(id, "p" + std::to_string(id));
    CProcessNames names(source);
    ExpectLookups(names, source, {{1, cut, 1}, {1024, "p1024", 1}, {1025, "", 2}, {1030, "", 3}});
    source.Remove(1);
    // A cached name is used without checking the process still runs, until a miss.
    ExpectLookups(names, source, {{1, cut, 3}, {2000, "", 4}, {1, "", 5}});
}

} // namespace
