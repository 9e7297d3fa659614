// CListCtrl and CHeaderCtrl: thin wrappers over a list-view control and its header.
#pragma once

#include <windows.h>

#include <commctrl.h>

class CHeaderCtrl {
public:
    explicit CHeaderCtrl(HWND hWnd) : m_hWnd(hWnd) {}
    int GetItemCount() const {
        return static_cast<int>(::SendMessageA(m_hWnd, HDM_GETITEMCOUNT, 0, 0));
    }
    HWND m_hWnd;
};

class CListCtrl {
public:
    explicit CListCtrl(HWND hWnd) : m_hWnd(hWnd) {}
    HWND m_hWnd;

    int InsertColumn(int column, const char* heading, int format, int width) const;
    bool DeleteAllItems() const { return Send(LVM_DELETEALLITEMS) != 0; }
    DWORD SetExtendedStyle(DWORD style) const {
        return static_cast<DWORD>(Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style));
    }
    CHeaderCtrl GetHeaderCtrl() const {
        return CHeaderCtrl(reinterpret_cast<HWND>(Send(LVM_GETHEADER)));
    }

private:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
};
