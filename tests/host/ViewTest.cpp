// What the view does that needs no window: debug output on its way to rows, the selection as runs
// of rows, the row each moving key leads to, and when new rows show.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include "DebugLines.h"
#include "Follow.h"
#include "RowKeys.h"
#include "RowSelection.h"
#include "ShowPacing.h"

namespace {

using Texts = std::vector<std::string>;

// Room for three 3-byte texts: the fourth is dropped and counted; one wake-up a batch, asked
// again after a failed one; none kept while Capture is off. Each text taken, followed by a NUL, is
// cut into lines ('|' after each): LF or CR LF ends one and a lone CR stays in it, a break at the
// end adds none, and an empty text is one.
TEST(DebugLines, TheQueueHoldsWhatFitsCountsTheRestWakesOnceABatchAndItsTextsAreCutIntoLines) {
    CDebugLineQueue queue(3 * (sizeof(DebugLine) + 7));
    const uint64_t time = 9;
    std::vector<bool> kept, wakes;
    const auto push = [&](const std::string& text) {
        bool wake = false;
        kept.push_back(queue.Push(7, time, "w", text.c_str(), text.size(), wake));
        wakes.push_back(wake);
    };
    CDebugLineQueue::Batch batch;
    const auto take = [&] {
        queue.TakeAll(batch);
        Texts texts;
        for (const DebugLine& line : batch.lines) {
            texts.push_back(std::to_string(line.dwProcessId) + ":" + std::to_string(line.time) +
                            ":");
            ForEachLine(&batch.texts[line.offset], line.length,
                        [&](const char* cut) { texts.back() += cut + std::string("|"); });
            texts.back() += &batch.texts[line.nameOffset];
        }
        return texts;
    };
    for (const char* text : {"e\rf", "a\nb", "c\r\n", "\n\r\n"})
        push(text);
    EXPECT_EQ((Texts{"7:9:e\rf|w", "7:9:a|b|w", "7:9:c|w"}), take());
    EXPECT_EQ(1u, batch.dropped);
    push("");
    queue.WakeFailed();
    push("x\n\ny");
    EXPECT_EQ((Texts{"7:9:|w", "7:9:x||y|w"}), take());
    queue.SetCapture(false);
    push("ab6");
    EXPECT_EQ(0u, take().size() + batch.dropped) << "lines kept or counted with Capture off";
    EXPECT_EQ((std::vector<bool>{true, true, true, false, true, true, true}), kept);
    EXPECT_EQ((std::vector<bool>{true, false, false, false, true, true, false}), wakes);
}

// After each step the runs, the rows GetNext walks through, and the count: a row cleared splits
// its run, one set or a range added joins the runs it touches, and rows below 0 change nothing.
TEST(RowSelection, RunsSplitAndJoinAsRowsAreSetAndCleared) {
    CRowSelection selection;
    const auto read = [&selection] {
        std::string text;
        selection.ForEachRun([&](int first, int last) {
            text += std::to_string(first) + "-" + std::to_string(last) + " ";
        });
        for (int row = -1; (row = selection.GetNext(row)) >= 0 && text.size() < 40;)
            text += std::to_string(row);
        return text + " " + std::to_string(selection.GetCount());
    };
    selection.SelectOnly(6, 3), selection.Set(4, false), selection.Set(-1, true);
    EXPECT_EQ("3-3 5-6 356 3", read());
    selection.Set(4, true), selection.Set(7, true), selection.Set(2, true), selection.Set(9, true);
    EXPECT_EQ("2-7 9-9 2345679 7", read());
    selection.Set(2, false), selection.Set(9, false), selection.Set(8, false);
    EXPECT_EQ("3-7 34567 5", read());
    selection.Add(10, 9), selection.Add(12, 8), selection.Add(-1, -3);
    EXPECT_EQ("3-12 3456789101112 10", read());
    selection.SelectOnly(5, -1);
    EXPECT_EQ(std::make_pair(std::string(" 0"), -1),
              std::make_pair(read(), selection.GetNext(INT_MAX)));
}

// From a list of 100 rows, 10 to a page, at the bottom with the focus on row 95, following or
// paused: the place after the person's move, and whether following is paused then. Up is away, a
// move down a return only when the last row shows, and a move that changes nothing changes
// nothing. A click pauses only above the last page of the rows held, shown or not; a view moved
// up by something else pauses too; turning following off or on ends a pause.
TEST(Follow, MovesUpPauseAndMovesDownToTheLastRowResume) {
    const std::tuple<bool, ListPlace, bool> cases[] = {
        {false, {90, 10, 100, 90}, true}, {false, {0, 10, 100, 0}, true},
        {false, {89, 10, 100, 95}, true}, {false, {90, 10, 100, 95}, false},
        {true, {90, 10, 100, 99}, false}, {true, {91, 10, 101, 95}, false},
        {true, {90, 10, 120, 99}, true},  {true, {90, 10, 100, 95}, true}};
    for (const auto& [wasPaused, after, paused] : cases) {
        CFollow follow;
        follow.SetOn(true);
        follow.MovedUpSince(wasPaused ? 91 : 90, 90);
        follow.PersonMoved({90, 10, 100, 95}, after);
        EXPECT_EQ(paused, follow.IsPaused()) << after.top << " " << after.focus << " " << wasPaused;
    }
    CFollow follow;
    follow.SetOn(true);
    std::vector<bool> paused;
    follow.PersonClicked(90, 100, 10), paused.push_back(follow.IsPaused());
    follow.PersonClicked(90, 101, 10), paused.push_back(follow.IsPaused());
    follow.SetOn(false), follow.SetOn(true), paused.push_back(follow.IsPaused());
    EXPECT_EQ((std::vector<bool>{false, true, false}), paused);
}

// Among 10 rows, 3 to a page showing rows 4 to 6: each key from row 5, the page keys from the
// page's edges, at the ends and without a focus; a page of none, a focus past the rows the list
// counts, and no rows.
TEST(RowKeys, EachKeyLeadsToItsRowAndNeverPastTheEnds) {
    using K = RowKey;
    const std::tuple<RowKey, int, int, int, int> cases[] = {
        {K::kHome, 5, 4, 3, 0},     {K::kEnd, 5, 4, 3, 9},      {K::kUp, 5, 4, 3, 4},
        {K::kPageUp, 5, 4, 3, 4},   {K::kPageDown, 5, 4, 3, 6}, {K::kPageUp, 4, 4, 3, 2},
        {K::kPageDown, 6, 4, 3, 8}, {K::kUp, 0, 0, 3, 0},       {K::kPageDown, 9, 7, 3, 9},
        {K::kDown, -1, 4, 3, 0},    {K::kUp, -1, 4, 3, -1},     {K::kPageDown, -1, 4, 3, 6},
        {K::kSpace, -1, 4, 3, -1},  {K::kPageUp, 5, 5, 0, 4},   {K::kSpace, 12, 4, 3, 9}};
    for (const auto& [key, focus, top, page, row] : cases)
        EXPECT_EQ(row, RowForKey(key, focus, 10, top, page))
            << "key " << int(key) << " from " << focus << ", page " << page << " from " << top;
    EXPECT_EQ(-1, RowForKey(K::kEnd, -1, 0, 0, 3)) << "no rows";
}

// Times in ms. Rows after a quiet spell show 50 ms after the first, from the timer; in a flood,
// which starves it, the intake shows them 120 ms after the first. After a show the next waits 20
// times as long as it took, from 120 to 160 ms. Without a timer rows show as they come.
TEST(ShowPacing, RowsShowAfterTheWaitAndShowsAreSpacedByTheirCost) {
    CShowPacing pacing;
    // A show of cost ending at 1000 (none before the first), then rows: the timer's wait, when due.
    for (const auto& [cost, wait, due] :
         {std::tuple{0u, 50u, 1120u}, {7u, 140u, 1140u}, {1u, 120u, 1120u}, {30u, 160u, 1160u}}) {
        if (cost)
            pacing.ShowStarts(), pacing.ShowEnded(1000 - cost, 1000);
        using Got = std::tuple<unsigned, unsigned, bool, bool>;
        EXPECT_EQ(Got(wait, 0, false, true), (Got{pacing.Arrive(1000), pacing.Arrive(1000),
                                                  pacing.IsDue(due - 1), pacing.IsDue(due)}))
            << "after a show of " << cost << " ms";
    }
    pacing.ShowStarts(), pacing.Arrive(2000), pacing.TimerFailed();
    EXPECT_TRUE(pacing.IsDue(2000)) << "without a timer";
}

} // namespace
