// Kestrin in this process: the tests drive its real frame and view as the message loop would,
// with messages, commands, pop-ups, keys and idle updates, and read what the user would see.
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "AppFixture.h"

namespace {

const int kFirstExtra = 12; // the toolbar's own strip has 12 pictures; the extra strip's follow
const int kFilePopup = 0, kEditPopup = 1;

LRESULT ToolBarSend(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageA(ToolBar(), message, wParam, lParam);
}
TBBUTTON Button(LRESULT index) {
    TBBUTTON button = {};
    ToolBarSend(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
    return button;
}
int Picture(UINT id) {
    return Button(ToolBarSend(TB_COMMANDTOINDEX, id)).iBitmap;
}

// Pixels per colour (0xRRGGBB) of a toolbar picture drawn on white; none drawn leaves only white.
std::map<DWORD, int> Colours(int picture) {
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), 16, -15, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old =
        ::SelectObject(dc, ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ::PatBlt(dc, 0, 0, 16, 15, WHITENESS);
    ImageList_Draw(reinterpret_cast<HIMAGELIST>(ToolBarSend(TB_GETIMAGELIST)), picture, dc, 0, 0,
                   ILD_NORMAL);
    ::GdiFlush();
    std::map<DWORD, int> colours;
    for (int i = 0; bits && i < 16 * 15; ++i)
        ++colours[static_cast<const DWORD*>(bits)[i] & 0xFFFFFF];
    ::DeleteObject(::SelectObject(dc, old));
    ::DeleteDC(dc);
    return colours;
}

class AppTest : public AppFixture {
protected:
    // The pop-up at index of the menu bar, after the frame has been told it opens.
    HMENU OpenPopup(int index) const {
        HMENU popup = ::GetSubMenu(::GetMenu(m_frame->m_hWnd), index);
        m_frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), index);
        return popup;
    }
    std::string MenuText(int popup, UINT id) const {
        char text[MAX_PATH + 8] = "";
        ::GetMenuStringA(OpenPopup(popup), id, text, sizeof text, MF_BYCOMMAND);
        return text;
    }
};

// The first test, so it sees the state start-up left.
TEST_F(AppTest, StartUpShowsTheCaptionTheColumnsAndTheButtonsWithTheirPictures) {
    EXPECT_EQ(std::make_tuple("Kestrin", "就绪", size_t{0}),
              std::make_tuple(WindowText(m_frame->m_hWnd), PaneText(), Rows().size()))
        << "caption, status, rows";
    std::vector<std::pair<std::string, int>> columns;
    char heading[64];
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = heading;
    column.cchTextMax = sizeof heading;
    for (WPARAM i = 0; ::SendMessageA(m_view, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
         ++i)
        columns.emplace_back(heading, column.cx);
    EXPECT_EQ((decltype(columns){{"进程名称", 150}, {"pID", 100}, {"时间", 90}, {"调试信息", 450}}),
              columns);
    // Each button's command (0: a separator) and picture; four show the extra strip's.
    const std::vector<UINT> ids = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE,  0, ID_LOG_TO_FILE, 0,
                                   ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_FILE_PRINT,  0,
                                   ID_CAPTURE,  ID_CLEAR,     ID_FILTER,     0, ID_APP_ABOUT};
    const int extra = kFirstExtra;
    const std::vector<int> pictures = {0, 1, 2, 0,         extra + 19, 0,         4, 5, 6,
                                       0, 7, 0, extra + 2, extra + 6,  extra + 5, 0, 11};
    std::pair<std::vector<UINT>, std::vector<int>> got;
    for (LRESULT i = 0; i < ToolBarSend(TB_BUTTONCOUNT); ++i) {
        const TBBUTTON b = Button(i);
        got.first.push_back(b.fsStyle & TBSTYLE_SEP ? 0 : b.idCommand);
        got.second.push_back(b.iBitmap);
        EXPECT_TRUE(b.fsStyle & TBSTYLE_SEP || Colours(b.iBitmap).size() > 1) << "button " << i;
    }
    EXPECT_EQ(std::make_pair(ids, pictures), got) << "each button's command and picture";
    EXPECT_EQ(extra + 22,
              ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(ToolBarSend(TB_GETIMAGELIST))));
}

TEST_F(AppTest, MessagesToFrameOrViewAndCaptionsSetBecomeRowsAndTheCaptionStays) {
    const std::string self = ProgramPath().substr(FileNameStart(ProgramPath()));
    const std::string pid = std::to_string(::GetCurrentProcessId());
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    const std::pair<HWND, const char*> sent[] = {
        {m_frame->m_hWnd, "to the frame"}, {m_frame->m_hWnd, nullptr}, {m_view, "to the view"}};
    for (const auto& [target, text] : sent)
        EXPECT_EQ(0, Send(text, target)) << (text ? text : "null");
    ::SetWindowTextA(m_frame->m_hWnd, "a caption");
    ::GetLocalTime(&after);
    std::vector<Row> rows = Rows();
    for (Row& row : rows) {
        EXPECT_TRUE(IsTimeCellWithin(row[2], before, after)) << "got " << row[2];
        row[2] = "time";
    }
    EXPECT_EQ((std::vector<Row>{{self, pid, "time", "to the frame"},
                                {self, pid, "time", ""},
                                {self, pid, "time", "to the view"},
                                {"", "0", "time", "a caption"}}),
              rows);
    EXPECT_EQ("Kestrin", WindowText(m_frame->m_hWnd));
    CMainFrame bare;
    ASSERT_TRUE(bare.LoadFrame(IDR_MAINFRAME, WS_POPUP, nullptr));
    EXPECT_EQ(std::make_tuple(LRESULT{1}, std::string("Kestrin"), size_t{4}),
              std::make_tuple(Send("lost", bare.m_hWnd), WindowText(bare.m_hWnd), Rows().size()))
        << "a frame without a view: result, caption, rows";
}

// Capture off drops messages; Log to file only toggles. Off shows a red cross (many bright red
// pixels; a pen's red cap has few), Log to file on a green arrow.
TEST_F(AppTest, CaptureAndLogToFileToggleTheirPictureCheckMarkAndPressedState) {
    const struct {
        UINT id;
        int popup;
        bool startsOn, dropsWhenOff;
        int offPicture;
        std::pair<bool, bool> onLooks;
    } toggles[] = {{ID_CAPTURE, kEditPopup, true, true, kFirstExtra + 1, {false, false}},
                   {ID_LOG_TO_FILE, kFilePopup, false, false, kFirstExtra + 19, {false, true}}};
    for (const auto& toggle : toggles) {
        Command(ID_CLEAR);
        Strings kept;
        for (int step = 0; step < 3; ++step) {
            const bool on = toggle.startsOn == (step % 2 == 0);
            std::map<DWORD, int> colours = Colours(Picture(toggle.id));
            EXPECT_EQ(std::make_tuple(toggle.offPicture + on,
                                      on ? toggle.onLooks : std::make_pair(true, false), on, on),
                      std::make_tuple(
                          Picture(toggle.id),
                          std::make_pair(colours[0xFF0000] >= 20, colours[0x00FF00] >= 8),
                          (::GetMenuState(OpenPopup(toggle.popup), toggle.id, 0) & MF_CHECKED) != 0,
                          (ButtonState(toggle.id) & TBSTATE_CHECKED) != 0))
                << "command " << toggle.id << ", step " << step
                << ": picture, (red cross, green arrow), check mark, pressed";
            const std::string text = "step " + std::to_string(step);
            EXPECT_EQ(0, Send(text.c_str()));
            if (on || !toggle.dropsWhenOff)
                kept.push_back(text);
            if (step < 2)
                Command(toggle.id);
        }
        EXPECT_EQ(kept, Texts());
    }
}

// A command with no handler on the route is grayed in its menu and disabled on the toolbar.
TEST_F(AppTest, MenusHoldTheirItemsInOrderAndBothBarsShowTheRoutesStates) {
    const std::vector<UINT> expected[] = {{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS,
                                           0, ID_LOG_TO_FILE, 0, ID_FILE_PRINT,
                                           ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, 0,
                                           ID_FILE_MRU_FILE1, 0, ID_APP_EXIT},
                                          {ID_EDIT_UNDO, 0, ID_EDIT_CUT, ID_EDIT_COPY,
                                           ID_EDIT_PASTE, 0, ID_FILTER, ID_CLEAR, ID_CAPTURE},
                                          {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR},
                                          {ID_APP_ABOUT}};
    ASSERT_EQ(4, ::GetMenuItemCount(::GetMenu(m_frame->m_hWnd)));
    std::vector<std::set<UINT>> states(4);
    for (int i = 0; i < 4; ++i) {
        HMENU popup = OpenPopup(i);
        std::vector<UINT> items;
        for (int j = 0; j < ::GetMenuItemCount(popup); ++j) {
            const UINT id = ::GetMenuItemID(popup, j), menu = ::GetMenuState(popup, id, 0);
            const LRESULT button = id ? ButtonState(id) : -1; // -1: no such button
            items.push_back(id);
            const bool in[] = {id && menu & MF_GRAYED, id && menu & MF_CHECKED,
                               button != -1 && !(button & TBSTATE_ENABLED),
                               button != -1 && button & TBSTATE_CHECKED};
            for (size_t k = 0; k < 4; ++k)
                if (in[k])
                    states[k].insert(id);
        }
        EXPECT_EQ(expected[i], items) << "pop-up " << i;
    }
    EXPECT_EQ((std::vector<std::set<UINT>>{
                  {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, ID_FILE_MRU_FILE1,
                   ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE},
                  {ID_CAPTURE, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR},
                  {ID_FILE_PRINT, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE},
                  {ID_CAPTURE}}),
              states)
        << "grayed and checked in the menus, disabled and pressed on the toolbar";
    EXPECT_EQ(std::make_pair(std::string("关于 Kestrin(&A)..."), std::string("最近文件")),
              std::make_pair(MenuText(3, ID_APP_ABOUT), MenuText(kFilePopup, ID_FILE_MRU_FILE1)));
}

// A string's first field is the prompt the status bar shows while the menu item is highlighted
// or the pointer rests on the button; the second is the button's tip, or there is none.
TEST_F(AppTest, PromptsTipsAndLockKeyPanesShowInTheBars) {
    const struct {
        UINT id;
        const char* prompt;
        const wchar_t* tip;
    } commands[] = {{ID_FILE_NEW, "建立新文档", L"新建"}, {ID_FILTER, "Set logs Filters", L""}};
    for (const auto& c : commands) {
        Strings shown;
        m_frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(c.id, MF_HILITE),
                             reinterpret_cast<LPARAM>(::GetMenu(m_frame->m_hWnd)));
        shown.push_back(PaneText());
        m_frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        shown.push_back(PaneText());
        ToolBarSend(TB_SETHOTITEM, static_cast<WPARAM>(ToolBarSend(TB_COMMANDTOINDEX, c.id)));
        shown.push_back(PaneText());
        ToolBarSend(TB_SETHOTITEM, static_cast<WPARAM>(-1));
        shown.push_back(PaneText());
        EXPECT_EQ((Strings{c.prompt, "就绪", c.prompt, "就绪"}), shown)
            << "item highlighted, menu closed, button hot, none hot; command " << c.id;
        wchar_t tip[256] = {};
        TTTOOLINFOW tool = {sizeof tool, 0, ToolBar(), c.id, {}, nullptr, tip, 0, nullptr};
        ::SendMessageW(reinterpret_cast<HWND>(ToolBarSend(TB_GETTOOLTIPS)), TTM_GETTEXTW,
                       ARRAYSIZE(tip), reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::wstring(c.tip), tip) << "tip of " << c.id;
    }
    BYTE saved[256], keys[256];
    ::GetKeyboardState(saved);
    for (int bits : {7, 5, 2, 0}) { // a bit per key, Caps Lock first: each turns on and off
        memcpy(keys, saved, sizeof keys);
        keys[VK_CAPITAL] = bits & 1;
        keys[VK_NUMLOCK] = bits >> 1 & 1;
        keys[VK_SCROLL] = bits >> 2 & 1;
        ::SetKeyboardState(keys);
        g_app->OnIdle(0);
        EXPECT_EQ((Strings{bits & 1 ? "大写" : "", bits & 2 ? "数字" : "", bits & 4 ? "滚动" : ""}),
                  (Strings{PaneText(1), PaneText(2), PaneText(3)}))
            << "keys " << bits;
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

// Files are opened by path or from the menu's recent-file entries, and none is read.
TEST_F(AppTest, OpenedFilesLeadTheRecentListOfFourWhichSurvivesARestart) {
    Send("kept");
    const std::vector<Row> rows = Rows();
    Strings paths;
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        paths.push_back(SiblingPath("kestrin-recent-") + name + ".log");
        std::ofstream(paths.back()) << "kestrin-send.exe\t42\t10:00:00:00\thello\t\r\n";
        ASSERT_NE(nullptr, g_app->OpenDocumentFile(paths.back().c_str()));
    }
    const auto listed = [this] {
        Strings items;
        for (UINT id = ID_FILE_MRU_FILE1; id < ID_FILE_MRU_FILE1 + 4; ++id)
            if (!(::GetMenuState(OpenPopup(kFilePopup), id, 0) & MF_GRAYED))
                items.push_back(MenuText(kFilePopup, id));
        return items;
    };
    const auto entries = [&paths](std::vector<int> order) {
        Strings items;
        for (size_t k = 0; k < order.size(); ++k)
            items.push_back("&" + std::to_string(k + 1) + " " + paths[order[k]]);
        return items;
    };
    EXPECT_EQ(entries({4, 3, 2, 1}), listed());
    Command(ID_FILE_MRU_FILE1 + 3);
    EXPECT_EQ(entries({1, 4, 3, 2}), listed()) << "after opening the fourth entry";
    EXPECT_EQ(rows, Rows()) << "nothing is read";
    g_app->GetRecentFileList()->WriteList();
    CRecentFileList restarted(ID_FILE_MRU_FILE1,
                              (std::string(kRegistryPath) + "\\Recent File List").c_str(), 4);
    restarted.ReadList();
    Strings read;
    for (size_t k = 0; k < restarted.GetSize(); ++k) {
        read.push_back(restarted[k]);
        ::DeleteFileA(paths[k].c_str());
    }
    ::DeleteFileA(paths[4].c_str());
    EXPECT_EQ((Strings{paths[1], paths[4], paths[3], paths[2]}), read);
}

} // namespace
