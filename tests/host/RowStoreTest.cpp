// The row store when memory runs out: the row is refused and everything already stored stays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "RowStore.h"

namespace {
// Allocations until one fails; negative: none fails.
long g_allocationsLeft = -1;
} // namespace

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

DebugRecord Record(const std::string& name, const std::string& text) {
    DebugRecord record = {};
    record.dwProcessId = 7;
    strcpy(record.szProcessName, name.c_str());
    strcpy(record.szMsg, text.c_str());
    return record;
}

std::string Cell(const CRowStore& store, size_t row, int column) {
    RowCells scratch;
    return store.GetCellText(row, column, scratch);
}

} // namespace

std::string Text(int i) {
    return std::string(120, 'a') + std::to_string(i);
}

// Each allocation a new row may need (a chunk of texts, a block of records, room for their
// lists, a name) fails in turn; the rows before it stay whole, and the next row is stored as
// if nothing had happened.
TEST(RowStore, RowsStayWholeWhenMemoryRunsOut) {
    for (long failAt = 0; failAt < 8; ++failAt) {
        SCOPED_TRACE("failing allocation " + std::to_string(failAt));
        // Long texts fill a chunk every 8,000 rows or so; a block takes 32,768 records.
        std::vector<DebugRecord> records;
        for (int i = 0; i < 40000; ++i)
            records.push_back(Record(failAt % 2 ? "same.exe" : "n" + std::to_string(i), Text(i)));
        CRowStore store;
        ASSERT_TRUE(store.Append(Record("first.exe", "kept")));
        g_allocationsLeft = failAt;
        for (const DebugRecord& record : records)
            if (!store.Append(record))
                break;
        g_allocationsLeft = -1;
        const size_t count = store.GetCount();
        ASSERT_LT(count, 40001u) << "expected an allocation to fail";
        ASSERT_TRUE(store.Append(Record("after.exe", "after")));
        EXPECT_EQ("kept", Cell(store, 0, 3));
        EXPECT_EQ(count == 1 ? "kept" : Text(int(count) - 2), Cell(store, count - 1, 3));
        EXPECT_EQ("after.exe", Cell(store, count, 0));
        EXPECT_EQ("after", Cell(store, count, 3));
    }
}
