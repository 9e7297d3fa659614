// Save's writes and the log's: exact bytes in whole lines, and failures that stop the writing.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "LineWriter.h"

namespace {

// Records every write; the one numbered failAt fails, and every one throws when throws is set.
struct FailingSink : ILogSink {
    bool Write(const char* data, size_t size) override {
        writes.emplace_back(data, size);
        if (throws)
            throw std::runtime_error("sink");
        return writes.size() != failAt + 1;
    }
    size_t failAt = SIZE_MAX;
    bool throws = false;
    std::vector<std::string> writes;
};

// Enough rows for a few writes; a header of very many columns makes a line longer than a write,
// and only the first rows of those are written. Expected: the list's cells, each and a TAB.
TEST(LineWriter, WritesWholeLinesInChunksAndStopsAtTheFirstFailedWrite) {
    CRowStore store;
    char text[128];
    for (DebugRecord record = {"writer.exe", 1000, 0, text, 120, 0}; record.dwProcessId < 2200;
         ++record.dwProcessId) {
        snprintf(text, sizeof text, "%0120u", unsigned(record.dwProcessId));
        ASSERT_TRUE(store.Append(record));
    }
    for (const auto& [columns, end] : {std::pair{4, size_t{1200}}, {70000, 3}}) {
        std::string expected, written;
        RowCells scratch;
        for (size_t row = 0; row < end; ++row, expected += "\r\n")
            for (int column = 0; column < columns; ++column)
                expected.append(store.GetCellText(row, column, scratch)).append("\t");
        FailingSink whole;
        ASSERT_TRUE(CLineWriter(store, columns, whole).Write(0, end)) << columns;
        ASSERT_GE(whole.writes.size(), 3u) << columns;
        for (const std::string& write : whole.writes) {
            EXPECT_TRUE(write.size() <= CLineWriter::kChunkBytes ||
                        write.find("\r\n") == write.size() - 2)
                << "columns " << columns << ": a write of " << write.size() << " bytes";
            written += write;
        }
        EXPECT_EQ(expected, written) << columns;
        const size_t last = whole.writes.size() - 1;
        for (const size_t failAt : {size_t{0}, last / 2, last}) {
            FailingSink failing;
            failing.failAt = failAt;
            EXPECT_FALSE(CLineWriter(store, columns, failing).Write(0, end));
            EXPECT_EQ(
                decltype(whole.writes)(whole.writes.begin(), whole.writes.begin() + failAt + 1),
                failing.writes)
                << "columns " << columns << ", failing write " << failAt;
        }
    }
}

// The log fails once, and writes nothing more, when its sink throws on the writer's thread or
// when the lines waiting for the writer would pass the bound.
TEST(LogWriter, FailsOnceWhenItsSinkThrowsOrTooMuchWaits) {
    for (const bool throws : {true, false}) {
        FailingSink sink;
        sink.throws = throws;
        std::atomic<int> failures{0};
        // Else the writer sleeps through the test, as behind a disk that stalls.
        CLogWriter writer(sink, throws ? std::chrono::milliseconds(1) : std::chrono::hours(1),
                          [&] { ++failures; });
        writer.Add("line\r\n", 6);
        for (int waited = 0; throws && failures == 0 && waited < 10000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!throws) {
            const std::string waiting(CLogWriter::kMaxPendingBytes - 6, 'w');
            writer.Add(waiting.data(), waiting.size());
            EXPECT_EQ(0, failures.load()) << "up to the bound";
        }
        writer.Add("more\r\n", 6);
        EXPECT_FALSE(writer.Flush());
        EXPECT_EQ(1, failures.load()) << "throws " << throws;
        EXPECT_EQ(throws ? 1u : 0u, sink.writes.size()) << "throws " << throws;
    }
}

} // namespace
