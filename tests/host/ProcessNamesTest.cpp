// The process-name cache against a fake process list: names, refresh rules, bad sources.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "Fakes.h"
#include "ProcessNames.h"

namespace {

// A change to the process list, then a lookup's name and the number of enumerations after it.
using Step = std::tuple<std::function<void(FakeProcessSource&)>, DWORD, std::string, unsigned>;

// Ids 1 (a name cut to 127 bytes), 2 (unreadable) and 3 to 1030 are listed: more than the first
// enumeration has room for, so it asks again. Steps are a second apart: each miss may refresh.
TEST(ProcessNames, MissesRefreshOncePerIdAtMostFourTimesASecondCachedNamesHoldUntilARefresh) {
    const std::string cut(127, 'm');
    FakeProcessSource source;
    source.Add(1, cut + "more");
    source.Add(2, "");
    for (DWORD id = 3; id <= 1030; ++id)
        source.Add(id, "p" + std::to_string(id));
    const auto expectLookups = [&](CProcessNames& names, const std::vector<Step>& steps) {
        for (const auto& [change, id, name, enumerations] : steps) {
            SCOPED_TRACE("lookup of id " + std::to_string(id));
            source.now += 1000;
            if (change)
                change(source);
            char buffer[128];
            memset(buffer, 'z', sizeof buffer);
            names.Lookup(id, buffer);
            ASSERT_NE(nullptr, memchr(buffer, '\0', sizeof buffer)) << "the name is unterminated";
            EXPECT_EQ(name, buffer);
            EXPECT_EQ(enumerations, source.enumCalls);
        }
    };
    CProcessNames names(source, source);
    const auto fail = [](bool failing) { return [failing](auto& s) { s.failEnum = failing; }; };
    // Listed first: the refreshes see it.
    const auto start = [](DWORD id, const char* name) {
        return [id, name](auto& s) { s.processes.insert(s.processes.begin(), {id, name}); };
    };
    expectLookups(names, {{{}, 1, cut, 2},
                          {{}, 1025, "p1025", 2},
                          {{}, 1030, "p1030", 2},
                          {{}, 2, "", 3},
                          {{}, 2, "", 3},
                          // Ids no process owns, alternating.
                          {{}, 3000, "", 4},
                          {{}, 3001, "", 5},
                          {{}, 3000, "", 5},
                          {{}, 3001, "", 5},
                          // A remembered id a process gets is named by its own read.
                          {start(3000, "new.exe"), 3000, "new.exe", 5},
                          {start(5000, "other.exe"), 5000, "other.exe", 6},
                          {{}, 3000, "new.exe", 6},
                          // Id 1, listed after the two started, exits.
                          {[](auto& s) { s.processes.erase(s.processes.begin() + 2); }, 1, cut, 6},
                          {{}, 2000, "", 7},
                          {{}, 1, "", 8},
                          // A failed enumeration names only the missed id, by its own read.
                          {fail(true), 2001, "", 9},
                          {{}, 2001, "", 10},
                          {{}, 5, "p5", 11},
                          {{}, 5, "p5", 11},
                          {{}, 2, "", 11},
                          {fail(false), 2001, "", 12},
                          {{}, 2001, "", 12}});
    // Made-up ids, one a millisecond, refresh once in each 250 ms. They are remembered as unnamed
    // until the cap, when all are forgotten, so memory stays bounded.
    source.processes.clear();
    const DWORD cap = CProcessNames::kMaxUnnamed;
    for (DWORD id = 10003; id <= 2 * cap + 10003; id += 2, ++source.now) {
        char buffer[128];
        names.Lookup(id, buffer);
    }
    EXPECT_EQ(29u, source.enumCalls);
    expectLookups(names, {{{}, 10003, "", 30}, {{}, 2 * cap + 10003, "", 30}});
    // An unnamed id's name is read again only once the gap has passed.
    source.Add(2 * cap + 10003, "late.exe");
    for (const auto& [after, name] : {std::pair(1u, ""), std::pair(20u, "late.exe")}) {
        char buffer[128];
        source.now += after;
        names.Lookup(2 * cap + 10003, buffer);
        EXPECT_EQ(name, std::string(buffer)) << after << " ms later";
    }
}

} // namespace
