// The filter under any include, exclude and message texts: the one-pass match against a
// search per pattern, and the text form's invariants.
#include <cstdint>
#include <string>
#include <vector>

#include "Fakes.h"
#include "FuzzSupport.h"

namespace {

bool AnyIn(const CLeadBytes& codePage, const std::string& text,
           const std::vector<std::string>& patterns) {
    for (const std::string& p : patterns) {
        if (codePage.Find(text.data(), text.size(), p.data(), p.size()) >= 0)
            return true;
    }
    return false;
}

// The patterns of a text form, which is either ";" or the start of the text it came from.
std::vector<std::string> Patterns(const CLogFilter& filter, const std::string& form,
                                  const std::string& from) {
    std::vector<std::string> patterns;
    filter.SplitPatterns(form, ';', patterns);
    std::string again;
    for (const std::string& pattern : patterns)
        again += pattern + ";";
    Check((patterns.empty() ? ";" : again) == form, "a text form lists its patterns");
    Check(form == ";" || (from + ";").compare(0, form.size(), form) == 0, "a text form's source");
    return patterns;
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
    filter.SetFilter(include.c_str(), exclude.c_str());
    const FilterForm form = FilterTexts(filter);
    const bool off = AnyIn(codePage, include, {"*"}) || AnyIn(codePage, exclude, {"*"});
    std::vector<std::string> includes, excludes;
    if (off) {
        // "*;;" after the include patterns, which a '*' of the include text leaves out.
        const size_t rest = form.first.size() - std::min<size_t>(form.first.size(), 3);
        Check(form.first.compare(rest, 3, "*;;") == 0 && form.second == ";", "an off filter");
    } else {
        includes = Patterns(filter, form.first, include);
        excludes = Patterns(filter, form.second, exclude);
    }

    // Texts made of the fields and their pairs, so that patterns occur in them.
    std::vector<std::string> texts;
    for (size_t i = 0; i < fields.size() && i < 6; ++i) {
        for (size_t j = 0; j < fields.size() && j < 6; ++j)
            texts.push_back(fields[i] + fields[j]);
    }
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
        const FilterForm again = FilterTexts(filter);
        Check(again == form || (off && again == FilterForm{"*;;", ";"}),
              "the text form round-trips");
    }
    return 0;
}
