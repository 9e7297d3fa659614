// CBitmap, CControlBar, CToolBarCtrl, CToolBar and CStatusBar: the bars a frame lays out
// around its view.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "Wnd.h"

class CFrameWnd;

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

    DWORD m_dwStyle = 0;
};

// The toolbar control's own calls. Keeps the bitmaps it is given for as long as the control.
class CToolBarCtrl {
public:
    // Size of one image; set before the first AddBitmap.
    bool SetBitmapSize(SIZE size);
    // Appends exactly count images of bitmap (cut, or widened with blank ones), its button-face
    // grey shown as the system's button face; the image-list index of the first, or -1.
    int AddBitmap(int count, CBitmap* bitmap);

    HWND m_hWnd = nullptr;

private:
    SIZE m_sizeImage = {16, 15}; // the control's own default
    std::vector<std::unique_ptr<CBitmap>> m_images;
};

class CToolBar : public CControlBar {
public:
    bool CreateEx(CWnd& parent, DWORD ctrlStyle, DWORD style, const RECT& borders, UINT id);
    // On a bar without buttons: buttons from the toolbar resource (type 241), images from the
    // bitmap of the same id. False, adding nothing, when either is missing or malformed.
    bool LoadToolBar(UINT resourceId);
    CToolBarCtrl& GetToolBarCtrl() { return m_ctrl; }

    int GetCount() const;
    // Index of the button with command id, or -1.
    int CommandToIndex(UINT id) const;
    // Style is the button's TBSTYLE_ bits; its state (enabled, checked) is not part of it.
    bool GetButtonInfo(int index, UINT& id, UINT& style, int& image) const;
    // Leaves the state alone, so the same id and style change only the image.
    bool SetButtonInfo(int index, UINT id, UINT style, int image);

    // The frame passes on its WM_NOTIFY here: tool tips (second field of the command's string)
    // and fly-by prompts (first field, in the frame's status bar). False when not this bar's.
    bool OnParentNotify(CFrameWnd& frame, NMHDR* hdr, LRESULT* result);

    int CalcHeight(int frameWidth) override;
    void OnUpdateCmdUI(CCmdTarget& route) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    RECT NonClientInsets() const;
    void PaintNonClient();
    bool OnToolTipText(NMHDR* hdr);

    CToolBarCtrl m_ctrl;
    RECT m_rcBorders = {};
    std::string m_strTip;   // the last tip handed out; the tool tip reads it afterwards
    std::wstring m_wstrTip; // the same, for a tool tip that asks in UTF-16
};

class CStatusBar : public CControlBar {
public:
    bool Create(CWnd& parent, DWORD style, UINT id);
    // Pane ids: ID_SEPARATOR for the message pane first, then string ids; a lock key's pane
    // shows its string while the key is on, any other pane always. False when a string is missing.
    bool SetIndicators(const UINT* ids, int count);
    bool SetPaneText(int index, const char* text);
    std::string GetPaneText(int index) const;

    int CalcHeight(int frameWidth) override;
    void OnUpdateCmdUI(CCmdTarget& route) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Pane {
        UINT id;
        std::string text; // the pane's string, loaded once
        int width;        // fits text in the bar's font
        bool shown;       // whether the control shows text now
    };
    void LayoutPanes();
    void UpdateIndicators();

    std::vector<Pane> m_panes;
};
