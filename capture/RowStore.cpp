// The row store: records in blocks, texts in chunks, names in a table; cells formatted on demand.
#include "RowStore.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <utility>

namespace {

// "%ld" of a 32-bit long, as on Windows: ids from 2^31 up print negative. Returns the end.
char* FormatPid(DWORD processId, char* out) {
    if (static_cast<int32_t>(processId) < 0) {
        *out++ = '-';
        processId = 0u - processId;
    }
    out = PutDecimal(out, processId, 1);
    *out = '\0';
    return out;
}

// Copies length bytes of source to out as Size bytes at once: out has room for them, and source
// can be read that far. Returns the end of the length bytes.
template <size_t Size> char* Put(char* out, const char* source, size_t length) {
    memcpy(out, source, Size);
    return out + length;
}

// A text of length bytes at source to out; a short one kChunkSlack bytes at once, since the
// store keeps that much readable behind every text. Returns the end of the text.
template <size_t Slack> char* PutText(char* out, const char* source, size_t length) {
    if (length > Slack) {
        memcpy(out, source, length);
        return out + length;
    }
    return Put<Slack>(out, source, length);
}

} // namespace

CRowStore::CRowStore() = default;
CRowStore::~CRowStore() = default;

bool CRowStore::Append(const DebugRecord& record) {
    // Whatever fails to grow leaves the rows as they were; a block, chunk or name it did add
    // serves the next row.
    try {
        if (m_count % kRowsPerBlock == 0 && m_count / kRowsPerBlock == m_blocks.size()) {
            std::unique_ptr<Row[]> block(new Row[kRowsPerBlock]);
            m_blocks.push_back(std::move(block));
        }
        Row row;
        row.nameIndex = NameIndex(record.szProcessName);
        const size_t textLength = std::min(record.cbMsg, kMaxRowText);
        row.textPos = StoreText(record.pszMsg, textLength);
        row.textLength = textLength;
        row.cut = record.cbLeftOut != 0;
        row.dwProcessId = record.dwProcessId;
        row.time = record.time;
        if (row.cut)
            m_cuts.emplace_back(m_count, record.cbLeftOut);
        if (record.pszDetail) {
            try {
                m_extras.Add(m_count, record.pszDetail);
            } catch (const std::bad_alloc&) {
                if (row.cut)
                    m_cuts.pop_back();
                throw;
            }
        }
        m_blocks[m_count / kRowsPerBlock][m_count % kRowsPerBlock] = row;
        ++m_count;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

uint32_t CRowStore::NameIndex(const char* name) {
    const std::string_view key(name, strnlen(name, sizeof DebugRecord::szProcessName - 1));
    if (m_lastName < m_names.size() &&
        std::string_view(m_names[m_lastName].text, m_names[m_lastName].length) == key)
        return m_lastName;
    auto found = m_nameIndex.find(key);
    if (found == m_nameIndex.end()) {
        Name& added = m_names.emplace_back();
        memcpy(added.text, key.data(), key.size());
        added.text[key.size()] = '\0';
        added.length = key.size();
        try {
            found = m_nameIndex
                        .emplace(std::string_view(added.text, added.length),
                                 static_cast<uint32_t>(m_names.size() - 1))
                        .first;
        } catch (const std::bad_alloc&) {
            m_names.pop_back();
            throw;
        }
    }
    return m_lastName = found->second;
}

uint64_t CRowStore::StoreText(const char* text, size_t size) {
    if (kChunkText - m_chunkUsed <= size) {
        std::unique_ptr<char[]> chunk(new char[kChunkText + kChunkSlack]);
        m_chunks.push_back(std::move(chunk));
        m_chunkUsed = 0;
    }
    char* place = m_chunks.back().get() + m_chunkUsed;
    if (size) // an empty text may have no bytes at all
        memcpy(place, text, size);
    place[size] = '\0';
    const uint64_t pos = (m_chunks.size() - 1) * uint64_t(kChunkBytes) + m_chunkUsed;
    m_chunkUsed += size + 1;
    return pos;
}

void CRowStore::Clear() {
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_chunkUsed = kChunkText;
    m_nameIndex.clear();
    m_names.clear();
    m_lastName = 0;
    m_count = 0;
    m_cuts.clear();
    m_cuts.shrink_to_fit();
    m_extras.Clear();
}

uint64_t CRowStore::GetLeftOut(size_t row) const {
    if (!At(row).cut)
        return 0;
    const auto cut =
        std::lower_bound(m_cuts.begin(), m_cuts.end(), std::make_pair(row, uint64_t(0)));
    return cut != m_cuts.end() && cut->first == row ? cut->second : 0;
}

char* CRowStore::FormatTime(size_t row, char* out) const {
    const size_t first = m_timeBase ? m_timeBase->FirstShown() : 0,
                 above = m_timeBase ? m_timeBase->ShownBefore(row) : row - 1;
    // A row before the first shown (one logged while hidden) is measured from itself.
    return FormatRowTime(m_timeFormat, At(row).time, At(first < row ? first : row).time,
                         above < row ? &At(above).time : nullptr, out);
}

const char* CRowStore::GetCellText(size_t row, int column, RowCells& scratch) const {
    const Row& record = At(row);
    switch (column) {
    case 0:
        return m_names[record.nameIndex].text;
    case 1:
        FormatPid(record.dwProcessId, scratch.szPid);
        return scratch.szPid;
    case 2:
        FormatTime(row, scratch.szTime);
        return scratch.szTime;
    case 3:
        return Text(record);
    default:
        return "";
    }
}

// Room for every cell copied at its field's full width, as Put does.
size_t CRowStore::LineRoom(int columns, size_t textLength) {
    return sizeof Name::text + sizeof RowCells::szPid + sizeof RowCells::szTime +
           std::max(textLength, kChunkSlack) + static_cast<size_t>(std::max(columns, 0)) + 2;
}

size_t CRowStore::FormatLines(size_t first, int columns, char* out, size_t room, size_t& used,
                              size_t end) const {
    // Rows in a burst share their sender and, shown in whole seconds or milliseconds, their
    // time: each is formatted once.
    char pid[16], time[kTimeRoom];
    size_t pidLength = 0, timeLength = 0;
    DWORD lastPid = 0;
    const uint64_t timeUnit = m_timeFormat == TimeFormat::kSeconds00      ? kTicksPerSecond
                              : m_timeFormat == TimeFormat::kMilliseconds ? kTicksPerSecond / 1000
                                                                          : 0;
    uint64_t lastTime = 0;
    used = 0;
    size_t row = first;
    for (end = std::min(end, m_count);
         row < end && room - used >= LineRoom(columns, At(row).textLength); ++row) {
        const Row& record = At(row);
        if (row == first || record.dwProcessId != lastPid) {
            lastPid = record.dwProcessId;
            pidLength = FormatPid(lastPid, pid) - pid;
        }
        if (row == first || !timeUnit || record.time / timeUnit != lastTime) {
            lastTime = timeUnit ? record.time / timeUnit : 0;
            timeLength = FormatTime(row, time) - time;
        }
        const Name& name = m_names[record.nameIndex];
        char* place = out + used;
        for (int column = 0; column < columns; ++column) {
            switch (column) {
            case 0:
                place = Put<sizeof name.text>(place, name.text, name.length);
                break;
            case 1:
                place = Put<sizeof pid>(place, pid, pidLength);
                break;
            case 2:
                place = Put<sizeof time>(place, time, timeLength);
                break;
            case 3:
                place = PutText<kChunkSlack>(place, Text(record), record.textLength);
                break;
            }
            *place++ = '\t';
        }
        *place++ = '\r';
        *place++ = '\n';
        used = place - out;
    }
    return row - first;
}

std::vector<bool> CRowStore::NamesStartingWith(const char* prefix, bool partial) const {
    std::vector<bool> matches(m_names.size());
    const size_t length = strlen(prefix);
    for (size_t i = 0; i < m_names.size(); ++i) {
        const Name& name = m_names[i];
        bool match = name.length >= length && (partial || name.length == length);
        // A byte after a non-ASCII one may be the second of a character: it is compared as is.
        for (size_t j = 0; match && j < length; ++j) {
            const auto a = static_cast<unsigned char>(name.text[j]),
                       b = static_cast<unsigned char>(prefix[j]);
            const bool fold =
                a < 0x80 && (j == 0 || static_cast<unsigned char>(name.text[j - 1]) < 0x80);
            match = fold ? tolower(a) == tolower(b) : a == b;
        }
        matches[i] = match;
    }
    return matches;
}

CRowStore::TextRun CRowStore::GetTextRun(size_t first, size_t end) const {
    end = std::min(end, m_count);
    const uint64_t chunk = At(first).textPos / kChunkBytes;
    // Text positions grow with the row: the run ends at the first row in a later chunk.
    size_t low = first + 1, high = end;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (At(middle).textPos / kChunkBytes == chunk)
            low = middle + 1;
        else
            high = middle;
    }
    const Row& last = At(low - 1);
    return {Text(At(first)), Text(last) + last.textLength + 1, first, low};
}

size_t CRowStore::RowOfText(const TextRun& run, const char* at) const {
    const uint64_t pos = At(run.firstRow).textPos + static_cast<uint64_t>(at - run.begin);
    size_t low = run.firstRow, high = run.endRow - 1;
    while (low < high) {
        const size_t middle = low + (high - low + 1) / 2;
        if (At(middle).textPos <= pos)
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

size_t CRowStore::LinesLength(size_t first, size_t end, int columns) const {
    RowCells scratch;
    const int cells = std::clamp(columns, 0, kColumns);
    size_t length = 0;
    for (size_t row = first; row < std::min(end, m_count); ++row) {
        const Row& record = At(row);
        const size_t lengths[kColumns] = {
            m_names[record.nameIndex].length,
            size_t(FormatPid(record.dwProcessId, scratch.szPid) - scratch.szPid),
            size_t(FormatTime(row, scratch.szTime) - scratch.szTime), size_t(record.textLength)};
        for (int column = 0; column < cells; ++column)
            length += lengths[column];
        length += static_cast<size_t>(std::max(columns, 0)) + 2;
    }
    return length;
}
