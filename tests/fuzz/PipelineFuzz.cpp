// The message pipeline under any text, process id, process name and filter: one answer, one
// lookup, a row exactly when the filter passes the full text, and cuts between characters.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Capture.h"
#include "FakeProcessSource.h"
#include "FuzzCheck.h"

namespace {

class RecordingSink : public IRowSink, public ISender {
public:
    void AppendRow(const DebugRecord& record) override { records.push_back(record); }
    void Reply() override { ++replies; }

    std::vector<DebugRecord> records;
    unsigned replies = 0;
};

// field holds the longest prefix of whole that fits in it and ends between two characters.
template <size_t N>
void CheckCut(const CLeadBytes& codePage, const char (&field)[N], const std::string& whole,
              const char* what) {
    Check(memchr(field, '\0', N) != nullptr, what);
    const size_t length = strlen(field);
    Check(whole.compare(0, length, field) == 0, what);
    size_t pos = 0;
    while (pos < length)
        pos += codePage.CharLength(whole.data() + pos, whole.size() - pos);
    Check(pos == length, what);
    Check(length == whole.size() ||
              length + codePage.CharLength(whole.data() + length, whole.size() - length) >= N,
          what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DWORD processId = 0;
    memcpy(&processId, data, std::min(size, sizeof processId));
    // Text, the process's name, include and exclude texts, split at NUL bytes.
    std::vector<std::string> fields(1);
    for (size_t i = sizeof processId; i < size; ++i) {
        if (data[i] == 0)
            fields.emplace_back();
        else
            fields.back() += static_cast<char>(data[i]);
    }
    fields.resize(std::max<size_t>(fields.size(), 4));
    const std::string& text = fields[0];
    const std::string& name = fields[1];

    const CLeadBytes codePage = CLeadBytes::Cp936();
    FakeProcessSource source;
    RecordingSink sink;
    FixedClock clock;
    CCapture capture(source, sink, sink, clock, codePage);
    source.Add(processId, name); // after the cache's first refresh: the lookup refreshes
    capture.m_filter.SetFilter(fields[2].c_str(), fields[3].c_str());
    CLogFilter filter(codePage);
    filter.SetFilter(fields[2].c_str(), fields[3].c_str());

    const bool shown = filter.Match(text.c_str());
    Check(capture.OnDebugMessage(processId, text.c_str()) == 0, "the answer is 0");
    Check(sink.replies == 1, "the sender is released once");
    Check(source.enumCalls == (processId ? 2u : 1u), "one lookup, shown or not, but for id 0");
    Check(sink.records.size() == (shown ? 1u : 0u), "a row exactly when the filter passes");
    for (const DebugRecord& record : sink.records) {
        Check(record.dwProcessId == processId, "the process id");
        CheckCut(codePage, record.szMsg, text, "the message text");
        CheckCut(codePage, record.szProcessName, processId ? name.substr(0, 127) : "",
                 "the process name");
        SYSTEMTIME time;
        clock.Now(time);
        Check(memcmp(&record.stTime, &time, sizeof time) == 0, "the time of receipt");
    }
    capture.m_bCapture = false;
    source.Remove(processId);
    Check(capture.OnDebugMessage(processId + 1, nullptr) == 0 && sink.replies == 1 &&
              sink.records.size() == (shown ? 1u : 0u) && source.enumCalls == (processId ? 2u : 1u),
          "capture off answers 0, looks nothing up and keeps nothing");
    return 0;
}
