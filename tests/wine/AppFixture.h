// Kestrin in this process for the in-process tests: the application starts once, every test
// starts from the state start-up leaves, and the modal windows a command opens are answered from
// a timer that fires inside their own loops.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Kestrin.h"
#include "MainFrm.h"
#include "RecentFileList.h"
#include "WineTestSupport.h"
#include "resource.h"

inline const char kRegistryPath[] = "Software\\Local AppWizard-Generated Applications\\Kestrin";

using Row = std::vector<std::string>;
using Strings = std::vector<std::string>;

inline CKestrinApp* g_app = nullptr;

inline std::string WindowText(HWND hWnd) {
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(hWnd)) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(hWnd, &text[0], int(text.size()))));
    return text;
}
inline CMainFrame* Frame() {
    return g_app ? dynamic_cast<CMainFrame*>(g_app->m_pMainWnd) : nullptr;
}
inline HWND ToolBar() {
    return ::GetDlgItem(Frame()->m_hWnd, AFX_IDW_TOOLBAR);
}
inline std::string PaneText(int pane = 0) {
    auto* bar = dynamic_cast<CStatusBar*>(
        CWnd::FromHandle(::GetDlgItem(Frame()->m_hWnd, AFX_IDW_STATUS_BAR)));
    return bar ? bar->GetPaneText(pane) : "<no status bar>";
}

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

// One action on the modal window in front; true when done with it, false to be called again.
using ModalStep = std::function<bool(HWND window)>;

// Runs the steps in order on the enabled, visible dialog-class window of this thread. A window
// met after the last step, or one a step has not finished within 15 s, is cancelled and noted,
// so that no test hangs.
class CModalDriver {
public:
    explicit CModalDriver(std::vector<ModalStep> steps) : m_steps(std::move(steps)) {
        s_active = this;
        m_timer = ::SetTimer(nullptr, 0, 10, Tick);
    }
    CModalDriver(const CModalDriver&) = delete;
    CModalDriver& operator=(const CModalDriver&) = delete;
    ~CModalDriver() {
        ::KillTimer(nullptr, m_timer);
        s_active = nullptr;
    }

    // Each window's caption, with ": " and the message for Kestrin's message boxes;
    // "cancelled " and the caption for one no step finished.
    Strings m_seen;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND front = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), FindFront, reinterpret_cast<LPARAM>(&front));
        if (s_active && front)
            s_active->Act(front);
    }
    static BOOL CALLBACK FindFront(HWND window, LPARAM front) {
        char className[16] = "";
        ::GetClassNameA(window, className, sizeof className);
        if (std::string(className) != "#32770" || !::IsWindowVisible(window) ||
            !::IsWindowEnabled(window))
            return TRUE;
        *reinterpret_cast<HWND*>(front) = window;
        return FALSE;
    }

    void Act(HWND front) {
        const ULONGLONG now = ::GetTickCount64();
        const std::string caption = WindowText(front);
        if (front != m_front) {
            m_front = front;
            m_since = now;
            m_seen.push_back(caption == g_app->m_strAppName
                                 ? caption + ": " + WindowText(::GetDlgItem(front, 0xFFFF))
                                 : caption);
        }
        if (m_next < m_steps.size() && now - m_since < 15000) {
            if (m_steps[m_next](front)) {
                ++m_next;
                m_since = now;
            }
            return;
        }
        if (m_seen.back() != "cancelled " + caption)
            m_seen.push_back("cancelled " + caption);
        ::PostMessageA(front, WM_COMMAND, IDCANCEL, 0);
    }

    inline static CModalDriver* s_active = nullptr;
    std::vector<ModalStep> m_steps;
    size_t m_next = 0;
    UINT_PTR m_timer = 0;
    HWND m_front = nullptr;
    ULONGLONG m_since = 0;
};

// Steps: a button pressed; a key pressed on the focus; a control's text replaced as a paste
// would; the save dialog's file name typed and Save pressed; texts sent from another thread.
inline ModalStep Click(int id) {
    return [id](HWND window) {
        return ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                              reinterpret_cast<LPARAM>(::GetDlgItem(window, id))) != FALSE;
    };
}
inline ModalStep Key(UINT key) {
    return [key](HWND) { return ::PostMessageA(::GetFocus(), WM_KEYDOWN, key, 0) != FALSE; };
}
inline ModalStep Type(int id, std::string text) {
    return [id, text](HWND window) {
        ::SendDlgItemMessageA(window, id, EM_SETSEL, 0, -1);
        ::SendDlgItemMessageA(window, id, EM_REPLACESEL, TRUE,
                              reinterpret_cast<LPARAM>(text.c_str()));
        return true;
    };
}
inline ModalStep SaveAs(std::string path) {
    return [path](HWND window) {
        ::SetWindowTextA(FileNameEdit(window), path.c_str());
        return Click(IDOK)(window);
    };
}
// Done once the thread has ended, so the texts arrived while the window was open.
using SendJob = std::pair<HWND, Strings>;
inline DWORD WINAPI SendTexts(void* param) {
    std::unique_ptr<SendJob> job(static_cast<SendJob*>(param));
    for (const std::string& text : job->second)
        ::SendMessageA(job->first, WM_SETTEXT, ::GetCurrentProcessId(),
                       reinterpret_cast<LPARAM>(text.c_str()));
    return 0;
}
inline ModalStep SendFromThread(Strings texts) {
    auto thread = std::make_shared<CHandle>();
    return [thread, texts](HWND) {
        if (!*thread)
            thread->Reset(::CreateThread(nullptr, 0, SendTexts, new SendJob(Frame()->m_hWnd, texts),
                                         0, nullptr));
        return ::WaitForSingleObject(thread->Get(), 0) == WAIT_OBJECT_0;
    };
}

class AppFixture : public ::testing::Test {
protected:
    // Every test starts as after start-up: no rows, capture on, log to file off, a new document
    // with a filter that passes everything, no recent files, no prompt.
    void SetUp() override {
        m_frame = Frame();
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
    // Runs the command with the modal windows it opens answered by steps; the windows met.
    Strings Drive(UINT id, std::vector<ModalStep> steps) const {
        CModalDriver driver(std::move(steps));
        Command(id);
        return driver.m_seen;
    }
    void SetFilter(const std::string& include, const std::string& exclude = ";") const {
        Drive(ID_FILTER, {Type(IDC_INCLUDE, include), Type(IDC_EXCLUDE, exclude), Click(IDOK)});
    }
    LRESULT Send(const char* text, HWND target = nullptr) const {
        return ::SendMessageA(target ? target : m_frame->m_hWnd, WM_SETTEXT,
                              ::GetCurrentProcessId(), reinterpret_cast<LPARAM>(text));
    }
    std::vector<Row> Rows() const {
        CListCtrl list(m_view);
        std::vector<Row> rows;
        for (int item = 0; item < list.GetItemCount(); ++item)
            rows.push_back({list.GetItemText(item, 0), list.GetItemText(item, 1),
                            list.GetItemText(item, 2), list.GetItemText(item, 3)});
        return rows;
    }
    Strings Texts() const {
        Strings texts;
        for (const Row& row : Rows())
            texts.push_back(row[3]);
        return texts;
    }
    // After an idle update.
    LRESULT ButtonState(UINT id) const {
        g_app->OnIdle(0);
        return ::SendMessageA(ToolBar(), TB_GETSTATE, id, 0);
    }

    CMainFrame* m_frame = nullptr;
    HWND m_view = nullptr;
};
