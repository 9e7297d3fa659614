// Character boundaries, boundary-aware search and cuts in code page 936.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "LeadBytes.h"

namespace {

const CLeadBytes kCp936 = CLeadBytes::Cp936();
const CLeadBytes kSingle = CLeadBytes::SingleByte();

TEST(LeadBytes, CharLength) {
    const struct {
        std::string text;
        size_t cp936, single;
    } cases[] = {
        {"a", 1, 1},
        {"\x80"
         "A",
         1, 1},
        {"\x81"
         "A",
         2, 1},
        {"\xFE"
         "A",
         2, 1},
        {"\xFF"
         "A",
         1, 1},
        {"\xB0\xA1", 2, 1},
        {"\x81", 1, 1}, // a lead byte before the end is a character of its own
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(c.cp936, kCp936.CharLength(c.text.data(), c.text.size()));
        EXPECT_EQ(c.single, kSingle.CharLength(c.text.data(), c.text.size()));
    }
}

TEST(LeadBytes, FindStartsOnlyAtCharacterBoundaries) {
    const struct {
        std::string text, pattern;
        long cp936, single;
    } cases[] = {
        {"abc", "", 0, 0},
        {"abc", "c", 2, 2},
        {"abc", "abcd", -1, -1},
        {"", "a", -1, -1},
        {"\x81\x41", "A", -1, 1}, // 'A' as a trail byte
        {"\x81\x41"
         "A",
         "A", 2, 1}, // the real 'A' after it
        {"\x81\x41\x41\x42", "AB", 2, 2},
        {"\xB0\xA1\xB0\xA1", "\xA1\xB0", -1, 1}, // across two characters
        {"x\xB0\xA1", "\xB0\xA1", 1, 1},
        {"\x81\x81\x81\x81"
         "B",
         "\x81"
         "B",
         -1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text) + " / " + testing::PrintToString(c.pattern));
        EXPECT_EQ(c.cp936,
                  kCp936.Find(c.text.data(), c.text.size(), c.pattern.data(), c.pattern.size()));
        EXPECT_EQ(c.single,
                  kSingle.Find(c.text.data(), c.text.size(), c.pattern.data(), c.pattern.size()));
    }
}

TEST(LeadBytes, FitLength) {
    const struct {
        std::string text;
        size_t maxBytes, expected;
    } cases[] = {
        {"abcdef", 4, 4},      {"abc", 10, 3},        {"abc", 0, 0},     {"", 5, 0},
        {"abc\xB0\xA1", 4, 3}, {"abc\xB0\xA1", 5, 5}, {"abc\x81", 4, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text) + " max " + std::to_string(c.maxBytes));
        EXPECT_EQ(c.expected, kCp936.FitLength(c.text.data(), c.text.size(), c.maxBytes));
    }
}

TEST(LeadBytes, CutNeverLeavesALoneLeadByte) {
    for (const std::string prefix : {"", "x"}) {
        std::string text = prefix;
        for (int i = 0; i < 100; ++i)
            text += "\xB0\xA1";
        for (size_t maxBytes = 0; maxBytes <= text.size() + 1; ++maxBytes) {
            SCOPED_TRACE("prefix " + prefix + " max " + std::to_string(maxBytes));
            size_t length = kCp936.FitLength(text.data(), text.size(), maxBytes);
            size_t expected = std::min(maxBytes, text.size());
            if (expected > prefix.size() && (expected - prefix.size()) % 2 != 0)
                --expected;
            EXPECT_EQ(expected, length);
        }
    }
}

} // namespace
