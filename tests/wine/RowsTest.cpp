// Whole texts and exact times: a long client text saved, copied, logged and shown in the detail
// pane as its row keeps it; the time column in the format chosen from the View menu, remembered.
#include "AppFixture.h"
#include "DebugRecord.h"

namespace {

using RowsTest = AppFixture;

// A text of 100,000 bytes keeps its first 64 KB less the half of a character across the limit.
TEST_F(RowsTest, ALongTextIsSavedCopiedLoggedAndShownAsKeptAndTimesInTheFormatChosen) {
    const std::string path = SiblingPath("kestrin-rows.log");
    ::DeleteFileA(path.c_str());
    EXPECT_EQ(Strings{Ansi("记录到文件")}, Drive(ID_LOG_TO_FILE, {[&](HWND dialog) {
                                                     ::SetWindowTextA(FileNameEdit(dialog),
                                                                      path.c_str());
                                                     Click(IDOK)(dialog);
                                                 }}));
    std::string text = "first line\nsecond\tline ";
    text.append(kMaxRowText - 1 - text.size(), 'x').append("\xb0\xa1");
    text.append(100000 - text.size(), 'y');
    const std::string kept = text.substr(0, kMaxRowText - 1);
    Send(text.c_str());
    Send("short");
    Drive(ID_LOG_TO_FILE, {});
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(2u, rows.size());
    const std::string expected = rows[0][0] + "\t" + rows[0][1] + "\t" + rows[0][2] + "\t" + kept +
                                 "\t\r\n" + Lines({rows[1]});
    EXPECT_EQ(expected, Content(path)) << "logged";
    Command(ID_FILE_SAVE);
    EXPECT_EQ(expected, Content(path)) << "saved";
    // A failed Save forgets the path, so that a later Save asks for one again.
    ::DeleteFileA(path.c_str());
    ::CreateDirectoryA(path.c_str(), nullptr);
    EXPECT_EQ(Strings{"Kestrin: Open File " + path + " failed"},
              Drive(ID_FILE_SAVE, {Click(IDOK)}));
    ::RemoveDirectoryA(path.c_str());
    Input(m_view, WM_KEYDOWN, 'A', 0, VK_CONTROL);
    Command(ID_EDIT_COPY);
    std::string copied;
    ASSERT_TRUE(::OpenClipboard(nullptr));
    if (HANDLE data = ::GetClipboardData(CF_TEXT))
        copied = static_cast<const char*>(::GlobalLock(data)), ::GlobalUnlock(data);
    ::CloseClipboard();
    EXPECT_EQ(expected, copied) << "copied";
    char cell[4096];
    ListView_GetItemText(m_view, 0, 3, cell, sizeof cell);
    EXPECT_EQ(kept.substr(0, sizeof cell - 1), cell) << "as much as the asker's buffer holds";

    // The pane follows the focus, line breaks and tabs as they are, and says what was left out.
    Command(ID_VIEW_DETAIL_BAR);
    const HWND pane =
        ::GetDlgItem(::GetDlgItem(m_frame->m_hWnd, ID_VIEW_DETAIL_BAR), IDC_DETAIL_TEXT);
    const std::string shown = "first line\r\nsecond\tline " + kept.substr(23) + "\r\n" +
                              Ansi("…（已截断：另有 34465 字节未保留）");
    Strings texts;
    for (int row : {0, 1}) {
        ListView_SetItemState(m_view, row, LVIS_FOCUSED, LVIS_FOCUSED);
        texts.push_back(WindowText(pane));
    }
    Command(ID_CLEAR);
    texts.push_back(WindowText(pane));
    EXPECT_EQ((Strings{shown, "short", ""}), texts);
    Command(ID_VIEW_DETAIL_BAR);
    EXPECT_EQ(0u, g_app->GetProfileInt("Settings", "DetailPane", 1)) << "the pane off, remembered";

    // Each format's first row, digits as 9, and the choice remembered.
    Send("one");
    Strings times;
    for (UINT id : {ID_VIEW_TIME_MILLISECONDS, ID_VIEW_TIME_SINCE_FIRST,
                    ID_VIEW_TIME_SINCE_PREVIOUS, ID_VIEW_TIME_SECONDS}) {
        Command(id);
        std::string time = Rows()[0][2];
        for (char& ch : time)
            ch = isdigit(static_cast<unsigned char>(ch)) ? '9' : ch;
        times.push_back(time + " " +
                        std::to_string(g_app->GetProfileInt("Settings", "TimeFormat", 9)));
    }
    EXPECT_EQ((Strings{"99:99:99.999 1", "9.999999 2", "+9.999 3", "99:99:99:99 0"}), times);
}

} // namespace
