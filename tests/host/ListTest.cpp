// The list's rules that need no window: the selection as runs of rows against a plain model (a
// flag per row), the row each moving key leads to, and when new rows show.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "RowKeys.h"
#include "RowSelection.h"
#include "ShowPacing.h"

namespace {

// Random changes, rows below 0 among them; after each, every way of reading the selection gives
// the model's flags, and the runs neither touch nor overlap ('x' where they would).
TEST(RowSelection, EveryReadingAgreesWithAFlagPerRowAfterAnyChange) {
    const int kRows = 40;
    CRowSelection selection;
    std::string model(kRows, '0');
    std::mt19937 random(7);
    for (int step = 0; step < 3000; ++step) {
        const int a = int(random() % (kRows + 2)) - 2, b = int(random() % (kRows + 2)) - 2;
        const int change = int(random() % 6);
        if (change == 0) {
            selection.SelectOnly(a, b);
            for (int row = 0; row < kRows; ++row)
                model[row] =
                    a >= 0 && b >= 0 && row >= std::min(a, b) && row <= std::max(a, b) ? '1' : '0';
        } else if (change == 1) {
            selection.Clear();
            model.assign(kRows, '0');
        } else {
            selection.Set(a, change % 2);
            if (a >= 0)
                model[a] = change % 2 ? '1' : '0';
        }
        std::string flags(kRows, '0'), next(kRows, '0'), runs(kRows, '0');
        for (int row = 0; row < kRows; ++row)
            flags[row] = selection.IsSelected(row) ? '1' : '0';
        for (int row = -1, steps = 0; (row = selection.GetNext(row)) >= 0 && steps++ < kRows;)
            next[row] = '1';
        int end = -2;
        selection.ForEachRun([&](int first, int last) {
            for (int row = first; row <= last; ++row)
                runs[row] = first <= end + 1 ? 'x' : '1';
            end = last;
        });
        const auto count = static_cast<int>(std::count(model.begin(), model.end(), '1'));
        ASSERT_EQ((std::vector<std::string>{model, model, model}),
                  (std::vector<std::string>{flags, next, runs}))
            << "IsSelected, GetNext, ForEachRun after step " << step;
        ASSERT_EQ(std::make_pair(count, count == 0),
                  std::make_pair(selection.GetCount(), selection.IsEmpty()));
    }
    EXPECT_EQ(-1, selection.GetNext(INT_MAX));
}

// Among 10 rows, 3 to a page: each key from row 5, then from the ends and from no focus, which
// stop at the ends; no rows, a page of none, and a focus the list no longer counts.
TEST(RowKeys, EachKeyLeadsToItsRowAndNeverPastTheEnds) {
    using K = RowKey;
    const struct {
        RowKey key;
        int focus, count, page, row;
    } cases[] = {
        {K::kHome, 5, 10, 3, 0},     {K::kEnd, 5, 10, 3, 9},      {K::kUp, 5, 10, 3, 4},
        {K::kDown, 5, 10, 3, 6},     {K::kPageUp, 5, 10, 3, 2},   {K::kPageDown, 5, 10, 3, 8},
        {K::kSpace, 5, 10, 3, 5},    {K::kUp, 0, 10, 3, 0},       {K::kDown, 9, 10, 3, 9},
        {K::kPageUp, 1, 10, 3, 0},   {K::kPageDown, 8, 10, 3, 9}, {K::kUp, -1, 10, 3, 0},
        {K::kDown, -1, 10, 3, 0},    {K::kSpace, -1, 10, 3, -1},  {K::kEnd, -1, 0, 3, -1},
        {K::kPageDown, 5, 10, 0, 6}, {K::kSpace, 12, 10, 3, 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.row, RowForKey(c.key, c.focus, c.count, c.page))
            << "key " << int(c.key) << " from " << c.focus << " of " << c.count << ", page "
            << c.page;
}

// Times in ms. After a quiet spell rows show 50 ms after the first, from the timer; in a flood,
// which starves it, the intake shows them 120 ms after the first. The next show waits 20 times as
// long as the last took, from 120 to 160 ms. Without a timer rows show as they come.
TEST(ShowPacing, RowsShowAfterTheWaitAndShowsAreSpacedByTheirCost) {
    CShowPacing pacing;
    EXPECT_EQ((std::vector<unsigned>{50, 0}),
              (std::vector<unsigned>{pacing.Arrive(1000), pacing.Arrive(1030)}));
    EXPECT_EQ(std::make_pair(false, true), std::make_pair(pacing.IsDue(1119), pacing.IsDue(1120)));
    const struct {
        unsigned long long cost, arrives;
        unsigned wait;
        unsigned long long due;
    } shows[] = {
        {7, 1130, 137, 1267}, {1, 1300, 88, 1420}, {1, 1600, 50, 1720}, {30, 1760, 150, 1910}};
    unsigned long long now = 1120;
    for (const auto& show : shows) {
        pacing.ShowStarts();
        pacing.ShowEnded(now, now + show.cost);
        now = show.arrives;
        EXPECT_EQ(show.wait, pacing.Arrive(now)) << "after a show of " << show.cost << " ms";
        EXPECT_EQ(std::make_pair(false, true),
                  std::make_pair(pacing.IsDue(show.due - 1), pacing.IsDue(show.due)))
            << "after a show of " << show.cost << " ms";
        now = show.due;
    }
    pacing.ShowStarts();
    pacing.Arrive(now);
    pacing.TimerFailed();
    EXPECT_EQ(std::make_pair(0u, true), std::make_pair(pacing.Arrive(now), pacing.IsDue(now)));
}

} // namespace
