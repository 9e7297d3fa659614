// CGlobalMemory: a movable global block, freed unless handed on. CClipboard: the clipboard, open
// for one window while the object lives.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <utility>

class CGlobalMemory {
public:
    // Get() is null when the memory could not be had.
    explicit CGlobalMemory(SIZE_T bytes) : m_hMemory(::GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    CGlobalMemory(const CGlobalMemory&) = delete;
    CGlobalMemory& operator=(const CGlobalMemory&) = delete;
    ~CGlobalMemory() {
        if (m_hMemory)
            ::GlobalFree(m_hMemory);
    }

    HGLOBAL Get() const { return m_hMemory; }
    // The block's bytes, null when there is no block; Unlock before handing it on.
    void* Lock() const { return m_hMemory ? ::GlobalLock(m_hMemory) : nullptr; }
    void Unlock() const { ::GlobalUnlock(m_hMemory); }
    HGLOBAL Detach() { return std::exchange(m_hMemory, nullptr); }

private:
    HGLOBAL m_hMemory;
};

class CClipboard {
public:
    explicit CClipboard(HWND owner) : m_bOpen(::OpenClipboard(owner)) {}
    CClipboard(const CClipboard&) = delete;
    CClipboard& operator=(const CClipboard&) = delete;
    ~CClipboard() {
        if (m_bOpen)
            ::CloseClipboard();
    }

    // False when another window holds the clipboard open.
    bool IsOpen() const { return m_bOpen; }
    // Replaces what the clipboard holds by the blocks, each in its format, which the clipboard
    // then owns. All or nothing: when one is refused the clipboard is left empty.
    bool Put(std::initializer_list<std::pair<UINT, CGlobalMemory*>> blocks);

private:
    bool m_bOpen;
};
