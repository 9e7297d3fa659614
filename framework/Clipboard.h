// CClipboard: the clipboard, open for one window while the object lives.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <utility>

#include "Handle.h"

class CClipboard {
public:
    explicit CClipboard(HWND owner) : m_bOpen(::OpenClipboard(owner)) {}
    CClipboard(const CClipboard&) = delete;
    CClipboard& operator=(const CClipboard&) = delete;
    ~CClipboard() {
        if (m_bOpen)
            ::CloseClipboard();
    }

    // Replaces what the clipboard holds by the blocks, each in its format, which the clipboard
    // then owns. All or nothing: when one is refused the clipboard is left empty.
    bool Put(std::initializer_list<std::pair<UINT, CGlobalMemory*>> blocks);

private:
    bool m_bOpen;
};
