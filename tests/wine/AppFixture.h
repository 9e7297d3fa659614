// Kestrin in this process, started once: every test starts from the state start-up leaves, and
// the modal windows a command opens are answered from a timer that fires inside their loops.
#pragma once

#include <functional>

#include "Kestrin.h"
#include "KestrinProcess.h"
#include "MainFrm.h"
#include "RecentFileList.h"
#include "View.h"
#include "resource.h"

inline CKestrinApp* g_app = nullptr;
const LRESULT kExtra = 12; // the first picture of the extra strip, after the toolbar's own 12

// Kestrin starts once: its single-instance mutex and windows stay until the process ends.
class KestrinEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kRegistryPath);
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
        g_app = new CKestrinApp;
        ASSERT_TRUE(g_app->InitInstance());
        PumpMessages();
    }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kRegistryPath); }
};
inline const auto* const g_environment =
    ::testing::AddGlobalTestEnvironment(new KestrinEnvironment);

// One action on the modal window in front.
using ModalStep = std::function<void(HWND window)>;

// The windows met: each caption, with ": " and the text for Kestrin's boxes; "cancelled " and
// the caption for one met after the last step, so no test hangs. Named: one type in all files.
struct ModalState {
    std::vector<ModalStep> steps;
    size_t next;
    HWND front;
    Strings seen;
};
inline ModalState g_modal;

// Runs the next step on the modal window in front, from a timer that fires inside its loop.
inline void CALLBACK AnswerModal(HWND, UINT, UINT_PTR, DWORD) {
    HWND w = ModalWindowOf(::GetCurrentProcessId());
    if (!w)
        return;
    const std::string caption = WindowText(w);
    if (w != g_modal.front)
        g_modal.seen.push_back(caption == g_app->m_strAppName
                                   ? caption + ": " + WindowText(::GetDlgItem(w, 0xFFFF))
                                   : caption);
    g_modal.front = w;
    if (g_modal.next < g_modal.steps.size())
        return g_modal.steps[g_modal.next++](w);
    if (g_modal.seen.back() != "cancelled " + caption)
        g_modal.seen.push_back("cancelled " + caption);
    ::PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
}

// Steps: a button pressed; a key pressed on the focus; a control's text replaced as a paste.
inline ModalStep Click(int id) {
    return [id](HWND window) {
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
    };
}
inline ModalStep Key(UINT key) {
    return [key](HWND) { ::PostMessageA(::GetFocus(), WM_KEYDOWN, key, 0); };
}
inline ModalStep Type(int id, std::string text) {
    return [id, text](HWND window) {
        ::SendDlgItemMessageA(window, id, EM_SETSEL, 0, -1);
        ::SendDlgItemMessageA(window, id, EM_REPLACESEL, TRUE,
                              reinterpret_cast<LPARAM>(text.c_str()));
    };
}

class AppFixture : public ::testing::Test {
protected:
    // As after start-up: no rows, capture on, no log file, a new document, no recent file.
    void SetUp() override {
        m_frame = dynamic_cast<CMainFrame*>(g_app->m_pMainWnd);
        ASSERT_TRUE(m_frame && m_frame->GetActiveView()) << "Kestrin did not start";
        m_view = m_frame->GetActiveView()->m_hWnd;
        PumpMessages();
        if (!(ButtonState(ID_CAPTURE) & TBSTATE_CHECKED))
            Command(ID_CAPTURE);
        if (ButtonState(ID_LOG_TO_FILE) & TBSTATE_CHECKED)
            Command(ID_LOG_TO_FILE);
        Command(ID_CLEAR);
        Command(ID_FILE_NEW);
        while (g_app->GetRecentFileList()->GetSize() > 0)
            g_app->GetRecentFileList()->Remove(0);
        m_frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    }

    void Command(UINT id) const { m_frame->SendMessage(WM_COMMAND, id); }
    // Runs the action, or the command, with its modal windows answered by steps; the windows met.
    static Strings Drive(const std::function<void()>& action, std::vector<ModalStep> steps) {
        g_modal = {std::move(steps), 0, nullptr, {}};
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, AnswerModal);
        action();
        ::KillTimer(nullptr, timer);
        return g_modal.seen;
    }
    Strings Drive(UINT id, std::vector<ModalStep> steps) const {
        return Drive([this, id] { Command(id); }, std::move(steps));
    }
    LRESULT Send(const char* text, HWND target = nullptr) const {
        return ::SendMessageA(target ? target : m_frame->m_hWnd, WM_SETTEXT,
                              ::GetCurrentProcessId(), reinterpret_cast<LPARAM>(text));
    }
    std::vector<Row> Rows() const { return CRemoteList(m_view).GetRows(); }
    Strings Texts() const {
        Strings texts;
        for (const Row& row : Rows())
            texts.push_back(row[3]);
        return texts;
    }
    // The pop-up at index of the menu bar, after the frame has been told it opens.
    HMENU OpenPopup(int index) const {
        HMENU popup = ::GetSubMenu(::GetMenu(m_frame->m_hWnd), index);
        m_frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), index);
        return popup;
    }
    // Through the application's loop and its accelerators, with the key held (0: none).
    static void Input(HWND to, UINT message, WPARAM wParam, LPARAM lParam = 0, BYTE held = 0) {
        BYTE keys[256] = {};
        keys[held] = 0x80;
        ::SetKeyboardState(keys);
        MSG queued;
        ::PostMessageA(to, message, wParam, lParam);
        while (::PeekMessageA(&queued, nullptr, 0, 0, PM_NOREMOVE) && g_app->PumpMessage()) {
        }
        keys[held] = 0;
        ::SetKeyboardState(keys);
    }
    std::string MenuText(UINT id) const { // of the File menu
        char text[MAX_PATH + 8] = "";
        ::GetMenuStringA(OpenPopup(0), id, text, sizeof text, MF_BYCOMMAND);
        return text;
    }
    HWND ToolBar() const { return ::GetDlgItem(m_frame->m_hWnd, AFX_IDW_TOOLBAR); }
    LRESULT ToolBarSend(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(ToolBar(), message, wParam, lParam);
    }
    // After an idle update.
    LRESULT ButtonState(UINT id) const {
        g_app->OnIdle();
        return ToolBarSend(TB_GETSTATE, id);
    }

    CMainFrame* m_frame = nullptr;
    HWND m_view = nullptr;
};
