// The list's moving keys: Home, End, the arrows and the page keys, never past the ends.
#include "RowKeys.h"

#include <algorithm>

int RowForKey(RowKey key, int focus, int count, int page) {
    if (count <= 0 || (key == RowKey::kSpace && focus < 0))
        return -1;
    page = std::max(1, page);
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
        row = focus - page;
        break;
    case RowKey::kPageDown:
        row = focus + page;
        break;
    case RowKey::kSpace:
        break;
    }
    return std::clamp(row, 0, count - 1);
}
