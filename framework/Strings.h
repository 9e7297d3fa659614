// Strings from the resources.
#pragma once

#include <windows.h>

#include <string>

// String id of this module in the ANSI code page, whole; empty when missing.
std::string AfxLoadString(UINT id);
// Field index of a separator-delimited string ("prompt\ntip", the document string).
std::string AfxExtractSubString(const std::string& text, int index, char separator = '\n');
