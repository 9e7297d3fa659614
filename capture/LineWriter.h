// CLineWriter: rows written out as saved lines, a large write at a time.
#pragma once

#include <cstddef>
#include <vector>

#include "LogWriter.h"
#include "RowStore.h"

// Formats rows from the store as saved lines straight into one chunk and hands the sink whole
// lines, up to kChunkBytes a write (a line longer than that goes alone).
class CLineWriter {
public:
    static constexpr size_t kChunkBytes = 64 * 1024;

    CLineWriter(const CRowStore& rows, int columns, ILogSink& sink);

    // Rows from first on, before end; false at the first write that failed, after which no more
    // are made.
    bool Write(size_t first, size_t end);

private:
    const CRowStore& m_rows;
    const int m_columns;
    ILogSink& m_sink;
    std::vector<char> m_chunk;
};
