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
// lists, a name) fails in turn; the rows before it stay whole, and the next row is stored as
// if nothing had happened.
TEST(RowStore, RowsStayWholeWhenMemoryRunsOut) {
    for (long failAt = 0; failAt < 8; ++failAt) {
        SCOPED_TRACE("failing allocation " + std::to_string(failAt));
        // Long texts fill a chunk every 8,000 rows or so; a block takes 32,768 records.
        std::vector<DebugRecord> records = {{"first.exe", 0, {}, "kept"}};
        for (int i = 1; i <= 40000; ++i) {
            DebugRecord& record = records.emplace_back();
            snprintf(record.szProcessName, sizeof record.szProcessName, "n%d", failAt % 2 ? 0 : i);
            snprintf(record.szMsg, sizeof record.szMsg, "%0124d", i);
        }
        CRowStore store;
        ASSERT_TRUE(store.Append(records[0]));
        g_allocationsLeft = failAt;
        while (store.GetCount() < records.size() && store.Append(records[store.GetCount()])) {
        }
        g_allocationsLeft = -1;
        const size_t count = store.GetCount();
        ASSERT_LT(count, records.size()) << "expected an allocation to fail";
        ASSERT_TRUE(store.Append({"after.exe", 0, {}, "after"}));
        RowCells scratch;
        EXPECT_STREQ("kept", store.GetCellText(0, 3, scratch));
        EXPECT_STREQ(records[count - 1].szMsg, store.GetCellText(count - 1, 3, scratch));
        EXPECT_STREQ("after.exe", store.GetCellText(count, 0, scratch));
        EXPECT_STREQ("after", store.GetCellText(count, 3, scratch));
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

} // namespace
