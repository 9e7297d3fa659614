// The detail pane's text: a row's whole text, its line breaks those a text box draws.
#include "RowDetail.h"

#include "Strings.h"
#include "resource.h"

std::string DetailText(std::string_view text, uint64_t leftOut) {
    std::string shown;
    shown.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        // A lone LF breaks the line in a file but not in a text box.
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            shown += '\r';
        shown += text[i];
    }
    if (leftOut) {
        std::string note = AfxLoadString(IDS_DETAIL_CUT);
        const size_t at = note.find("%s");
        if (at != std::string::npos)
            note.replace(at, 2, std::to_string(leftOut));
        shown += "\r\n" + note;
    }
    return shown;
}

void CRowDetail::Show(const CRowStore& rows, int row, HWND frame) {
    const HWND pane = ::GetDlgItem(frame, ID_VIEW_DETAIL_BAR);
    if (!pane || !(::GetWindowLongA(pane, GWL_STYLE) & WS_VISIBLE)) {
        m_set = false;
        return;
    }
    if (row >= 0 && static_cast<size_t>(row) >= rows.GetCount())
        row = -1;
    if (m_set && row == m_row)
        return;
    m_set = true;
    m_row = row;
    std::string text = row < 0 ? "" : DetailText(rows.GetText(row), rows.GetLeftOut(row));
    // A syslog row's severity and the like, below its text.
    if (const std::string_view extra = row < 0 ? "" : rows.GetExtra(row); !extra.empty())
        text += "\r\n\r\n" + DetailText(extra, 0);
    ::SetDlgItemTextA(pane, IDC_DETAIL_TEXT, text.c_str());
}
