// The row each of the list's moving keys leads to.
#pragma once

// The keys that move among the rows, and Space, which acts on the focused one.
enum class RowKey { kHome, kEnd, kUp, kDown, kPageUp, kPageDown, kSpace };

// The row key leads to among count rows, from focus (-1: none) with page rows on screen from row
// top; -1 when it leads to none (no rows, or Up or Space without a focus).
int RowForKey(RowKey key, int focus, int count, int top, int page);
