// Kestrin in this process: the tests drive its real frame and view as the message loop would,
// with messages, commands, pop-ups, keys and idle updates, and read what the user would see.
#include <fstream>
#include <future>
#include <set>
#include <thread>
#include <tuple>

#include "AppFixture.h"
#include "KestrinDoc.h"
#include "KestrinView.h"

namespace {

using AppTest = AppFixture;

// Items grayed or checked as the route leaves them, the commands with no handler grayed, the
// buttons alike and each with its picture, after each toggle. Capture off drops messages; a
// cancelled Log to file stays off. A null text is an empty row; a frame without a view takes
// nothing, and one whose view cannot be created is told. A string's first field is the prompt
// shown for a highlighted item or hot button; the second the tip, if any.
TEST_F(AppTest, BarsShowStatesPromptsAndTipsAndOnlyAFrameWithAViewTakesRows) {
    const std::set<int> grayedAlways = {ID_FILE_MRU_FILE1, ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY,
                                        ID_EDIT_PASTE};
    const UINT toggles[] = {0,
                            ID_CAPTURE,
                            ID_LOG_TO_FILE,
                            ID_CAPTURE_DEBUG_OUTPUT,
                            ID_CAPTURE,
                            ID_CAPTURE_DEBUG_OUTPUT};
    bool capture = true, log = false, debugOutput = false;
    for (int step = 0; step < int(std::size(toggles)); ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        if (toggles[step] == ID_LOG_TO_FILE)
            log = Drive(ID_LOG_TO_FILE, {Click(IDCANCEL)}).empty();
        else if (toggles[step])
            Command(toggles[step]);
        capture ^= toggles[step] == ID_CAPTURE;
        debugOutput ^= toggles[step] == ID_CAPTURE_DEBUG_OUTPUT;
        std::set<int> grayed, checked, differ;
        for (int i = 0; i < ::GetMenuItemCount(::GetMenu(m_frame->m_hWnd)); ++i) {
            HMENU popup = OpenPopup(i);
            for (int j = 0; j < ::GetMenuItemCount(popup); ++j) {
                const int id = static_cast<int>(::GetMenuItemID(popup, j));
                if (id == 0 || id == -1)
                    continue; // a separator or a pop-up
                const UINT state = ::GetMenuState(popup, static_cast<UINT>(id), 0);
                const LRESULT button = ButtonState(static_cast<UINT>(id)); // -1 when there is none
                if (state & MF_GRAYED)
                    grayed.insert(id);
                if (state & MF_CHECKED)
                    checked.insert(id);
                if (button != -1 && (!(state & MF_GRAYED) != !!(button & TBSTATE_ENABLED) ||
                                     !(state & MF_CHECKED) != !(button & TBSTATE_CHECKED)))
                    differ.insert(id);
            }
        }
        EXPECT_EQ(grayedAlways, grayed);
        std::set<int> on = {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, capture ? ID_CAPTURE : 0,
                            log ? ID_LOG_TO_FILE : 0, debugOutput ? ID_CAPTURE_DEBUG_OUTPUT : 0};
        on.erase(0);
        EXPECT_EQ(on, checked);
        EXPECT_EQ(std::set<int>{}, differ) << "buttons whose state is not their item's";
        EXPECT_EQ(std::make_pair(LRESULT{kExtra + 1 + capture}, LRESULT{kExtra + 19 + log}),
                  std::make_pair(ToolBarSend(TB_GETBITMAP, ID_CAPTURE),
                                 ToolBarSend(TB_GETBITMAP, ID_LOG_TO_FILE)))
            << "pictures of Capture and Log to file";
        EXPECT_EQ(0, step ? Send(std::to_string(step).c_str()) : Send(nullptr, m_view));
    }
    CMainFrame bare;
    ASSERT_TRUE(bare.LoadFrame(IDR_MAINFRAME, WS_POPUP, nullptr));
    EXPECT_EQ(std::make_pair(LRESULT{1}, std::string("Kestrin")),
              std::make_pair(Send("lost", bare.m_hWnd), WindowText(bare.m_hWnd)))
        << "a frame without a view: result, caption";
    EXPECT_EQ((Strings{"", "4", "5"}), Texts()) << "rows taken with Capture on";
    CSingleDocTemplate broken(IDR_MAINFRAME, MakeAs<CDocument, CKestrinDoc>,
                              MakeAs<CFrameWnd, CMainFrame>,
                              []() -> std::unique_ptr<CView> { return nullptr; });
    const CDocument* opened = m_frame->GetActiveDocument();
    EXPECT_EQ(Strings{Ansi("Kestrin: 无法创建文档窗口。")},
              Drive([&] { opened = broken.OpenDocumentFile(nullptr); }, {Click(IDOK)}));
    EXPECT_EQ(nullptr, opened);
    HWND frame = m_frame->m_hWnd;
    const auto paneAfter = [frame](HWND to, UINT message, WPARAM wParam, LPARAM lParam) {
        ::SendMessageA(to, message, wParam, lParam);
        return WindowText(::GetDlgItem(frame, AFX_IDW_STATUS_BAR)); // its first pane
    };
    for (const auto& [id, prompt, tip] : {std::tuple{UINT{ID_FILE_NEW}, "建立新文档", L"新建"},
                                          std::tuple{UINT{ID_FILTER}, "Set logs Filters", L""}}) {
        EXPECT_EQ(
            (Strings{Ansi(prompt), Ansi("就绪"), Ansi(prompt), Ansi("就绪")}),
            (Strings{paneAfter(frame, WM_MENUSELECT, MAKEWPARAM(id, MF_HILITE),
                               reinterpret_cast<LPARAM>(::GetMenu(frame))),
                     paneAfter(frame, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0),
                     paneAfter(ToolBar(), TB_SETHOTITEM, ToolBarSend(TB_COMMANDTOINDEX, id), 0),
                     paneAfter(ToolBar(), TB_SETHOTITEM, static_cast<WPARAM>(-1), 0)}))
            << "item highlighted, menu closed, button hot, none hot; command " << id;
        wchar_t shown[256] = {};
        TTTOOLINFOW tool = {sizeof tool, 0, ToolBar(), id, {}, nullptr, shown, 0, nullptr};
        ::SendMessageW(reinterpret_cast<HWND>(ToolBarSend(TB_GETTOOLTIPS)), TTM_GETTEXTW,
                       ARRAYSIZE(shown), reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::wstring(tip), shown) << "tip of " << id;
    }
    EXPECT_EQ("Capture the debug output of every program (OutputDebugString)",
              paneAfter(frame, WM_MENUSELECT, MAKEWPARAM(ID_CAPTURE_DEBUG_OUTPUT, MF_HILITE),
                        reinterpret_cast<LPARAM>(::GetMenu(frame))))
        << "Kestrin's own prompts are English";
}

// The File commands, keys through the accelerators. Save As writes an empty file and takes its
// name; a name longer than the system's dialogs hold (they ended Kestrin) fails and changes
// nothing. Files opened lead the recent list of four, which the next start reads.
TEST_F(AppTest, FileCommandsChangeTheDocumentAndTheRecentListAndLongNamesFailLeavingAllAsItWas) {
    Send("kept");
    const CDocument* doc = m_frame->GetActiveDocument();
    const auto press = [this](char key) {
        return [=] { Input(m_view, WM_KEYDOWN, key, 0, VK_CONTROL); };
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
        return Strings{doc->GetTitle(), doc->GetPathName(), MenuText(ID_FILE_MRU_FILE1),
                       std::to_string(std::ifstream(path, std::ios::ate).tellg()),
                       WindowText(m_frame->m_hWnd)};
    };
    EXPECT_EQ(Strings{Ansi("另存为")}, Drive(ID_FILE_SAVE_AS, {name(path)}));
    const Strings saved = {"kestrin-save-as.kst", path, "&1 " + path, "0", "Kestrin"};
    EXPECT_EQ(std::make_pair(std::string("v1.0"), saved), std::make_pair(offered, state()));
    EXPECT_EQ((Strings{Ansi("另存为"), Ansi("Kestrin: 无法保存文件：") + tooLong}),
              Drive(ID_FILE_SAVE_AS, {name(tooLong), Click(IDOK)}));
    EXPECT_EQ((Strings{Ansi("打开"), Ansi("Kestrin: 无法打开文件：") + tooLong}),
              Drive(press('O'), {name(tooLong), Click(IDOK)}));
    EXPECT_EQ(saved, state()) << "after failed Save As and Open";
    EXPECT_EQ(Strings{}, Drive(press('N'), {}));
    EXPECT_EQ((Strings{"v1.0", "", "&1 " + path, "0", "Kestrin"}), state());
    // The view's Save: its dialog cancelled, or the file an earlier test left it.
    const Strings seen = Drive(press('S'), {Click(IDCANCEL), Click(IDOK)});
    EXPECT_EQ("Kestrin: Open File ", seen.empty() ? "" : seen.back().substr(0, 19)) << "Ctrl+S";
    Strings paths;
    for (const char* letter : {"a", "b", "c", "d", "e"}) {
        paths.push_back(SiblingPath("kestrin-recent-") + letter + ".log");
        std::ofstream(paths.back()) << "kestrin-send.exe\t42\t10:00:00:00\thello\t\r\n";
        ASSERT_NE(nullptr, g_app->OpenDocumentFile(paths.back().c_str()));
    }
    Command(ID_FILE_MRU_FILE1 + 3); // the fourth entry, which leads the list now
    CRecentFileList* recent = g_app->GetRecentFileList();
    EXPECT_EQ(4u, recent->GetSize()) << "five opened";
    recent->WriteList(); // as at exit; the next start reads it back
    while (recent->GetSize() > 0)
        recent->Remove(0);
    recent->ReadList();
    Strings listed;
    for (UINT id = ID_FILE_MRU_FILE1; id < ID_FILE_MRU_FILE1 + 4; ++id)
        listed.push_back(MenuText(id));
    EXPECT_EQ((Strings{"&1 " + paths[1], "&2 " + paths[4], "&3 " + paths[3], "&4 " + paths[2]}),
              listed);
    EXPECT_EQ(Strings{"kept"}, Texts()) << "no file is read";
    paths.push_back(path);
    for (const std::string& file : paths)
        ::DeleteFileA(file.c_str());
}

// Keys, clicks, drags and typing select rows as the list alone would: the selected runs and the
// focus after each. Copy puts the selected runs on the clipboard as Save's lines, ANSI and UTF-16;
// with none selected Ctrl+C does nothing. A clipboard another program holds is told, and kept.
TEST_F(AppTest, KeysAndClicksSelectRowsAndRangesAndCopyPutsThemOnTheClipboardAsSavedLines) {
    using Texts = std::pair<std::string, std::wstring>;
    const auto clipboard = [] {
        Texts texts;
        EXPECT_TRUE(::OpenClipboard(nullptr));
        if (HANDLE text = ::GetClipboardData(CF_TEXT))
            texts.first = static_cast<const char*>(::GlobalLock(text)), ::GlobalUnlock(text);
        if (HANDLE wide = ::GetClipboardData(CF_UNICODETEXT))
            texts.second = static_cast<const wchar_t*>(::GlobalLock(wide)), ::GlobalUnlock(wide);
        ::CloseClipboard();
        return texts;
    };
    std::vector<Texts> sent(300, {"row", L"row"});
    sent[1] = {Ansi("中文消息"), L"中文消息"};
    for (const auto& text : sent)
        Send(text.first.c_str());
    const std::vector<Row> rows = Rows();
    const auto lines = [&](size_t end, size_t skipped) { // of the rows before end
        Texts texts;
        for (size_t i = 0; i < end; ++i) {
            if (i == skipped)
                continue;
            const std::string line = Lines({rows[i]});
            texts.first += line;
            // The cells before the text are ASCII.
            texts.second += std::wstring(line.begin(), line.end() - sent[i].first.size() - 3) +
                            sent[i].second + L"\t\r\n";
        }
        return texts;
    };
    ::OpenClipboard(m_frame->m_hWnd), ::EmptyClipboard(), ::CloseClipboard();
    Input(m_view, WM_KEYDOWN, 'C', 0, VK_CONTROL);
    EXPECT_EQ(Texts(), clipboard()) << "Ctrl+C with no row selected";
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
    // A point on row, which shows, or rows below it.
    const auto at = [&](int row, int below = 0) {
        RECT rect = {LVIR_BOUNDS, 0, 0, 0};
        ::SendMessageA(m_view, LVM_ENSUREVISIBLE, row, FALSE);
        ::SendMessageA(m_view, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        return MAKELPARAM(rect.left + 300, rect.top + 2 + below * (rect.bottom - rect.top));
    };
    const auto click = [&](UINT button, LPARAM point, WPARAM flags = 0, BYTE held = 0) {
        Input(m_view, button, flags, point, held);
        Input(m_view, button + 1, flags, point, held);
    };
    // Pressed at from, moved with the button down to to, where the selection is noted.
    const auto drag = [&](LPARAM from, LPARAM to, WPARAM flags = 0, BYTE held = 0) {
        Input(m_view, WM_LBUTTONDOWN, flags, from, held);
        Input(m_view, WM_MOUSEMOVE, flags | MK_LBUTTON, to, held), note();
        Input(m_view, WM_LBUTTONUP, flags, to, held);
    };
    click(WM_LBUTTONDOWN, at(2)), note();
    Input(m_view, WM_KEYDOWN, VK_END, 0, VK_SHIFT), note();
    Input(m_view, WM_KEYDOWN, VK_HOME), note();
    click(WM_LBUTTONDOWN, at(5), MK_SHIFT, VK_SHIFT), note();
    click(WM_LBUTTONDOWN, at(3), MK_CONTROL, VK_CONTROL), note();
    EXPECT_EQ(
        std::make_pair(UINT{MF_ENABLED}, LRESULT{TBSTATE_ENABLED}),
        std::make_pair(::GetMenuState(OpenPopup(1), ID_EDIT_COPY, 0), ButtonState(ID_EDIT_COPY)));
    Command(ID_EDIT_COPY);
    EXPECT_EQ(lines(6, 3), clipboard());
    click(WM_LBUTTONDOWN, at(8), MK_CONTROL | MK_SHIFT, VK_CONTROL), note();
    Input(m_view, WM_LBUTTONDOWN, 0, at(4)), note(), Input(m_view, WM_LBUTTONUP, 0, at(4)), note();
    Input(m_view, WM_RBUTTONDOWN, MK_SHIFT, at(7), VK_SHIFT), note();
    Input(m_view, WM_RBUTTONDOWN, 0, at(4)), note();
    const int top = ListView_GetTopIndex(m_view), page = ListView_GetCountPerPage(m_view);
    Input(m_view, WM_KEYDOWN, VK_NEXT), note(), Input(m_view, WM_KEYDOWN, VK_NEXT), note();
    Input(m_view, WM_KEYDOWN, VK_PRIOR), note(), Input(m_view, WM_KEYDOWN, VK_PRIOR, 0, VK_SHIFT),
        note();
    Input(m_view, WM_KEYDOWN, 'A', 0, VK_CONTROL), note();
    // Row -7 takes no state.
    LVITEMA selected = {};
    selected.state = selected.stateMask = LVIS_SELECTED;
    seen.push_back(std::to_string(
        ::SendMessageA(m_view, LVM_SETITEMSTATE, WPARAM(-7), reinterpret_cast<LPARAM>(&selected))));
    Input(m_view, WM_KEYDOWN, 'C', 0, VK_CONTROL);
    const Texts all = lines(rows.size(), rows.size());
    EXPECT_EQ(all, clipboard());
    std::promise<void> opened, done;
    std::thread holder([&] {
        ::OpenClipboard(nullptr);
        opened.set_value();
        done.get_future().wait();
        ::CloseClipboard();
    });
    opened.get_future().wait();
    EXPECT_EQ(Strings{Ansi("Kestrin: 未能复制到剪贴板：剪贴板被其他程序占用，或内存不足。")},
              Drive(ID_EDIT_COPY, {Click(IDOK)}));
    done.set_value();
    holder.join();
    EXPECT_EQ(all, clipboard()) << "after a copy to a held clipboard";
    // End with a row sent just after a show, which the list learns of only at the next: the keys
    // reach the rows it has. Its own count is read past the view, which would bring it up to date.
    const auto list = reinterpret_cast<WNDPROC>(::GetClassLongPtrA(m_view, GCLP_WNDPROC));
    Send("shown");
    ASSERT_TRUE(WaitFor([&] {
        return PumpMessages(), ::CallWindowProcA(list, m_view, LVM_GETITEMCOUNT, 0, 0) == 301;
    }));
    Send("not shown yet"), Input(m_view, WM_KEYDOWN, VK_END), note();
    // Cleared while the mouse is pressed on the selection: the release finds no rows.
    const LPARAM last = at(300);
    Input(m_view, WM_LBUTTONDOWN, 0, last), Command(ID_CLEAR), Input(m_view, WM_LBUTTONUP, 0, last);
    note();
    // Three rows (counted once asked), none focused, room below; typing their name's first letter.
    Send("a"), Send("b"), Send("c"), ListView_GetItemCount(m_view);
    Input(m_view, WM_KEYDOWN, VK_UP), note(), Input(m_view, WM_KEYDOWN, VK_DOWN), note();
    drag(at(2, 2), at(2), MK_CONTROL, VK_CONTROL), drag(at(2, 2), at(1));
    Input(m_view, WM_RBUTTONDOWN, 0, at(2, 2)), note();
    Input(m_view, WM_CHAR, static_cast<WPARAM>(::toupper(Rows()[0][0][0])), 1), note();
    const auto one = [](int row) {
        const std::string text = std::to_string(row);
        return text + "-" + text + " 1 @" + text;
    };
    const int bottom = top + page - 1;
    Strings expected = {"2-2 1 @2",     "2-299 298 @299", "0-0 1 @0", "0-5 6 @5",
                        "0-2 4-5 5 @3", "0-8 9 @8",       "0-8 9 @4", "4-4 1 @4",
                        "4-4 1 @7",     "4-4 1 @4",       "0",        "1 @300",
                        "0 @-1",        "0 @-1",          "0-0 1 @0", "0-0 2-2 2 @0",
                        "1-2 2 @0",     "0 @0",           "1-1 1 @1"};
    // The page keys from the top of the list, then Ctrl+A.
    expected.insert(expected.begin() + 10,
                    {one(bottom), one(bottom + page - 1), one(bottom),
                     std::to_string(top) + "-" + std::to_string(bottom) + " " +
                         std::to_string(page) + " @" + std::to_string(top),
                     "0-299 300 @" + std::to_string(top)});
    EXPECT_EQ(expected, seen);
}

// The row menu's first four items, a grayed one after a '-', each followed by '|'; then the keys
// (downs from the top, ups from the bottom) choose, from a timer that fires inside its loop.
int g_menuMoves;
std::string g_menuItems;
void CALLBACK ChooseInRowMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND popup = ::FindWindowA("#32768", nullptr);
    if (!popup || !::IsWindowVisible(popup) || !g_menuItems.empty())
        return;
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; i < 4; ++i) {
        char text[128] = "";
        ::GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        g_menuItems += (::GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED ? "-" : "") +
                       std::string(text) + "|";
    }
    for (int i = 0; i < std::abs(g_menuMoves); ++i)
        ::PostMessageA(popup, WM_KEYDOWN, g_menuMoves > 0 ? VK_DOWN : VK_UP, 0);
    ::PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
}

// A right click on a row of this process opens the menu that names it; hiding it leaves the row
// of another, rows of it that come meanwhile stay hidden and are counted, and Show all from the
// menu key brings every row back in place.
TEST_F(AppTest, TheRowMenuHidesAProcessAndShowAllBringsItsRowsBackInPlace) {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string name = strrchr(path, '\\') + 1;
    Send("a"), m_frame->SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other")), Send("b");
    const auto menu = [&](int moves, UINT message, WPARAM wParam, LPARAM lParam) {
        g_menuMoves = moves, g_menuItems.clear();
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, ChooseInRowMenu);
        Input(m_view, message - 1, wParam, lParam), Input(m_view, message, wParam, lParam);
        ::KillTimer(nullptr, timer);
        return g_menuItems;
    };
    const auto status = [&] {
        PumpMessages();
        return WindowText(::GetDlgItem(m_frame->m_hWnd, AFX_IDW_STATUS_BAR));
    };
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    ::SendMessageA(m_view, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    EXPECT_EQ(Ansi("隐藏进程 " + name + "|只显示进程 " + name + "|隐藏此进程实例|-显示全部行|"),
              menu(1, WM_RBUTTONUP, 0, MAKELPARAM(row.left + 30, row.top + 2)));
    Send("c");
    EXPECT_TRUE(WaitFor([&] { return status() == Ansi("已隐藏 3 行"); })) << status();
    EXPECT_EQ(Strings{"other"}, Texts());
    EXPECT_EQ(Ansi("-隐藏进程 |-只显示进程 |-隐藏此进程实例|显示全部行|"),
              menu(-3, WM_KEYUP, VK_APPS, 0));
    EXPECT_EQ((Strings{"a", "other", "b", "c"}), Texts());
    EXPECT_EQ(Ansi("就绪"), status());
}

} // namespace
