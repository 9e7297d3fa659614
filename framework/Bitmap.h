// CBitmap: a bitmap handle and its release.
#pragma once

#include <windows.h>

// Owns a bitmap handle and frees it.
class CBitmap {
public:
    CBitmap() = default;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;
    ~CBitmap() { DeleteObject(); }
    // Takes ownership; false for a null handle or when one is already held.
    bool Attach(HBITMAP bitmap);
    void DeleteObject();
    HBITMAP m_hObject = nullptr;
};
