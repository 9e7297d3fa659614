// The rows' extra lines: entries to find a row's by, the texts in chunks of their own.
#include "RowExtras.h"

#include <algorithm>
#include <cstring>
#include <utility>

void CRowExtras::Add(size_t row, std::string_view text) {
    text = text.substr(0, kChunkBytes - 1);
    if (text.empty())
        return;
    // A chunk added before a failed entry serves the next text.
    if (kChunkBytes - m_used < text.size()) {
        std::unique_ptr<char[]> chunk(new char[kChunkBytes]);
        m_chunks.push_back(std::move(chunk));
        m_used = 0;
    }
    m_entries.push_back({row, (m_chunks.size() - 1) * kChunkBytes + m_used, text.size()});
    memcpy(m_chunks.back().get() + m_used, text.data(), text.size());
    m_used += text.size();
}

std::string_view CRowExtras::Get(size_t row) const {
    const auto found = std::lower_bound(m_entries.begin(), m_entries.end(), row,
                                        [](const Entry& entry, size_t r) { return entry.row < r; });
    if (found == m_entries.end() || found->row != row)
        return {};
    return {m_chunks[found->pos / kChunkBytes].get() + found->pos % kChunkBytes,
            static_cast<size_t>(found->length)};
}

void CRowExtras::Clear() {
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_used = kChunkBytes;
}
