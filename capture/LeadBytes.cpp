// Lead-byte tables, and character-boundary search and cuts over them.
#include "LeadBytes.h"

#include <cstring>

CLeadBytes CLeadBytes::Cp936() {
    CLeadBytes table;
    for (int ch = 0x81; ch <= 0xFE; ++ch)
        table.m_lead[ch] = true;
    return table;
}

CLeadBytes CLeadBytes::SingleByte() {
    return CLeadBytes();
}

size_t CLeadBytes::CharLength(const char* text, size_t length) const {
    if (length == 0)
        return 0;
    return IsLead(static_cast<unsigned char>(text[0])) && length > 1 ? 2 : 1;
}

long CLeadBytes::Find(const char* text, size_t textLength, const char* pattern,
                      size_t patternLength) const {
    // Only character starts are tried, so a pattern never matches a trail byte.
    for (size_t pos = 0; patternLength <= textLength - pos;
         pos += CharLength(text + pos, textLength - pos)) {
        if (memcmp(text + pos, pattern, patternLength) == 0)
            return static_cast<long>(pos);
    }
    return -1;
}

size_t CLeadBytes::FitLength(const char* text, size_t textLength, size_t maxBytes) const {
    size_t length = 0;
    while (length < textLength) {
        size_t next = length + CharLength(text + length, textLength - length);
        if (next > maxBytes)
            break;
        length = next;
    }
    return length;
}
