// CRowExtras: the few rows' extra lines (a syslog message's severity and the like), packed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

// Append-only, rows in rising order: a row costs 16 bytes and its text, in 1 MB chunks, so a
// million network rows neither cost a node each nor copy all at once as they grow.
class CRowExtras {
public:
    static constexpr size_t kChunkBytes = 1 << 20;

    // Keeps text as row's; a longer text than a chunk holds keeps what it holds (a message's extra
    // lines are under 64 KB). Throws bad_alloc with nothing added.
    void Add(size_t row, std::string_view text);
    // Row's text; empty when it has none.
    std::string_view Get(size_t row) const;
    void Clear();

private:
    struct Entry {
        uint64_t row;
        uint64_t pos : 44; // chunk index * kChunkBytes + offset
        uint64_t length : 20;
    };
    static_assert(sizeof(Entry) == 16, "a row's extra lines cost 16 bytes beside their text");

    std::deque<Entry> m_entries;
    std::vector<std::unique_ptr<char[]>> m_chunks;
    size_t m_used = kChunkBytes; // bytes used in the last chunk; full when there is none
};
