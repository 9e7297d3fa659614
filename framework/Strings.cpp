// Strings from the resources, and text between the ANSI code page and UTF-16.
#include "Strings.h"

#include <algorithm>
#include <vector>

std::string AfxLoadString(UINT id) {
    std::vector<char> buffer(256);
    for (;;) {
        int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer.data(),
                                   static_cast<int>(buffer.size()));
        if (length <= 0)
            return std::string();
        // A full buffer may mean a cut string: try again with more room.
        if (static_cast<size_t>(length) < buffer.size() - 1)
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string AfxExtractSubString(const std::string& text, int index, char separator) {
    size_t start = 0;
    for (; index > 0; --index) {
        size_t next = text.find(separator, start);
        if (next == std::string::npos)
            return std::string();
        start = next + 1;
    }
    size_t end = text.find(separator, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string WithValue(std::string text, const std::string& value) {
    const size_t at = text.find("%s");
    return at == std::string::npos ? text : text.replace(at, 2, value);
}

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty())
        return std::wstring();
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                              length);
    return wide;
}

std::string AnsiFromWide(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &ansi[0],
                              length, nullptr, nullptr);
    return ansi;
}
