// The capture pipeline against a recording list, a fixed clock and a fake process list.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "Capture.h"
#include "FakeProcessSource.h"

namespace {

// Records every list call, and keeps the cells as a list control would.
class RecordingRows : public IRowSink {
public:
    int GetItemCount() override {
        calls.push_back("GetItemCount");
        return static_cast<int>(cells.size());
    }
    int InsertItem(int item, const char* text) override {
        calls.push_back("InsertItem " + std::to_string(item) + " " + text);
        size_t at = std::min(static_cast<size_t>(item), cells.size());
        cells.insert(cells.begin() + at, {text, "", "", ""});
        return static_cast<int>(at);
    }
    void SetItemText(int item, int subItem, const char* text) override {
        calls.push_back("SetItemText " + std::to_string(item) + " " + std::to_string(subItem) +
                        " " + text);
        cells.at(item).at(subItem) = text;
    }

    std::vector<std::array<std::string, 4>> cells;
    std::vector<std::string> calls;
};

class FixedClock : public IClock {
public:
    void Now(SYSTEMTIME& time) override {
        ++calls;
        time = now;
    }
    SYSTEMTIME now = {2024, 5, 5, 3, 4, 3, 9, 0};
    unsigned calls = 0;
};

FakeProcessSource Processes() {
    FakeProcessSource source;
    source.Add(100, "svc.exe");
    source.Add(200, std::string(127, 'n'));
    source.Add(300, std::string(62, 'n') + "\xB0\xA1");
    return source;
}

class CaptureTest : public testing::Test {
protected:
    const std::array<std::string, 4>& LastRow() { return rows.cells.at(rows.cells.size() - 1); }

    FakeProcessSource source = Processes();
    RecordingRows rows;
    FixedClock clock;
    const CLeadBytes cp936 = CLeadBytes::Cp936();
    CCapture capture{source, rows, clock, cp936};
};

TEST_F(CaptureTest, RowGoesAfterExistingRows) {
    rows.cells.resize(2);
    EXPECT_EQ(0, capture.OnDebugMessage(100, "hello"));
    const std::vector<std::string> expected = {"GetItemCount", "InsertItem 2 svc.exe",
                                               "SetItemText 2 1 100", "SetItemText 2 2 04:03:09:00",
                                               "SetItemText 2 3 hello"};
    EXPECT_EQ(expected, rows.calls);
}

TEST_F(CaptureTest, CaptureOffLeavesNoTrace) {
    capture.m_bCapture = false;
    EXPECT_EQ(0, capture.OnDebugMessage(555, "x"));
    EXPECT_TRUE(rows.calls.empty());
    EXPECT_EQ(1u, source.enumCalls);
    EXPECT_EQ(0u, clock.calls);
}

TEST_F(CaptureTest, ProcessIdZeroSkipsTheLookup) {
    unsigned reads = source.readCalls;
    EXPECT_EQ(0, capture.OnDebugMessage(0, "x"));
    EXPECT_EQ(1u, source.enumCalls);
    EXPECT_EQ(reads, source.readCalls);
    EXPECT_EQ("", LastRow()[0]);
    EXPECT_EQ("0", LastRow()[1]);
}

TEST_F(CaptureTest, NamesAreCutToFitWithoutSplittingACharacter) {
    const struct {
        DWORD id;
        std::string name;
    } cases[] = {
        {100, "svc.exe"},
        {200, std::string(63, 'n')},
        {300, std::string(62, 'n')}, // the double-byte character would need bytes 63 and 64
        {999, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("id " + std::to_string(c.id));
        capture.OnDebugMessage(c.id, "x");
        EXPECT_EQ(c.name, LastRow()[0]);
    }
}

TEST_F(CaptureTest, MessagesAreCutToFitWithoutSplittingACharacter) {
    const std::string x125(125, 'x'), x126(126, 'x'), x127(127, 'x');
    const struct {
        const char* label;
        std::string text;
        bool null;
        std::string shown;
    } cases[] = {
        {"null", "", true, ""},
        {"empty", "", false, ""},
        {"127", x127, false, x127},
        {"128", x127 + "y", false, x127},
        {"511", x127 + std::string(384, 'y'), false, x127},
        {"127 ending in a character", x125 + "\xB0\xA1", false, x125 + "\xB0\xA1"},
        {"128 ending in a character", x126 + "\xB0\xA1", false, x126},
        {"511 of characters", "x" + std::string(510, '\xB0'), false,
         "x" + std::string(126, '\xB0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        capture.OnDebugMessage(100, c.null ? nullptr : c.text.c_str());
        EXPECT_EQ(c.shown, LastRow()[3]);
    }
}

TEST_F(CaptureTest, FilterSeesTheFullText) {
    capture.m_filter.SetFilter("NEEDLE", "");
    capture.OnDebugMessage(100, (std::string(200, 'x') + "NEEDLE").c_str());
    capture.OnDebugMessage(100, std::string(200, 'x').c_str());
    ASSERT_EQ(1u, rows.cells.size());
    EXPECT_EQ(std::string(127, 'x'), LastRow()[3]);
}

TEST_F(CaptureTest, RejectedTextStillLooksTheNameUp) {
    capture.m_filter.SetFilter("NEEDLE", "");
    source.Add(777, "late.exe");
    EXPECT_EQ(0, capture.OnDebugMessage(777, "hay"));
    EXPECT_TRUE(rows.cells.empty());
    EXPECT_EQ(2u, capture.m_procNames.RefreshCount());
    capture.OnDebugMessage(777, "NEEDLE");
    EXPECT_EQ("late.exe", LastRow()[0]);
    EXPECT_EQ(2u, capture.m_procNames.RefreshCount());
}

TEST(FormatRowCells, SignedIdAndZeroPaddedTime) {
    const struct {
        DWORD id;
        WORD hour, minute, second, milliseconds;
        const char *pid, *time;
    } cases[] = {
        {0, 0, 0, 0, 0, "0", "00:00:00:00"},
        {1234, 4, 3, 9, 0, "1234", "04:03:09:00"},
        {0x7FFFFFFF, 23, 59, 59, 0, "2147483647", "23:59:59:00"},
        {0x80000000, 12, 0, 5, 0, "-2147483648", "12:00:05:00"},
        {0xFFFFFFFF, 1, 2, 3, 999, "-1", "01:02:03:999"},
        {1, 65535, 65535, 65535, 65535, "1", "65535:65535:65535:65535"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        DebugRecord record = {};
        record.dwProcessId = c.id;
        record.stTime.wHour = c.hour;
        record.stTime.wMinute = c.minute;
        record.stTime.wSecond = c.second;
        record.stTime.wMilliseconds = c.milliseconds;
        RowCells cells;
        FormatRowCells(record, cells);
        EXPECT_STREQ(c.pid, cells.szPid);
        EXPECT_STREQ(c.time, cells.szTime);
    }
}

TEST(SystemClock, GivesLocalTimeInWholeSeconds) {
    std::string expected, got;
    for (int attempt = 0; attempt < 3 && (got.empty() || got != expected); ++attempt) {
        time_t before = time(nullptr);
        SYSTEMTIME now = {};
        IClock::System().Now(now);
        struct tm local = {};
        localtime_r(&before, &local);
        char text[64];
        strftime(text, sizeof text, "%Y-%m-%d %w %H:%M:%S 0", &local);
        expected = text;
        snprintf(text, sizeof text, "%04d-%02d-%02d %d %02d:%02d:%02d %d", now.wYear, now.wMonth,
                 now.wDay, now.wDayOfWeek, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
        got = text; // a second may tick between the two readings: try again
    }
    EXPECT_EQ(expected, got);
}

} // namespace
