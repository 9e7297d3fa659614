// The capture pipeline against a recording list, a fixed clock and a fake process list.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "Capture.h"
#include "FakeProcessSource.h"
#include "RowStore.h"

namespace {

using Row = std::array<std::string, 4>;

Row CellsOf(const CRowStore& store, size_t row) {
    RowCells scratch;
    Row cells;
    for (int column = 0; column < 4; ++column)
        cells[column] = store.GetCellText(row, column, scratch);
    return cells;
}

// Keeps the rows in a store and their cells as the list shows them; counts the replies.
class RecordingRows : public IRowSink, public ISender {
public:
    void AppendRow(const DebugRecord& record) override {
        ASSERT_TRUE(store.Append(record));
        rows.push_back(CellsOf(store, store.GetCount() - 1));
    }
    void Reply() override { ++replies; }

    CRowStore store;
    std::vector<Row> rows;
    unsigned replies = 0;
};

class FixedClock : public IClock {
public:
    void Now(SYSTEMTIME& time) override { time = {2024, 5, 5, 3, 4, 3, 9, 0}; }
};

class CaptureTest : public testing::Test {
protected:
    CaptureTest() {
        source.Add(100, "svc.exe");
        source.Add(200, std::string(127, 'n'));
        source.Add(300, std::string(62, 'n') + "\xB0\xA1");
    }
    const Row& LastRow() const { return list.rows.at(list.rows.size() - 1); }

    FakeProcessSource source;
    RecordingRows list;
    FixedClock clock;
    CCapture capture{source, list, list, clock, CLeadBytes::Cp936()};
};

TEST_F(CaptureTest, RowGoesAfterExistingRows) {
    EXPECT_EQ(0, capture.OnDebugMessage(0, "first"));
    EXPECT_EQ(0, capture.OnDebugMessage(100, "hello"));
    ASSERT_EQ(2u, list.rows.size());
    EXPECT_EQ((Row{"", "0", "04:03:09:00", "first"}), list.rows[0]);
    EXPECT_EQ((Row{"svc.exe", "100", "04:03:09:00", "hello"}), list.rows[1]);
    EXPECT_EQ(2u, list.replies) << "each message releases its sender once";
}

TEST_F(CaptureTest, CaptureOffLooksNothingUpAndAddsNoRow) {
    capture.m_bCapture = false;
    EXPECT_EQ(0, capture.OnDebugMessage(555, "x"));
    EXPECT_TRUE(list.rows.empty());
    EXPECT_EQ(1u, source.enumCalls) << "enumerations: the cache's first only";
}

TEST_F(CaptureTest, ProcessIdZeroSkipsTheLookup) {
    EXPECT_EQ(0, capture.OnDebugMessage(0, "x"));
    EXPECT_EQ((Row{"", "0", "04:03:09:00", "x"}), LastRow());
    EXPECT_EQ(1u, source.enumCalls) << "enumerations: the cache's first only";
}

TEST_F(CaptureTest, NamesAndTextsAreCutToFitWithoutSplittingACharacter) {
    const std::string x125(125, 'x'), x126(126, 'x'), x127(127, 'x');
    const struct {
        DWORD id;
        std::string text, name, shown;
        bool null = false; // the text pointer, as a client may send
    } cases[] = {
        {200, "x", std::string(63, 'n'), "x"},
        {300, "x", std::string(62, 'n'), "x"}, // the character would need bytes 63 and 64
        {999, "x", "", "x"},
        {100, "", "svc.exe", "", true},
        {100, x127, "svc.exe", x127},
        {100, x127 + "y", "svc.exe", x127},
        {100, x127 + std::string(384, 'y'), "svc.exe", x127}, // 511 bytes
        {100, x125 + "\xB0\xA1", "svc.exe", x125 + "\xB0\xA1"},
        {100, x126 + "\xB0\xA1", "svc.exe", x126},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("id " + std::to_string(c.id) + ", text of " + std::to_string(c.text.size()) +
                     " bytes" + (c.null ? " (null)" : ""));
        capture.OnDebugMessage(c.id, c.null ? nullptr : c.text.c_str());
        EXPECT_EQ(c.name, LastRow()[0]);
        EXPECT_EQ(c.shown, LastRow()[3]);
    }
}

TEST_F(CaptureTest, FilterSeesTheFullTextAndRejectionStillLooksTheNameUp) {
    capture.m_filter.SetFilter("NEEDLE", "");
    source.Add(777, "late.exe");
    EXPECT_EQ(0, capture.OnDebugMessage(777, "hay"));
    EXPECT_TRUE(list.rows.empty());
    EXPECT_EQ(2u, source.enumCalls) << "enumerations after a rejected text of a new process";
    capture.OnDebugMessage(777, (std::string(200, 'x') + "NEEDLE").c_str());
    ASSERT_EQ(1u, list.rows.size());
    EXPECT_EQ((Row{"late.exe", "777", "04:03:09:00", std::string(127, 'x')}), LastRow());
    EXPECT_EQ(2u, source.enumCalls) << "enumerations after its second text";
}

TEST(RowStore, SignedIdAndZeroPaddedTime) {
    const struct {
        DWORD id;
        WORD hour, minute, second, milliseconds;
        const char *pid, *time;
    } cases[] = {
        {0, 0, 0, 0, 0, "0", "00:00:00:00"},
        {0x7FFFFFFF, 23, 59, 59, 0, "2147483647", "23:59:59:00"},
        {0x80000000, 12, 0, 5, 0, "-2147483648", "12:00:05:00"},
        {0xFFFFFFFF, 1, 2, 3, 999, "-1", "01:02:03:999"},
        {1, 65535, 65535, 65535, 65535, "1", "65535:65535:65535:65535"},
    };
    for (const auto& c : cases) {
        DebugRecord record = {};
        record.dwProcessId = c.id;
        record.stTime.wHour = c.hour;
        record.stTime.wMinute = c.minute;
        record.stTime.wSecond = c.second;
        record.stTime.wMilliseconds = c.milliseconds;
        CRowStore store;
        ASSERT_TRUE(store.Append(record));
        const Row cells = CellsOf(store, 0);
        EXPECT_EQ(c.pid, cells[1]);
        EXPECT_EQ(c.time, cells[2]);
    }
}

} // namespace
