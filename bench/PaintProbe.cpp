// paint-probe.dll: hooks that note the times of one window's WM_PAINT in a shared section.
#include "PaintProbe.h"

namespace {

HINSTANCE g_module = nullptr;
HHOOK g_sentHook = nullptr;
HHOOK g_returnHook = nullptr;
HHOOK g_retrievedHook = nullptr;
PaintLog* g_log = nullptr;

// Opened on the first call inside the hooked process; never closed, it lives as long as the DLL.
PaintLog* Log() {
    if (!g_log)
        if (HANDLE section = ::OpenFileMappingA(FILE_MAP_WRITE, FALSE, kPaintLogName))
            g_log = static_cast<PaintLog*>(
                ::MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(PaintLog)));
    return g_log;
}

LONGLONG Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void NotePaint(PaintLog* log, LONGLONG now) {
    const LONG index = ::InterlockedIncrement(&log->paints) - 1;
    if (index < kMaxPaints)
        log->ticks[index] = now;
}

// The log for any message of the thread; notes the window's paints and scroll-range changes.
PaintLog* Watch(HWND window, UINT message) {
    PaintLog* log = Log();
    if (!log)
        return nullptr;
    ::InterlockedIncrement(&log->calls);
    HWND watched = reinterpret_cast<HWND>(log->window);
    SCROLLINFO range = {};
    range.cbSize = sizeof range;
    range.fMask = SIF_RANGE;
    if (::GetScrollInfo(watched, SB_VERT, &range) && range.nMax != log->scrollMax) {
        log->scrollMax = range.nMax;
        NotePaint(log, Now());
    }
    if (message == WM_PAINT && window == watched)
        NotePaint(log, Now());
    return window == watched ? log : nullptr;
}

LRESULT CALLBACK OnSent(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        PaintLog* log = Watch(sent->hwnd, sent->message);
        if (log && sent->message == WM_SETTEXT)
            log->intakeStart = Now();
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OnReturned(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        PaintLog* log = Watch(sent->hwnd, sent->message);
        if (log && sent->message == WM_SETTEXT && log->intakeStart) {
            const LONGLONG took = Now() - log->intakeStart;
            log->intakeStart = 0;
            log->intakeTicks += took;
            log->longestIntakeTicks =
                log->longestIntakeTicks > took ? log->longestIntakeTicks : took;
            ::InterlockedIncrement(&log->intakes);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OnRetrieved(int code, WPARAM wParam, LPARAM lParam) {
    // A message only peeked at is not dispatched.
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const auto* retrieved = reinterpret_cast<const MSG*>(lParam);
        Watch(retrieved->hwnd, retrieved->message);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

extern "C" __declspec(dllexport) BOOL InstallPaintProbe(DWORD threadId) {
    g_sentHook = ::SetWindowsHookExA(WH_CALLWNDPROC, OnSent, g_module, threadId);
    g_returnHook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, OnReturned, g_module, threadId);
    g_retrievedHook = ::SetWindowsHookExA(WH_GETMESSAGE, OnRetrieved, g_module, threadId);
    return g_sentHook && g_returnHook && g_retrievedHook;
}

extern "C" __declspec(dllexport) void RemovePaintProbe() {
    HHOOK* hooks[] = {&g_sentHook, &g_returnHook, &g_retrievedHook};
    for (HHOOK* hook : hooks)
        if (*hook) {
            ::UnhookWindowsHookEx(*hook);
            *hook = nullptr;
        }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        g_module = module;
    return TRUE;
}
