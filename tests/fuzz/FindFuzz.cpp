// The find under any rows and text: each row's match against a search of its saved line, and the
// sliced seek and count against a plain walk over those answers.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "RowFind.h"

namespace {

// text with the ASCII letters of its single-byte characters folded, by its own boundaries.
std::string Folded(const CLeadBytes& codePage, std::string text) {
    for (size_t pos = 0, size = 0; pos < text.size(); pos += size) {
        size = codePage.CharLength(text.data() + pos, text.size() - pos);
        if (size == 1 && text[pos] >= 'A' && text[pos] <= 'Z')
            text[pos] = static_cast<char>(text[pos] - 'A' + 'a');
    }
    return text;
}

bool LineHolds(const CLeadBytes& codePage, const CRowStore& store, size_t row,
               const std::string& pattern, bool matchCase) {
    RowCells scratch;
    std::string line;
    for (int column = 0; column < CRowStore::kColumns; ++column)
        line += std::string(store.GetCellText(row, column, scratch)) + "\t";
    const std::string text = matchCase ? line : Folded(codePage, line);
    const std::string key = matchCase ? pattern : Folded(codePage, pattern);
    return !key.empty() && codePage.Find(text.data(), text.size(), key.data(), key.size()) >= 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    const CLeadBytes codePage = data[0] % 2 ? CLeadBytes::SingleByte() : CLeadBytes::Cp936();
    const bool matchCase = data[0] & 2;
    // The pattern, then a row per field: its first byte picks name and pid, the rest its text.
    const std::vector<std::string> fields = Fields(data + 4, size - 4, 2);
    CRowStore store;
    for (size_t i = 1; i < fields.size(); ++i) {
        DebugRecord record = {};
        const unsigned pick = fields[i].empty() ? 0 : static_cast<unsigned char>(fields[i][0]);
        static const char* const names[] = {"App.exe", "kestrin", "\xb2\xe2\x41\x62.exe", "A1-2"};
        strcpy(record.szProcessName, names[pick % 4]);
        record.dwProcessId = pick & 0x80 ? 0x80000000u + pick : pick;
        record.time = (pick % 24 * 3600 + pick) * kTicksPerSecond + pick * 70000;
        if (!fields[i].empty()) {
            record.pszMsg = fields[i].c_str() + 1;
            record.cbMsg = strnlen(record.pszMsg, std::min(fields[i].size() - 1, kMaxRowText));
        }
        Check(store.Append(record), "a row appended");
    }
    const size_t count = store.GetCount();
    std::vector<size_t> matches;
    for (size_t row = 0; row < count; ++row)
        if (LineHolds(codePage, store, row, fields[0], matchCase))
            matches.push_back(row);

    CShownRows shown(store);
    CRowFind find(shown, codePage);
    find.SetPattern(fields[0], matchCase);
    const CTextSearch& search = find.GetSearch();
    const size_t first = data[1] % (count + 1), end = first + data[2] % (count + 1 - first);
    size_t inRange = 0, firstIn = end, lastIn = end;
    for (size_t row : matches)
        if (row >= first && row < end) {
            firstIn = inRange++ ? firstIn : row;
            lastIn = row;
        }
    Check(search.Count(store, first, end) == inRange, "the count against each line's search");
    Check(search.FindFirst(store, first, end) == firstIn, "the first match in a range");
    Check(search.FindLast(store, first, end) == lastIn, "the last match in a range");

    // A seek from a row, in slices of a few rows, then the count to its end.
    const bool forward = data[3] & 1, inclusive = data[3] & 2;
    const size_t from = count ? data[3] / 4 % count : CRowFind::kNone;
    find.Seek(from, forward, inclusive);
    for (int slices = 0; find.Step(1 + data[1] % 3); ++slices)
        Check(slices < 4 * static_cast<int>(count) + 8, "a find that ends");
    if (matches.empty()) {
        Check(find.GetState() == CRowFind::State::kNotFound && find.GetTotal() == 0,
              "no match found");
        return 0;
    }
    size_t expected = CRowFind::kNone;
    bool wrapped = false;
    // Rows counted from the start, one lap before it so that a backward step never goes below 0.
    const size_t start =
        forward ? from + (inclusive ? 0 : 1) : from + 2 * count - (inclusive ? 0 : 1);
    for (size_t step = 0; step <= count && expected == CRowFind::kNone; ++step) {
        const size_t at = forward ? start + step : start - step;
        wrapped = forward ? at >= count : at < 2 * count;
        if (LineHolds(codePage, store, at % count, fields[0], matchCase))
            expected = at % count;
    }
    Check(find.GetState() == CRowFind::State::kFound && find.GetFound() == expected &&
              find.Wrapped() == wrapped,
          "the seek finds the next match the way it goes, wrapping at the end");
    size_t before = 0;
    while (matches[before] != expected)
        ++before;
    Check(find.IsCounted() && find.GetTotal() == matches.size() && find.GetIndex() == before + 1,
          "the count and the found match's place");
    return 0;
}
