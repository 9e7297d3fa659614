// CTextSearch: which rows hold a text in their line as Save writes it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "LeadBytes.h"
#include "RowStore.h"

// A row matches when the text occurs in "name TAB pid TAB time TAB message TAB" at a character
// boundary. Without match case, ASCII letters of single-byte characters compare without case;
// double-byte characters always compare exactly.
class CTextSearch {
public:
    explicit CTextSearch(const CLeadBytes& codePage) : m_codePage(codePage) {}

    // An empty text matches no row.
    void SetPattern(const std::string& text, bool matchCase);
    const std::string& GetPattern() const { return m_pattern; }
    bool IsMatchCase() const { return m_matchCase; }

    // The first matching row from first on, before end; end when there is none.
    size_t FindFirst(const CRowStore& rows, size_t first, size_t end) const;
    // The last matching row from first on, before end; end when there is none.
    size_t FindLast(const CRowStore& rows, size_t first, size_t end) const;
    // The matching rows from first on, before end.
    size_t Count(const CRowStore& rows, size_t first, size_t end) const;

    // Whether the text holds the pattern, by the rules above: the plain way, cell by cell.
    bool Holds(const char* text, size_t length) const;

private:
    // Calls found(row) for each matching row from first on, before end, in order, while it
    // says go on. The message texts are scanned a run at a time, the other cells only when
    // the pattern could match them.
    template <typename Found>
    void Scan(const CRowStore& rows, size_t first, size_t end, Found found) const;
    // The next hit of the pattern in a run's texts from at on, at a character boundary of its
    // row's text; null when there is none.
    const char* NextTextHit(const CRowStore& rows, const CRowStore::TextRun& run,
                            const char* at) const;
    const char* RawFind(const char* at, const char* end) const;
    bool OtherCellsMatch(const CRowStore& rows, size_t row, const std::vector<char>& names) const;

    CLeadBytes m_codePage;
    std::string m_pattern;
    bool m_matchCase = false;
    std::string m_folded;    // the pattern with its single-byte letters folded
    std::string m_key;       // every byte of m_folded folded: what the skip search looks for
    size_t m_skip[256] = {}; // the skip search's shift for each text byte
    bool m_hasTab = false;   // it can only match a whole line
    bool m_numeric = false;  // it could match a pid or a time
    mutable std::vector<char> m_line; // a row's line, when the pattern spans cells
};
