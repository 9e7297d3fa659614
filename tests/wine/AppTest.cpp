// Kestrin in this process: the tests drive its real frame and view as the message loop would,
// with messages, commands, pop-ups, keys and idle updates, and read what the user would see.
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "AppFixture.h"
#include "KestrinDoc.h"
#include "KestrinView.h"

namespace {

const int kExtra = 12; // the first picture of the extra strip, after the toolbar's own 12
const int kFilePopup = 0;

LRESULT ToolBarSend(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageA(ToolBar(), message, wParam, lParam);
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

TEST_F(AppTest, StartUpShowsTheColumnsAndTheButtonsWithTheirPictures) {
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
    EXPECT_EQ(LVS_EX_FULLROWSELECT, ::SendMessageA(m_view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0))
        << "whole rows select, and nothing else";
    EXPECT_EQ(LVS_REPORT, ::GetWindowLongA(m_view, GWL_STYLE) & LVS_TYPEMASK);
    // Each button's command (0: a separator) and picture; four show the extra strip's.
    const std::vector<UINT> ids = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE,  0, ID_LOG_TO_FILE, 0,
                                   ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_FILE_PRINT,  0,
                                   ID_CAPTURE,  ID_CLEAR,     ID_FILTER,     0, ID_APP_ABOUT};
    const std::vector<int> pictures = {0, 1, 2, 0,          kExtra + 19, 0,          4, 5, 6,
                                       0, 7, 0, kExtra + 2, kExtra + 6,  kExtra + 5, 0, 11};
    std::pair<std::vector<UINT>, std::vector<int>> got;
    for (LRESULT i = 0; i < ToolBarSend(TB_BUTTONCOUNT); ++i) {
        TBBUTTON b = {};
        ToolBarSend(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
        got.first.push_back(b.fsStyle & TBSTYLE_SEP ? 0 : b.idCommand);
        got.second.push_back(b.iBitmap);
    }
    EXPECT_EQ(std::make_pair(ids, pictures), got) << "each button's command and picture";
}

// A null text is an empty row, sent to the view as to the frame. Rows from other processes,
// captions and ids are the end-to-end and stress tests' part. A frame whose view cannot be
// created is told, and opens nothing.
TEST_F(AppTest, ANullTextIsAnEmptyRowAndAFrameWithoutAViewTakesNothingOrIsTold) {
    EXPECT_EQ(0, Send(nullptr, m_view));
    EXPECT_EQ(Strings{""}, Texts());
    CMainFrame bare;
    ASSERT_TRUE(bare.LoadFrame(IDR_MAINFRAME, WS_POPUP, nullptr));
    EXPECT_EQ(std::make_tuple(LRESULT{1}, std::string("Kestrin"), size_t{1}),
              std::make_tuple(Send("lost", bare.m_hWnd), WindowText(bare.m_hWnd), Rows().size()))
        << "a frame without a view: result, caption, rows";
    const CRuntimeClass noView = {"none", []() -> CCmdTarget* { return nullptr; }};
    CSingleDocTemplate broken(IDR_MAINFRAME, &CKestrinDoc::runtimeClass, &CMainFrame::runtimeClass,
                              &noView);
    const CDocument* opened = m_frame->GetActiveDocument();
    EXPECT_EQ(Strings{"Kestrin: 无法创建文档窗口。"},
              Drive([&] { opened = broken.OpenDocumentFile(nullptr); }, {Click(IDOK)}));
    EXPECT_EQ(nullptr, opened);
}

// Items grayed (negative) or checked as the route leaves them, a command with no handler grayed,
// the buttons alike: as started, then after toggling Capture, Log to file, Capture debug output,
// Capture and Capture debug output again.
// Capture off drops messages, Log to file only toggles; each shows its state's picture.
TEST_F(AppTest, MenusHoldTheirItemsInOrderAndBothBarsShowTheRoutesStates) {
    const std::vector<std::vector<int>> expected = {
        {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, 0, ID_LOG_TO_FILE, 0,
         ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, 0, -ID_FILE_MRU_FILE1, 0,
         ID_APP_EXIT},
        {-ID_EDIT_UNDO, 0, -ID_EDIT_CUT, -ID_EDIT_COPY, -ID_EDIT_PASTE, 0, ID_FILTER, ID_CLEAR,
         ID_CAPTURE, ID_CAPTURE_DEBUG_OUTPUT},
        {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR},
        {ID_APP_ABOUT}};
    const UINT toggles[] = {0,
                            ID_CAPTURE,
                            ID_LOG_TO_FILE,
                            ID_CAPTURE_DEBUG_OUTPUT,
                            ID_CAPTURE,
                            ID_CAPTURE_DEBUG_OUTPUT};
    bool capture = true, log = false, debugOutput = false;
    for (int step = 0; step < int(std::size(toggles)); ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        if (toggles[step])
            Command(toggles[step]);
        capture ^= toggles[step] == ID_CAPTURE;
        log ^= toggles[step] == ID_LOG_TO_FILE;
        debugOutput ^= toggles[step] == ID_CAPTURE_DEBUG_OUTPUT;
        std::vector<std::vector<int>> got;
        std::set<int> checked, differ;
        for (int i = 0; i < ::GetMenuItemCount(::GetMenu(m_frame->m_hWnd)); ++i) {
            HMENU popup = OpenPopup(i);
            got.emplace_back();
            for (int j = 0; j < ::GetMenuItemCount(popup); ++j) {
                const int id = static_cast<int>(::GetMenuItemID(popup, j));
                const UINT state = ::GetMenuState(popup, static_cast<UINT>(id), 0);
                const LRESULT button = ButtonState(static_cast<UINT>(id)); // -1 when there is none
                got.back().push_back(state & MF_GRAYED ? -id : id);
                if (state & MF_CHECKED)
                    checked.insert(id);
                if (id && button != -1 &&
                    (!(state & MF_GRAYED) != !!(button & TBSTATE_ENABLED) ||
                     !(state & MF_CHECKED) != !(button & TBSTATE_CHECKED)))
                    differ.insert(id);
            }
        }
        EXPECT_EQ(expected, got) << "each pop-up's items";
        std::set<int> on = {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_CAPTURE, ID_LOG_TO_FILE,
                            ID_CAPTURE_DEBUG_OUTPUT};
        on.erase(capture ? 0 : ID_CAPTURE);
        on.erase(log ? 0 : ID_LOG_TO_FILE);
        on.erase(debugOutput ? 0 : ID_CAPTURE_DEBUG_OUTPUT);
        EXPECT_EQ(on, checked);
        EXPECT_EQ(std::set<int>{}, differ) << "buttons whose state is not their item's";
        EXPECT_EQ(std::make_pair(LRESULT{kExtra + 1 + capture}, LRESULT{kExtra + 19 + log}),
                  std::make_pair(ToolBarSend(TB_GETBITMAP, ID_CAPTURE),
                                 ToolBarSend(TB_GETBITMAP, ID_LOG_TO_FILE)))
            << "pictures of Capture and Log to file";
        EXPECT_EQ(0, Send(std::to_string(step).c_str()));
    }
    EXPECT_EQ((Strings{"0", "4", "5"}), Texts()) << "rows taken with Capture on";
    EXPECT_EQ("最近文件", MenuText(kFilePopup, ID_FILE_MRU_FILE1));
}

// A string's first field is the prompt the status bar shows while the menu item is highlighted
// or the pointer rests on the button; the second is the button's tip, or there is none.
TEST_F(AppTest, PromptsAndTipsShowInTheBars) {
    const struct {
        UINT id;
        const char* prompt;
        const wchar_t* tip;
    } commands[] = {{ID_FILE_NEW, "建立新文档", L"新建"}, {ID_FILTER, "Set logs Filters", L""}};
    const auto paneAfter = [](HWND to, UINT message, WPARAM wParam, LPARAM lParam) {
        ::SendMessageA(to, message, wParam, lParam);
        return WindowText(::GetDlgItem(Frame()->m_hWnd, AFX_IDW_STATUS_BAR)); // its first pane
    };
    HWND frame = m_frame->m_hWnd;
    for (const auto& c : commands) {
        EXPECT_EQ(
            (Strings{c.prompt, "就绪", c.prompt, "就绪"}),
            (Strings{paneAfter(frame, WM_MENUSELECT, MAKEWPARAM(c.id, MF_HILITE),
                               reinterpret_cast<LPARAM>(::GetMenu(frame))),
                     paneAfter(frame, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0),
                     paneAfter(ToolBar(), TB_SETHOTITEM, ToolBarSend(TB_COMMANDTOINDEX, c.id), 0),
                     paneAfter(ToolBar(), TB_SETHOTITEM, static_cast<WPARAM>(-1), 0)}))
            << "item highlighted, menu closed, button hot, none hot; command " << c.id;
        wchar_t tip[256] = {};
        TTTOOLINFOW tool = {sizeof tool, 0, ToolBar(), c.id, {}, nullptr, tip, 0, nullptr};
        ::SendMessageW(reinterpret_cast<HWND>(ToolBarSend(TB_GETTOOLTIPS)), TTM_GETTEXTW,
                       ARRAYSIZE(tip), reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::wstring(c.tip), tip) << "tip of " << c.id;
    }
}

// Files are opened by path or from the menu's recent-file entries, and none is read.
TEST_F(AppTest, OpenedFilesLeadTheRecentListOfFourWhichTheNextStartReads) {
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
            items.push_back(MenuText(kFilePopup, id));
        return items;
    };
    EXPECT_EQ((Strings{"&1 " + paths[4], "&2 " + paths[3], "&3 " + paths[2], "&4 " + paths[1]}),
              listed());
    Command(ID_FILE_MRU_FILE1 + 3);
    EXPECT_EQ((Strings{"&1 " + paths[1], "&2 " + paths[4], "&3 " + paths[3], "&4 " + paths[2]}),
              listed())
        << "after opening the fourth entry";
    EXPECT_EQ(rows, Rows()) << "nothing is read";
    g_app->GetRecentFileList()->WriteList(); // as at exit; the next start reads it back
    CRecentFileList next(ID_FILE_MRU_FILE1,
                         (std::string(kRegistryPath) + "\\Recent File List").c_str(), 4);
    next.ReadList();
    ASSERT_EQ(4u, next.GetSize());
    EXPECT_EQ((Strings{paths[1], paths[4], paths[3], paths[2]}),
              (Strings{next[0], next[1], next[2], next[3]}));
    for (const std::string& path : paths)
        ::DeleteFileA(path.c_str());
}

// The File commands as users give them: Ctrl+N, Ctrl+O and Ctrl+S through the accelerators of the
// application's own loop. Save As writes an empty file and takes its name; a name longer than the
// system's dialogs hold (they ended Kestrin) is told as a failure and changes nothing.
TEST_F(AppTest, FileKeysAndSaveAsChangeTheDocumentAndLongNamesFailLeavingAllAsItWas) {
    Send("kept");
    const std::vector<Row> rows = Rows();
    const CDocument* doc = m_frame->GetActiveDocument();
    const auto press = [this](char key) {
        return [this, key] {
            BYTE keys[256] = {};
            keys[VK_CONTROL] = 0x80; // held while the key goes through the loop
            ::SetKeyboardState(keys);
            PumpMessages();
            ::PostMessageA(m_view, WM_KEYDOWN, static_cast<WPARAM>(key), 0);
            g_app->PumpMessage();
            keys[VK_CONTROL] = 0;
            ::SetKeyboardState(keys);
        };
    };
    std::string offered;
    const auto name = [&offered](const std::string& path) {
        return [&offered, path](HWND dialog) {
            offered = WindowText(FileNameEdit(dialog));
            ::SetWindowTextA(FileNameEdit(dialog), path.c_str());
            Click(IDOK)(dialog);
        };
    };
    const std::string path = SiblingPath("kestrin-save-as.kst"),
                      tooLong = SiblingPath("") + std::string(300, 'q');
    const auto state = [&] {
        return Strings{doc->GetTitle(), doc->GetPathName(), MenuText(kFilePopup, ID_FILE_MRU_FILE1),
                       std::to_string(std::ifstream(path, std::ios::ate).tellg()),
                       WindowText(m_frame->m_hWnd)};
    };
    EXPECT_EQ(Strings{"另存为"}, Drive(ID_FILE_SAVE_AS, {name(path)}));
    const Strings saved = {"kestrin-save-as.kst", path, "&1 " + path, "0", "Kestrin"};
    EXPECT_EQ(std::make_pair(std::string("v1.0"), saved), std::make_pair(offered, state()));
    EXPECT_EQ((Strings{"另存为", "Kestrin: 无法保存文件：" + tooLong}),
              Drive(ID_FILE_SAVE_AS, {name(tooLong), Click(IDOK)}));
    EXPECT_EQ((Strings{"打开", "Kestrin: 无法打开文件：" + tooLong}),
              Drive(press('O'), {name(tooLong), Click(IDOK)}));
    EXPECT_EQ(saved, state()) << "after failed Save As and Open";
    EXPECT_EQ(Strings{}, Drive(press('N'), {}));
    EXPECT_EQ((Strings{"v1.0", "", "&1 " + path, "0", "Kestrin"}), state());
    // The view's Save: its dialog, or the file an earlier test left it.
    const Strings seen = Drive(press('S'), {Click(IDCANCEL), Click(IDOK)});
    EXPECT_TRUE(!seen.empty() && seen.back().rfind("Kestrin: Open File ", 0) == 0) << seen.back();
    EXPECT_EQ(rows, Rows());
    ::DeleteFileA(path.c_str());
}

// The switches of the standard command line, '/' or '-', any case; the first other argument
// names the file, and /pt's next three its printer, driver and port. Each case's outcome as
// command|file|printer|driver|port.
TEST_F(AppTest, TheCommandLineSaysWhatToDo) {
    const std::pair<Strings, std::string> cases[] = {
        {{}, "0||||"},
        {{"/dde", "-Automation", "/EMBEDDING", "-", "/x", "a", "b"}, "1|a|||"},
        {{"-P", "a"}, "2|a|||"},
        {{"/pt", "a", "printer", "driver", "port", "more"}, "3|a|printer|driver|port"},
        {{"a", "-unregister"}, "4|a|||"},
        {{"/Unregserver"}, "4||||"},
    };
    const auto saved = std::make_pair(__argc, __argv);
    for (const auto& c : cases) {
        std::vector<char*> args = {saved.second[0]};
        for (const std::string& arg : c.first)
            args.push_back(const_cast<char*>(arg.c_str()));
        std::tie(__argc, __argv) = std::make_pair(static_cast<int>(args.size()), args.data());
        CCommandLineInfo i;
        g_app->ParseCommandLine(i);
        EXPECT_EQ(c.second, std::to_string(i.m_nShellCommand) + '|' + i.m_strFileName + '|' +
                                i.m_strPrinterName + '|' + i.m_strDriverName + '|' +
                                i.m_strPortName);
    }
    std::tie(__argc, __argv) = saved;
}

// No control is ever posted a request of its own: one with junk pointers ended Kestrin. Each
// control's range, the common one included, is dropped, and the rows stay.
TEST_F(AppTest, ControlRequestsPostedWithJunkPointersAreDropped) {
    Send("kept");
    HWND status = ::GetDlgItem(m_frame->m_hWnd, AFX_IDW_STATUS_BAR);
    for (HWND control :
         {m_view, ListView_GetHeader(m_view), ToolBar(), status, ListView_GetToolTips(m_view),
          reinterpret_cast<HWND>(ToolBarSend(TB_GETTOOLTIPS))}) {
        ASSERT_TRUE(::IsWindow(control));
        for (UINT first : {UINT(WM_USER), UINT(LVM_FIRST), UINT(HDM_FIRST), UINT(CCM_FIRST)})
            for (UINT message = first; message < first + 0x100; ++message)
                ::PostMessageA(control, message, 0x1234, 0x1234);
    }
    PumpMessages();
    EXPECT_EQ(Strings{"kept"}, Texts());
}

// Keys and clicks through the loop select rows and ranges, as the list alone would, each in one
// step however many rows: the selected runs and the focus after each.
TEST_F(AppTest, KeysAndClicksSelectRowsAndRanges) {
    for (int i = 0; i < 300; ++i)
        Send("row");
    const auto input = [](HWND view, UINT message, WPARAM wParam, LPARAM lParam, BYTE held) {
        BYTE keys[256] = {};
        keys[held] = 0x80;
        ::SetKeyboardState(keys);
        MSG queued;
        ::PostMessageA(view, message, wParam, lParam);
        while (::PeekMessageA(&queued, nullptr, 0, 0, PM_NOREMOVE) && g_app->PumpMessage())
            ;
        keys[held] = 0;
        ::SetKeyboardState(keys);
    };
    const auto click = [&](int row, WPARAM flags, BYTE held) {
        RECT rect = {LVIR_BOUNDS, 0, 0, 0};
        ::SendMessageA(m_view, LVM_ENSUREVISIBLE, row, FALSE);
        ::SendMessageA(m_view, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        input(m_view, WM_LBUTTONDOWN, flags, MAKELPARAM(rect.left + 300, rect.top + 2), held);
    };
    Strings seen;
    const auto note = [&] {
        std::string text;
        for (int row = 0, first = -1; row <= 300; ++row) {
            const bool selected = row < 300 && ListView_GetItemState(m_view, row, LVIS_SELECTED);
            if (selected && first < 0)
                first = row;
            else if (!selected && first >= 0)
                text += std::to_string(first) + "-" + std::to_string(row - 1) + " ", first = -1;
        }
        seen.push_back(text + std::to_string(ListView_GetSelectedCount(m_view)) + " @" +
                       std::to_string(ListView_GetNextItem(m_view, -1, LVNI_FOCUSED)));
    };
    click(2, 0, 0), note();
    input(m_view, WM_KEYDOWN, VK_END, 0, VK_SHIFT), note();
    input(m_view, WM_KEYDOWN, VK_HOME, 0, 0), note();
    click(5, MK_SHIFT, VK_SHIFT), note();
    click(3, MK_CONTROL, VK_CONTROL), note();
    input(m_view, WM_KEYDOWN, VK_DOWN, 0, 0), note();
    LVITEMA all = {};
    all.state = all.stateMask = LVIS_SELECTED;
    ::SendMessageA(m_view, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&all)), note();
    Command(ID_CLEAR), note();
    EXPECT_EQ((Strings{"2-2 1 @2", "2-299 298 @299", "0-0 1 @0", "0-5 6 @5", "0-2 4-5 5 @3",
                       "4-4 1 @4", "0-299 300 @4", "0 @-1"}),
              seen);
}

// Resources no window here shows whole: the string table and the accelerators.
TEST(Resources, HoldTheStringsAndAccelerators) {
    int strings = 0;
    for (UINT id = 0; id <= 0xFFFF; ++id) {
        const wchar_t* text = nullptr; // with no buffer, a pointer into the resource
        strings += ::LoadStringW(nullptr, id, reinterpret_cast<LPWSTR>(&text), 0) > 0;
    }
    EXPECT_EQ(71, strings) << "strings, the out-of-memory count's and debug output's among them";
    // Of the accelerators, the Ctrl+letter keys that the menu items show.
    ACCEL entries[32];
    const int count = ::CopyAcceleratorTableA(Frame()->GetAccelerators(), entries, 32);
    std::map<int, int> shown;
    for (int i = 0; i < count; ++i)
        if (entries[i].fVirt == (FVIRTKEY | FCONTROL) && ::IsCharAlphaA(char(entries[i].key)))
            shown[entries[i].key] = entries[i].cmd;
    EXPECT_EQ(14, count) << "accelerators";
    const std::map<int, int> expected = {
        {'C', ID_EDIT_COPY}, {'N', ID_FILE_NEW},   {'O', ID_FILE_OPEN}, {'P', ID_FILE_PRINT},
        {'S', ID_FILE_SAVE}, {'V', ID_EDIT_PASTE}, {'X', ID_EDIT_CUT},  {'Z', ID_EDIT_UNDO}};
    EXPECT_EQ(expected, shown);
}

} // namespace
