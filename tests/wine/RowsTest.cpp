// Whole texts and exact times: a long client text copied and shown in the detail pane as its row
// keeps it; the time column in the format chosen from the View menu, remembered.
#include <algorithm>

#include "AppFixture.h"
#include "DebugRecord.h"

namespace {

using RowsTest = AppFixture;

// A text of 100,000 bytes keeps its first 64 KB less the half of a character across the limit:
// copied whole, as Save writes it too.
TEST_F(RowsTest, ALongTextIsCopiedAndShownAsKeptAndTimesInTheFormatChosen) {
    std::string text = "first line\nsecond\tline ";
    text.append(kMaxRowText - 1 - text.size(), 'x').append("\xb0\xa1");
    text.append(100000 - text.size(), 'y');
    const std::string kept = text.substr(0, kMaxRowText - 1);
    Send(text.c_str());
    Send("short");
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(2u, rows.size());
    Input(m_view, WM_KEYDOWN, 'A', 0, VK_CONTROL);
    Command(ID_EDIT_COPY);
    std::string copied;
    ASSERT_TRUE(::OpenClipboard(nullptr));
    if (HANDLE data = ::GetClipboardData(CF_TEXT))
        copied = static_cast<const char*>(::GlobalLock(data)), ::GlobalUnlock(data);
    ::CloseClipboard();
    EXPECT_EQ(rows[0][0] + "\t" + rows[0][1] + "\t" + rows[0][2] + "\t" + kept + "\t\r\n" +
                  Lines({rows[1]}),
              copied);

    // The pane follows the focus, line breaks and tabs as they are, and says what was left out.
    Command(ID_VIEW_DETAIL_BAR);
    const HWND pane =
        ::GetDlgItem(::GetDlgItem(m_frame->m_hWnd, ID_VIEW_DETAIL_BAR), IDC_DETAIL_TEXT);
    const std::string shown = "first line\r\nsecond\tline " + kept.substr(23) + "\r\n" +
                              Ansi("…（已截断：另有 34465 字节未保留）");
    Strings texts;
    for (int row : {0, 1, -1}) {
        if (row < 0)
            Command(ID_CLEAR);
        else
            ListView_SetItemState(m_view, row, LVIS_FOCUSED, LVIS_FOCUSED);
        texts.push_back(WindowText(pane));
    }
    EXPECT_EQ((Strings{shown, "short", ""}), texts);
    Command(ID_VIEW_DETAIL_BAR);
    EXPECT_EQ(0u, g_app->GetProfileInt("Settings", "DetailPane", 1)) << "the pane off, remembered";

    // Each format's first row, digits as 9, and the choice remembered.
    Send("one");
    Strings times;
    for (UINT id : {ID_VIEW_TIME_MILLISECONDS, ID_VIEW_TIME_SINCE_FIRST,
                    ID_VIEW_TIME_SINCE_PREVIOUS, ID_VIEW_TIME_SECONDS}) {
        Command(id);
        std::string time = Rows()[0][2] + " ";
        std::replace_if(time.begin(), time.end(), ::isdigit, '9');
        times.push_back(time + std::to_string(g_app->GetProfileInt("Settings", "TimeFormat", 9)));
    }
    EXPECT_EQ((Strings{"99:99:99.999 1", "9.999999 2", "+9.999 3", "99:99:99:99 0"}), times);
}

} // namespace
