// The list's moving keys: Home, End, the arrows and the page keys, never past the ends.
#include "RowKeys.h"

#include <algorithm>

int RowForKey(RowKey key, int focus, int count, int top, int page) {
    // Up has no row above none; Space no row to act on.
    if (count <= 0 || (focus < 0 && (key == RowKey::kSpace || key == RowKey::kUp)))
        return -1;
    page = std::max(1, page);
    // A page key stops at the page's edge first; from the edge the old edge row stays in view.
    const int step = std::max(1, page - 1), bottom = top + page - 1;
    int row = focus;
    switch (key) {
    case RowKey::kHome:
        row = 0;
        break;
    case RowKey::kEnd:
        row = count - 1;
        break;
    case RowKey::kUp:
        row = focus - 1;
        break;
    case RowKey::kDown:
        row = focus + 1;
        break;
    case RowKey::kPageUp:
        row = focus == top ? top - step : top;
        break;
    case RowKey::kPageDown:
        row = focus == bottom ? bottom + step : bottom;
        break;
    case RowKey::kSpace:
        break;
    }
    return std::clamp(row, 0, count - 1);
}
