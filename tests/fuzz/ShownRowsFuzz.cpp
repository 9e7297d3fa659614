// The shown-row index under any sequence of rows arriving, rules changing and clears: its rows,
// places, runs, names and processes against a plain filter of every stored row by the same rules.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "ShownRows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const names[] = {"a.exe", "A.exe", "b", ""};
    CRowStore store;
    CShownRows shown(store);
    std::set<std::string> hiddenNames, onlyNames;
    std::set<DWORD> hiddenPids;
    RowCells scratch;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const uint8_t op = data[i] % 8, arg = data[i + 1];
        const std::string name = names[arg % 4], other = names[arg / 4 % 4];
        const DWORD pid = arg / 16 % 4;
        DebugRecord record = {};
        strcpy(record.szProcessName, name.c_str());
        record.dwProcessId = pid;
        if (op == 0)
            Check(shown.HideNames({name}), "a name hidden"), hiddenNames.insert(name);
        else if (op == 1)
            Check(shown.ShowOnlyNames({name, other}), "names shown alone"), hiddenNames.clear(),
                onlyNames = {name, other};
        else if (op == 2)
            Check(shown.HidePids({pid}), "a pid hidden"), hiddenPids.insert(pid);
        else if (op == 3)
            shown.ShowAll(), hiddenNames.clear(), onlyNames.clear(), hiddenPids.clear();
        else if (op == 4)
            store.Clear(), shown.Cleared();
        else
            Check(store.Append(record), "a row appended"), shown.Arrived();

        std::vector<size_t> expected;
        for (size_t row = 0; row < store.GetCount(); ++row) {
            const std::string rowName = store.GetCellText(row, 0, scratch);
            if (!hiddenNames.count(rowName) && (onlyNames.empty() || onlyNames.count(rowName)) &&
                !hiddenPids.count(store.GetProcessId(row)))
                expected.push_back(row);
        }
        const size_t count = expected.size();
        Check(shown.GetCount() == count && shown.GetHiddenCount() == store.GetCount() - count,
              "as many rows as the filter passes");
        for (size_t row = 0; row <= store.GetCount(); ++row)
            Check((row >= count || shown.StoreRow(row) == expected[row]) &&
                      shown.ListRow(row) ==
                          size_t(std::lower_bound(expected.begin(), expected.end(), row) -
                                 expected.begin()),
                  "each list row's store row, and each store row's place in the list");

        // A range of list rows: its runs, the first name starting with "a", its processes.
        const size_t first = count ? data[i] / 8 % count : 0, end = first + arg % (count + 1);
        const size_t last = std::min(end, count);
        std::vector<size_t> runs;
        shown.ForEachStoreRun(
            first, end, [&](size_t listFirst, size_t storeFirst, size_t storeEnd) {
                Check(listFirst == first + runs.size() && storeFirst < storeEnd, "runs in order");
                for (size_t row = storeFirst; row < storeEnd; ++row)
                    runs.push_back(row);
                return true;
            });
        Check(runs == std::vector<size_t>(expected.begin() + first, expected.begin() + last),
              "the runs hold the range's store rows");
        size_t found = SIZE_MAX;
        std::set<std::string> rangeNames;
        std::set<DWORD> rangePids;
        for (size_t row = last; row-- > first;) {
            rangeNames.insert(store.GetCellText(expected[row], 0, scratch));
            rangePids.insert(store.GetProcessId(expected[row]));
            found = tolower(store.GetCellText(expected[row], 0, scratch)[0]) == 'a' ? row : found;
        }
        Check(shown.FindName("a", true, first, end, false) == found, "the typed name's row");
        std::vector<std::string> gotNames;
        std::vector<DWORD> gotPids;
        shown.AddProcesses(first, end, gotNames, gotPids);
        Check(gotNames == std::vector<std::string>(rangeNames.begin(), rangeNames.end()) &&
                  gotPids == std::vector<DWORD>(rangePids.begin(), rangePids.end()),
              "the range's processes, each once");
    }
    return 0;
}
