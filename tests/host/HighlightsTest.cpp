// Colouring rows: the first matching rule, what is kept per process name, the rules as a value,
// the next background, and text that stays readable on every background.
#include <gtest/gtest.h>

#include <cmath>

#include "Highlights.h"

namespace {

using Rules = std::vector<HighlightRule>;
const auto P = HighlightRule::kProcess, T = HighlightRule::kText;

std::vector<int> RulesOf(const CHighlights& highlights, const CRowStore& store) {
    std::vector<int> found;
    for (size_t row = 0; row < store.GetCount(); ++row)
        found.push_back(highlights.RuleOf(store, row));
    return found;
}

// Names as the whole name, texts anywhere in the message; case by the rule. Changing the rules,
// or a Clear that gives the name indexes to other names, leaves nothing of the old answers.
TEST(Highlights, TheFirstMatchingRuleColoursARowAfterRulesAndNamesChange) {
    CRowStore store;
    for (const DebugRecord& record :
         std::vector<DebugRecord>{{"app.exe", 1, {}, "Disk ERROR", 10, 0},
                                  {"App.exe", 2, {}, "fine", 4, 0},
                                  {"db.exe", 3, {}, "error", 5, 0},
                                  {"app.exe.bak", 4, {}, "x", 1, 0}})
        ASSERT_TRUE(store.Append(record));
    CHighlights highlights(CLeadBytes::Cp936());
    EXPECT_EQ((std::vector<int>{-1, -1, -1, -1}), RulesOf(highlights, store));
    highlights.SetRules(Rules{{T, true, 0, 0, "ERROR"},
                              {P, false, 0, 1, "APP.EXE"},
                              {T, false, 0, 2, "error"},
                              {T, false, 0, 3, ""}});
    EXPECT_EQ((std::vector<int>{0, 1, 2, -1}), RulesOf(highlights, store));
    highlights.SetRules(Rules{{P, true, 0, 1, "App.exe"}, {P, false, 0, 1, "db.exe"}});
    EXPECT_EQ((std::vector<int>{-1, 0, 1, -1}), RulesOf(highlights, store));
    store.Clear();
    ASSERT_TRUE(store.Append({"db.exe", 3, {}, "x", 1, 0}));
    ASSERT_TRUE(store.Append({"App.exe", 3, {}, "x", 1, 0}));
    EXPECT_EQ((std::vector<int>{1, 0}), RulesOf(highlights, store));
}

// Any text survives the round trip; a value cut short, with a colour off the palette or a NUL in
// a text is refused whole and leaves the rules as they were.
TEST(Highlights, RulesComeBackFromTheirValueAndABrokenValueChangesNothing) {
    const Rules rules = {{P, false, 5, 7, "a:b.exe"},
                         {T, true, 0, 0, std::string("12:\xB0\x41\n", 6)},
                         {T, false, 1, 2, ""}};
    Rules read;
    ASSERT_TRUE(CHighlights::Unpack(CHighlights::Pack(rules), read));
    EXPECT_EQ(CHighlights::Pack(rules), CHighlights::Pack(read));
    EXPECT_EQ(3u, read.size());
    for (const std::string& bad : std::vector<std::string>{
             "P0007:a.exe", "P0007", "P00075:a.ex", "X0001:a", "P0081:a", "P0001a",
             std::string("T0001:\0", 7), "T00018446744073709551617:a"})
        EXPECT_FALSE(CHighlights::Unpack(bad, read)) << bad;
    EXPECT_EQ(CHighlights::Pack(rules), CHighlights::Pack(read));
}

// A new process rule takes the background fewest rules use; a name a rule matches is not added.
TEST(Highlights, AddingAProcessTakesTheLeastUsedBackgroundOnce) {
    CHighlights highlights(CLeadBytes::Cp936());
    highlights.SetRules(Rules{{T, false, 0, 0, "x"}, {T, false, 0, 2, "y"}});
    std::vector<int> backgrounds;
    for (const char* name : {"a.exe", "A.EXE", "b.exe", "c.exe"})
        if (highlights.AddProcess(name))
            backgrounds.push_back(highlights.GetRules().back().background);
    EXPECT_EQ((std::vector<int>{1, 3, 4}), backgrounds);
}

// WCAG's contrast ratio between every text colour and every background.
TEST(Highlights, EveryTextReadsOnEveryBackground) {
    const auto luminance = [](uint32_t colour) {
        double sum = 0;
        for (const auto& [shift, weight] : {std::pair{0, 0.2126}, {8, 0.7152}, {16, 0.0722}}) {
            const double c = ((colour >> shift) & 0xFF) / 255.0;
            sum += weight * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return sum;
    };
    for (uint32_t text : kHighlightForegrounds)
        for (uint32_t back : kHighlightBackgrounds)
            EXPECT_GE((luminance(back) + 0.05) / (luminance(text) + 0.05), 4.5)
                << std::hex << text << " on " << back;
}

} // namespace
