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

// The log, when message is a paint of the window it watches.
PaintLog* PaintOf(HWND window, UINT message) {
    PaintLog* log = Log();
    if (!log)
        return nullptr;
    ::InterlockedIncrement(&log->calls);
    return message == WM_PAINT && reinterpret_cast<LONG_PTR>(window) == log->window ? log : nullptr;
}

void NotePaint(PaintLog* log, LONGLONG now) {
    const LONG index = ::InterlockedIncrement(&log->paints) - 1;
    if (index < kMaxPaints)
        log->ticks[index] = now;
}

// UpdateWindow sends WM_PAINT; the list's own invalidations have it retrieved.
LRESULT CALLBACK OnSent(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (PaintLog* log = PaintOf(sent->hwnd, sent->message)) {
            log->sentStart = Now();
            NotePaint(log, log->sentStart);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OnReturned(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        PaintLog* log = PaintOf(sent->hwnd, sent->message);
        if (log && log->sentStart) {
            const LONGLONG took = Now() - log->sentStart;
            log->sentStart = 0;
            log->sentTicks += took;
            log->longestSentTicks = log->longestSentTicks > took ? log->longestSentTicks : took;
            ::InterlockedIncrement(&log->sentPaints);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OnRetrieved(int code, WPARAM wParam, LPARAM lParam) {
    // A message only peeked at is not dispatched.
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const auto* retrieved = reinterpret_cast<const MSG*>(lParam);
        if (PaintLog* log = PaintOf(retrieved->hwnd, retrieved->message))
            NotePaint(log, Now());
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
