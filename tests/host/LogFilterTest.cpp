// The message filter: which texts pass, and the text form of its lists.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "LogFilter.h"

namespace {

const CLeadBytes kCp936 = CLeadBytes::Cp936();
const CLeadBytes kSingle = CLeadBytes::SingleByte();

struct FilterCase {
    const char* include;
    const char* exclude;
    std::vector<std::pair<const char*, bool>> texts; // text, passes
};

std::string Show(const char* text) {
    return text ? testing::PrintToString(std::string(text)) : "null";
}

void ExpectMatches(const CLeadBytes& codePage, const std::vector<FilterCase>& cases) {
    for (const FilterCase& c : cases) {
        CLogFilter filter(codePage);
        filter.SetFilter(c.include, c.exclude);
        for (const auto& t : c.texts) {
            SCOPED_TRACE("include " + Show(c.include) + " exclude " + Show(c.exclude) + " text " +
                         Show(t.first));
            EXPECT_EQ(t.second, filter.Match(t.first));
        }
    }
}

TEST(LogFilter, WhichTextsPass) {
    ExpectMatches(
        kCp936,
        {
            {"error",
             "",
             {{"an error here", true}, {"all good", false}, {"", false}, {nullptr, false}}},
            {"", "verbose", {{"verbose log", false}, {"log", true}, {"", true}, {nullptr, true}}},
            {"net;disk",
             "retry",
             {{"net up", true}, {"disk full", true}, {"net retry", false}, {"cpu", false}}},
            {"Error", "", {{"error", false}, {"Error", true}}},
            {" a", "", {{"xa", false}, {"x a", true}}}, // no trimming
            {"alpha;be", "", {{"alpha", true}, {"be", true}, {"alp", false}}},
            {"a;b;", "", {{"b", true}, {"c", false}}},
            {"a;;b", "", {{"a", true}, {"b", false}}},
            {"a;b", "x;;y", {{"bx", false}, {"by", true}}},
            // No pattern left: everything passes.
            {";x", "", {{"x", true}, {"y", true}}},
            {";", ";", {{"x", true}, {"", true}}},
            {nullptr, nullptr, {{"x", true}}},
            // A '*' anywhere switches filtering off, whatever the other text says.
            {"*", "x", {{"x", true}, {"", true}}},
            {"a*b;c", "", {{"zzz", true}}},
            {"abc", "*", {{"zzz", true}, {"abc", true}}},
            {"abc", "x;*", {{"x", true}}},
        });
}

TEST(LogFilter, FreshFilterPassesEverything) {
    CLogFilter filter(kCp936);
    EXPECT_TRUE(filter.Match("anything"));
    EXPECT_TRUE(filter.Match(nullptr));
}

TEST(LogFilter, PatternsAndSeparatorsRespectDoubleByteCharacters) {
    // In code page 936 0x81 leads a character, so ';' or '*' right after it is its trail.
    ExpectMatches(kCp936, {
                              {"A",
                               "",
                               {{"\x81\x41", false},
                                {"\x81\x41"
                                 "A",
                                 true},
                                {"\xB0\xA1"
                                 "A",
                                 true}}},
                              {"",
                               "A",
                               {{"\x81\x41", true},
                                {"\x81\x41"
                                 "A",
                                 false}}},
                              {"a;\x81;b", "", {{"b", false}, {"\x81;b", true}}},
                              {"\x81*x", "", {{"y", false}, {"\x81*x", true}}},
                          });
    ExpectMatches(kSingle, {
                               {"A", "", {{"\x81\x41", true}}},
                               {"a;\x81;b", "", {{"b", true}, {"\x81", true}, {"c", false}}},
                               {"\x81*x", "", {{"y", true}}},
                           });
}

struct TextForm {
    std::string include, exclude;
};

TextForm Texts(const CLogFilter& filter) {
    TextForm form;
    filter.GetFilterTexts(form.include, form.exclude);
    return form;
}

TEST(LogFilter, TextFormAndRoundTrip) {
    const struct {
        const char *include, *exclude;
        TextForm shown, shownAgain; // after SetFilter, and after feeding shown back
    } cases[] = {
        {";", nullptr, {";", ";"}, {";", ";"}},
        {"", "", {";", ";"}, {";", ";"}},
        {"a;;b", "", {"a;", ";"}, {"a;", ";"}},
        {";x", "y", {";", "y;"}, {";", "y;"}},
        {"alpha;be", "x;y;", {"alpha;be;", "x;y;"}, {"alpha;be;", "x;y;"}},
        {"*", "x", {"*;;", ";"}, {"*;;", ";"}},
        {"abc", "*", {"abc;*;;", ";"}, {"*;;", ";"}},
        {"\xB0\xA1;b", "", {"\xB0\xA1;b;", ";"}, {"\xB0\xA1;b;", ";"}},
    };
    CLogFilter filter(kCp936); // shared, so that lists left over from a case show
    for (const auto& c : cases) {
        SCOPED_TRACE("include " + Show(c.include) + " exclude " + Show(c.exclude));
        filter.SetFilter(c.include, c.exclude);
        TextForm shown = Texts(filter);
        EXPECT_EQ(c.shown.include, shown.include);
        EXPECT_EQ(c.shown.exclude, shown.exclude);
        filter.SetFilter(shown.include.c_str(), shown.exclude.c_str());
        TextForm again = Texts(filter);
        EXPECT_EQ(c.shownAgain.include, again.include);
        EXPECT_EQ(c.shownAgain.exclude, again.exclude);
    }
    CLogFilter fresh(kCp936);
    TextForm initial = Texts(fresh);
    EXPECT_EQ("*;;", initial.include);
    EXPECT_EQ(";", initial.exclude);
}

TEST(LogFilter, EmptyListAppendsAndFullListReplaces) {
    CLogFilter filter(kCp936);
    filter.SetFilter("net", "");
    std::string include = "old", exclude = "old";
    filter.GetFilterTexts(include, exclude);
    EXPECT_EQ("net;", include);
    EXPECT_EQ("old;", exclude);
}

TEST(LogFilter, LongListsComeBackWhole) {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "pattern" + std::to_string(i) + ";";
    CLogFilter filter(kCp936);
    filter.SetFilter(text.c_str(), text.c_str());
    TextForm shown = Texts(filter);
    EXPECT_EQ(text, shown.include);
    EXPECT_EQ(text, shown.exclude);
}

TEST(LogFilter, SplitPatternsReplacesTheList) {
    CLogFilter filter(kCp936);
    const struct {
        std::string text;
        std::vector<std::string> expected;
    } cases[] = {
        {"a;bc;", {"a", "bc"}}, {"a;bc", {"a"}}, {";a;", {}}, {"a;;b;", {"a"}}, {"", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        std::vector<std::string> list = {"stale"};
        filter.SplitPatterns(c.text, ';', list);
        EXPECT_EQ(c.expected, list);
    }
}

} // namespace
