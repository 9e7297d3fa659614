// CToolBar: the toolbar with buttons from a toolbar resource, its tips and prompts.
#pragma once

#include <climits>
#include <string>
#include <vector>

#include "ControlBar.h"
#include "ToolBarCtrl.h"

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
    // The button with command id shows image while its command is unchecked, checkedImage while
    // it is checked; ShowCheck shows the one for the state its update sets.
    void SetCheckImages(UINT id, int image, int checkedImage);
    void ShowCheck(UINT id, bool checked);

    // Tool tips (second field of the command's string) and fly-by prompts (first field, sent to
    // the parent for the frame's status bar).
    bool OnParentNotify(NMHDR* hdr, LRESULT* result) override;

    SIZE CalcFixedLayout() const override;
    SIZE CalcDynamicLayout(int width) override;
    void OnUpdateCmdUI(CCmdTarget& route) override;

protected:
    void OnBarStyleChange(DWORD oldStyle, DWORD newStyle) override;
    MESSAGE_MAP_MEMBERS();

private:
    // Width 0 makes a column: every button a row of its own.
    void WrapButtons(int width);
    bool IsSeparator(int index) const;
    void SetWrap(int index, bool wrap);
    // The borders and the gripper are the bar's non-client area, and the gripper its caption.
    LRESULT OnNcCalcSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    bool HasGripper() const;
    RECT NonClientInsets() const;
    RECT GripperRect() const;
    void PaintNonClient();
    bool OnToolTipText(NMHDR* hdr);

    CToolBarCtrl m_ctrl;
    int m_nFloatWidth = INT_MAX; // one row until the floating bar is first reshaped
    RECT m_rcBorders = {};
    std::string m_strTip;   // the last tip handed out; the tool tip reads it afterwards
    std::wstring m_wstrTip; // the same, for a tool tip that asks in UTF-16
    struct CheckImages {
        UINT id;
        int image;
        int checkedImage;
    };
    std::vector<CheckImages> m_checkImages;
};
