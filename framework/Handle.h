// CHandleOf and its kinds: one system handle, owned and closed once.
#pragma once

#include <windows.h>

#include <utility>

// Owns one handle and closes it with Closer, a callable that may carry what closing needs (the
// window a device context came from). Null means none, and so does INVALID_HANDLE_VALUE, which
// some kernel calls return for none.
template <class Handle, class Closer> class CHandleOf {
public:
    explicit CHandleOf(Handle handle = nullptr, Closer closer = Closer())
        : m_handle(handle), m_closer(closer) {}
    CHandleOf(CHandleOf&& other) noexcept : m_handle(other.Detach()), m_closer(other.m_closer) {}
    CHandleOf& operator=(CHandleOf&& other) noexcept {
        Reset(other.Detach());
        m_closer = other.m_closer;
        return *this;
    }
    CHandleOf(const CHandleOf&) = delete;
    CHandleOf& operator=(const CHandleOf&) = delete;
    ~CHandleOf() { Reset(); }

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
    Handle Detach() { return std::exchange(m_handle, nullptr); }
    // Takes handle, closing the one held unless it is the same.
    void Reset(Handle handle = nullptr) {
        if (*this && m_handle != handle)
            m_closer(m_handle);
        m_handle = handle;
    }
    // For calls that hand back a handle through a pointer: closes the one held first.
    Handle* Put() {
        Reset();
        return &m_handle;
    }

private:
    Handle m_handle;
    Closer m_closer;
};

// Closes with one system function: CloseWith<::CloseHandle>.
template <auto Close> struct CloseWith {
    template <class Handle> void operator()(Handle handle) const { Close(handle); }
};

// Gives a window's device context back with the object it had selected before, if one was
// swapped.
struct ReleaseWindowDC {
    HWND window = nullptr;
    HGDIOBJ selectedBefore = nullptr;
    void operator()(HDC dc) const {
        if (selectedBefore)
            ::SelectObject(dc, selectedBefore);
        ::ReleaseDC(window, dc);
    }
};

using CHandle = CHandleOf<HANDLE, CloseWith<::CloseHandle>>;
using CRegKey = CHandleOf<HKEY, CloseWith<::RegCloseKey>>;
using CBitmap = CHandleOf<HBITMAP, CloseWith<::DeleteObject>>;
using CMenu = CHandleOf<HMENU, CloseWith<::DestroyMenu>>;
using CGlobalMemory = CHandleOf<HGLOBAL, CloseWith<::GlobalFree>>;
using CMappedView = CHandleOf<void*, CloseWith<::UnmapViewOfFile>>;
// A device context made for a printer, deleted.
using CDC = CHandleOf<HDC, CloseWith<::DeleteDC>>;
using CWindowDC = CHandleOf<HDC, ReleaseWindowDC>;
