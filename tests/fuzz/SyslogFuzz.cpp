// A syslog connection's bytes cut into random pieces: the same frames as the stream in one piece,
// lines against a plain split, and every frame read (never past its end) and made into a row.
#include <cstdint>
#include <string>
#include <vector>

#include "DebugRecord.h"
#include "FuzzSupport.h"
#include "Syslog.h"

namespace {

struct Framed {
    std::vector<std::string> frames;
    bool ok = true;
};

// The stream fed in pieces of 1 to 16 bytes drawn from seed, or whole for seed 0.
Framed Frame(const std::string& stream, unsigned seed) {
    Framed framed;
    CSyslogFramer framer;
    const auto onFrame = [&](const char* frame, size_t size) {
        framed.frames.emplace_back(frame, size);
    };
    for (size_t at = 0, piece = 0; at < stream.size() && framed.ok; at += piece) {
        piece = stream.size() - at;
        if (seed) {
            seed = seed * 1103515245u + 12345u;
            piece = std::min<size_t>(piece, (seed >> 16 & 15) + 1);
        }
        framed.ok = framer.Feed(stream.data() + at, piece, onFrame);
    }
    framer.End(onFrame);
    return framed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    const Framed whole = Frame(stream, 0), pieces = Frame(stream, data[0] | 1u);
    Check(pieces.frames == whole.frames && pieces.ok == whole.ok, "the same frames in pieces");
    if (!stream.empty() && (stream[0] < '0' || stream[0] > '9')) {
        std::string joined;
        for (const std::string& frame : whole.frames)
            joined += frame + "\n";
        Check(whole.ok && joined.substr(0, stream.size()) == stream, "lines are the stream split");
    }
    for (const std::string& frame : whole.frames) {
        Check(frame.size() <= kMaxSyslogFrame, "a frame within the bound");
        // A copy of its own, so that a read past the frame is past an allocation.
        const std::vector<char> bytes(frame.begin(), frame.end());
        SyslogMessage message;
        if (!ParseSyslog(bytes.data(), bytes.size(), message))
            continue;
        Check(frame.find(message.text) != std::string::npos, "the text as sent");
        const SyslogRow row = MakeSyslogRow(message);
        Check(row.name.size() <= 63 && row.name.find('\0') == std::string::npos,
              "a name that fits");
        Check(row.text.size() <= message.text.size() && row.text.size() <= kMaxRowText &&
                  row.text.find('\0') == std::string::npos,
              "a text within the row's limit, without NULs");
    }
    return 0;
}
