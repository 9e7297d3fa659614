// Kestrin in this process: the tests drive its real frame and view as the message loop would,
// with messages, commands, pop-ups and idle updates.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "RemoteList.h"

namespace {

// The toolbar's own strip has 12 pictures; the extra strip's follow.
const int kFirstExtra = 12;
const int kFilePopup = 0, kEditPopup = 1, kViewPopup = 2;
const char kGbkText[] = "\xB5\xF7\xCA\xD4\xD0\xC5\xCF\xA2"; // 调试信息 in code page 936

// A folder of its own in the temporary folder, removed with the files in it.
class CTempFolder {
public:
    CTempFolder() {
        static int count = 0;
        char temp[MAX_PATH] = "";
        ::GetTempPathA(sizeof temp, temp);
        m_path = std::string(temp) + "kestrin-app-" + std::to_string(::GetCurrentProcessId()) +
                 "-" + std::to_string(++count) + "\\";
        ::CreateDirectoryA(m_path.c_str(), nullptr);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    ~CTempFolder() {
        for (const std::string& file : m_files)
            ::DeleteFileA(file.c_str());
        ::RemoveDirectoryA(m_path.c_str());
    }
    // Path of a file in the folder, written with content when it is given.
    std::string File(const char* name, const char* content = nullptr) {
        m_files.push_back(m_path + name);
        if (content) {
            CHandle file(::CreateFileA(m_files.back().c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD wrote = 0;
            EXPECT_TRUE(file &&
                        ::WriteFile(file.Get(), content, lstrlenA(content), &wrote, nullptr))
                << "expected to write " << m_files.back();
        }
        return m_files.back();
    }

private:
    std::string m_path;
    std::vector<std::string> m_files;
};

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Names, sizes and write times of the files in folder, to see whether anything was written.
std::map<std::string, std::string> Listing(const std::string& folder) {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        files[folder + found.cFileName] = std::to_string(found.nFileSizeLow) + " bytes, written " +
                                          std::to_string(found.ftLastWriteTime.dwHighDateTime) +
                                          ":" + std::to_string(found.ftLastWriteTime.dwLowDateTime);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return files;
}

class AppTest : public AppFixture {
protected:
    bool Routed(UINT id) const { return m_frame->OnCmdMsg(id, CN_PROBE, nullptr); }
    void ExpectColumns() const {
        const struct {
            const char* heading;
            int width;
        } columns[] = {{"进程名称", 150}, {"pID", 100}, {"时间", 90}, {"调试信息", 450}};
        HWND header = reinterpret_cast<HWND>(::SendMessageA(m_view, LVM_GETHEADER, 0, 0));
        EXPECT_EQ(4, ::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) << "header columns";
        for (int i = 0; i < 4; ++i) {
            char text[64] = "";
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            column.pszText = text;
            column.cchTextMax = sizeof text;
            EXPECT_TRUE(::SendMessageA(m_view, LVM_GETCOLUMNA, static_cast<WPARAM>(i),
                                       reinterpret_cast<LPARAM>(&column)));
            EXPECT_EQ(columns[i].heading, std::string(text)) << "column " << i;
            EXPECT_EQ(columns[i].width, column.cx) << "column " << i;
            EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK) << "column " << i;
        }
    }

    // The pop-up at index of the menu bar, after the frame has been told it opens.
    HMENU OpenPopup(int index) const {
        HMENU popup = ::GetSubMenu(::GetMenu(m_frame->m_hWnd), index);
        m_frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                             MAKELPARAM(index, FALSE));
        return popup;
    }
    bool MenuChecked(int popup, UINT id) const {
        return (::GetMenuState(OpenPopup(popup), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    // Texts of the recent-file entries in the File menu, top to bottom.
    std::vector<std::string> RecentFileItems() const {
        HMENU file = OpenPopup(kFilePopup);
        std::vector<std::string> items;
        for (int i = 0; i < ::GetMenuItemCount(file); ++i) {
            const UINT id = ::GetMenuItemID(file, i);
            if (id < ID_FILE_MRU_FILE1 || id > ID_FILE_MRU_FILE16)
                continue;
            char text[MAX_PATH + 8] = "";
            ::GetMenuStringA(file, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            EXPECT_EQ(ID_FILE_MRU_FILE1 + items.size(), id) << text;
            EXPECT_FALSE(::GetMenuState(file, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED)
                << text;
            items.push_back(text);
        }
        return items;
    }
};

TEST_F(AppTest, StartUpShowsTheEmptyListUnderTheCaptionKestrin) {
    EXPECT_EQ("Kestrin", g_start.caption);
    EXPECT_EQ("就绪", g_start.status);
    EXPECT_EQ(0, g_start.rows);
    const std::map<UINT, int> pictures = {{ID_CAPTURE, kFirstExtra + 2},
                                          {ID_FILTER, kFirstExtra + 5},
                                          {ID_CLEAR, kFirstExtra + 6},
                                          {ID_LOG_TO_FILE, kFirstExtra + 19}};
    for (const auto& picture : pictures)
        EXPECT_EQ(picture.second, g_start.pictures[picture.first])
            << "picture of " << picture.first;
    HIMAGELIST images =
        reinterpret_cast<HIMAGELIST>(::SendMessageA(ToolBar(), TB_GETIMAGELIST, 0, 0));
    EXPECT_EQ(kFirstExtra + 22, ImageList_GetImageCount(images)) << "own strip, then 22 extra";

    char className[64] = "";
    ::GetClassNameA(m_view, className, sizeof className);
    EXPECT_EQ("Kestrin", std::string(className));
    EXPECT_EQ("Kestrin", WindowText(m_view));
    EXPECT_EQ(LVS_REPORT, ::GetWindowLongA(m_view, GWL_STYLE) & LVS_TYPEMASK);
    EXPECT_EQ(LVS_EX_FULLROWSELECT, ::SendMessageA(m_view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    ExpectColumns();
    EXPECT_EQ(kRegistryPath, g_app->GetRegistryPath());
}

TEST_F(AppTest, IntakeMessagesBecomeRowsAndNeverTouchTheCaption) {
    const std::string program = ProgramPath();
    const std::string self = program.substr(FileNameStart(program));
    const std::string pid = std::to_string(::GetCurrentProcessId());
    std::string text127;
    for (int i = 0; i < 127; ++i)
        text127 += static_cast<char>('a' + i % 26);
    enum Way { kSendToFrame, kSendToView, kSetWindowText };
    const struct {
        const char* name;
        Way way;
        const char* text;
        const char* shown;
    } cases[] = {
        {"sent to the frame", kSendToFrame, "hello", "hello"},
        {"GBK text sent to the frame", kSendToFrame, kGbkText, kGbkText},
        {"127 characters sent to the view", kSendToView, text127.c_str(), text127.c_str()},
        {"null text sent to the frame", kSendToFrame, nullptr, ""},
        {"SetWindowText on the frame", kSetWindowText, "a caption", "a caption"},
    };
    HWND view = ::FindWindowExA(m_frame->m_hWnd, nullptr, "Kestrin", "Kestrin");
    ASSERT_EQ(m_view, view) << "the view by class and window name";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t count = Rows().size();
        SYSTEMTIME before, after;
        ::GetLocalTime(&before);
        if (c.way == kSetWindowText)
            ::SetWindowTextA(m_frame->m_hWnd, c.text);
        else
            EXPECT_EQ(0, Send(c.text, c.way == kSendToView ? view : nullptr)) << "result";
        ::GetLocalTime(&after);

        const std::vector<Row> rows = Rows();
        ASSERT_EQ(count + 1, rows.size()) << "rows";
        const Row& row = rows.back();
        const bool fromSelf = c.way != kSetWindowText;
        EXPECT_EQ(fromSelf ? self : "", row[0]) << "name";
        EXPECT_EQ(fromSelf ? pid : "0", row[1]) << "pid";
        EXPECT_TRUE(IsTimeCellWithin(row[2], before, after)) << "time: got " << row[2];
        EXPECT_EQ(c.shown, row[3]) << "text";
        EXPECT_EQ("Kestrin", WindowText(m_frame->m_hWnd)) << "caption";
        EXPECT_EQ("Kestrin", WindowText(view)) << "view's window name";
    }
}

TEST_F(AppTest, FrameWithoutViewAnswersOneAndKeepsItsCaption) {
    CMainFrame bare;
    ASSERT_TRUE(bare.LoadFrame(IDR_MAINFRAME, WS_POPUP, nullptr));
    ASSERT_EQ(nullptr, bare.GetActiveDocument());
    Send("kept");
    EXPECT_EQ(1, Send("lost", bare.m_hWnd));
    EXPECT_EQ("Kestrin", WindowText(bare.m_hWnd));
    EXPECT_EQ(std::vector<std::string>{"kept"}, Texts());
}

TEST_F(AppTest, CaptureAndLogToFileSwapPictureCheckMarkAndPressedState) {
    const struct {
        UINT id;
        int popup;
        bool startsOn;
        int offPicture, onPicture;
    } toggles[] = {
        {ID_CAPTURE, kEditPopup, true, kFirstExtra + 1, kFirstExtra + 2},
        {ID_LOG_TO_FILE, kFilePopup, false, kFirstExtra + 19, kFirstExtra + 20},
    };
    for (const auto& toggle : toggles) {
        bool on = toggle.startsOn;
        for (int step = 0; step < 3; ++step) {
            if (step > 0) {
                Command(toggle.id);
                on = !on;
            }
            SCOPED_TRACE("command " + std::to_string(toggle.id) + " after " + std::to_string(step) +
                         " toggles");
            EXPECT_EQ(on ? toggle.onPicture : toggle.offPicture, Picture(toggle.id));
            EXPECT_EQ(on, MenuChecked(toggle.popup, toggle.id)) << "check mark";
            const LRESULT state = ButtonState(toggle.id);
            EXPECT_EQ(on, (state & TBSTATE_CHECKED) != 0) << "pressed";
            EXPECT_TRUE(state & TBSTATE_ENABLED);
        }
    }
}

TEST_F(AppTest, CaptureOffDropsMessagesForGood) {
    EXPECT_EQ(0, Send("before"));
    Command(ID_CAPTURE);
    EXPECT_EQ(0, Send("while off"));
    ::SetWindowTextA(m_frame->m_hWnd, "while off, as a caption");
    EXPECT_EQ(std::vector<std::string>{"before"}, Texts());
    Command(ID_CAPTURE);
    EXPECT_EQ(0, Send("after"));
    EXPECT_EQ((std::vector<std::string>{"before", "after"}), Texts());
}

TEST_F(AppTest, LogToFileWritesNoFileAndLeavesTheRows) {
    const std::string program = ProgramPath();
    char current[MAX_PATH] = "", temp[MAX_PATH] = "";
    ::GetCurrentDirectoryA(sizeof current, current);
    ::GetTempPathA(sizeof temp, temp);
    const std::vector<std::string> folders = {program.substr(0, FileNameStart(program)),
                                              std::string(current) + "\\", temp};
    std::vector<std::map<std::string, std::string>> before;
    for (const std::string& folder : folders)
        before.push_back(Listing(folder));

    Send("one");
    Command(ID_LOG_TO_FILE);
    Send("two");
    Command(ID_LOG_TO_FILE);
    Send("three");
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), Texts());
    for (size_t i = 0; i < folders.size(); ++i) {
        const auto after = Listing(folders[i]);
        for (const auto& file : after) {
            const auto was = before[i].find(file.first);
            EXPECT_TRUE(was != before[i].end() && was->second == file.second)
                << file.first << ": expected " << (was == before[i].end() ? "no file" : was->second)
                << ", got " << file.second;
        }
    }
}

TEST_F(AppTest, ClearEmptiesTheListAndTheNextMessageIsRowZero) {
    Command(ID_CLEAR);
    EXPECT_TRUE(Rows().empty()) << "clear on an empty list";
    EXPECT_TRUE(ButtonState(ID_CAPTURE) & TBSTATE_CHECKED) << "capture stays on";
    EXPECT_FALSE(ButtonState(ID_LOG_TO_FILE) & TBSTATE_CHECKED) << "log to file stays off";
    Send("a");
    Send("b");
    Command(ID_CLEAR);
    EXPECT_TRUE(Rows().empty());
    Send("c");
    EXPECT_EQ(std::vector<std::string>{"c"}, Texts());
    ExpectColumns();
}

TEST_F(AppTest, MenuAndToolBarStatesFollowTheRoute) {
    // Filter and About are enabled once their handlers are on the route.
    const bool filter = Routed(ID_FILTER);
    const bool about = Routed(ID_APP_ABOUT);
    const struct {
        UINT id;
        const char* name;
        bool enabled, checked;
    } commands[] = {
        {ID_FILE_NEW, "New", true, false},
        {ID_FILE_OPEN, "Open", true, false},
        {ID_FILE_SAVE, "Save", true, false},
        {ID_FILE_SAVE_AS, "Save As", true, false},
        {ID_LOG_TO_FILE, "Log to file", true, false},
        {ID_FILE_PRINT, "Print", false, false},
        {ID_FILE_PRINT_PREVIEW, "Print Preview", false, false},
        {ID_FILE_PRINT_SETUP, "Print Setup", false, false},
        {ID_FILE_MRU_FILE1, "recent-file placeholder", false, false},
        {ID_APP_EXIT, "Exit", true, false},
        {ID_EDIT_UNDO, "Undo", false, false},
        {ID_EDIT_CUT, "Cut", false, false},
        {ID_EDIT_COPY, "Copy", false, false},
        {ID_EDIT_PASTE, "Paste", false, false},
        {ID_FILTER, "Filter", filter, false},
        {ID_CLEAR, "Clear", true, false},
        {ID_CAPTURE, "Capture", true, true},
        {ID_VIEW_TOOLBAR, "Toolbar", true, true},
        {ID_VIEW_STATUS_BAR, "Status bar", true, true},
        {ID_APP_ABOUT, "About", about, false},
    };
    std::set<UINT> seen;
    const auto expect = [&](UINT id, bool enabled, bool checked, const char* where) {
        for (const auto& command : commands) {
            if (command.id != id)
                continue;
            EXPECT_EQ(command.enabled, enabled) << command.name << " enabled, in the " << where;
            EXPECT_EQ(command.checked, checked) << command.name << " checked, in the " << where;
            seen.insert(id);
            return;
        }
        ADD_FAILURE() << "expected no command " << id << " in the " << where;
    };

    HMENU menu = ::GetMenu(m_frame->m_hWnd);
    ASSERT_EQ(4, ::GetMenuItemCount(menu));
    for (int index = 0; index < 4; ++index) {
        HMENU popup = OpenPopup(index);
        for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
            const UINT id = ::GetMenuItemID(popup, i);
            const UINT state = ::GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION);
            if (!(state & MF_SEPARATOR))
                expect(id, !(state & (MF_GRAYED | MF_DISABLED)), (state & MF_CHECKED) != 0, "menu");
        }
    }
    char placeholder[64] = "";
    ::GetMenuStringA(::GetSubMenu(menu, kFilePopup), ID_FILE_MRU_FILE1, placeholder,
                     sizeof placeholder, MF_BYCOMMAND);
    EXPECT_EQ("最近文件", std::string(placeholder));
    const size_t inMenu = seen.size();
    EXPECT_EQ(ARRAYSIZE(commands), inMenu) << "every command is in the menu";

    g_app->OnIdle(0);
    const int buttons = static_cast<int>(::SendMessageA(ToolBar(), TB_BUTTONCOUNT, 0, 0));
    int shown = 0;
    for (int i = 0; i < buttons; ++i) {
        TBBUTTON button = {};
        ::SendMessageA(ToolBar(), TB_GETBUTTON, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(&button));
        if (button.fsStyle & TBSTYLE_SEP)
            continue;
        ++shown;
        expect(static_cast<UINT>(button.idCommand), (button.fsState & TBSTATE_ENABLED) != 0,
               (button.fsState & TBSTATE_CHECKED) != 0, "toolbar");
    }
    EXPECT_EQ(12, shown) << "toolbar buttons";
}

TEST_F(AppTest, ViewToolBarHidesAndShowsTheBarWithTheCurrentPictures) {
    Command(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(::IsWindowVisible(ToolBar()));
    EXPECT_FALSE(MenuChecked(kViewPopup, ID_VIEW_TOOLBAR));
    Command(ID_CAPTURE);
    Command(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(::IsWindowVisible(ToolBar()));
    EXPECT_TRUE(MenuChecked(kViewPopup, ID_VIEW_TOOLBAR));
    EXPECT_EQ(kFirstExtra + 1, Picture(ID_CAPTURE)) << "swapped while hidden";
    EXPECT_FALSE(ButtonState(ID_CAPTURE) & TBSTATE_CHECKED);
}

TEST_F(AppTest, StatusBarShowsTheHighlightedItemsPromptThenReady) {
    HMENU menu = ::GetMenu(m_frame->m_hWnd);
    HMENU system = ::GetSystemMenu(m_frame->m_hWnd, FALSE);
    const struct {
        WPARAM wParam;
        HMENU menu;
        const char* shown;
    } cases[] = {
        {MAKEWPARAM(ID_CAPTURE, MF_HILITE), menu, "Capture"},
        {MAKEWPARAM(ID_FILTER, MF_HILITE), menu, "Set logs Filters"},
        {MAKEWPARAM(ID_LOG_TO_FILE, MF_HILITE), menu, "Log to file"},
        {MAKEWPARAM(ID_FILE_NEW, MF_HILITE), menu, "建立新文档"},
        {MAKEWPARAM(ID_FILE_MRU_FILE1, MF_HILITE), menu, "打开该文档"},
        {MAKEWPARAM(kEditPopup, MF_HILITE | MF_POPUP), menu, ""},
        {MAKEWPARAM(SC_CLOSE, MF_HILITE | MF_SYSMENU), system, "关闭活动的窗口并提示保存所有文档"},
        {MAKEWPARAM(0, 0xFFFF), nullptr, "就绪"},
    };
    for (const auto& c : cases) {
        MenuSelect(c.wParam, c.menu);
        EXPECT_EQ(c.shown, Status())
            << "item " << LOWORD(c.wParam) << ", flags " << HIWORD(c.wParam);
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
    ExpectColumns();
    EXPECT_EQ(0, Send("after new"));
    EXPECT_EQ((std::vector<std::string>{"kept", "after new"}), Texts());
}

TEST_F(AppTest, OpenedFilesLeadTheRecentListOfFourWhichSurvivesARestart) {
    CTempFolder folder;
    std::vector<std::string> paths;
    for (const char* name : {"a.log", "b.log", "c.log", "d.log", "e.log"})
        paths.push_back(folder.File(name, "kestrin-send.exe\t42\t10:00:00:00\thello\t\r\n"));
    Send("kept");
    const std::vector<Row> rows = Rows();
    // A step opens a file by its path, or the recent-file entry at menuEntry (1 to 4).
    const struct {
        size_t opened;
        UINT menuEntry;
        std::vector<size_t> listed;
    } steps[] = {
        {0, 0, {0}},          {1, 0, {1, 0}},       {2, 0, {2, 1, 0}},    {3, 0, {3, 2, 1, 0}},
        {4, 0, {4, 3, 2, 1}}, {2, 0, {2, 4, 3, 1}}, {1, 4, {1, 2, 4, 3}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE("opened " + paths[step.opened] +
                     (step.menuEntry ? " from the menu" : " by its path"));
        if (step.menuEntry)
            Command(ID_FILE_MRU_FILE1 + step.menuEntry - 1);
        else
            ASSERT_NE(nullptr, g_app->OpenDocumentFile(paths[step.opened].c_str()));
        EXPECT_EQ(paths[step.opened], m_frame->GetActiveDocument()->GetPathName());
        EXPECT_EQ(rows, Rows()) << "nothing is read";
        EXPECT_EQ("Kestrin", WindowText(m_frame->m_hWnd));
        std::vector<std::string> expected;
        for (size_t k = 0; k < step.listed.size(); ++k)
            expected.push_back("&" + std::to_string(k + 1) + " " + paths[step.listed[k]]);
        EXPECT_EQ(expected, RecentFileItems());
    }

    g_app->GetRecentFileList()->WriteList();
    CRecentFileList restarted(ID_FILE_MRU_FILE1,
                              (std::string(kRegistryPath) + "\\Recent File List").c_str(), 4);
    restarted.ReadList();
    ASSERT_EQ(4u, restarted.GetSize());
    const size_t newest[] = {1, 2, 4, 3};
    for (size_t k = 0; k < 4; ++k)
        EXPECT_EQ(paths[newest[k]], restarted[k]) << "entry " << k << " after a restart";
}

TEST_F(AppTest, SaveAsWritesAnEmptyFileAndNoRows) {
    CTempFolder folder;
    Send("not saved");
    const std::vector<Row> rows = Rows();
    CDocument* document = m_frame->GetActiveDocument();
    ASSERT_NE(nullptr, document);
    for (const std::string& path :
         {folder.File("new.txt"), folder.File("old.txt", "earlier content\r\n")}) {
        EXPECT_TRUE(document->OnSaveDocument(path.c_str())) << path;
        EXPECT_EQ(0, FileSize(path)) << path;
    }
    EXPECT_EQ(rows, Rows());
    EXPECT_EQ("Kestrin", WindowText(m_frame->m_hWnd));
}

TEST_F(AppTest, EditAndPaneKeysFindNoHandlerAndChangeNothing) {
    Send("kept");
    const std::vector<Row> rows = Rows();
    BYTE saved[256];
    ::GetKeyboardState(saved);
    const struct {
        UINT key;
        bool control, shift, alt;
        UINT id;
    } keys[] = {
        {'Z', true, false, false, ID_EDIT_UNDO},
        {'X', true, false, false, ID_EDIT_CUT},
        {'C', true, false, false, ID_EDIT_COPY},
        {'V', true, false, false, ID_EDIT_PASTE},
        {VK_BACK, false, false, true, ID_EDIT_UNDO},
        {VK_DELETE, false, true, false, ID_EDIT_CUT},
        {VK_INSERT, true, false, false, ID_EDIT_COPY},
        {VK_INSERT, false, true, false, ID_EDIT_PASTE},
        {VK_F6, false, false, false, ID_NEXT_PANE},
        {VK_F6, false, true, false, ID_PREV_PANE},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE("command " + std::to_string(k.id) + " by key " + std::to_string(k.key));
        EXPECT_FALSE(Routed(k.id)) << "a handler on the route";
        BYTE state[256];
        ::GetKeyboardState(state);
        state[VK_CONTROL] = k.control ? 0x80 : 0;
        state[VK_SHIFT] = k.shift ? 0x80 : 0;
        state[VK_MENU] = k.alt ? 0x80 : 0;
        ::SetKeyboardState(state);
        MSG msg = {};
        msg.hwnd = m_view;
        msg.message = k.alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        msg.wParam = k.key;
        msg.lParam = k.alt ? 1 << 29 : 0; // the context bit: Alt is down
        EXPECT_TRUE(::TranslateAcceleratorA(m_frame->m_hWnd, m_frame->GetAccelerators(), &msg))
            << "the key is in the table";
        Command(k.id, 1);
        EXPECT_EQ(rows, Rows());
        EXPECT_TRUE(ButtonState(ID_CAPTURE) & TBSTATE_CHECKED);
        EXPECT_EQ("Kestrin", WindowText(m_frame->m_hWnd));
    }
    ::SetKeyboardState(saved);
}

} // namespace
