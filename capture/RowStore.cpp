// The row store: records in blocks, texts in chunks, names in a table; cells formatted on demand.
#include "RowStore.h"

#include <cstring>
#include <new>
#include <utility>

namespace {

// Decimal digits of value, at least minDigits of them (zeros before), written at out.
char* PutDecimal(char* out, uint32_t value, int minDigits) {
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (; count < minDigits; --minDigits)
        *out++ = '0';
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

// "%ld" of a 32-bit long, as on Windows: ids from 2^31 up print negative.
void FormatPid(DWORD processId, char* out) {
    if (static_cast<int32_t>(processId) < 0) {
        *out++ = '-';
        processId = 0u - processId;
    }
    *PutDecimal(out, processId, 1) = '\0';
}

// "%02d:%02d:%02d:%02d" of hour, minute, second and milliseconds.
void FormatTime(const WORD (&time)[4], char* out) {
    for (int i = 0; i < 4; ++i) {
        out = PutDecimal(out, time[i], 2);
        *out++ = i < 3 ? ':' : '\0';
    }
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
        row.textPos = StoreText(record.szMsg, strnlen(record.szMsg, sizeof record.szMsg - 1));
        row.dwProcessId = record.dwProcessId;
        const SYSTEMTIME& time = record.stTime;
        row.time[0] = time.wHour;
        row.time[1] = time.wMinute;
        row.time[2] = time.wSecond;
        row.time[3] = time.wMilliseconds;
        m_blocks[m_count / kRowsPerBlock][m_count % kRowsPerBlock] = row;
        ++m_count;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

uint32_t CRowStore::NameIndex(const char* name) {
    const std::string_view key(name, strnlen(name, sizeof DebugRecord::szProcessName - 1));
    if (m_lastName < m_names.size() && m_names[m_lastName] == key)
        return m_lastName;
    auto found = m_nameIndex.find(key);
    if (found == m_nameIndex.end()) {
        m_names.emplace_back(key);
        try {
            found = m_nameIndex.emplace(m_names.back(), static_cast<uint32_t>(m_names.size() - 1))
                        .first;
        } catch (const std::bad_alloc&) {
            m_names.pop_back();
            throw;
        }
    }
    return m_lastName = found->second;
}

uint64_t CRowStore::StoreText(const char* text, size_t size) {
    if (kChunkBytes - m_chunkUsed <= size) {
        std::unique_ptr<char[]> chunk(new char[kChunkBytes]);
        m_chunks.push_back(std::move(chunk));
        m_chunkUsed = 0;
    }
    char* place = m_chunks.back().get() + m_chunkUsed;
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
    m_chunkUsed = kChunkBytes;
    m_nameIndex.clear();
    m_names.clear();
    m_lastName = 0;
    m_count = 0;
}

const char* CRowStore::GetCellText(size_t row, int column, RowCells& scratch) const {
    const Row& record = At(row);
    switch (column) {
    case 0:
        return m_names[record.nameIndex].c_str();
    case 1:
        FormatPid(record.dwProcessId, scratch.szPid);
        return scratch.szPid;
    case 2:
        FormatTime(record.time, scratch.szTime);
        return scratch.szTime;
    case 3:
        return m_chunks[record.textPos / kChunkBytes].get() + record.textPos % kChunkBytes;
    default:
        return "";
    }
}

void CRowStore::AppendLine(size_t row, int columns, std::string& out) const {
    RowCells scratch;
    for (int column = 0; column < columns; ++column) {
        out += GetCellText(row, column, scratch);
        out += '\t';
    }
    out += "\r\n";
}
