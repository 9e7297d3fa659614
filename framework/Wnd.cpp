// CWnd: creation with binding, the shared window procedure, and the edge that stops exceptions.
#include "Wnd.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <new>

namespace {
// The object whose window is being created on this thread: bound by the CBT hook
// before the window sees its first message.
thread_local CWnd* t_pWndInit = nullptr;

std::atomic<unsigned long long> g_outOfMemory{0};
} // namespace

void AfxOnCallbackException() noexcept {
    const char* what = "an exception of unknown type";
    try {
        throw;
    } catch (const std::bad_alloc&) {
        ++g_outOfMemory;
        return;
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
    }
    char line[512];
    std::snprintf(line, sizeof line, "Kestrin: a call from the system failed: %s\n", what);
    ::OutputDebugStringA(line);
}

unsigned long long AfxGetOutOfMemoryCount() noexcept {
    return g_outOfMemory;
}

const MessageMap CWnd::messageMap{&CCmdTarget::messageMap};
const RECT CWnd::rectDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

bool AfxRegisterClass(WNDCLASSA* wndClass) {
    WNDCLASSA existing;
    if (::GetClassInfoA(wndClass->hInstance, wndClass->lpszClassName, &existing))
        return true;
    return ::RegisterClassA(wndClass) != 0;
}

bool AfxRegisterWndClass(HINSTANCE instance, const char* name, UINT style, int backgroundColour,
                         HICON icon) {
    WNDCLASSA wc = {};
    wc.style = style;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(backgroundColour + 1));
    wc.lpszClassName = name;
    return AfxRegisterClass(&wc);
}

CWnd::~CWnd() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd ||
        ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(StandardProc))
        return nullptr;
    return reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

bool CWnd::PreCreateWindow(CREATESTRUCTA&) {
    return true;
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, HWND parent, HMENU menuOrId, void* param) {
    CREATESTRUCTA cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    bool systemPlaced = rect.left == CW_USEDEFAULT;
    cs.x = rect.left;
    cs.y = systemPlaced ? 0 : rect.top;
    cs.cx = systemPlaced ? CW_USEDEFAULT : rect.right - rect.left;
    cs.cy = systemPlaced ? 0 : rect.bottom - rect.top;
    cs.hwndParent = parent;
    cs.hMenu = menuOrId;
    cs.hInstance = ::GetModuleHandleA(nullptr);
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs))
        return false;

    HHOOK hook = ::SetWindowsHookExA(WH_CBT, CbtHook, nullptr, ::GetCurrentThreadId());
    if (!hook)
        return false;
    t_pWndInit = this;
    HWND hWnd =
        ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx,
                          cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    t_pWndInit = nullptr;
    ::UnhookWindowsHookEx(hook);
    return hWnd != nullptr && m_hWnd == hWnd;
}

LRESULT CALLBACK CWnd::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_pWndInit) {
        CWnd* wnd = t_pWndInit;
        t_pWndInit = nullptr;
        AfxCallbackEdge([&] { wnd->Attach(reinterpret_cast<HWND>(wParam)); }, [] {});
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CWnd::Attach(HWND hWnd) {
    m_hWnd = hWnd;
    ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_superProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StandardProc)));
}

void CWnd::Detach() {
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
}

bool CWnd::DestroyWindow() {
    return m_hWnd && ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CWnd::StandardProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (!wnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    const LRESULT result = AfxCallbackEdge([&] { return wnd->WindowProc(message, wParam, lParam); },
                                           [&] { return wnd->FailedAnswer(message); });
    if (message == WM_NCDESTROY) {
        wnd->Detach();
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_superProc ? ::CallWindowProcA(m_superProc, m_hWnd, message, wParam, lParam)
                       : ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        CWnd* child = FromHandle(header->hwndFrom);
        if (child && child != this && child->OnChildNotify(header, &result))
            return result;
        if (OnNotify(wParam, lParam, &result))
            return result;
        break;
    }
    default:
        if (DispatchMapped(message, wParam, lParam, result))
            return result;
    }
    return Default(message, wParam, lParam);
}

bool CWnd::DispatchMapped(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const MessageEntry* entry = GetMessageMap()->FindMessage(message);
    if (!entry)
        return false;
    switch (entry->kind) {
    case MessageEntry::Create:
        result =
            (this->*std::get<PfnCreate>(entry->handler))(reinterpret_cast<CREATESTRUCTA*>(lParam));
        return true;
    case MessageEntry::Message:
        result = (this->*std::get<PfnMessage>(entry->handler))(wParam, lParam);
        return true;
    default:
        (this->*std::get<PfnCommand>(entry->handler))();
        return false;
    }
}

int CWnd::OnCreate(CREATESTRUCTA* cs) {
    return static_cast<int>(Default(WM_CREATE, 0, reinterpret_cast<LPARAM>(cs)));
}

bool CWnd::OnCommand(WPARAM wParam, LPARAM) {
    // Menus send code 0, accelerators 1, and toolbar buttons BN_CLICKED (0).
    if (HIWORD(wParam) > 1)
        return false;
    return OnCmdMsg(LOWORD(wParam), CN_COMMAND, nullptr);
}

bool CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) {
    return false;
}

void CWnd::GetDlgItemText(int id, std::string& text) const {
    HWND item = ::GetDlgItem(m_hWnd, id);
    text.assign(static_cast<size_t>(::GetWindowTextLengthA(item)) + 1, '\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextA(item, &text[0], static_cast<int>(text.size()))));
}

void CWnd::MoveWindow(const RECT& rect, bool repaint) const {
    ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 repaint);
}
