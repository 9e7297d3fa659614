// Character boundaries and boundary-aware search in code page 936.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "LeadBytes.h"

namespace {

const CLeadBytes kCp936 = CLeadBytes::Cp936();
const CLeadBytes kSingle = CLeadBytes::SingleByte();

TEST(LeadBytes, CharLengthKnowsTheLeadRange) {
    // 0x80 and 0xFF lie just outside it; a lead byte right before the end stands alone.
    const std::pair<std::string, size_t> cases[] = {
        {"\x80\x41", 1}, {"\x81\x41", 2}, {"\xFE\x41", 2}, {"\xFF\x41", 1}, {"\x81", 1}};
    for (const auto& c : cases) {
        const std::string& text = c.first;
        EXPECT_EQ(c.second, kCp936.CharLength(text.data(), text.size()))
            << testing::PrintToString(text);
        EXPECT_EQ(1u, kSingle.CharLength(text.data(), text.size())) << testing::PrintToString(text);
    }
}

TEST(LeadBytes, FindStartsOnlyAtCharacterBoundaries) {
    const struct {
        std::string text, pattern;
        long cp936, single;
    } cases[] = {
        {"abc", "", 0, 0},
        {"abc", "abcd", -1, -1},
        {"", "a", -1, -1},
        {"\x81\x41", "A", -1, 1},                // 'A' as a trail byte
        {"\x81\x41\x41", "A", 2, 1},             // the real 'A' after it
        {"\xB0\xA1\xB0\xA1", "\xA1\xB0", -1, 1}, // across two characters
        {"x\xB0\xA1", "\xB0\xA1", 1, 1},
        {"\x81\x81\x81\x81\x42", "\x81\x42", -1, 3}, // lead bytes as trail bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text) + " / " + testing::PrintToString(c.pattern));
        EXPECT_EQ(c.cp936,
                  kCp936.Find(c.text.data(), c.text.size(), c.pattern.data(), c.pattern.size()));
        EXPECT_EQ(c.single,
                  kSingle.Find(c.text.data(), c.text.size(), c.pattern.data(), c.pattern.size()));
    }
}

} // namespace
