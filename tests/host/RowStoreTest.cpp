// The row store when memory runs out: the row is refused and everything already stored stays.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "ShownRows.h"

// Allocations until one fails; negative: none fails.
static long g_allocationsLeft = -1;

void* operator new(size_t size) {
    if (g_allocationsLeft == 0)
        throw std::bad_alloc();
    if (g_allocationsLeft > 0)
        --g_allocationsLeft;
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    return operator new(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, size_t) noexcept {
    std::free(block);
}

namespace {

// Each allocation a new row may need (a chunk of texts, a block of records, room for their
// lists, a name, extra lines) fails in turn; the rows before it stay whole, and the next row is
// stored as if nothing had happened.
TEST(RowStore, RowsStayWholeWhenMemoryRunsOut) {
    // Every other row has extra lines, which fill a chunk of their own every 7,000 rows or so.
    std::vector<std::string> extras;
    for (int i = 0; i <= 40000; ++i)
        extras.push_back(i % 2 ? "severity: notice (5)\r\nfacility: user (1)\r\nrow " +
                                     std::to_string(i) + std::string(100, 'x')
                               : "");
    for (long failAt = 0; failAt < 12; ++failAt) {
        SCOPED_TRACE("failing allocation " + std::to_string(failAt));
        // Long texts fill a chunk every 8,000 rows or so; a block takes 32,768 records.
        const std::string text(124, 't');
        std::vector<DebugRecord> records = {{"first.exe", 0, 0, "kept", 4, 0}};
        for (int i = 1; i <= 40000; ++i) {
            // Each cut, so that the list of cut rows grows too.
            DebugRecord& record = records.emplace_back(DebugRecord{
                {}, 0, 0, text.c_str(), 124, uint64_t(i), i % 2 ? extras[i].c_str() : nullptr});
            snprintf(record.szProcessName, sizeof record.szProcessName, "n%d", failAt % 2 ? 0 : i);
        }
        CRowStore store;
        ASSERT_TRUE(store.Append(records[0]));
        g_allocationsLeft = failAt;
        while (store.GetCount() < records.size() && store.Append(records[store.GetCount()])) {
        }
        g_allocationsLeft = -1;
        const size_t count = store.GetCount();
        ASSERT_LT(count, records.size()) << "expected an allocation to fail";
        ASSERT_TRUE(store.Append({"after.exe", 0, 0, "after", 5, 7}));
        RowCells scratch;
        EXPECT_STREQ("kept", store.GetCellText(0, 3, scratch));
        const DebugRecord& last = records[count - 1];
        EXPECT_EQ(std::make_pair(std::string(last.pszMsg, last.cbMsg), last.cbLeftOut),
                  std::make_pair(std::string(store.GetCellText(count - 1, 3, scratch)),
                                 store.GetLeftOut(count - 1)));
        EXPECT_STREQ("after.exe", store.GetCellText(count, 0, scratch));
        EXPECT_STREQ("after", store.GetCellText(count, 3, scratch));
        EXPECT_EQ(7u, store.GetLeftOut(count)) << "nothing left of the row that failed";
        for (size_t row : {size_t(0), count - 2, count - 1, count})
            EXPECT_EQ(row < count ? extras[row] : "", store.GetExtra(row)) << "row " << row;
        store.Clear();
        ASSERT_TRUE(store.Append(records[0]) && store.Append({"again.exe", 0, 0, "again", 5, 0}));
        EXPECT_EQ("", store.GetExtra(1)) << "none left from before Clear";
    }
}

// Typing finds the next list row by name: from the start, before the end, wrapping if told; ASCII
// letters in either case, but not the second byte of a double-byte character.
TEST(ShownRows, FindNameMatchesTheStartOfANameFromARowOnAndWraps) {
    CRowStore store;
    CShownRows shown(store);
    for (const char* name : {"alpha.exe", "Beta.exe", "ALPHA.exe", "beta.exe", "\xB0\x41.exe"}) {
        DebugRecord record = {};
        snprintf(record.szProcessName, sizeof record.szProcessName, "%s", name);
        ASSERT_TRUE(store.Append(record));
    }
    const std::tuple<const char*, bool, size_t, size_t, bool, size_t> cases[] = {
        {"b", true, 2, 9, true, 3},          {"alpha", true, 3, 9, false, SIZE_MAX},
        {"alpha.exe", false, 1, 9, true, 2}, {"alpha", false, 0, 9, true, SIZE_MAX},
        {"beta", true, 2, 3, true, 1},       {"\xB0\x61", true, 0, 9, true, SIZE_MAX},
        {"\xB0\x41", true, 0, 9, true, 4}};
    for (const auto& [prefix, partial, start, end, wrap, row] : cases)
        EXPECT_EQ(row, shown.FindName(prefix, partial, start, end, wrap))
            << prefix << " from " << start << " before " << end;
}

// The time column in each format, beside the first row and the row above: a stamp just before
// midnight first, then across midnight, an equal stamp, one older than the row above, one older
// than the first. Save's lines read the same cells.
TEST(RowStore, TimeFormatsAtTheEdges) {
    const uint64_t day = uint64_t(152000) * 86400 * kTicksPerSecond;
    const uint64_t times[] = {day - 5005, day + 17340, day + 17340, day + 2000,
                              day - kTicksPerSecond};
    CRowStore store;
    for (uint64_t time : times)
        ASSERT_TRUE(store.Append({"a", 1, time, "", 0, 0}));
    const std::vector<std::vector<std::string>> expected = {
        {"23:59:59:00", "00:00:00:00", "00:00:00:00", "00:00:00:00", "23:59:59:00"},
        {"23:59:59.999", "00:00:00.001", "00:00:00.001", "00:00:00.000", "23:59:59.000"},
        {"0.000000", "0.002234", "0.002234", "0.000700", "-0.999499"},
        {"+0.000", "+2.234", "+0.000", "-1.534", "-1000.200"}};
    for (int format = 0; format < kTimeFormats; ++format) {
        store.SetTimeFormat(static_cast<TimeFormat>(format));
        RowCells scratch;
        std::vector<std::string> cells;
        std::string saved;
        for (size_t row = 0; row < 5; ++row) {
            cells.push_back(store.GetCellText(row, 2, scratch));
            saved += "a\t1\t" + cells.back() + "\t\r\n";
        }
        char lines[2048];
        size_t used = 0;
        store.FormatLines(0, 3, lines, sizeof lines, used);
        EXPECT_EQ(std::make_pair(expected[format], saved),
                  std::make_pair(cells, std::string(lines, used)));
    }
}

} // namespace
