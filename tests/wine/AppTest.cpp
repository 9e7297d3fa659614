// Kestrin in this process: the tests drive its real frame and view as the message loop would,
// with messages, commands, pop-ups and idle updates.
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "AppFixture.h"

namespace {

// The toolbar's own strip has 12 pictures; the extra strip's follow.
const int kFirstExtra = 12;
const int kFilePopup = 0, kEditPopup = 1;

// Names, sizes and write times of the files in folder.
std::map<std::string, std::string> Listing(const std::string& folder) {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &found);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &found))
        files[folder + found.cFileName] = std::to_string(found.nFileSizeLow) + " bytes at " +
                                          std::to_string(found.ftLastWriteTime.dwLowDateTime);
    ::FindClose(find);
    return files;
}

class AppTest : public AppFixture {
protected:
    // The pop-up at index of the menu bar, after the frame has been told it opens.
    HMENU OpenPopup(int index) const {
        HMENU popup = ::GetSubMenu(::GetMenu(m_frame->m_hWnd), index);
        m_frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                             MAKELPARAM(index, FALSE));
        return popup;
    }
    UINT MenuState(int popup, UINT id) const {
        return ::GetMenuState(OpenPopup(popup), id, MF_BYCOMMAND);
    }
    std::vector<std::string> RecentFileItems() const {
        HMENU file = OpenPopup(kFilePopup);
        std::vector<std::string> items;
        char text[MAX_PATH + 8] = "";
        for (UINT id = ID_FILE_MRU_FILE1;
             ::GetMenuStringA(file, id, text, sizeof text, MF_BYCOMMAND) > 0 &&
             !(::GetMenuState(file, id, MF_BYCOMMAND) & MF_GRAYED);
             ++id)
            items.push_back(text);
        return items;
    }
    int Columns() const {
        HWND header = reinterpret_cast<HWND>(::SendMessageA(m_view, LVM_GETHEADER, 0, 0));
        return static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    }
};

TEST_F(AppTest, StartUpShowsTheEmptyListUnderTheCaptionKestrinWithTheExtraPictures) {
    EXPECT_EQ("Kestrin", g_startCaption);
    EXPECT_EQ("就绪", g_startStatus);
    const std::map<UINT, int> pictures = {{ID_CAPTURE, kFirstExtra + 2},
                                          {ID_FILTER, kFirstExtra + 5},
                                          {ID_CLEAR, kFirstExtra + 6},
                                          {ID_LOG_TO_FILE, kFirstExtra + 19}};
    EXPECT_EQ(pictures, g_startPictures) << "command → picture";
    EXPECT_EQ(4, Columns());
}

TEST_F(AppTest, IntakeMessagesBecomeRowsAndNeverTouchTheCaption) {
    const std::string self = ProgramPath().substr(FileNameStart(ProgramPath()));
    const std::string pid = std::to_string(::GetCurrentProcessId());
    const char gbk[] = "\xB5\xF7\xCA\xD4\xD0\xC5\xCF\xA2"; // 调试信息 in code page 936
    enum Way { kToFrame, kToView, kSetWindowText };
    const struct {
        Way way;
        const char *text, *shown;
    } cases[] = {
        {kToFrame, "hello", "hello"},
        {kToFrame, gbk, gbk},
        {kToFrame, nullptr, ""},
        {kToView, "to the view", "to the view"},
        {kSetWindowText, "a cap", "a cap"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("way ") + std::to_string(c.way) + ", " + c.shown);
        const size_t count = Rows().size();
        SYSTEMTIME before, after;
        ::GetLocalTime(&before);
        if (c.way == kSetWindowText)
            ::SetWindowTextA(m_frame->m_hWnd, c.text);
        else
            EXPECT_EQ(0, Send(c.text, c.way == kToView ? m_view : nullptr)) << "result";
        ::GetLocalTime(&after);
        const std::vector<Row> rows = Rows();
        ASSERT_EQ(count + 1, rows.size()) << "rows";
        const bool fromSelf = c.way != kSetWindowText;
        EXPECT_EQ((Row{fromSelf ? self : "", fromSelf ? pid : "0", rows.back()[2], c.shown}),
                  rows.back());
        EXPECT_TRUE(IsTimeCellWithin(rows.back()[2], before, after)) << "got " << rows.back()[2];
        EXPECT_EQ("Kestrin", WindowText(m_frame->m_hWnd)) << "caption";
    }
}

TEST_F(AppTest, FrameWithoutViewAnswersOneAndKeepsItsCaption) {
    CMainFrame bare;
    ASSERT_TRUE(bare.LoadFrame(IDR_MAINFRAME, WS_POPUP, nullptr));
    ASSERT_EQ(nullptr, bare.GetActiveDocument());
    EXPECT_EQ(1, Send("lost", bare.m_hWnd));
    EXPECT_EQ("Kestrin", WindowText(bare.m_hWnd));
    EXPECT_TRUE(Rows().empty());
}

// Capture off drops messages; Log to file only toggles and writes no file anywhere near.
TEST_F(AppTest, CaptureAndLogToFileToggleTheirPictureCheckMarkAndPressedState) {
    char current[MAX_PATH] = "", temp[MAX_PATH] = "";
    ::GetCurrentDirectoryA(sizeof current, current);
    ::GetTempPathA(sizeof temp, temp);
    const std::string folders[] = {SiblingPath(""), std::string(current) + "\\", temp};
    std::map<std::string, std::string> before, after;
    for (const std::string& folder : folders)
        before.merge(Listing(folder));
    const struct {
        UINT id;
        int popup;
        bool startsOn, dropsWhenOff;
        int offPicture;
    } toggles[] = {
        {ID_CAPTURE, kEditPopup, true, true, kFirstExtra + 1},
        {ID_LOG_TO_FILE, kFilePopup, false, false, kFirstExtra + 19},
    };
    for (const auto& toggle : toggles) {
        Command(ID_CLEAR);
        std::vector<std::string> kept;
        for (int step = 0; step < 3; ++step) {
            const bool on = toggle.startsOn == (step % 2 == 0);
            SCOPED_TRACE("command " + std::to_string(toggle.id) + ", on: " + std::to_string(on));
            EXPECT_EQ(toggle.offPicture + on, Picture(toggle.id));
            EXPECT_EQ(on, (MenuState(toggle.popup, toggle.id) & MF_CHECKED) != 0) << "check";
            EXPECT_EQ(on, (ButtonState(toggle.id) & TBSTATE_CHECKED) != 0) << "pressed";
            const std::string text = "step " + std::to_string(step);
            EXPECT_EQ(0, Send(text.c_str()));
            if (on || !toggle.dropsWhenOff)
                kept.push_back(text);
            if (step < 2)
                Command(toggle.id);
        }
        EXPECT_EQ(kept, Texts());
    }
    for (const std::string& folder : folders)
        after.merge(Listing(folder));
    EXPECT_EQ(before, after) << "files near Kestrin";
}

TEST_F(AppTest, ClearEmptiesTheListAndTheNextMessageIsRowZero) {
    Send("a");
    Send("b");
    Command(ID_CLEAR);
    EXPECT_TRUE(Rows().empty());
    Send("c");
    EXPECT_EQ(std::vector<std::string>{"c"}, Texts());
}

TEST_F(AppTest, PopupsDisableTheEditCommandsAndTheEmptyRecentListAndCheckCapture) {
    const struct {
        int popup;
        UINT id;
        UINT state;
    } items[] = {
        {kEditPopup, ID_EDIT_UNDO, MF_GRAYED},      {kEditPopup, ID_EDIT_CUT, MF_GRAYED},
        {kEditPopup, ID_EDIT_COPY, MF_GRAYED},      {kEditPopup, ID_EDIT_PASTE, MF_GRAYED},
        {kEditPopup, ID_CAPTURE, MF_CHECKED},       {kEditPopup, ID_CLEAR, 0},
        {kFilePopup, ID_FILE_MRU_FILE1, MF_GRAYED},
    };
    for (const auto& item : items)
        EXPECT_EQ(item.state, MenuState(item.popup, item.id) & (MF_GRAYED | MF_CHECKED))
            << "command " << item.id;
    char placeholder[64] = "";
    ::GetMenuStringA(OpenPopup(kFilePopup), ID_FILE_MRU_FILE1, placeholder, sizeof placeholder,
                     MF_BYCOMMAND);
    EXPECT_EQ("最近文件", std::string(placeholder));
}

TEST_F(AppTest, StatusBarShowsTheHighlightedItemsPromptThenReady) {
    const struct {
        WPARAM wParam;
        const char* shown;
    } cases[] = {
        {MAKEWPARAM(ID_FILTER, MF_HILITE), "Set logs Filters"},
        {MAKEWPARAM(ID_FILE_NEW, MF_HILITE), "建立新文档"},
        {MAKEWPARAM(0, 0xFFFF), "就绪"},
    };
    for (const auto& c : cases) {
        HMENU menu = HIWORD(c.wParam) == 0xFFFF ? nullptr : ::GetMenu(m_frame->m_hWnd);
        m_frame->SendMessage(WM_MENUSELECT, c.wParam, reinterpret_cast<LPARAM>(menu));
        EXPECT_EQ(c.shown, Status()) << "item " << LOWORD(c.wParam);
    }
}

TEST_F(AppTest, FileNewKeepsRowsCaptionAndColumnsAndResetsTheFilter) {
    Send("kept");
    SetFilter("no such text;");
    Send("filtered out");
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(std::vector<std::string>{"kept"}, Texts()) << "the filter is set";
    Command(ID_FILE_NEW);
    EXPECT_EQ(rows, Rows());
    EXPECT_EQ("Kestrin", WindowText(m_frame->m_hWnd));
    EXPECT_EQ(4, Columns());
    Send("after new");
    EXPECT_EQ((std::vector<std::string>{"kept", "after new"}), Texts());
}

TEST_F(AppTest, OpenedFilesLeadTheRecentListOfFourWhichSurvivesARestart) {
    char temp[MAX_PATH] = "";
    ::GetTempPathA(sizeof temp, temp);
    std::vector<std::string> paths;
    for (const char* name : {"a.log", "b.log", "c.log", "d.log", "e.log"}) {
        paths.push_back(temp + std::string("kestrin-recent-") + name);
        std::ofstream(paths.back()) << "kestrin-send.exe\t42\t10:00:00:00\thello\t\r\n";
    }
    Send("kept");
    const std::vector<Row> rows = Rows();
    // A step opens a file by its path, or the recent-file entry at menuEntry (1 to 4).
    const struct {
        size_t opened;
        UINT menuEntry;
        std::vector<size_t> listed;
    } steps[] = {
        {0, 0, {0}},          {1, 0, {1, 0}},       {2, 0, {2, 1, 0}},
        {3, 0, {3, 2, 1, 0}}, {4, 0, {4, 3, 2, 1}}, {1, 4, {1, 4, 3, 2}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE("opened " + paths[step.opened] + (step.menuEntry ? " from the menu" : ""));
        if (step.menuEntry)
            Command(ID_FILE_MRU_FILE1 + step.menuEntry - 1);
        else
            ASSERT_NE(nullptr, g_app->OpenDocumentFile(paths[step.opened].c_str()));
        EXPECT_EQ(rows, Rows()) << "nothing is read";
        std::vector<std::string> expected;
        for (size_t k = 0; k < step.listed.size(); ++k)
            expected.push_back("&" + std::to_string(k + 1) + " " + paths[step.listed[k]]);
        EXPECT_EQ(expected, RecentFileItems());
    }
    g_app->GetRecentFileList()->WriteList();
    CRecentFileList restarted(ID_FILE_MRU_FILE1,
                              (std::string(kRegistryPath) + "\\Recent File List").c_str(), 4);
    restarted.ReadList();
    std::vector<std::string> read;
    for (size_t k = 0; k < restarted.GetSize(); ++k)
        read.push_back(restarted[k]);
    EXPECT_EQ((std::vector<std::string>{paths[1], paths[4], paths[3], paths[2]}), read);
    for (const std::string& path : paths)
        ::DeleteFileA(path.c_str());
}

TEST_F(AppTest, DisabledAcceleratorsChangeNothing) {
    Send("kept");
    const std::vector<Row> rows = Rows();
    BYTE saved[256], state[256];
    ::GetKeyboardState(saved);
    const struct {
        UINT key, modifier, id;
    } keys[] = {
        {'Z', VK_CONTROL, ID_EDIT_UNDO}, {'X', VK_CONTROL, ID_EDIT_CUT},
        {'C', VK_CONTROL, ID_EDIT_COPY}, {'V', VK_CONTROL, ID_EDIT_PASTE},
        {VK_F6, 0, ID_NEXT_PANE},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE("command " + std::to_string(k.id) + " by key " + std::to_string(k.key));
        EXPECT_FALSE(m_frame->OnCmdMsg(k.id, CN_PROBE, nullptr)) << "a handler on the route";
        memcpy(state, saved, sizeof state);
        state[VK_CONTROL] = k.modifier == VK_CONTROL ? 0x80 : 0;
        ::SetKeyboardState(state);
        MSG msg = {m_view, WM_KEYDOWN, k.key, 0, 0, {0, 0}};
        EXPECT_TRUE(::TranslateAcceleratorA(m_frame->m_hWnd, m_frame->GetAccelerators(), &msg))
            << "the key is in the table";
        m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(k.id, 1));
        EXPECT_EQ(rows, Rows());
        EXPECT_TRUE(ButtonState(ID_CAPTURE) & TBSTATE_CHECKED);
    }
    ::SetKeyboardState(saved);
}

} // namespace
