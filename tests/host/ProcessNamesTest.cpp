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

// Ids 1 (a name cut to 127 bytes), 2 (unreadable) and 3 to 1024 are listed; 1025 to 1030 are
// past the first 1024 and only their own reads name them.
TEST(ProcessNames, MissesRefreshOncePerIdCachedNamesHoldUntilARefreshAndUnnamedIdsAreCapped) {
    const std::string cut(127, 'm');
    FakeProcessSource source;
    source.Add(1, cut + "more");
    source.Add(2, "");
    for (DWORD id = 3; id <= 1030; ++id)
        source.Add(id, "p" + std::to_string(id));
    const auto expectLookups = [&source](CProcessNames& names, const std::vector<Step>& steps) {
        for (const auto& [change, id, name, enumerations] : steps) {
            SCOPED_TRACE("lookup of id " + std::to_string(id));
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
    CProcessNames names(source);
    const auto fail = [](bool failing) { return [failing](auto& s) { s.failEnum = failing; }; };
    // Listed first: the refreshes see it.
    const auto start = [](DWORD id, const char* name) {
        return [id, name](auto& s) { s.processes.insert(s.processes.begin(), {id, name}); };
    };
    expectLookups(names,
                  {{{}, 1, cut, 1},
                   {{}, 1024, "p1024", 1},
                   {{}, 1025, "p1025", 2},
                   {{}, 1025, "p1025", 2},
                   {{}, 2, "", 3},
                   {{}, 2, "", 3},
                   // Ids no process owns, alternating.
                   {{}, 3000, "", 4},
                   {{}, 3001, "", 5},
                   {{}, 3000, "", 5},
                   {{}, 3001, "", 5},
                   // A remembered id reused is unnamed until another miss's refresh names it.
                   {start(3000, "new.exe"), 3000, "", 5},
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
    // At the cap every remembered id is forgotten, so memory stays bounded.
    const unsigned cap = CProcessNames::kMaxUnnamed;
    CProcessNames capped(source);
    source.processes.clear();
    char buffer[128];
    for (DWORD id = 1; id <= cap; ++id)
        capped.Lookup(id, buffer);
    expectLookups(capped,
                  {{{}, 1, "", cap + 13}, {{}, cap + 1, "", cap + 14}, {{}, 1, "", cap + 15}});
}

} // namespace
