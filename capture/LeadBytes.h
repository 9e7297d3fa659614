// Multibyte text of the ANSI code page: lead bytes, character-boundary search and cuts.
#pragma once

#include <cstddef>

// Which bytes start a double-byte character in one code page.
class CLeadBytes {
public:
    // The code page the program runs in: asked of the system on Windows;
    // the host build stands in code page 936.
    static const CLeadBytes& System();
    static CLeadBytes Cp936();
    static CLeadBytes SingleByte();

    bool IsLead(unsigned char ch) const { return m_lead[ch]; }

    // Bytes from text[0] to the next character boundary (1 or 2); a lead byte
    // followed by the NUL at text + length counts as one.
    size_t CharLength(const char* text, size_t length) const;

    // Byte position of the first occurrence of pattern in text that starts at a
    // character boundary, or -1. An empty pattern occurs at 0.
    long Find(const char* text, size_t textLength, const char* pattern, size_t patternLength) const;

    // The longest prefix of text that has at most maxBytes bytes and does not end
    // inside a double-byte character.
    size_t FitLength(const char* text, size_t textLength, size_t maxBytes) const;

private:
    bool m_lead[256] = {};
};
