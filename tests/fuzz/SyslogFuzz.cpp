// A syslog connection's bytes cut into random pieces: the same frames as the stream in one piece,
// lines against a plain split, and every frame read (never past its end) and made into a row.
#include <cstdint>
#include <string>
#include <vector>

#include "DebugRecord.h"
#include "FuzzSupport.h"
#include "Syslog.h"

// The frames of the stream fed in pieces of 1 to 16 bytes drawn from seed (whole for seed 0),
// then "!" if it did not frame.
static std::vector<std::string> Frame(const std::string& stream, unsigned seed) {
    std::vector<std::string> frames;
    CSyslogFramer framer;
    const auto onFrame = [&](const char* frame, size_t size) { frames.emplace_back(frame, size); };
    bool ok = true;
    for (size_t at = 0, piece = 0; at < stream.size() && ok; at += piece) {
        seed = seed * 1103515245u + 12345u;
        piece = std::min<size_t>(stream.size() - at, seed ? (seed >> 16 & 15) + 1 : stream.size());
        ok = framer.Feed(stream.data() + at, piece, onFrame);
    }
    framer.End(onFrame);
    if (!ok)
        frames.emplace_back("!");
    return frames;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string> whole = Frame(stream, 0);
    Check(Frame(stream, data[0] | 1u) == whole, "the same frames in pieces");
    std::string lines;
    for (const std::string& frame : whole)
        lines += frame + "\n";
    Check(stream.empty() || (stream[0] >= '0' && stream[0] <= '9') ||
              lines.compare(0, stream.size(), stream) == 0,
          "lines are the stream split");
    for (const std::string& frame : whole) {
        Check(frame.size() <= kMaxSyslogFrame, "a frame within the bound");
        // A copy of its own, so that a read past the frame is past an allocation.
        const std::vector<char> bytes(frame.begin(), frame.end());
        SyslogMessage message;
        if (!ParseSyslog(bytes.data(), bytes.size(), message))
            continue;
        Check(frame.find(message.text) != std::string::npos, "the text as sent");
        const SyslogRow row = MakeSyslogRow(message);
        Check(row.name.size() <= 63 &&
                  row.text.size() <= std::min(message.text.size(), kMaxRowText),
              "a name and a text within the row's limits");
        Check((row.name + row.text).find('\0') == std::string::npos, "no NUL in a cell");
    }
    return 0;
}
