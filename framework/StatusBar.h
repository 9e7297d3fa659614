// CStatusBar: the status bar with its message pane and lock-key indicators.
#pragma once

#include <string>
#include <vector>

#include "ControlBar.h"

class CStatusBar : public CControlBar {
public:
    bool Create(CWnd& parent, DWORD style, UINT id);
    // Pane ids: ID_SEPARATOR for the message pane first, then string ids; a lock key's pane
    // shows its string while the key is on, any other pane always. False when a string is missing.
    bool SetIndicators(const UINT* ids, int count);
    bool SetPaneText(int index, const char* text);

    // Its height; the frame stretches it across.
    SIZE CalcFixedLayout() const override;
    void OnUpdateCmdUI(CCmdTarget& route) override;

protected:
    MESSAGE_MAP_MEMBERS();

private:
    struct Pane {
        UINT id;
        std::string text; // the pane's string, loaded once
        int width;        // fits text in the bar's font
        bool shown;       // whether the control shows text now
    };
    // The window text is the message pane's, drawn as SetPaneText draws it.
    LRESULT OnSetText(WPARAM, LPARAM text);
    // The control places itself first; the panes follow its new width.
    LRESULT OnSize(WPARAM type, LPARAM size);
    void LayoutPanes();
    void UpdateIndicators();

    std::vector<Pane> m_panes;
};
