// CRowDetail: the detail pane's text, the focused row's whole text, kept in step with the focus.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "RowStore.h"

// The pane, once shown, asks the view for its text.
const UINT kDetailWanted = WM_APP + 22;

// A row's text as a multi-line text box shows it: line breaks as CR LF, and what a cut text left
// out said after it.
std::string DetailText(std::string_view text, uint64_t leftOut);

// Sets the frame's detail pane to a row's text, only when the row it shows changes: the focus
// moves, rows show or the rows are cleared, never for each message.
class CRowDetail {
public:
    // Row's text (none below 0 or past the rows) in the frame's pane, while the pane is shown.
    void Show(const CRowStore& rows, int row, HWND frame);
    // The rows were cleared, or the pane hidden: the next Show sets the text afresh.
    void Forget() { m_set = false; }

private:
    bool m_set = false;
    int m_row = -1;
};
