// The text search: a skip search over the store's packed message texts, names tried once each,
// pid and time only for a pattern they could hold.
#include "TextSearch.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

unsigned char Fold(unsigned char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<unsigned char>(ch - 'A' + 'a') : ch;
}

// text with the ASCII letters of its single-byte characters folded, by its own boundaries.
std::string FoldText(const CLeadBytes& codePage, const char* text, size_t length) {
    std::string folded(text, length);
    for (size_t pos = 0; pos < length;) {
        const size_t size = codePage.CharLength(text + pos, length - pos);
        if (size == 1)
            folded[pos] = static_cast<char>(Fold(static_cast<unsigned char>(text[pos])));
        pos += size;
    }
    return folded;
}

} // namespace

void CTextSearch::SetPattern(const std::string& text, bool matchCase) {
    m_pattern = text.c_str(); // a text ends at its NUL, as every cell does
    m_matchCase = matchCase;
    m_folded = matchCase ? m_pattern : FoldText(m_codePage, m_pattern.data(), m_pattern.size());
    m_key = m_folded;
    if (!matchCase)
        for (char& ch : m_key)
            ch = static_cast<char>(Fold(static_cast<unsigned char>(ch)));
    m_hasTab = m_pattern.find('\t') != std::string::npos;
    m_numeric =
        !m_pattern.empty() && m_pattern.find_first_not_of("0123456789-:.+") == std::string::npos;
    const size_t length = m_key.size();
    std::fill(std::begin(m_skip), std::end(m_skip), length);
    for (size_t i = 0; i + 1 < length; ++i) {
        const auto ch = static_cast<unsigned char>(m_key[i]);
        m_skip[ch] = length - 1 - i;
        if (!matchCase && ch >= 'a' && ch <= 'z')
            m_skip[ch - 'a' + 'A'] = length - 1 - i;
    }
}

bool CTextSearch::Holds(const char* text, size_t length) const {
    if (m_pattern.empty())
        return false;
    if (m_matchCase)
        return m_codePage.Find(text, length, m_pattern.data(), m_pattern.size()) >= 0;
    const std::string folded = FoldText(m_codePage, text, length);
    return m_codePage.Find(folded.data(), length, m_folded.data(), m_folded.size()) >= 0;
}

// Matching case, the library's search; without it, a skip search on bytes all folded, which
// finds every true hit and a few that the check of its caller drops.
const char* CTextSearch::RawFind(const char* at, const char* end) const {
    const size_t length = m_key.size();
    if (static_cast<size_t>(end - at) < length)
        return nullptr;
    if (m_matchCase) {
        const std::string_view text(at, static_cast<size_t>(end - at));
        const size_t hit = text.find(m_key);
        return hit == std::string_view::npos ? nullptr : at + hit;
    }
    const auto* key = reinterpret_cast<const unsigned char*>(m_key.data());
    const auto* p = reinterpret_cast<const unsigned char*>(at);
    const auto* last = reinterpret_cast<const unsigned char*>(end) - length;
    const auto candidate = [&](const unsigned char* from) {
        size_t i = 1;
        while (i + 1 < length && Fold(from[i]) == key[i])
            ++i;
        return i + 1 >= length;
    };
#if defined(__SSE2__)
    // Sixteen places at once where the first and the last byte fit: a letter's two cases are one
    // byte with bit 5 set, any other byte only itself.
    const auto caseBit = [](unsigned char ch) { return char(ch >= 'a' && ch <= 'z' ? 0x20 : 0); };
    const __m128i firstBit = _mm_set1_epi8(caseBit(key[0]));
    const __m128i firstByte = _mm_set1_epi8(static_cast<char>(key[0]));
    const __m128i lastBit = _mm_set1_epi8(caseBit(key[length - 1]));
    const __m128i lastByte = _mm_set1_epi8(static_cast<char>(key[length - 1]));
    for (; p + 15 <= last; p += 16) {
        const __m128i firsts =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), firstBit);
        const __m128i lasts = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + length - 1)), lastBit);
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(
                 _mm_cmpeq_epi8(firsts, firstByte), _mm_cmpeq_epi8(lasts, lastByte))));
             mask != 0; mask &= mask - 1)
            if (candidate(p + __builtin_ctz(mask)))
                return reinterpret_cast<const char*>(p + __builtin_ctz(mask));
    }
#endif
    while (p <= last) {
        const unsigned char tail = p[length - 1];
        if (Fold(tail) == key[length - 1] && Fold(p[0]) == key[0] && candidate(p))
            return reinterpret_cast<const char*>(p);
        p += m_skip[tail];
    }
    return nullptr;
}

const char* CTextSearch::NextTextHit(const CRowStore& rows, const CRowStore::TextRun& run,
                                     const char* at) const {
    std::string_view text;
    size_t pos = 0;
    while (const char* hit = RawFind(at, run.end)) {
        // A hit counts only from a boundary of its own row's text, and, without match case,
        // with the text's letters folded only where they are characters of their own. Hits go
        // forward, so the walk to a boundary goes on from the last hit's in the same text.
        const std::string_view rowText = rows.GetText(rows.RowOfText(run, hit));
        if (rowText.data() != text.data())
            text = rowText, pos = 0;
        const size_t length = text.size();
        while (text.data() + pos < hit)
            pos += m_codePage.CharLength(text.data() + pos, length - pos);
        if (text.data() + pos == hit) {
            if (m_matchCase)
                return hit;
            const size_t size = std::min(length - pos, m_folded.size());
            if (FoldText(m_codePage, hit, size).compare(0, m_folded.size(), m_folded) == 0)
                return hit;
        }
        at = hit + 1;
    }
    return nullptr;
}

bool CTextSearch::OtherCellsMatch(const CRowStore& rows, size_t row,
                                  const std::vector<char>& names) const {
    if (m_hasTab) {
        m_line.resize(CRowStore::LineRoom(CRowStore::kColumns));
        size_t used = 0;
        rows.FormatLines(row, CRowStore::kColumns, m_line.data(), m_line.size(), used, row + 1);
        return Holds(m_line.data(), used - 2); // without the CR LF
    }
    if (names[rows.GetNameIndex(row)])
        return true;
    if (!m_numeric)
        return false;
    RowCells scratch;
    for (int column = 1; column <= 2; ++column) {
        const char* cell = rows.GetCellText(row, column, scratch);
        if (Holds(cell, strlen(cell)))
            return true;
    }
    return false;
}

template <typename Found>
void CTextSearch::Scan(const CRowStore& rows, size_t first, size_t end, Found found) const {
    end = std::min(end, rows.GetCount());
    if (m_pattern.empty() || first >= end)
        return;
    // Names are few, and each is tried once per call.
    std::vector<char> names(rows.GetNameCount());
    bool anyName = false;
    for (size_t i = 0; i < names.size() && !m_hasTab; ++i) {
        const char* name = rows.GetName(i);
        anyName |= names[i] = Holds(name, strlen(name));
    }
    const bool otherCells = m_hasTab || m_numeric || anyName;
    for (size_t row = first; row < end;) {
        const CRowStore::TextRun run = rows.GetTextRun(row, end);
        const char* at = run.begin;
        while (row < run.endRow) {
            const char* hit = m_hasTab ? nullptr : NextTextHit(rows, run, at);
            const size_t hitRow = hit ? rows.RowOfText(run, hit) : run.endRow;
            for (; otherCells && row < hitRow; ++row)
                if (OtherCellsMatch(rows, row, names) && !found(row))
                    return;
            row = hitRow;
            if (!hit)
                break;
            if (!found(row))
                return;
            at = hit + strlen(hit) + 1;
            ++row;
        }
    }
}

size_t CTextSearch::FindFirst(const CRowStore& rows, size_t first, size_t end) const {
    size_t match = end;
    Scan(rows, first, end, [&match](size_t row) {
        match = row;
        return false;
    });
    return match;
}

size_t CTextSearch::FindLast(const CRowStore& rows, size_t first, size_t end) const {
    size_t match = end;
    Scan(rows, first, end, [&match](size_t row) {
        match = row;
        return true;
    });
    return match;
}

size_t CTextSearch::Count(const CRowStore& rows, size_t first, size_t end) const {
    size_t count = 0;
    Scan(rows, first, end, [&count](size_t) {
        ++count;
        return true;
    });
    return count;
}
