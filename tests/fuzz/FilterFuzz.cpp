// The filter under any include, exclude and message texts: the one-pass match against a
// search per pattern, and the text form's invariants.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "LogFilter.h"

namespace {

struct Form {
    std::string include, exclude;
    bool operator==(const Form& other) const {
        return include == other.include && exclude == other.exclude;
    }
};

Form Texts(const CLogFilter& filter) {
    Form form;
    filter.GetFilterTexts(form.include, form.exclude);
    return form;
}

bool Has(const CLeadBytes& codePage, const std::string& text, const std::string& pattern) {
    return codePage.Find(text.data(), text.size(), pattern.data(), pattern.size()) >= 0;
}

bool AnyIn(const CLeadBytes& codePage, const std::string& text,
           const std::vector<std::string>& patterns) {
    for (const std::string& pattern : patterns) {
        if (Has(codePage, text, pattern))
            return true;
    }
    return false;
}

// The patterns of a text form, checked to write that form again.
std::vector<std::string> Patterns(const CLogFilter& filter, const std::string& form) {
    std::vector<std::string> patterns;
    filter.SplitPatterns(form, ';', patterns);
    std::string again;
    for (const std::string& pattern : patterns)
        again += pattern + ";";
    Check((patterns.empty() ? ";" : again) == form, "a text form splits into its patterns");
    return patterns;
}

bool IsPrefix(const std::string& prefix, const std::string& text) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const CLeadBytes codePage = data[0] % 2 ? CLeadBytes::SingleByte() : CLeadBytes::Cp936();
    // Include text, exclude text, then message texts, split at NUL bytes.
    std::vector<std::string> fields(1);
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0)
            fields.emplace_back();
        else
            fields.back() += static_cast<char>(data[i]);
    }
    fields.resize(std::max<size_t>(fields.size(), 2));
    const std::string& include = fields[0];
    const std::string& exclude = fields[1];

    CLogFilter filter(codePage);
    filter.SetFilter(include.c_str(), size % 3 ? exclude.c_str() : nullptr);
    const Form form = Texts(filter);
    const std::string star = "*;;";
    const bool off = Has(codePage, include, "*") || (size % 3 && Has(codePage, exclude, "*"));
    if (off) {
        Check(form.exclude == ";", "a '*' empties the exclude list");
        Check(form.include.size() >= star.size() &&
                  form.include.compare(form.include.size() - star.size(), star.size(), star) == 0,
              "a '*' ends the include list");
        const std::string before = form.include.substr(0, form.include.size() - star.size());
        Check(Has(codePage, include, "*") ? before.empty() : IsPrefix(before, include + ";"),
              "the include patterns before a '*' of the exclude text");
    } else {
        Check(form.include == ";" || IsPrefix(form.include, include + ";"), "include form");
        Check(form.exclude == ";" || IsPrefix(form.exclude, exclude + ";"), "exclude form");
    }
    // An off filter shows "*;;", which is no list of patterns.
    const std::vector<std::string> includes =
        off ? std::vector<std::string>() : Patterns(filter, form.include);
    const std::vector<std::string> excludes = Patterns(filter, form.exclude);

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
        filter.SetFilter(form.include.c_str(), form.exclude.c_str());
        const Form again = Texts(filter);
        Check(again == form || (off && again == Form{star, ";"}), "the text form round-trips");
    }
    return 0;
}
