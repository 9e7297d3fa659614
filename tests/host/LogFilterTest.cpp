// The message filter's rules that a search per pattern cannot tell: how texts split into
// patterns and how the lists show. The match itself is fuzzed against such a search.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Fakes.h"

namespace {

TEST(LogFilter, WhichTextsPassAndHowTheListsShow) {
    const struct {
        const char *include, *exclude;
        std::vector<const char*> pass, reject;
        FilterForm shown;
    } cases[] = {
        {"net;disk",
         "retry",
         {"net up", "disk"},
         {"net retry", "cpu", nullptr},
         {"net;disk;", "retry;"}},
        {" a", "", {"x a"}, {"xa"}, {" a;", ";"}}, // no trimming
        {"a;;b", "", {"a"}, {"b"}, {"a;", ";"}},   // an empty pattern ends the list
        {";x", nullptr, {"x", "", nullptr}, {}, {";", ";"}},
        {nullptr, "x", {"y", nullptr}, {"x"}, {";", "x;"}},
        // Code page 936: 0x81 leads a character, so the ';' after it is its trail byte.
        {"a;\x81;b", "", {"\x81;b"}, {"b"}, {"a;\x81;b;", ";"}},
    };
    // One filter throughout, so that anything a case leaves behind shows in the next.
    CLogFilter filter(CLeadBytes::Cp936());
    for (const auto& c : cases) {
        SCOPED_TRACE("include " + testing::PrintToString(c.include) + " exclude " +
                     testing::PrintToString(c.exclude));
        filter.SetFilter(c.include, c.exclude);
        EXPECT_EQ(c.shown, FilterTexts(filter));
        for (const char* text : c.pass)
            EXPECT_TRUE(filter.Match(text)) << "text " << testing::PrintToString(text);
        for (const char* text : c.reject)
            EXPECT_FALSE(filter.Match(text)) << "text " << testing::PrintToString(text);
    }
}

} // namespace
