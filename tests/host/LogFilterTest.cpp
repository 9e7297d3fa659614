// The message filter: which texts pass, and the text form of its lists.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "LogFilter.h"

namespace {

std::string Show(const char* text) {
    return text ? testing::PrintToString(std::string(text)) : "null";
}

// The include and the exclude text.
using TextForm = std::pair<std::string, std::string>;

TextForm Texts(const CLogFilter& filter) {
    TextForm form;
    filter.GetFilterTexts(form.first, form.second);
    return form;
}

TEST(LogFilter, WhichTextsPassAndHowTheListsShow) {
    std::string longList;
    for (int i = 0; i < 40; ++i)
        longList += "pattern" + std::to_string(i) + ";";
    const struct {
        const char *include, *exclude;
        std::vector<const char*> pass, reject;
        TextForm shown;
    } cases[] = {
        {"error", "", {"an error here"}, {"all good", "", nullptr}, {"error;", ";"}},
        {"", "verbose", {"log", "", nullptr}, {"verbose log"}, {";", "verbose;"}},
        {"net;disk", "retry", {"net up", "disk"}, {"net retry", "cpu"}, {"net;disk;", "retry;"}},
        {"Error", "", {"Error"}, {"error"}, {"Error;", ";"}},
        {" a", "", {"x a"}, {"xa"}, {" a;", ";"}}, // no trimming
        {"abcd;bce", "", {"abce", "abcd"}, {"abcf"}, {"abcd;bce;", ";"}},
        {"alpha;be", "", {"alpha", "be"}, {"alp"}, {"alpha;be;", ";"}},
        {"a;;b", "", {"a"}, {"b"}, {"a;", ";"}},
        {";x", "", {"x", "y"}, {}, {";", ";"}},
        {";", nullptr, {"x", ""}, {}, {";", ";"}}, // the reset at start
        {";", ";", {"x", ""}, {}, {";", ";"}},
        {nullptr, "x", {"y"}, {"x"}, {";", "x;"}},
        {"*", "x", {"x", ""}, {}, {"*;;", ";"}},
        {"a*b;c", "", {"zzz"}, {}, {"*;;", ";"}},
        {"abc", "*", {"zzz", "abc"}, {}, {"abc;*;;", ";"}},
        {longList.c_str(), "", {"xpattern39"}, {"pattern"}, {longList, ";"}},
        // Code page 936: 0x81 leads a character, so what follows it is its trail byte.
        {"A", "", {"\x81\x41\x41", "\xB0\xA1\x41"}, {"\x81\x41"}, {"A;", ";"}},
        {"a;\x81;b", "", {"\x81;b"}, {"b"}, {"a;\x81;b;", ";"}},
        {"x\x81;", "", {"x\x81;"}, {"x"}, {"x\x81;;", ";"}},
        {"\x81*x", "", {"\x81*x"}, {"y"}, {"\x81*x;", ";"}},
    };
    // One filter throughout, so that anything a case leaves behind shows in the next.
    CLogFilter filter(CLeadBytes::Cp936());
    for (const auto& c : cases) {
        SCOPED_TRACE("include " + Show(c.include) + " exclude " + Show(c.exclude));
        filter.SetFilter(c.include, c.exclude);
        EXPECT_EQ(c.shown, Texts(filter));
        for (const char* text : c.pass)
            EXPECT_TRUE(filter.Match(text)) << "text " << Show(text);
        for (const char* text : c.reject)
            EXPECT_FALSE(filter.Match(text)) << "text " << Show(text);
    }
}

TEST(LogFilter, FreshFilterPassesEverythingAndAnEmptyListAppends) {
    CLogFilter filter(CLeadBytes::Cp936());
    TextForm form{"old", "old"};
    filter.GetFilterTexts(form.first, form.second);
    EXPECT_EQ((TextForm{"*;;", "old;"}), form);
    EXPECT_TRUE(filter.Match("anything"));
}

} // namespace
