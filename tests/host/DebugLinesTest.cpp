// Debug output on its way to rows: the bounded queue that wakes the user-interface thread once a
// batch, and a text cut into lines.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "DebugLines.h"

namespace {

using Texts = std::vector<std::string>;

// Room for three 3-byte texts: the fourth is dropped and counted; one wake-up a batch, asked
// again after a failed one; none kept while Capture is off.
TEST(DebugLines, TheQueueHoldsWhatFitsCountsTheRestAndWakesOnceABatch) {
    CDebugLineQueue queue(3 * (sizeof(DebugLine) + 7));
    const SYSTEMTIME time = {2024, 5, 0, 5, 3, 4, 9, 0};
    std::vector<bool> kept, wakes;
    const auto push = [&](const char* text) {
        bool wake = false;
        kept.push_back(queue.Push(7, time, "w", text, 3, wake));
        wakes.push_back(wake);
    };
    CDebugLineQueue::Batch batch;
    const auto take = [&] {
        queue.TakeAll(batch);
        Texts texts;
        for (const DebugLine& line : batch.lines)
            texts.push_back(std::to_string(line.dwProcessId) + ":" +
                            std::to_string(line.stTime.wSecond) + ":" +
                            std::string(&batch.texts[line.offset], line.length + 1) +
                            &batch.texts[line.nameOffset]);
        return texts;
    };
    for (const char* text : {"ab0", "ab1", "ab2", "ab3"})
        push(text);
    EXPECT_EQ((Texts{std::string("7:9:ab0\0w", 9), std::string("7:9:ab1\0w", 9),
                     std::string("7:9:ab2\0w", 9)}),
              take());
    EXPECT_EQ(1u, batch.dropped);
    push("ab4");
    queue.WakeFailed();
    push("ab5");
    EXPECT_EQ(2u, take().size());
    queue.SetCapture(false);
    push("ab6");
    EXPECT_EQ(0u, take().size() + batch.dropped) << "lines kept or counted with Capture off";
    EXPECT_EQ((std::vector<bool>{true, true, true, false, true, true, true}), kept);
    EXPECT_EQ((std::vector<bool>{true, false, false, false, true, true, false}), wakes);
}

// LF or CR LF ends a line and a lone CR stays in it; a break at the end adds no line, and an empty
// text is one empty line.
TEST(DebugLines, ATextIsCutIntoLinesAtEachLfOrCrLf) {
    const std::pair<std::string, Texts> cases[] = {
        {"", {""}},     {"a", {"a"}},         {"a\nb\r\n", {"a", "b"}},
        {"\r\n", {""}}, {"x\n\n", {"x", ""}}, {"\n\ne\rf\r\r\ng", {"", "", "e\rf\r", "g"}},
    };
    for (const auto& [text, lines] : cases) {
        std::string cut = text;
        Texts got;
        ForEachLine(&cut[0], cut.size(), [&](const char* line) { got.push_back(line); });
        EXPECT_EQ(lines, got) << "from \"" << text << '"';
    }
}

} // namespace
