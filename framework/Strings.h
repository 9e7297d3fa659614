// Strings from the resources, and text between the ANSI code page and UTF-16.
#pragma once

#include <windows.h>

#include <string>

// String id of this module in the ANSI code page, whole; empty when missing.
std::string AfxLoadString(UINT id);
// Field index of a separator-delimited string ("prompt\ntip", the document string).
std::string AfxExtractSubString(const std::string& text, int index, char separator = '\n');
// text with value in place of its first %s, which is never read as a format; unchanged without.
std::string WithValue(std::string text, const std::string& value);

// Text in the ANSI code page as UTF-16; bytes the code page cannot read come out as its default
// character.
std::wstring WideFromAnsi(const std::string& text);
// UTF-16 text in the ANSI code page; characters it lacks come out as its default character.
std::string AnsiFromWide(const std::wstring& text);
