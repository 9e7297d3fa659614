// paint-probe.dll: hooks that note the times of one window's WM_PAINT in a shared section.
#include "PaintProbe.h"

namespace {

HINSTANCE g_module = nullptr;
HHOOK g_sentHook = nullptr;
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

void Note(HWND window, UINT message) {
    PaintLog* log = Log();
    if (!log)
        return;
    ::InterlockedIncrement(&log->calls);
    if (message != WM_PAINT || reinterpret_cast<LONG_PTR>(window) != log->window)
        return;
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    const LONG index = ::InterlockedIncrement(&log->paints) - 1;
    if (index < kMaxPaints)
        log->ticks[index] = now.QuadPart;
}

// UpdateWindow sends WM_PAINT; the list's own invalidations have it retrieved.
LRESULT CALLBACK OnSent(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        Note(sent->hwnd, sent->message);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OnRetrieved(int code, WPARAM wParam, LPARAM lParam) {
    // A message only peeked at is not dispatched.
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const auto* retrieved = reinterpret_cast<const MSG*>(lParam);
        Note(retrieved->hwnd, retrieved->message);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

extern "C" __declspec(dllexport) BOOL InstallPaintProbe(DWORD threadId) {
    g_sentHook = ::SetWindowsHookExA(WH_CALLWNDPROC, OnSent, g_module, threadId);
    g_retrievedHook = ::SetWindowsHookExA(WH_GETMESSAGE, OnRetrieved, g_module, threadId);
    return g_sentHook && g_retrievedHook;
}

extern "C" __declspec(dllexport) void RemovePaintProbe() {
    HHOOK* hooks[] = {&g_sentHook, &g_retrievedHook};
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
