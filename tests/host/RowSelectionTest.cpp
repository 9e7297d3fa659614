// The selection as runs of rows, against a plain model: a flag per row.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "RowSelection.h"

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

} // namespace
