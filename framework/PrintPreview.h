// CPrintPreview: the pages of a print job drawn inside the frame in place of the view, with
// the preview's own controls.
#pragma once

#include <memory>

#include "Print.h"
#include "View.h"

// The preview's controls, under the framework's standard ids.
enum : UINT {
    AFX_ID_PREVIEW_CLOSE = 0xE300,
    AFX_ID_PREVIEW_NEXT = 0xE302,
    AFX_ID_PREVIEW_PREV = 0xE303,
    AFX_ID_PREVIEW_PRINT = 0xE304,
    AFX_ID_PREVIEW_ZOOMIN = 0xE305,
    AFX_ID_PREVIEW_ZOOMOUT = 0xE306,
};

// Lives as long as its window: closing it (its Close or Print button, or its view's end)
// shows the view again and deletes the object.
class CPrintPreview : public CWnd {
public:
    static const char kClassName[];

    // Hides the view and shows the preview over its place; null when it could not be created.
    static CPrintPreview* Show(CView& view, std::unique_ptr<CPrintInfo> info);
    void TakePlaceOf(const CView& view) const;

    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    MESSAGE_MAP_MEMBERS();

private:
    CPrintPreview(CView& view, std::unique_ptr<CPrintInfo> info);
    ~CPrintPreview() override = default;
    bool CreateControls();
    void UpdateControls() const;
    // The room for the page below the controls, and the page's size in it at the zoom.
    RECT Room() const;
    SIZE PageSize(const RECT& room) const;
    // The page on the screen, fitted below the controls, enlarged by the zoom and scrolled.
    RECT PageRect() const;
    // A page larger than its room scrolls, on each axis where it is.
    void UpdateScrollBars();
    LRESULT OnScroll(int bar, WPARAM request);
    LRESULT OnHScroll(WPARAM request, LPARAM) { return OnScroll(SB_HORZ, request); }
    LRESULT OnVScroll(WPARAM request, LPARAM) { return OnScroll(SB_VERT, request); }
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
    void ScrollTo(int bar, int pos);
    // Escape closes the preview.
    LRESULT OnKeyDown(WPARAM key, LPARAM lParam);
    // A letter alone or with Alt presses its control; Alt with any other goes to the menu bar.
    LRESULT OnChar(WPARAM key, LPARAM);
    LRESULT OnSysChar(WPARAM key, LPARAM lParam);
    // Presses the control whose mnemonic is key if it is enabled; false when none has it.
    bool PressMnemonic(WPARAM key);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBkgnd(WPARAM dc, LPARAM lParam);
    void OnSize();
    void PostNcDestroy() override;

    CView& m_view;
    std::unique_ptr<CPrintInfo> m_pInfo;
    HWND m_hControls = nullptr;
    int m_nZoom = 0; // 0 fits the page in the window; each step doubles it
    POINT m_ptScroll = {};
    UINT m_nPage = 1;
    bool m_bShown = false; // from then on the window's end ends the preview
};
