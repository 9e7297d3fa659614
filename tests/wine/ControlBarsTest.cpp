// The toolbar and status bar in a frame, from Kestrin's own resources: buttons and images, states
// from the command route, tips, fly-by prompts and the status bar's panes.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <bitset>
#include <string>
#include <tuple>
#include <vector>

#include "CmdUI.h"
#include "ControlBars.h"
#include "ControlBarsTestIds.h"
#include "FrameWnd.h"
#include "resource.h"

namespace {

const DWORD kToolBarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS |
                            CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
const UINT kButtons[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE,  0, ID_LOG_TO_FILE, 0,
                         ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_FILE_PRINT,  0,
                         ID_CAPTURE,  ID_CLEAR,     ID_FILTER,     0, ID_APP_ABOUT};

// Counts pane-text writes, to see which idle updates touch the control.
class CRecordingStatusBar : public CStatusBar {
public:
    int m_nTextWrites = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        m_nTextWrites += message == SB_SETTEXTA;
        return CStatusBar::WindowProc(message, wParam, lParam);
    }
};

// Handles Capture alone, checked while m_bCapture, as the view does.
class CRoute : public CCmdTarget {
public:
    bool m_bCapture = true;
    void OnCapture() {}
    void OnUpdateCapture(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_bCapture); }
    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageEntry messageEntries[];
    static const MessageMap messageMap;
};
const MessageEntry CRoute::messageEntries[] = {MapCommand(ID_CAPTURE, &CRoute::OnCapture),
                                               MapUpdate(ID_CAPTURE, &CRoute::OnUpdateCapture)};
const MessageMap CRoute::messageMap(&CCmdTarget::messageMap, CRoute::messageEntries);

class ControlBarsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLockKeys(0);
        // A popup: Wine waits seconds for a window manager to hide a captioned window.
        ASSERT_TRUE(m_frame.CreateEx(0, "STATIC", "Kestrin", WS_POPUP, RECT{0, 0, 640, 480},
                                     nullptr, nullptr));
        ASSERT_TRUE(
            m_toolBar.CreateEx(m_frame, TBSTYLE_FLAT, kToolBarStyle, RECT{}, AFX_IDW_TOOLBAR));
        ASSERT_TRUE(m_toolBar.LoadToolBar(IDR_MAINFRAME));
        ASSERT_TRUE(
            m_statusBar.Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR));
        const UINT panes[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
        ASSERT_TRUE(m_statusBar.SetIndicators(panes, 4));
    }

    // Id, style, state and image of each button.
    std::vector<std::tuple<int, int, int, int>> Buttons() const {
        std::vector<std::tuple<int, int, int, int>> buttons;
        for (int i = 0; i < m_toolBar.GetCount(); ++i) {
            TBBUTTON b = {};
            m_toolBar.SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i),
                                  reinterpret_cast<LPARAM>(&b));
            buttons.emplace_back(b.idCommand, b.fsStyle, b.fsState, b.iBitmap);
        }
        return buttons;
    }
    // A bit per lock key, Caps Lock first; the state is this thread's alone.
    static void SetLockKeys(int bits) {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[VK_CAPITAL] = bits & 1;
        keys[VK_NUMLOCK] = bits >> 1 & 1;
        keys[VK_SCROLL] = bits >> 2 & 1;
        ::SetKeyboardState(keys);
    }
    static int ImageCount(const CToolBar& bar) {
        auto images = reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETIMAGELIST));
        return images ? ImageList_GetImageCount(images) : 0;
    }
    // The tip the bar's tool tip shows for a command, asked as the tool tip asks.
    std::wstring TipOf(UINT id) const {
        wchar_t text[1024] = {};
        TTTOOLINFOW tool = {sizeof tool, 0, m_toolBar.m_hWnd, id, {}, nullptr, text, 0, nullptr};
        ::SendMessageW(reinterpret_cast<HWND>(m_toolBar.SendMessage(TB_GETTOOLTIPS)), TTM_GETTEXTW,
                       ARRAYSIZE(text), reinterpret_cast<LPARAM>(&tool));
        return text;
    }

    CFrameWnd m_frame;
    CToolBar m_toolBar;
    CRecordingStatusBar m_statusBar;
};

TEST_F(ControlBarsTest, ButtonsFollowTheRecordAndTheExtraStripAddsExactlyItsCount) {
    std::vector<std::tuple<int, int, int, int>> expected; // separators take no image
    int image = 0;
    for (int id : kButtons)
        expected.emplace_back(id, id ? TBSTYLE_BUTTON : TBSTYLE_SEP, id ? TBSTATE_ENABLED : 0,
                              id ? image++ : 0);
    EXPECT_EQ(expected, Buttons()) << "id, style, state and image of each button";
    CBitmap extra;
    ASSERT_TRUE(
        extra.Attach(::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_EXTRA))));
    EXPECT_EQ(12, m_toolBar.GetToolBarCtrl().AddBitmap(22, &extra));
    EXPECT_EQ(12 + 22, ImageCount(m_toolBar)) << "the strip holds 23";
}

TEST_F(ControlBarsTest, MalformedRecordsAreRefusedWithNothingAdded) {
    for (UINT id : {IDT_BAD_VERSION, IDT_SHORT_OF_IDS, IDT_SHORT_OF_HEADER, IDT_ZERO_WIDTH,
                    IDT_NO_BITMAP, IDT_SHORT_OF_IMAGES, IDT_NO_RECORD}) {
        CToolBar bar;
        ASSERT_TRUE(bar.CreateEx(m_frame, TBSTYLE_FLAT, kToolBarStyle, RECT{}, 100));
        EXPECT_FALSE(bar.LoadToolBar(id)) << "record " << id;
        EXPECT_EQ(std::make_pair(0, 0), std::make_pair(bar.GetCount(), ImageCount(bar)))
            << "buttons and images after record " << id;
    }
}

TEST_F(ControlBarsTest, StatesFollowTheRouteAndSetButtonInfoChangesOnlyTheImage) {
    CRoute route;
    const auto state = [this](UINT id) {
        return m_toolBar.SendMessage(TB_GETSTATE, id) & (TBSTATE_ENABLED | TBSTATE_CHECKED);
    };
    for (bool capture : {false, true}) {
        route.m_bCapture = capture;
        m_toolBar.OnUpdateCmdUI(route);
        EXPECT_EQ(std::make_tuple(TBSTATE_ENABLED | (capture ? TBSTATE_CHECKED : 0), 0),
                  std::make_tuple(state(ID_CAPTURE), state(ID_FILE_OPEN)))
            << "Capture (handled, checked while on), Open (handled by none); capture " << capture;
    }
    // As the frame swaps Capture's picture: with the id and style just read.
    const int index = m_toolBar.CommandToIndex(ID_CAPTURE);
    auto expected = Buttons();
    std::get<3>(expected.at(static_cast<size_t>(index))) = 20;
    UINT id = 0, style = 0;
    int image = 0;
    ASSERT_TRUE(m_toolBar.GetButtonInfo(index, id, style, image));
    ASSERT_TRUE(m_toolBar.SetButtonInfo(index, id, style, 20));
    EXPECT_EQ(expected, Buttons()) << "id, style, state and image; Capture stays checked";
    EXPECT_FALSE(m_toolBar.SetButtonInfo(m_toolBar.GetCount(), ID_CAPTURE, TBSTYLE_BUTTON, 0));
}

TEST_F(ControlBarsTest, TipIsTheWholeSecondFieldOrNothingAndTheFlyByPromptTheFirst) {
    TBBUTTON added = {};
    added.idCommand = ID_LONG_TIP;
    ASSERT_TRUE(m_toolBar.SendMessage(TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&added)));
    wchar_t longString[512] = {};
    ::LoadStringW(nullptr, ID_LONG_TIP, longString, ARRAYSIZE(longString));
    const std::wstring longTip = wcschr(longString, L'\n') + 1;
    ASSERT_GT(longTip.size(), 80u) << "longer than a tool tip's own buffer";
    EXPECT_EQ(L"新建", TipOf(ID_FILE_NEW));
    EXPECT_EQ(L"", TipOf(ID_FILTER));
    EXPECT_EQ(longTip, TipOf(ID_LONG_TIP));
    // A frame of a Unicode window is asked in UTF-16.
    NMTTDISPINFOW info = {};
    info.hdr = {m_toolBar.m_hWnd, ID_FILE_NEW, TTN_GETDISPINFOW};
    LRESULT result = 1;
    ASSERT_TRUE(m_toolBar.OnParentNotify(m_frame, &info.hdr, &result));
    EXPECT_EQ(std::wstring(L"新建"), info.lpszText);
    // The prompt, the first field, shows while the pointer rests on the button.
    const std::pair<int, const char*> cases[] = {
        {m_toolBar.CommandToIndex(ID_FILE_NEW), "建立新文档"},
        {m_toolBar.CommandToIndex(ID_FILTER), "Set logs Filters"},
        {-1, "就绪"}};
    for (const auto& [hot, prompt] : cases) {
        m_toolBar.SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(hot));
        EXPECT_EQ(prompt, m_statusBar.GetPaneText(0)) << "hot button " << hot;
    }
}

TEST_F(ControlBarsTest, PanesShowTheirKeysRewriteOnlyOnChangeAndReturnTextWhole) {
    const char* const texts[] = {"大写", "数字", "滚动"};
    int previous = 0; // as SetUp left them
    for (int keys : {0, 1, 1, 3, 7, 6, 4, 0, 5, 2}) {
        SetLockKeys(keys);
        m_statusBar.m_nTextWrites = 0;
        m_statusBar.OnUpdateCmdUI(m_frame);
        for (int pane = 1; pane <= 3; ++pane)
            EXPECT_EQ(keys >> (pane - 1) & 1 ? texts[pane - 1] : "", m_statusBar.GetPaneText(pane))
                << "keys " << keys << ", pane " << pane;
        EXPECT_EQ(std::bitset<3>(keys ^ previous).count(), m_statusBar.m_nTextWrites)
            << "keys " << previous << " then " << keys;
        previous = keys;
    }
    std::string longText;
    for (int i = 0; i < 40; ++i)
        longText += "调试信息 debug ";
    ASSERT_TRUE(m_statusBar.SetPaneText(0, longText.c_str()));
    EXPECT_EQ(longText, m_statusBar.GetPaneText(0));
}

} // namespace
