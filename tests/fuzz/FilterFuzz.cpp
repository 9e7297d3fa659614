// The filter under any include, exclude and message texts: the lists split as the rules say,
// the one-pass match against a search per pattern, and the text form.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "LogFilter.h"

namespace {

using FilterForm = std::pair<std::string, std::string>; // the include and the exclude text

bool AnyIn(const CLeadBytes& codePage, const std::string& text,
           const std::vector<std::string>& patterns) {
    return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) {
        return codePage.Find(text.data(), text.size(), p.data(), p.size()) >= 0;
    });
}

// The patterns of a text with a separator added: its pieces up to each separator that is a whole
// character, but empty ones; none trimmed. A last lead byte takes the separator added.
std::vector<std::string> Split(const CLeadBytes& codePage, const std::string& text) {
    const std::string terminated = text + ";";
    std::vector<std::string> patterns;
    std::string piece;
    for (size_t pos = 0, length = 0; pos < terminated.size(); pos += length) {
        length = codePage.CharLength(terminated.data() + pos, terminated.size() - pos);
        if (terminated[pos] != ';')
            piece.append(terminated, pos, length);
        else if (!piece.empty())
            patterns.push_back(std::exchange(piece, {}));
    }
    return patterns;
}

// A list's text form: each pattern and a separator, or ";" for none.
std::string Form(const std::vector<std::string>& patterns) {
    std::string form = patterns.empty() ? ";" : "";
    for (const std::string& pattern : patterns)
        form += pattern + ";";
    return form;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const CLeadBytes codePage = data[0] % 2 ? CLeadBytes::SingleByte() : CLeadBytes::Cp936();
    // Include text, exclude text, then message texts.
    const std::vector<std::string> fields = Fields(data + 1, size - 1, 2);
    const std::string &include = fields[0], &exclude = fields[1];

    CLogFilter filter(codePage);
    // A null text reads as an empty one.
    filter.SetFilter(include.empty() && data[0] & 2 ? nullptr : include.c_str(),
                     exclude.empty() && data[0] & 4 ? nullptr : exclude.c_str());
    FilterForm form;
    filter.GetFilterTexts(form.first, form.second);
    const bool off = AnyIn(codePage, include, {"*"}) || AnyIn(codePage, exclude, {"*"});
    std::vector<std::string> includes, excludes;
    if (off) {
        // "*;;" after the include patterns, which a '*' of the include text leaves out.
        const size_t rest = form.first.size() - std::min<size_t>(form.first.size(), 3);
        Check(form.first.compare(rest, 3, "*;;") == 0 && form.second == ";", "an off filter");
    } else {
        includes = Split(codePage, include);
        excludes = Split(codePage, exclude);
        Check(form == FilterForm{Form(includes), Form(excludes)}, "the text form of the lists");
    }

    // Texts made of the fields and their pairs, so that patterns occur in them.
    std::vector<std::string> texts;
    for (size_t i = 0; i < fields.size() && i < 6; ++i)
        for (size_t j = 0; j < fields.size() && j < 6; ++j)
            texts.push_back(fields[i] + fields[j]);
    for (int round = 0; round < 2; ++round) {
        for (const std::string& text : texts) {
            const bool expected = off || (includes.empty() && excludes.empty()) ||
                                  ((includes.empty() || AnyIn(codePage, text, includes)) &&
                                   !AnyIn(codePage, text, excludes));
            Check(filter.Match(text.c_str()) == expected, "match against a search per pattern");
        }
        Check(filter.Match(nullptr) == filter.Match(""), "a null text matches as an empty one");
        // Fed back, the text form rebuilds the same filter, but for a '*' of the exclude text.
        filter.SetFilter(form.first.c_str(), form.second.c_str());
        FilterForm again;
        filter.GetFilterTexts(again.first, again.second);
        Check(again == form || (off && again == FilterForm{"*;;", ";"}),
              "the text form round-trips");
    }
    return 0;
}
