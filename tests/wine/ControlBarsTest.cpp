// The toolbar and status bar in a frame, from Kestrin's own resources: buttons and pictures,
// button states from the command route, tips, fly-by prompts and the status bar's panes.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "CmdUI.h"
#include "ControlBars.h"
#include "ControlBarsTestIds.h"
#include "FrameWnd.h"
#include "Strings.h"
#include "resource.h"

namespace {

const DWORD kToolBarStyle = 0x50402834;
const DWORD kStatusBarStyle = 0x50008200;
const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

// Kestrin's toolbar record, left to right.
const UINT kButtons[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE,  0, ID_LOG_TO_FILE, 0,
                         ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_FILE_PRINT,  0,
                         ID_CAPTURE,  ID_CLEAR,     ID_FILTER,     0, ID_APP_ABOUT};

// Counts pane-text writes, to see which idle updates touch the control.
class CRecordingStatusBar : public CStatusBar {
public:
    int m_nTextWrites = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == SB_SETTEXTA)
            ++m_nTextWrites;
        return CStatusBar::WindowProc(message, wParam, lParam);
    }
};

// A command route that handles some of the toolbar's commands, as the view does.
class CRoute : public CCmdTarget {
public:
    bool m_bCapture = true;

protected:
    void OnCommand() {}
    void OnUpdateCapture(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_bCapture); }
    void OnUpdateLogToFile(CCmdUI* pCmdUI) { pCmdUI->SetCheck(0); }
    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageEntry messageEntries[];
    static const MessageMap messageMap;
};
const MessageEntry CRoute::messageEntries[] = {
    MapCommand(ID_FILE_NEW, &CRoute::OnCommand),
    MapCommand(ID_CAPTURE, &CRoute::OnCommand),
    MapUpdate(ID_CAPTURE, &CRoute::OnUpdateCapture),
    MapCommand(ID_LOG_TO_FILE, &CRoute::OnCommand),
    MapUpdate(ID_LOG_TO_FILE, &CRoute::OnUpdateLogToFile),
};
const MessageMap CRoute::messageMap(&CCmdTarget::messageMap, CRoute::messageEntries);

class ControlBarsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::GetKeyboardState(m_savedKeys);
        WNDCLASSA frameClass = {};
        frameClass.lpfnWndProc = ::DefWindowProcA;
        frameClass.hInstance = ::GetModuleHandleA(nullptr);
        frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        frameClass.lpszClassName = "ControlBarsTestFrame";
        ASSERT_TRUE(AfxRegisterClass(&frameClass));
        // A popup: Wine waits seconds for a window manager to hide a captioned window.
        ASSERT_TRUE(m_frame.CreateEx(0, frameClass.lpszClassName, "Kestrin", WS_POPUP,
                                     RECT{0, 0, 640, 480}, nullptr, nullptr));
        ASSERT_TRUE(
            m_toolBar.CreateEx(m_frame, TBSTYLE_FLAT, kToolBarStyle, RECT{}, AFX_IDW_TOOLBAR));
        ASSERT_TRUE(m_toolBar.LoadToolBar(IDR_MAINFRAME));
        ASSERT_TRUE(m_statusBar.Create(m_frame, kStatusBarStyle, AFX_IDW_STATUS_BAR));
        ASSERT_TRUE(m_statusBar.SetIndicators(kIndicators, 4));
        m_frame.ShowWindow(SW_SHOWNOACTIVATE);
        m_frame.RecalcLayout();
    }
    void TearDown() override { ::SetKeyboardState(m_savedKeys); }

    TBBUTTON Button(int index) const {
        TBBUTTON button = {};
        m_toolBar.SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index),
                              reinterpret_cast<LPARAM>(&button));
        return button;
    }
    HIMAGELIST Images() const {
        return reinterpret_cast<HIMAGELIST>(m_toolBar.SendMessage(TB_GETIMAGELIST));
    }
    HWND ToolTips() const { return reinterpret_cast<HWND>(m_toolBar.SendMessage(TB_GETTOOLTIPS)); }
    // The tip the bar's tool tip would show for command id, asked as the tool tip asks.
    std::wstring TipOf(UINT id) const {
        wchar_t text[1024] = {};
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = m_toolBar.m_hWnd;
        tool.uId = id;
        tool.lpszText = text;
        ::SendMessageW(ToolTips(), TTM_GETTEXTW, ARRAYSIZE(text), reinterpret_cast<LPARAM>(&tool));
        return text;
    }
    void SetLockKeys(bool caps, bool num, bool scroll) {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[VK_CAPITAL] = caps;
        keys[VK_NUMLOCK] = num;
        keys[VK_SCROLL] = scroll;
        ::SetKeyboardState(keys);
    }
    void LoadExtraStrip() {
        ASSERT_TRUE(m_extra.Attach(
            ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_EXTRA))));
        ASSERT_EQ(12, m_toolBar.GetToolBarCtrl().AddBitmap(22, &m_extra));
    }

    CFrameWnd m_frame;
    CToolBar m_toolBar;
    CRecordingStatusBar m_statusBar;
    CBitmap m_extra;
    BYTE m_savedKeys[256] = {};
};

TEST_F(ControlBarsTest, ButtonsAndPicturesFollowTheToolBarRecord) {
    ASSERT_EQ(static_cast<int>(ARRAYSIZE(kButtons)), m_toolBar.GetCount());
    int picture = 0;
    for (int i = 0; i < m_toolBar.GetCount(); ++i) {
        const TBBUTTON button = Button(i);
        EXPECT_EQ(kButtons[i], static_cast<UINT>(button.idCommand)) << "button " << i;
        EXPECT_EQ(kButtons[i] == ID_SEPARATOR, (button.fsStyle & TBSTYLE_SEP) != 0)
            << "button " << i;
        if (kButtons[i] != ID_SEPARATOR) {
            EXPECT_EQ(picture++, button.iBitmap) << "button " << i;
        }
    }
    EXPECT_EQ(12, ImageList_GetImageCount(Images()));
}

TEST_F(ControlBarsTest, MalformedRecordsAreRefusedWithNothingAdded) {
    const struct {
        UINT id;
        const char* fault;
    } cases[] = {
        {IDT_BAD_VERSION, "version 2"},
        {IDT_SHORT_OF_IDS, "count beyond the ids"},
        {IDT_SHORT_OF_HEADER, "shorter than the header"},
        {IDT_HUGE_COUNT, "count 65535"},
        {IDT_ZERO_WIDTH, "pictures 0 wide"},
        {IDT_NO_BITMAP, "no bitmap"},
        {IDT_SHORT_OF_PICTURES, "fewer pictures than buttons"},
        {999, "no record"},
    };
    for (const auto& test : cases) {
        CToolBar bar;
        ASSERT_TRUE(bar.CreateEx(m_frame, TBSTYLE_FLAT, kToolBarStyle, RECT{}, 100));
        EXPECT_FALSE(bar.LoadToolBar(test.id)) << test.fault;
        EXPECT_EQ(0, bar.GetCount()) << test.fault;
        HIMAGELIST images = reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETIMAGELIST));
        EXPECT_EQ(0, images ? ImageList_GetImageCount(images) : 0) << test.fault;
    }
    EXPECT_FALSE(m_toolBar.LoadToolBar(IDR_MAINFRAME)) << "a second load onto loaded buttons";
    EXPECT_EQ(static_cast<int>(ARRAYSIZE(kButtons)), m_toolBar.GetCount());
}

TEST_F(ControlBarsTest, AddBitmapAppendsAndAnswersTheFirstIndex) {
    LoadExtraStrip();
    EXPECT_EQ(34, ImageList_GetImageCount(Images()));
    // The same bitmap again is appended again, not found where it went before.
    EXPECT_EQ(34, m_toolBar.GetToolBarCtrl().AddBitmap(22, &m_extra));
    EXPECT_EQ(56, ImageList_GetImageCount(Images()));
    CBitmap none;
    EXPECT_EQ(-1, m_toolBar.GetToolBarCtrl().AddBitmap(22, &none));
}

TEST_F(ControlBarsTest, PictureGreyIsTheSystemButtonFace) {
    LoadExtraStrip();
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF black = RGB(0, 0, 0);
    const struct {
        int image, x, y;
        COLORREF colour;
    } cases[] = {{0, 0, 0, face}, {0, 3, 1, black}, {12, 0, 0, face}, {12, 4, 1, black}};
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP canvas = ::CreateCompatibleBitmap(screen, 16, 15);
    HGDIOBJ old = ::SelectObject(dc, canvas);
    for (const auto& test : cases) {
        // Drawn as the toolbar draws it, over the button face.
        RECT all = {0, 0, 16, 15};
        ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_BTNFACE));
        ImageList_Draw(Images(), test.image, dc, 0, 0, ILD_NORMAL);
        EXPECT_EQ(test.colour, ::GetPixel(dc, test.x, test.y))
            << "image " << test.image << " at " << test.x << "," << test.y;
    }
    ::SelectObject(dc, old);
    ::DeleteObject(canvas);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
}

TEST_F(ControlBarsTest, SetButtonInfoWithTheReadIdAndStyleChangesOnlyThePicture) {
    for (UINT id : {ID_CAPTURE, ID_LOG_TO_FILE}) {
        const int index = m_toolBar.CommandToIndex(id);
        ASSERT_GE(index, 0) << id;
        m_toolBar.SendMessage(TB_CHECKBUTTON, id, TRUE);
        std::vector<TBBUTTON> expected;
        for (int i = 0; i < m_toolBar.GetCount(); ++i)
            expected.push_back(Button(i));
        expected[static_cast<size_t>(index)].iBitmap = 20;

        UINT readId = 0, style = 0;
        int image = 0;
        ASSERT_TRUE(m_toolBar.GetButtonInfo(index, readId, style, image));
        EXPECT_EQ(id, readId);
        ASSERT_TRUE(m_toolBar.SetButtonInfo(index, readId, style, 20));
        for (int i = 0; i < m_toolBar.GetCount(); ++i) {
            const TBBUTTON got = Button(i);
            const TBBUTTON& want = expected[static_cast<size_t>(i)];
            EXPECT_EQ(want.idCommand, got.idCommand) << "after " << id << ", button " << i;
            EXPECT_EQ(want.fsStyle, got.fsStyle) << "after " << id << ", button " << i;
            EXPECT_EQ(want.fsState, got.fsState) << "after " << id << ", button " << i;
            EXPECT_EQ(want.iBitmap, got.iBitmap) << "after " << id << ", button " << i;
        }
    }
    EXPECT_EQ(-1, m_toolBar.CommandToIndex(ID_SAVE_LOG));
    EXPECT_FALSE(m_toolBar.SetButtonInfo(-1, ID_CAPTURE, TBSTYLE_BUTTON, 0));
    EXPECT_FALSE(m_toolBar.SetButtonInfo(m_toolBar.GetCount(), ID_CAPTURE, TBSTYLE_BUTTON, 0));
}

TEST_F(ControlBarsTest, ButtonStatesFollowTheRoute) {
    CRoute route;
    m_toolBar.SendMessage(TB_CHECKBUTTON, ID_LOG_TO_FILE, TRUE);
    const struct {
        bool capture;
        UINT id;
        bool enabled, checked;
    } cases[] = {
        {true, ID_FILE_NEW, true, false},    {true, ID_FILE_OPEN, false, false},
        {true, ID_EDIT_CUT, false, false},   {true, ID_CAPTURE, true, true},
        {true, ID_LOG_TO_FILE, true, false}, {false, ID_CAPTURE, true, false},
    };
    for (const auto& test : cases) {
        route.m_bCapture = test.capture;
        m_toolBar.OnUpdateCmdUI(route);
        const LRESULT state = m_toolBar.SendMessage(TB_GETSTATE, test.id);
        EXPECT_EQ(test.enabled, (state & TBSTATE_ENABLED) != 0) << test.id;
        EXPECT_EQ(test.checked, (state & TBSTATE_CHECKED) != 0) << test.id;
    }
}

TEST_F(ControlBarsTest, ToolTipIsTheSecondFieldOfTheCommandString) {
    ASSERT_TRUE(ToolTips());
    TBBUTTON added[2] = {};
    added[0].idCommand = ID_LONG_TIP;
    added[1].idCommand = ID_EMPTY_TIP;
    for (TBBUTTON& button : added)
        button.fsState = TBSTATE_ENABLED;
    ASSERT_TRUE(m_toolBar.SendMessage(TB_ADDBUTTONSA, 2, reinterpret_cast<LPARAM>(added)));

    wchar_t longString[512] = {};
    ::LoadStringW(::GetModuleHandleA(nullptr), ID_LONG_TIP, longString, ARRAYSIZE(longString));
    const std::wstring longTip = wcschr(longString, L'\n') + 1;
    ASSERT_GT(longTip.size(), 80u) << "longer than a tool tip's own buffer";
    const struct {
        UINT id;
        std::wstring tip;
    } cases[] = {
        {ID_FILE_NEW, L"新建"}, {ID_APP_ABOUT, L"关于"}, {ID_FILTER, L""},
        {ID_CAPTURE, L""},      {ID_EMPTY_TIP, L""},     {ID_LONG_TIP, longTip},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.tip, TipOf(test.id)) << test.id;

    // A frame of a Unicode window is asked in UTF-16; what is not this bar's is left alone.
    NMTTDISPINFOW info = {};
    info.hdr = {ToolTips(), ID_FILE_NEW, TTN_GETDISPINFOW};
    LRESULT result = 1;
    ASSERT_TRUE(m_toolBar.OnParentNotify(m_frame, &info.hdr, &result));
    EXPECT_EQ(std::wstring(L"新建"), info.lpszText);
    info.hdr.hwndFrom = m_frame.m_hWnd;
    EXPECT_FALSE(m_toolBar.OnParentNotify(m_frame, &info.hdr, &result));
}

TEST_F(ControlBarsTest, HotButtonShowsItsPromptUntilThePointerLeaves) {
    const struct {
        UINT id;
        const char* prompt;
    } cases[] = {{ID_FILE_NEW, "建立新文档"},
                 {ID_FILTER, "Set logs Filters"},
                 {ID_CAPTURE, "Capture"},
                 {ID_SEPARATOR, "就绪"}};
    for (const auto& test : cases) {
        const int index = test.id == ID_SEPARATOR ? -1 : m_toolBar.CommandToIndex(test.id);
        m_toolBar.SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(index));
        EXPECT_EQ(test.prompt, m_statusBar.GetPaneText(0)) << test.id;
    }
}

TEST_F(ControlBarsTest, ToolBarHoldsItsButtonsBesideGripperAndBorder) {
    RECT window = {}, client = {}, first = {};
    ::GetWindowRect(m_toolBar.m_hWnd, &window);
    ::GetClientRect(m_toolBar.m_hWnd, &client);
    POINT origin = {0, 0};
    ::ClientToScreen(m_toolBar.m_hWnd, &origin);
    EXPECT_GT(origin.x - window.left, 0) << "gripper strip";
    EXPECT_GT(window.bottom - (origin.y + client.bottom), 0) << "bottom border";
    m_toolBar.SendMessage(TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    EXPECT_GT(first.bottom, 0);
    EXPECT_LE(first.bottom, client.bottom) << "buttons clipped";
}

TEST_F(ControlBarsTest, IndicatorsShowTheirTextWhileTheirKeyIsOn) {
    const char* const texts[] = {"大写", "数字", "滚动"};
    for (int keys = 0; keys < 8; ++keys) {
        SetLockKeys(keys & 1, keys & 2, keys & 4);
        m_statusBar.OnUpdateCmdUI(m_frame);
        for (int pane = 1; pane <= 3; ++pane)
            EXPECT_EQ(keys & (1 << (pane - 1)) ? texts[pane - 1] : "",
                      m_statusBar.GetPaneText(pane))
                << "keys " << keys << ", pane " << pane;
    }
}

TEST_F(ControlBarsTest, IdleUpdatesWriteOnlyIndicatorsWhoseKeyChanged) {
    SetLockKeys(false, true, false);
    m_statusBar.OnUpdateCmdUI(m_frame);
    const struct {
        bool caps, num, scroll;
        int writes;
    } cases[] = {{false, true, false, 0},
                 {true, true, false, 1},
                 {true, true, false, 0},
                 {false, false, true, 3}};
    for (const auto& test : cases) {
        SetLockKeys(test.caps, test.num, test.scroll);
        m_statusBar.m_nTextWrites = 0;
        m_statusBar.OnUpdateCmdUI(m_frame);
        EXPECT_EQ(test.writes, m_statusBar.m_nTextWrites) << test.caps << test.num << test.scroll;
    }
}

TEST_F(ControlBarsTest, IndicatorsKeepTheirWidthAndTheMessagePaneTakesTheRest) {
    HDC dc = ::GetDC(m_statusBar.m_hWnd);
    HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(m_statusBar.SendMessage(WM_GETFONT)));
    std::vector<RECT> panes[2];
    const int widths[2] = {700, 450};
    for (int run = 0; run < 2; ++run) {
        m_statusBar.MoveWindow(RECT{0, 0, widths[run], m_statusBar.CalcHeight(widths[run])});
        for (int pane = 0; pane < 4; ++pane) {
            RECT rect = {};
            m_statusBar.SendMessage(SB_GETRECT, static_cast<WPARAM>(pane),
                                    reinterpret_cast<LPARAM>(&rect));
            panes[run].push_back(rect);
        }
        EXPECT_LE(panes[run][3].right, widths[run]);
        for (int pane = 1; pane < 4; ++pane) {
            const std::string text = AfxLoadString(kIndicators[pane]);
            SIZE extent = {};
            ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            const RECT& rect = panes[run][static_cast<size_t>(pane)];
            EXPECT_GT(rect.right - rect.left, extent.cx) << "pane " << pane;
            EXPECT_GT(rect.bottom - rect.top, extent.cy) << "pane " << pane;
        }
    }
    for (int pane = 1; pane < 4; ++pane)
        EXPECT_EQ(panes[0][pane].right - panes[0][pane].left,
                  panes[1][pane].right - panes[1][pane].left)
            << "pane " << pane;
    EXPECT_EQ(widths[0] - widths[1], panes[0][0].right - panes[1][0].right);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_statusBar.m_hWnd, dc);
}

TEST_F(ControlBarsTest, PaneTextComesBackWhole) {
    std::string longText;
    for (int i = 0; i < 40; ++i)
        longText += "调试信息 debug ";
    for (const std::string& text : {std::string("就绪"), longText, std::string()}) {
        ASSERT_TRUE(m_statusBar.SetPaneText(0, text.c_str()));
        EXPECT_EQ(text, m_statusBar.GetPaneText(0));
    }
    EXPECT_FALSE(m_statusBar.SetPaneText(4, "beyond the panes"));
}

TEST_F(ControlBarsTest, IndicatorWithoutStringIsRefused) {
    const UINT ids[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, 12345};
    EXPECT_FALSE(m_statusBar.SetIndicators(ids, 3));
    EXPECT_FALSE(m_statusBar.SetIndicators(ids, 0));
}

} // namespace
