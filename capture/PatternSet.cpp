// The pattern automaton: a trie of both groups' patterns with failure links that stop only
// at character boundaries.
#include "PatternSet.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// The two roots: at a character boundary, and inside a character, where nothing starts.
const uint32_t kRoot = 0;
const uint32_t kInside = 1;

struct Pattern {
    std::string_view bytes;
    unsigned char group;
    bool operator<(const Pattern& other) const { return bytes < other.bytes; }
};

struct TrieNode {
    uint32_t firstChild = 0, nextSibling = 0; // 0 for none: the root is nobody's child
    unsigned char byte = 0, groups = 0;
};

// A trie of the sorted patterns: each pattern shares the path of the one before as far
// as they agree, so it only ever adds a last child to a node on that path.
std::vector<TrieNode> BuildTrie(std::vector<Pattern>& patterns) {
    std::sort(patterns.begin(), patterns.end());
    std::vector<TrieNode> trie(1);
    std::vector<uint32_t> path{0}; // the previous pattern's nodes, root first
    std::string_view previous;
    for (const Pattern& pattern : patterns) {
        const std::string_view bytes = pattern.bytes;
        size_t shared = 0;
        while (shared < bytes.size() && shared < previous.size() &&
               bytes[shared] == previous[shared])
            ++shared;
        uint32_t lastChild = shared < previous.size() ? path[shared + 1] : 0;
        path.resize(shared + 1);
        for (size_t i = shared; i < bytes.size(); ++i) {
            const uint32_t node = static_cast<uint32_t>(trie.size());
            trie.push_back({});
            trie.back().byte = static_cast<unsigned char>(bytes[i]);
            if (lastChild != 0)
                trie[lastChild].nextSibling = node;
            else
                trie[path.back()].firstChild = node;
            lastChild = 0;
            path.push_back(node);
        }
        trie[path.back()].groups |= pattern.group;
        previous = bytes;
    }
    return trie;
}

} // namespace

void CPatternSet::Build(const CLeadBytes& codePage, const std::vector<std::string>& include,
                        const std::vector<std::string>& exclude) {
    std::vector<Pattern> patterns;
    patterns.reserve(include.size() + exclude.size());
    for (const std::string& pattern : include)
        patterns.push_back({pattern, kInclude});
    for (const std::string& pattern : exclude)
        patterns.push_back({pattern, kExclude});
    const std::vector<TrieNode> trie = BuildTrie(patterns);

    // States in breadth-first order, so that each state's edges follow the previous one's.
    std::vector<State> states;
    std::vector<unsigned char> edgeBytes;
    std::vector<uint32_t> edgeTargets;
    std::vector<uint32_t> nodeOf{0, 0}; // the trie node of each state; kInside has none
    states.reserve(trie.size() + 2);
    edgeBytes.reserve(trie.size());
    edgeTargets.reserve(trie.size());
    for (uint32_t state = 0; state < nodeOf.size(); ++state) {
        states.push_back({static_cast<uint32_t>(edgeBytes.size()), kRoot, 0});
        if (state == kInside)
            continue;
        for (uint32_t child = trie[nodeOf[state]].firstChild; child != 0;
             child = trie[child].nextSibling) {
            edgeBytes.push_back(trie[child].byte);
            edgeTargets.push_back(static_cast<uint32_t>(nodeOf.size()));
            nodeOf.push_back(child);
        }
    }
    states.push_back({static_cast<uint32_t>(edgeBytes.size()), kRoot, 0});
    m_states = std::move(states);
    m_edgeBytes = std::move(edgeBytes);
    m_edgeTargets = std::move(edgeTargets);

    // A byte with no edge from the root starts nothing; a lead byte also makes the next
    // byte its trail.
    for (unsigned ch = 0; ch < 256; ++ch)
        m_rootNext[ch] = codePage.IsLead(static_cast<unsigned char>(ch)) ? kInside : kRoot;
    for (uint32_t edge = m_states[kRoot].firstEdge; edge < m_states[kRoot + 1].firstEdge; ++edge)
        m_rootNext[m_edgeBytes[edge]] = m_edgeTargets[edge];

    // A suffix of a pattern read from one of its boundaries sits on a text boundary too;
    // the one starting right after a lead byte in the root's place is kInside.
    for (uint32_t state = 0; state + 1 < m_states.size(); ++state) {
        for (uint32_t edge = m_states[state].firstEdge; edge < m_states[state + 1].firstEdge;
             ++edge) {
            const unsigned char ch = m_edgeBytes[edge];
            State& target = m_states[m_edgeTargets[edge]];
            if (state == kRoot)
                target.fail = codePage.IsLead(ch) ? kInside : kRoot;
            else
                target.fail = Next(m_states[state].fail, ch);
            target.groups = trie[nodeOf[m_edgeTargets[edge]]].groups | m_states[target.fail].groups;
        }
    }
}

uint32_t CPatternSet::Next(uint32_t state, unsigned char ch) const {
    for (;;) {
        if (state == kRoot)
            return m_rootNext[ch];
        if (state == kInside)
            return kRoot; // ch is the trail byte
        // Most states go on with a byte or two: a plain loop beats a call.
        const uint32_t first = m_states[state].firstEdge;
        const uint32_t end = m_states[state + 1].firstEdge;
        if (end - first <= 8) {
            for (uint32_t edge = first; edge < end; ++edge) {
                if (m_edgeBytes[edge] == ch)
                    return m_edgeTargets[edge];
            }
        } else if (const void* hit = memchr(&m_edgeBytes[first], ch, end - first)) {
            return m_edgeTargets[static_cast<const unsigned char*>(hit) - m_edgeBytes.data()];
        }
        state = m_states[state].fail;
    }
}

unsigned CPatternSet::Scan(const char* text, unsigned stopAt) const {
    unsigned found = 0;
    uint32_t state = kRoot;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        // Most bytes leave the root where it is: its table answers them at once.
        state = state == kRoot ? m_rootNext[*p] : Next(state, *p);
        if (m_states[state].groups != 0) {
            found |= m_states[state].groups;
            if ((found & stopAt) != 0)
                break;
        }
    }
    return found;
}
