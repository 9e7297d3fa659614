// CCmdTarget and CWnd: command routing and the binding of windows to their C++ objects.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>

#include "MessageMap.h"

class CDockSite;

// The point a mouse message carries in lParam; its coordinates are signed, as they are left of or
// above a window, or on a monitor left of the primary one.
inline POINT PointFromLParam(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// The edge of every function the system calls back (window, dialog and hook procedures, thread
// procedures): no exception crosses into USER32.

// Handles the exception being caught at an edge: running out of memory is counted, anything else
// is traced with OutputDebugString.
void AfxOnCallbackException() noexcept;
// How many calls from the system failed for want of memory.
unsigned long long AfxGetOutOfMemoryCount() noexcept;

// Answers body(); when it throws, the exception is handled and the call fails: failure is its
// answer (a value, or a callable that undoes what it must and returns the value).
template <class Body, class Failure>
auto AfxCallbackEdge(Body&& body, Failure&& failure) noexcept -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        AfxOnCallbackException();
        if constexpr (std::is_invocable_v<Failure>)
            return failure();
        else
            return failure;
    }
}

enum { CN_COMMAND, CN_PROBE, CN_UPDATE_COMMAND_UI };

// Anything with a message map: application, document, windows.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // CN_COMMAND runs the command's handler, CN_PROBE only asks whether there is one,
    // CN_UPDATE_COMMAND_UI runs its update handler with pCmdUI. False when none applies.
    virtual bool OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI);

protected:
    virtual const MessageMap* GetMessageMap() const;
    static const MessageMap messageMap;
};

// A window owned by a C++ object. One place binds (creation) and one unbinds
// (WM_NCDESTROY); a message whose handler throws fails with FailedAnswer.
class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    static CWnd* FromHandle(HWND hWnd);

    // Creates the window and binds it to this object before its first message;
    // messages it does not handle go to the class's own window procedure.
    // rectDefault leaves position and size to the system.
    static const RECT rectDefault;
    bool CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  const RECT& rect, HWND parent, HMENU menuOrId, void* param = nullptr);
    virtual bool PreCreateWindow(CREATESTRUCTA& cs);
    bool DestroyWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    bool ShowWindow(int cmdShow) const { return ::ShowWindow(m_hWnd, cmdShow) != FALSE; }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetDlgItemText(int id, const char* text) const { ::SetDlgItemTextA(m_hWnd, id, text); }
    void GetDlgItemText(int id, std::string& text) const;
    void MoveWindow(const RECT& rect, bool repaint = true) const;

    // The window procedure of the object: message map first, then the default.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Handles WM_COMMAND from menus, accelerators and controls.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    virtual bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A control's notification, offered back to the control's own object before its parent.
    virtual bool OnChildNotify(NMHDR*, LRESULT*) { return false; }
    // Where control bars created in this window dock; null when it takes none.
    virtual CDockSite* GetDockSite() { return nullptr; }
    virtual void PostNcDestroy() {}
    // The answer to a message whose handling threw: -1 refuses WM_CREATE, else 0. A window whose
    // answers mean otherwise says what failure is for it.
    virtual LRESULT FailedAnswer(UINT message) const { return message == WM_CREATE ? -1 : 0; }

protected:
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    // Base handling of WM_CREATE: the window class's own; -1 refuses the window.
    int OnCreate(CREATESTRUCTA* cs);
    MESSAGE_MAP_MEMBERS();
    // Runs the first handler mapped to message, whatever its shape. True when result is the
    // answer; false when none is mapped or a void handler ran, and the default handling follows.
    bool DispatchMapped(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static LRESULT CALLBACK StandardProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    void Attach(HWND hWnd);
    void Detach();

    WNDPROC m_superProc = nullptr;
};

// Registers a window class; also true when the name is already registered.
bool AfxRegisterClass(WNDCLASSA* wndClass);
// A class of the framework's own windows in instance: the default procedure (the framework binds
// each window as it is created), the arrow cursor, a system colour as background.
bool AfxRegisterWndClass(HINSTANCE instance, const char* name, UINT style, int backgroundColour,
                         HICON icon = nullptr);
