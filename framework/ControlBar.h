// CControlBar: the base of the bars a frame lays out around its view, and their styles.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "Wnd.h"

// Control-bar styles. They travel in the low word of a bar's creation style (and the gripper
// bit); the bar keeps them and strips them from the window style.
enum : DWORD {
    CBRS_ALIGN_LEFT = 0x1000,
    CBRS_ALIGN_TOP = 0x2000,
    CBRS_ALIGN_RIGHT = 0x4000,
    CBRS_ALIGN_BOTTOM = 0x8000,
    CBRS_ALIGN_ANY = 0xF000,
    CBRS_BORDER_TOP = 0x0200,
    CBRS_BORDER_BOTTOM = 0x0800,
    CBRS_TOOLTIPS = 0x0010,
    CBRS_FLYBY = 0x0020,
    CBRS_GRIPPER = 0x00400000,
    CBRS_SIZE_DYNAMIC = 0x0004,
    CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM,
    CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP,
    CBRS_ALL = 0x0040FFFF,
};

// A bar docked at an edge of its frame; shown or hidden by the frame's View commands.
class CControlBar : public CWnd {
public:
    DWORD GetBarStyle() const { return m_dwStyle; }
    // Height (top and bottom bars) the bar wants in a frame of the given width.
    virtual int CalcHeight(int frameWidth) = 0;
    // Brings commands' states up to date during idle time; route is the frame.
    virtual void OnUpdateCmdUI(CCmdTarget& route) = 0;

protected:
    // Keeps the bar bits of style and returns the rest, the window style.
    DWORD SplitStyle(DWORD style) {
        m_dwStyle = style & CBRS_ALL;
        return style & ~CBRS_ALL;
    }
    // Loads the common controls' bar classes once; false when they cannot be loaded.
    static bool InitBarClasses();
    static HMENU ChildId(UINT id) { return reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)); }

    DWORD m_dwStyle = 0;
};
