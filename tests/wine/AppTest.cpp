// Kestrin in this process: the tests drive its real frame and view as the message loop would,
// with messages, commands, pop-ups, keys and idle updates, and read what the user would see.
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <tuple>

#include "AppFixture.h"

namespace {

// The toolbar's own strip has 12 pictures; the extra strip's follow.
const int kFirstExtra = 12;
const int kFilePopup = 0, kEditPopup = 1;
const COLORREF kRed = 0xFF0000, kGreen = 0x00FF00; // as a 32-bit pixel holds them

int Picture(UINT id) {
    TBBUTTON button = {};
    ::SendMessageA(ToolBar(), TB_GETBUTTON, ::SendMessageA(ToolBar(), TB_COMMANDTOINDEX, id, 0),
                   reinterpret_cast<LPARAM>(&button));
    return button.iBitmap;
}

// Pixels per colour of a toolbar picture drawn on white; a missing one leaves only white.
std::map<COLORREF, int> Colours(int picture) {
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), 16, -15, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::PatBlt(dc, 0, 0, 16, 15, WHITENESS);
    ImageList_Draw(reinterpret_cast<HIMAGELIST>(::SendMessageA(ToolBar(), TB_GETIMAGELIST, 0, 0)),
                   picture, dc, 0, 0, ILD_NORMAL);
    ::GdiFlush();
    std::map<COLORREF, int> colours;
    for (int i = 0; bits && i < 16 * 15; ++i)
        ++colours[static_cast<const DWORD*>(bits)[i] & 0xFFFFFF];
    ::DeleteObject(::SelectObject(dc, old));
    ::DeleteDC(dc);
    return colours;
}

// A red cross takes many bright red pixels; a pen's red cap does not.
std::pair<bool, bool> CrossAndArrow(int picture) {
    std::map<COLORREF, int> colours = Colours(picture);
    return {colours[kRed] >= 20, colours[kGreen] >= 8};
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
    std::string MenuText(int popup, UINT id) const {
        char text[MAX_PATH + 8] = "";
        ::GetMenuStringA(OpenPopup(popup), id, text, sizeof text, MF_BYCOMMAND);
        return text;
    }
    Strings RecentFileItems() const {
        Strings items;
        for (UINT id = ID_FILE_MRU_FILE1;
             !MenuText(kFilePopup, id).empty() &&
             !(::GetMenuState(OpenPopup(kFilePopup), id, 0) & MF_GRAYED);
             ++id)
            items.push_back(MenuText(kFilePopup, id));
        return items;
    }
};

// The first test, so it sees the state start-up left.
TEST_F(AppTest, StartUpShowsTheEmptyListItsColumnsAndTheToolbarWithItsPictures) {
    EXPECT_EQ(std::make_tuple("Kestrin", "就绪", size_t{0}),
              std::make_tuple(WindowText(m_frame->m_hWnd), PaneText(), Rows().size()))
        << "caption, status, rows";
    std::vector<std::pair<std::string, int>> columns;
    for (int i = 0; i < 8; ++i) {
        char heading[64] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = heading;
        column.cchTextMax = sizeof heading;
        if (::SendMessageA(m_view, LVM_GETCOLUMNA, static_cast<WPARAM>(i),
                           reinterpret_cast<LPARAM>(&column)))
            columns.emplace_back(heading, column.cx);
    }
    EXPECT_EQ((std::vector<std::pair<std::string, int>>{
                  {"进程名称", 150}, {"pID", 100}, {"时间", 90}, {"调试信息", 450}}),
              columns);
    // Buttons as command and picture, 0 for a separator; four show pictures of the extra strip.
    const UINT buttons[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE,  0, ID_LOG_TO_FILE, 0,
                            ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_FILE_PRINT,  0,
                            ID_CAPTURE,  ID_CLEAR,     ID_FILTER,     0, ID_APP_ABOUT};
    const std::map<UINT, int> extra = {
        {ID_CAPTURE, 2}, {ID_FILTER, 5}, {ID_CLEAR, 6}, {ID_LOG_TO_FILE, 19}};
    std::vector<std::pair<UINT, int>> expected, got;
    int picture = 0;
    for (UINT id : buttons) {
        expected.emplace_back(id, !id ? 0 : extra.count(id) ? kFirstExtra + extra.at(id) : picture);
        picture += id != 0;
    }
    for (int i = 0; i < static_cast<int>(::SendMessageA(ToolBar(), TB_BUTTONCOUNT, 0, 0)); ++i) {
        TBBUTTON b = {};
        ::SendMessageA(ToolBar(), TB_GETBUTTON, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(&b));
        got.emplace_back(b.fsStyle & TBSTYLE_SEP ? 0 : b.idCommand, b.iBitmap);
        EXPECT_TRUE(b.fsStyle & TBSTYLE_SEP || Colours(b.iBitmap).size() > 1)
            << "button " << i << " shows a picture";
    }
    EXPECT_EQ(expected, got) << "command and picture of each button";
    int cx = 0, cy = 0;
    auto images = reinterpret_cast<HIMAGELIST>(::SendMessageA(ToolBar(), TB_GETIMAGELIST, 0, 0));
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(std::make_tuple(kFirstExtra + 22, 16, 15),
              std::make_tuple(ImageList_GetImageCount(images), cx, cy))
        << "pictures, width, height";
}

TEST_F(AppTest, IntakeMessagesBecomeRowsAndNeverTouchTheCaption) {
    const std::string self = ProgramPath().substr(FileNameStart(ProgramPath()));
    const std::string pid = std::to_string(::GetCurrentProcessId());
    const char gbk[] = "\xB5\xF7\xCA\xD4\xD0\xC5\xCF\xA2"; // 调试信息 in code page 936
    enum Way { kToFrame, kToView, kSetWindowText };
    const struct {
        Way way;
        const char *text, *shown;
    } cases[] = {{kToFrame, "hello", "hello"},
                 {kToFrame, gbk, gbk},
                 {kToFrame, nullptr, ""},
                 {kToView, "to the view", "to the view"},
                 {kSetWindowText, "a cap", "a cap"}};
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
    CMainFrame bare;
    ASSERT_TRUE(bare.LoadFrame(IDR_MAINFRAME, WS_POPUP, nullptr));
    EXPECT_EQ(std::make_tuple(LRESULT{1}, std::string("Kestrin"), std::size(cases)),
              std::make_tuple(Send("lost", bare.m_hWnd), WindowText(bare.m_hWnd), Rows().size()))
        << "a frame without a view: result, caption, rows";
}

// Capture off drops messages; Log to file only toggles and writes no file anywhere near.
TEST_F(AppTest, CaptureAndLogToFileToggleTheirPictureCheckMarkAndPressedState) {
    char current[MAX_PATH] = "", temp[MAX_PATH] = "";
    ::GetCurrentDirectoryA(sizeof current, current);
    ::GetTempPathA(sizeof temp, temp);
    const auto listing = [&] { // names, sizes and write times of the files near Kestrin
        Strings files;
        for (const std::string& folder :
             {SiblingPath(""), std::string(current) + "\\", std::string(temp)}) {
            WIN32_FIND_DATAA found;
            HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &found);
            for (bool more = find != INVALID_HANDLE_VALUE; more;
                 more = ::FindNextFileA(find, &found))
                files.push_back(folder + found.cFileName + " " +
                                std::to_string(found.nFileSizeLow) + " " +
                                std::to_string(found.ftLastWriteTime.dwLowDateTime));
            ::FindClose(find);
        }
        return files;
    };
    const Strings before = listing();
    // The pictures: off and on, each as (red cross, green arrow).
    const struct {
        UINT id;
        int popup;
        bool startsOn, dropsWhenOff;
        int offPicture;
        std::pair<bool, bool> looks[2];
    } toggles[] = {
        {ID_CAPTURE, kEditPopup, true, true, kFirstExtra + 1, {{true, false}, {false, false}}},
        {ID_LOG_TO_FILE,
         kFilePopup,
         false,
         false,
         kFirstExtra + 19,
         {{true, false}, {false, true}}},
    };
    for (const auto& toggle : toggles) {
        Command(ID_CLEAR);
        Strings kept;
        for (int step = 0; step < 3; ++step) {
            const bool on = toggle.startsOn == (step % 2 == 0);
            SCOPED_TRACE("command " + std::to_string(toggle.id) + ", on: " + std::to_string(on));
            EXPECT_EQ(toggle.offPicture + on, Picture(toggle.id));
            EXPECT_EQ(toggle.looks[on], CrossAndArrow(Picture(toggle.id))) << "cross, arrow";
            EXPECT_EQ(on,
                      (::GetMenuState(OpenPopup(toggle.popup), toggle.id, 0) & MF_CHECKED) != 0);
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
    EXPECT_EQ(before, listing()) << "files near Kestrin";
}

// A command with no handler on the route is grayed in its menu and disabled on the toolbar.
TEST_F(AppTest, MenusHoldTheirItemsInOrderAndMenusAndToolbarShowTheRoutesStates) {
    const std::vector<UINT> expected[] = {{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS,
                                           0, ID_LOG_TO_FILE, 0, ID_FILE_PRINT,
                                           ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, 0,
                                           ID_FILE_MRU_FILE1, 0, ID_APP_EXIT},
                                          {ID_EDIT_UNDO, 0, ID_EDIT_CUT, ID_EDIT_COPY,
                                           ID_EDIT_PASTE, 0, ID_FILTER, ID_CLEAR, ID_CAPTURE},
                                          {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR},
                                          {ID_APP_ABOUT}};
    const std::set<UINT> grayed = {ID_FILE_PRINT,     ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP,
                                   ID_FILE_MRU_FILE1, ID_EDIT_UNDO,          ID_EDIT_CUT,
                                   ID_EDIT_COPY,      ID_EDIT_PASTE};
    const std::set<UINT> checked = {ID_CAPTURE, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR};
    ASSERT_EQ(4, ::GetMenuItemCount(::GetMenu(m_frame->m_hWnd)));
    std::set<UINT> menuGrayed, menuChecked, buttonGrayed, buttonChecked;
    for (int i = 0; i < 4; ++i) {
        HMENU popup = OpenPopup(i);
        std::vector<UINT> items;
        for (int j = 0; j < ::GetMenuItemCount(popup); ++j) {
            const UINT id = ::GetMenuItemID(popup, j), state = ::GetMenuState(popup, id, 0);
            items.push_back(id);
            if (id && state & MF_GRAYED)
                menuGrayed.insert(id);
            if (id && state & MF_CHECKED)
                menuChecked.insert(id);
            const LRESULT button = ButtonState(id);
            if (id && button != -1 && !(button & TBSTATE_ENABLED))
                buttonGrayed.insert(id);
            if (id && button != -1 && button & TBSTATE_CHECKED)
                buttonChecked.insert(id);
        }
        EXPECT_EQ(expected[i], items) << "pop-up " << i;
    }
    EXPECT_EQ(grayed, menuGrayed);
    EXPECT_EQ(checked, menuChecked);
    EXPECT_EQ((std::set<UINT>{ID_FILE_PRINT, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE}),
              buttonGrayed);
    EXPECT_EQ(std::set<UINT>{ID_CAPTURE}, buttonChecked);
    EXPECT_EQ(std::make_pair(std::string("关于 Kestrin(&A)..."), std::string("最近文件")),
              std::make_pair(MenuText(3, ID_APP_ABOUT), MenuText(kFilePopup, ID_FILE_MRU_FILE1)));
}

// The prompt, a string's first field, shows while a menu item is highlighted or the pointer rests
// on a button; the tip is the second field, or nothing.
TEST_F(AppTest, PromptsTipsAndLockKeyPanesShowInTheBars) {
    const struct {
        UINT id;
        const char* prompt;
        const wchar_t* tip;
    } commands[] = {{ID_FILE_NEW, "建立新文档", L"新建"}, {ID_FILTER, "Set logs Filters", L""}};
    HWND tips = reinterpret_cast<HWND>(::SendMessageA(ToolBar(), TB_GETTOOLTIPS, 0, 0));
    for (const auto& c : commands) {
        m_frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(c.id, MF_HILITE),
                             reinterpret_cast<LPARAM>(::GetMenu(m_frame->m_hWnd)));
        EXPECT_EQ(c.prompt, PaneText()) << "menu item " << c.id;
        m_frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        EXPECT_EQ("就绪", PaneText()) << "menu closed";
        ::SendMessageA(ToolBar(), TB_SETHOTITEM,
                       ::SendMessageA(ToolBar(), TB_COMMANDTOINDEX, c.id, 0), 0);
        EXPECT_EQ(c.prompt, PaneText()) << "hot button " << c.id;
        ::SendMessageA(ToolBar(), TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
        EXPECT_EQ("就绪", PaneText()) << "no hot button";
        wchar_t tip[256] = {};
        TTTOOLINFOW tool = {sizeof tool, 0, ToolBar(), c.id, {}, nullptr, tip, 0, nullptr};
        ::SendMessageW(tips, TTM_GETTEXTW, ARRAYSIZE(tip), reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::wstring(c.tip), tip) << "tip of " << c.id;
    }
    BYTE saved[256], keys[256];
    ::GetKeyboardState(saved);
    const char* const texts[] = {"大写", "数字", "滚动"};
    for (int bits : {0, 1, 3, 7, 6, 4, 0, 5, 2}) { // Caps Lock first; on and off in every order
        memcpy(keys, saved, sizeof keys);
        keys[VK_CAPITAL] = bits & 1;
        keys[VK_NUMLOCK] = bits >> 1 & 1;
        keys[VK_SCROLL] = bits >> 2 & 1;
        ::SetKeyboardState(keys);
        g_app->OnIdle(0);
        for (int pane = 1; pane <= 3; ++pane)
            EXPECT_EQ(bits >> (pane - 1) & 1 ? texts[pane - 1] : "", PaneText(pane))
                << "keys " << bits << ", pane " << pane;
    }
    ::SetKeyboardState(saved);
}

TEST_F(AppTest, FileNewKeepsRowsAndCaptionAndResetsTheFilterAndClearEmptiesTheList) {
    Send("kept");
    SetFilter("no such text;");
    Send("filtered out");
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(Strings{"kept"}, Texts()) << "the filter is set";
    Command(ID_FILE_NEW);
    EXPECT_EQ(rows, Rows());
    EXPECT_EQ("Kestrin", WindowText(m_frame->m_hWnd));
    EXPECT_EQ(4, Header_GetItemCount(ListView_GetHeader(m_view))) << "columns";
    Send("after new");
    EXPECT_EQ((Strings{"kept", "after new"}), Texts());
    Command(ID_CLEAR);
    EXPECT_TRUE(Rows().empty());
    Send("c");
    EXPECT_EQ(Strings{"c"}, Texts()) << "the next message is row 0";
}

TEST_F(AppTest, OpenedFilesLeadTheRecentListOfFourWhichSurvivesARestart) {
    char temp[MAX_PATH] = "";
    ::GetTempPathA(sizeof temp, temp);
    Strings paths;
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
    } steps[] = {{0, 0, {0}},          {1, 0, {1, 0}},       {2, 0, {2, 1, 0}},
                 {3, 0, {3, 2, 1, 0}}, {4, 0, {4, 3, 2, 1}}, {1, 4, {1, 4, 3, 2}}};
    for (const auto& step : steps) {
        SCOPED_TRACE("opened " + paths[step.opened] + (step.menuEntry ? " from the menu" : ""));
        if (step.menuEntry)
            Command(ID_FILE_MRU_FILE1 + step.menuEntry - 1);
        else
            ASSERT_NE(nullptr, g_app->OpenDocumentFile(paths[step.opened].c_str()));
        EXPECT_EQ(rows, Rows()) << "nothing is read";
        Strings expected;
        for (size_t k = 0; k < step.listed.size(); ++k)
            expected.push_back("&" + std::to_string(k + 1) + " " + paths[step.listed[k]]);
        EXPECT_EQ(expected, RecentFileItems());
    }
    g_app->GetRecentFileList()->WriteList();
    CRecentFileList restarted(ID_FILE_MRU_FILE1,
                              (std::string(kRegistryPath) + "\\Recent File List").c_str(), 4);
    restarted.ReadList();
    Strings read;
    for (size_t k = 0; k < restarted.GetSize(); ++k)
        read.push_back(restarted[k]);
    EXPECT_EQ((Strings{paths[1], paths[4], paths[3], paths[2]}), read);
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
    } keys[] = {{'Z', VK_CONTROL, ID_EDIT_UNDO},
                {'X', VK_CONTROL, ID_EDIT_CUT},
                {'C', VK_CONTROL, ID_EDIT_COPY},
                {'V', VK_CONTROL, ID_EDIT_PASTE},
                {VK_F6, 0, ID_NEXT_PANE}};
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
