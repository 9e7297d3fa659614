// The capture pipeline into a row store: rows in order with their cells, the filter on the
// full text, and what each message costs in lookups.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "Capture.h"
#include "Fakes.h"

namespace {

using Row = std::array<std::string, CRowStore::kColumns>;

TEST(Capture, RowsInOrderWithTheirCellsAndLookups) {
    FakeProcessSource source;
    source.Add(100, "svc.exe");
    StoreRows rows;
    FixedClock clock;
    CCapture capture(source, rows, rows, clock, CLeadBytes::Cp936());
    capture.m_filter.SetFilter("", "hidden");
    source.Add(777, "late.exe");
    const std::string time = "04:03:09:00";
    const struct {
        DWORD id;
        std::string text;
        unsigned enumerations; // after the message, the cache's first included
        bool shown = true;
    } messages[] = {
        {0, "first", 1},                                   // id 0 is not looked up
        {100, "hello", 1},                                 // from the cache
        {777, "hidden", 2, false},                         // rejected, yet looked up
        {777, std::string(200, 'x') + "hidden", 2, false}, // the filter reads past the cut
        {777, "later", 2},
        {0x80000000, "a", 3}, // ids from 2^31 show negative
        {0xFFFFFFFF, "b", 4},
    };
    std::vector<Row> expected;
    for (const auto& m : messages) {
        SCOPED_TRACE("id " + std::to_string(m.id) + ", text " + m.text);
        EXPECT_EQ(0, capture.OnDebugMessage(m.id, m.text.c_str()));
        EXPECT_EQ(m.enumerations, source.enumCalls);
        if (m.shown)
            expected.push_back({m.id == 100   ? "svc.exe"
                                : m.id == 777 ? "late.exe"
                                              : "",
                                std::to_string(static_cast<int32_t>(m.id)), time, m.text});
    }
    EXPECT_EQ(std::size(messages), rows.replies) << "each message releases its sender once";
    ASSERT_TRUE(rows.appended);
    ASSERT_EQ(expected.size(), rows.store.GetCount());
    for (size_t i = 0; i < expected.size(); ++i) {
        RowCells scratch;
        for (int column = 0; column < CRowStore::kColumns; ++column)
            EXPECT_EQ(expected[i][column], rows.store.GetCellText(i, column, scratch))
                << "row " << i << ", column " << column;
    }
}

} // namespace
