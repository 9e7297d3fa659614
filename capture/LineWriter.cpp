// Save's write loop, shared by Copy: the rows go out in as few writes as the chunk allows.
#include "LineWriter.h"

#include <algorithm>

CLineWriter::CLineWriter(const CRowStore& rows, int columns, ILogSink& sink)
    : m_rows(rows), m_columns(std::max(columns, 0)), m_sink(sink),
      m_chunk(std::max(kChunkBytes, CRowStore::LineRoom(m_columns))) {}

bool CLineWriter::Write(size_t first, size_t end) {
    end = std::min(end, m_rows.GetCount());
    for (size_t row = first; row < end;) {
        size_t used = 0;
        // The chunk has room for the longest line, so every call takes at least one row.
        row += m_rows.FormatLines(row, m_columns, m_chunk.data(), m_chunk.size(), used, end);
        if (!m_sink.Write(m_chunk.data(), used))
            return false;
    }
    return true;
}
