// The find: what a match is (cells, case, character boundaries), texts read across the store's
// chunks, and the sliced seek and count as rows arrive and the store is cleared.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "RowFind.h"

namespace {

using Rows = std::vector<size_t>;

void Add(CRowStore& store, const char* name, DWORD pid, const std::string& text) {
    DebugRecord record = {};
    strcpy(record.szProcessName, name);
    record.dwProcessId = pid;
    record.time = (12 * 3600 + 34 * 60 + 56) * kTicksPerSecond + 70000;
    record.pszMsg = text.c_str();
    record.cbMsg = text.size();
    ASSERT_TRUE(store.Append(record));
}

Rows Matches(const CRowStore& store, const std::string& pattern, bool matchCase) {
    CTextSearch search(CLeadBytes::Cp936());
    search.SetPattern(pattern, matchCase);
    Rows rows;
    for (size_t row = 0; row < store.GetCount(); row = search.FindFirst(store, row + 1, SIZE_MAX))
        if ((row = search.FindFirst(store, row, SIZE_MAX)) < store.GetCount())
            rows.push_back(row);
    EXPECT_EQ(rows.size(), search.Count(store, 0, SIZE_MAX)) << pattern;
    return rows;
}

} // namespace

// Rows: 0 App.exe 7 "Disk ERROR", 1 kestrin -5 "\xb2\x41\xb2\x42" (two characters whose trail
// bytes are 'A' and 'B'), 2 App.exe 300 "ab\tcd", 3 App.exe 300 a line longer than most.
TEST(Find, AMatchIsInTheSavedLineAtACharacterBoundaryWithOnlySingleByteLettersFolded) {
    CRowStore store;
    Add(store, "App.exe", 7, "Disk ERROR");
    Add(store, "kestrin", static_cast<DWORD>(-5), "\xb2\x41\xb2\x42");
    Add(store, "App.exe", 300, "ab\tcd");
    Add(store, "App.exe", 300, std::string(600, 'z') + "\tq");
    const struct {
        const char* pattern;
        bool matchCase;
        Rows rows;
    } cases[] = {
        {"error", false, {0}},   {"error", true, {}},
        {"ERROR", true, {0}},    {"app.EXE", false, {0, 2, 3}},
        {"-5", false, {1}},      {"12:34:56:00", false, {0, 1, 2, 3}},
        {"a", false, {0, 2, 3}}, {"\x41\xb2", true, {}},
        {"\xb2\x61", false, {}}, {"\xb2\x41", true, {1}},
        {"b\tcd\t", false, {2}}, {"exe\t7\t", false, {0}},
        {"R\t", true, {0}},      {"", false, {}},
        {"z\tq\t", false, {3}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.rows, Matches(store, c.pattern, c.matchCase)) << c.pattern;
}

// Texts packed into several chunks, the longest a row keeps among them where it no longer fits
// in the first: hits are mapped back to their rows across chunk ends.
TEST(Find, HitsInLaterChunksAreTheirRows) {
    CRowStore store;
    const std::string filler(120, 'x'), longest = std::string(kMaxRowText - 6, 'x') + "needle";
    for (int row = 0; row < 20000; ++row)
        Add(store, "a", 1, row == 8500 ? longest : row % 9000 == 8999 ? filler + "needle" : filler);
    EXPECT_EQ((Rows{8500, 8999, 17999}), Matches(store, "NEEDLE", false));
    EXPECT_EQ((Rows{8500, 8999, 17999}), Matches(store, "xneedle", true));
}

// A seek in slices of two rows: next, previous, wrapping both ways; rows added while it runs are
// searched; the count gives the found match's place; a Clear ends it all. A hidden row that holds
// the text (store row 1) is neither found nor counted, and hits are list rows.
TEST(Find, SeeksWrapBothWaysFindRowsAddedMeanwhileAndAClearEndsThem) {
    CRowStore store;
    for (const char* name : {"a", "b"})
        Add(store, name, 1, "hit");
    for (const char* text : {"-", "-", "hit", "-"})
        Add(store, "a", 1, text);
    CShownRows shown(store);
    ASSERT_TRUE(shown.HideNames({"b"}));
    CRowFind find(shown, CLeadBytes::Cp936());
    const auto run = [&](size_t from, bool forward, bool inclusive) {
        find.Seek(from, forward, inclusive);
        while (find.Step(2)) {
        }
        return std::to_string(find.GetFound()) + (find.Wrapped() ? " wrapped " : " ") +
               std::to_string(find.GetIndex()) + "/" + std::to_string(find.GetTotal());
    };
    find.SetPattern("HIT", false);
    EXPECT_EQ("0 1/2", run(CRowFind::kNone, true, true));
    EXPECT_EQ("3 2/2", run(0, true, false));
    EXPECT_EQ("0 wrapped 1/2", run(3, true, false));
    EXPECT_EQ("3 wrapped 2/2", run(0, false, false));
    EXPECT_EQ("0 1/2", run(3, false, false));
    EXPECT_EQ("3 2/2", run(4, false, true));

    // Added during the seek, found by it; added later, counted.
    find.Seek(3, true, false);
    EXPECT_TRUE(find.Step(1));
    Add(store, "a", 1, "hit");
    shown.Arrived();
    while (find.Step(2)) {
    }
    EXPECT_EQ(5u, find.GetFound());
    EXPECT_FALSE(find.Wrapped());
    Add(store, "a", 1, "hit");
    shown.Arrived();
    EXPECT_FALSE(find.IsCounted());
    while (find.Step(2)) {
    }
    EXPECT_EQ("4 of 3", std::to_string(find.GetTotal()) + " of " + std::to_string(find.GetIndex()));

    find.Seek(0, true, false);
    find.Step(1);
    store.Clear();
    shown.Cleared();
    find.Cleared();
    EXPECT_FALSE(find.Step(2));
    EXPECT_EQ(CRowFind::State::kIdle, find.GetState());
    Add(store, "a", 1, "-");
    shown.Arrived();
    run(CRowFind::kNone, true, true);
    EXPECT_EQ(CRowFind::State::kNotFound, find.GetState());
    EXPECT_EQ(0u, find.GetTotal());
}
