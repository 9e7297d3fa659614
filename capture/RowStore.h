// CRowStore: the log's rows, kept compactly for a list that asks for cell texts as it draws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "DebugRecord.h"
#include "RowExtras.h"
#include "RowTime.h"

// Cells that are formatted when asked for; each buffer holds the longest text its field gives.
struct RowCells {
    char szPid[16];
    char szTime[kTimeRoom];
};

// The rows the relative time formats measure a row from: the first row shown and the shown row
// above it; SIZE_MAX for none.
class ITimeBase {
public:
    virtual size_t FirstShown() const = 0;
    virtual size_t ShownBefore(size_t row) const = 0;

protected:
    ~ITimeBase() = default;
};

// Append-only rows: a fixed 24-byte record per row, the message texts packed into large
// chunks, and each distinct process name stored once. Cut texts are rare: what each left out
// is kept beside the rows, as are a syslog row's extra lines.
class CRowStore {
public:
    // Process name, pID, time, message.
    static constexpr int kColumns = 4;

    CRowStore();
    ~CRowStore();
    CRowStore(const CRowStore&) = delete;
    CRowStore& operator=(const CRowStore&) = delete;

    // Adds record as the last row; false, with the store unchanged, when memory ran out.
    bool Append(const DebugRecord& record);
    size_t GetCount() const { return m_count; }
    // Removes every row and gives their memory back.
    void Clear();

    // The time column's format, for every cell and line formatted from now on.
    void SetTimeFormat(TimeFormat format) { m_timeFormat = format; }
    TimeFormat GetTimeFormat() const { return m_timeFormat; }
    // Without a base, the first row and the row before are the store's.
    void SetTimeBase(const ITimeBase* base) { m_timeBase = base; }

    // The text of a cell as the list shows it; a column past the fourth is empty. Points into the
    // store or into scratch, and stays valid until either changes.
    const char* GetCellText(size_t row, int column, RowCells& scratch) const;
    // Rows from first on, before end, as saved lines (each of columns cells followed by a TAB,
    // then CR LF), whole lines only, into out's room bytes; sets used, and gives the number of
    // rows written: 0 when not even one line fits.
    size_t FormatLines(size_t first, int columns, char* out, size_t room, size_t& used,
                       size_t end = SIZE_MAX) const;
    // Typing's names: for each distinct name, whether it begins with prefix (is prefix, unless
    // partial), ASCII letters in either case.
    std::vector<bool> NamesStartingWith(const char* prefix, bool partial) const;
    // The room FormatLines asks for a line of columns cells whose text has textLength bytes;
    // by default the longest line's.
    static size_t LineRoom(int columns, size_t textLength = kMaxRowText);
    // A row's whole text as kept, and the bytes its sender gave beyond it (0 unless cut).
    std::string_view GetText(size_t row) const {
        return {Text(At(row)), static_cast<size_t>(At(row).textLength)};
    }
    uint64_t GetLeftOut(size_t row) const;
    // A syslog row's extra lines for the detail pane; empty for other rows.
    std::string_view GetExtra(size_t row) const { return m_extras.Get(row); }
    // The bytes FormatLines gives the rows from first on, before end.
    size_t LinesLength(size_t first, size_t end, int columns) const;

    // Message texts of rows from firstRow on, before endRow, back to back in row order, each
    // NUL-terminated: a search reads them as one run and maps a hit back to its row.
    struct TextRun {
        const char* begin;
        const char* end; // after the last text's NUL
        size_t firstRow, endRow;
    };
    // The longest run from first (below GetCount()) that ends before end and lies in one chunk.
    TextRun GetTextRun(size_t first, size_t end) const;
    // The row of run whose text holds the byte at.
    size_t RowOfText(const TextRun& run, const char* at) const;
    // Distinct process names: a row's index into them, and each one's text.
    uint32_t GetNameIndex(size_t row) const { return At(row).nameIndex; }
    DWORD GetProcessId(size_t row) const { return At(row).dwProcessId; }
    size_t GetNameCount() const { return m_names.size(); }
    const char* GetName(size_t index) const { return m_names[index].text; }

private:
    struct Row {
        uint64_t textPos : 46; // chunk index * kChunkBytes + offset of the NUL-terminated text
        uint64_t textLength : 17;
        uint64_t cut : 1; // its left-out count is in m_cuts
        DWORD dwProcessId;
        uint32_t nameIndex;
        uint64_t time;
    };
    static_assert(sizeof(Row) == 24, "a row costs 24 bytes beside its text");
    // A process name with room for its longest, so that it is always copied whole at once.
    struct Name {
        char text[sizeof DebugRecord::szProcessName];
        size_t length;
    };
    static const size_t kRowsPerBlock = 32768;
    static const size_t kChunkBytes = 1 << 20;
    // Short texts are copied kChunkSlack bytes at once; a chunk's last text has room behind it.
    static constexpr size_t kChunkSlack = 128;
    // Texts fill a chunk this far. A heap that gives large blocks pages of their own may commit
    // them in 64 KB steps: room is left for its header, so that a chunk commits 1 MB, not 1.06.
    static constexpr size_t kChunkText = kChunkBytes - 256 - kChunkSlack;

    const Row& At(size_t row) const { return m_blocks[row / kRowsPerBlock][row % kRowsPerBlock]; }
    uint32_t NameIndex(const char* name);
    uint64_t StoreText(const char* text, size_t size);
    // The time cell of row, at out; returns its end.
    char* FormatTime(size_t row, char* out) const;
    const char* Text(const Row& row) const {
        return m_chunks[row.textPos / kChunkBytes].get() + row.textPos % kChunkBytes;
    }

    std::vector<std::unique_ptr<Row[]>> m_blocks;
    std::vector<std::unique_ptr<char[]>> m_chunks;
    size_t m_chunkUsed = kChunkText; // bytes used in the last chunk; full when there is none
    // Names keep their addresses as the table grows, so the index can view them.
    std::deque<Name> m_names;
    std::unordered_map<std::string_view, uint32_t> m_nameIndex;
    uint32_t m_lastName = 0; // a burst comes from one sender: its name is tried first
    size_t m_count = 0;
    std::vector<std::pair<size_t, uint64_t>> m_cuts; // (row, bytes left out), in row order
    CRowExtras m_extras;
    TimeFormat m_timeFormat = TimeFormat::kSeconds00;
    const ITimeBase* m_timeBase = nullptr;
};
