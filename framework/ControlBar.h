// CControlBar: the base of the bars a frame lays out around its view, their styles, and the
// drag by the gripper that docks a bar at another edge or floats it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "DockSite.h"
#include "Wnd.h"

// Control-bar styles. They travel in the low word of a bar's creation style (and the gripper
// bit); the bar keeps them and strips them from the window style.
enum : DWORD {
    CBRS_ALIGN_LEFT = 0x1000,
    CBRS_ALIGN_TOP = 0x2000,
    CBRS_ALIGN_RIGHT = 0x4000,
    CBRS_ALIGN_BOTTOM = 0x8000,
    CBRS_ALIGN_ANY = 0xF000,
    CBRS_ORIENT_VERT = CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT,
    CBRS_BORDER_LEFT = 0x0100,
    CBRS_BORDER_TOP = 0x0200,
    CBRS_BORDER_RIGHT = 0x0400,
    CBRS_BORDER_BOTTOM = 0x0800,
    CBRS_BORDER_ANY = 0x0F00,
    CBRS_FLOATING = 0x0001,
    CBRS_TOOLTIPS = 0x0010,
    CBRS_FLYBY = 0x0020,
    CBRS_GRIPPER = 0x00400000,
    CBRS_SIZE_DYNAMIC = 0x0004,
    CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM,
    CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP,
    CBRS_ALL = 0x0040FFFF,
};

// A bar at an edge of its frame, or floating in a tool window of its own; shown or hidden by the
// frame's View commands. A bar made dockable is dragged by its gripper.
class CControlBar : public CWnd {
public:
    ~CControlBar() override;

    DWORD GetBarStyle() const { return m_dwStyle; }
    // The alignment and border bits change; the bar rearranges itself to match.
    void SetBarStyle(DWORD style);
    // Edges (CBRS_ALIGN_ bits) the bar may dock on; none keeps it where its frame puts it.
    void EnableDocking(DWORD dockStyle) { m_dwDockStyle = dockStyle & CBRS_ALIGN_ANY; }
    DWORD GetDockStyle() const { return m_dwDockStyle; }
    bool IsFloating() const { return (m_dwStyle & CBRS_FLOATING) != 0; }
    bool IsVertical() const { return !IsFloating() && (m_dwStyle & CBRS_ORIENT_VERT); }
    // Shown whenever its frame is: its own window, or, floating, the tool window it is in.
    bool IsVisible() const;

    // Size in the bar's orientation; docked, the bar is stretched along its edge.
    virtual SIZE CalcFixedLayout() const = 0;
    // Floating and CBRS_SIZE_DYNAMIC: rearranged to be at most width wide where it can, and the
    // size that takes.
    virtual SIZE CalcDynamicLayout(int) { return CalcFixedLayout(); }
    // The bar follows the pointer (point, on the screen) until the button is released, where it
    // docks or floats; Escape (which the message loop sends it) or a lost capture leaves it where
    // it was.
    void BeginDrag(POINT point);
    // Brings commands' states up to date during idle time; route is the frame.
    virtual void OnUpdateCmdUI(CCmdTarget& route) = 0;
    // A notification its dock site received, offered to each of its bars in turn: a bar's tool
    // tips and prompts come from controls of its own. False when it is not this bar's.
    virtual bool OnParentNotify(NMHDR*, LRESULT*) { return false; }

protected:
    // Keeps the bar bits of style and returns the rest, the window style.
    DWORD SplitStyle(DWORD style) {
        m_dwStyle = style & CBRS_ALL;
        return style & ~CBRS_ALL;
    }
    // Loads the common controls' bar classes once; false when they cannot be loaded.
    static bool InitBarClasses();
    static HMENU ChildId(UINT id) { return reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)); }
    // After creation: a bar created in a dock site is laid out and routed by it.
    void AddToFrame(CWnd& parent);
    // A bar of the program's own along the frame's bottom, its window of class className with
    // id, which is also the command that shows it.
    bool CreateBottomBar(CWnd& parent, const char* className, UINT id);
    // A line's height in the font bars give their controls.
    int GuiFontHeight() const;
    virtual void OnBarStyleChange(DWORD oldStyle, DWORD newStyle);
    void PostNcDestroy() override;
    MESSAGE_MAP_MEMBERS();

    DWORD m_dwStyle = 0;

private:
    // The drag's messages; outside a drag each has its default handling.
    LRESULT OnNcLButtonDown(WPARAM hit, LPARAM point);
    LRESULT OnMouseMove(WPARAM flags, LPARAM point);
    LRESULT OnLButtonUp(WPARAM flags, LPARAM point);
    void OnCaptureChanged();
    LRESULT OnKeyDown(WPARAM key, LPARAM lParam);
    void TrackDrag(POINT point);
    void EndDrag(bool drop, POINT point);
    // Where the bar would go for the pointer at point, and that place on the screen.
    DWORD DropTarget(POINT point, RECT& place) const;
    void InvertDragRect();

    DWORD m_dwDockStyle = 0;
    CDockSite* m_pDockSite = nullptr;
    bool m_bDragging = false;
    POINT m_ptGrab = {};  // the pointer in the bar's window when the drag began
    POINT m_ptStart = {}; // and on the screen
    RECT m_rcDrag = {};   // the outline shown, in screen coordinates
    bool m_bDragShown = false;
};
