// The message pipeline under any text, process id, process name, filter and a full store; each
// invariant is named by its check.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Capture.h"
#include "Fakes.h"
#include "FuzzSupport.h"

namespace {

// cell is the longest prefix of whole that has fewer than capacity bytes and ends between
// two characters.
void CheckCut(const CLeadBytes& codePage, const std::string& cell, size_t capacity,
              const std::string& whole, const char* what) {
    size_t pos = 0;
    while (pos < cell.size())
        pos += codePage.CharLength(whole.data() + pos, whole.size() - pos);
    Check(cell.size() < capacity && whole.compare(0, cell.size(), cell) == 0 &&
              pos == cell.size() &&
              (pos == whole.size() ||
               pos + codePage.CharLength(whole.data() + pos, whole.size() - pos) >= capacity),
          what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DWORD processId = 0;
    memcpy(&processId, data, std::min(size, sizeof processId));
    // Text, the process's name, include and exclude texts, and a field that fills the store.
    const size_t skip = std::min(size, sizeof processId);
    const std::vector<std::string> fields = Fields(data + skip, size - skip, 5);
    const std::string &text = fields[0], &name = fields[1];

    const CLeadBytes codePage = CLeadBytes::Cp936();
    FakeProcessSource source;
    StoreRows rows;
    FixedClock clock;
    CCapture capture(source, rows, rows, clock, codePage);
    source.Add(processId, name); // after the cache's first refresh: the lookup refreshes
    rows.exitsOnReply = &source; // the sender exits as soon as it is answered
    rows.full = !fields[4].empty();
    capture.SetFilter(fields[2].c_str(), fields[3].c_str());
    CLogFilter filter(codePage);
    filter.SetFilter(fields[2].c_str(), fields[3].c_str());

    // The text as it is, and repeated past the cut with the include text after it, so that every
    // run meets a cut and the filter may find a pattern only past it.
    std::string longText = text;
    while (!text.empty() && longText.size() <= kMaxRowText)
        longText += text;
    longText += fields[2];
    const bool firstDropped = rows.full && filter.Match(text.c_str());
    size_t shown = 0;
    for (const std::string& message : {text, longText}) {
        const bool passes = filter.Match(message.c_str());
        Check(capture.OnDebugMessage(processId, message.c_str()) == (passes && rows.full),
              "the answer is 0, or 1 for a row the store could not keep");
        Check(rows.replies == (processId && !firstDropped ? 1u : 0u),
              "the sender is released early only after its first message's row is kept");
        Check(source.enumCalls == (processId ? 2u : 1u), "one lookup, shown or not, but for id 0");
        Check(rows.store.GetCount() == shown + (passes && !rows.full),
              "a row exactly when the filter passes");
        if (!passes || rows.full)
            continue;
        RowCells scratch;
        CheckCut(codePage, rows.store.GetCellText(shown, 0, scratch),
                 sizeof DebugRecord::szProcessName, processId ? name.substr(0, 127) : "",
                 "the process name");
        Check(rows.store.GetCellText(shown, 1, scratch) ==
                      std::to_string(static_cast<int32_t>(processId)) &&
                  strcmp(rows.store.GetCellText(shown, 2, scratch), "04:03:09:00") == 0,
              "the process id and the time");
        const std::string kept = rows.store.GetCellText(shown, 3, scratch);
        CheckCut(codePage, kept, kMaxRowText + 1, message, "the message text");
        Check(rows.store.GetLeftOut(shown) == strlen(message.c_str()) - kept.size(),
              "a cut text's left-out bytes counted");
        ++shown;
    }
    // A line of debug output is named as its writer was read with it, whatever the cache holds
    // for an id that may have been reused since, and costs no refresh.
    capture.OnDebugOutput(processId, text.c_str(), 0, "new.exe");
    RowCells scratch;
    Check(source.enumCalls == (processId ? 2u : 1u) &&
              (!filter.Match(text.c_str()) || rows.full ||
               strcmp(rows.store.GetCellText(shown, 0, scratch), processId ? "new.exe" : "") == 0),
          "a debug line's writer named as read");
    return 0;
}
