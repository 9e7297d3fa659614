/* kestrin_trace.h: sends trace lines to Kestrin, the debug message viewer. C and C++.
 *
 *   #include "kestrin_trace.h"
 *
 *   KT("loaded %d items from %s", count, path);  // waits while Kestrin takes the line
 *   KestrinTraceTimeout(200, "tick %lu", tick);  // waits at most 200 ms, not at all if hung
 *
 * Both return TRUE when Kestrin took the line, and FALSE when no window titled "Kestrin"
 * exists, Kestrin refused the line, the wait ran out or the format could not be applied.
 * A line is formatted into 512 bytes: a longer one is cut at 511 bytes (Kestrin shows the
 * first 127 of them). Any thread may call them at any time.
 *
 * Define KESTRIN_TRACE_OFF before the include to make KT(...) expand to nothing: its
 * arguments are then not evaluated.
 */
#ifndef KESTRIN_TRACE_H
#define KESTRIN_TRACE_H

#include <stdarg.h>
#include <stdio.h>
#include <windows.h>

#if defined(_MSC_VER) && !defined(__cplusplus)
#define KESTRIN_TRACE_API static __inline
#else
#define KESTRIN_TRACE_API static inline
#endif

/* Checked against the formats of the vsnprintf that the program gets. */
#if defined(__MINGW_PRINTF_FORMAT)
#define KESTRIN_TRACE_FORMAT(f, a) __attribute__((format(__MINGW_PRINTF_FORMAT, f, a)))
#elif defined(__GNUC__)
#define KESTRIN_TRACE_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define KESTRIN_TRACE_FORMAT(f, a)
#endif

KESTRIN_TRACE_API BOOL KestrinTrace(const char* format, ...) KESTRIN_TRACE_FORMAT(1, 2);
KESTRIN_TRACE_API BOOL KestrinTraceTimeout(DWORD milliseconds, const char* format, ...)
    KESTRIN_TRACE_FORMAT(2, 3);

#ifdef KESTRIN_TRACE_OFF
#define KT(...) ((void)0)
#else
#define KT(...) KestrinTrace(__VA_ARGS__)
#endif

/* The window found by its title is kept, and looked up again once it is gone. Threads
 * read and replace the kept handle whole; two that look up at once store the same window. */
KESTRIN_TRACE_API HWND KestrinTraceWindow(void) {
    static PVOID volatile kept;
    HWND window = (HWND)InterlockedCompareExchangePointer(&kept, NULL, NULL);
    if (!IsWindow(window)) {
        window = FindWindowA(NULL, "Kestrin");
        InterlockedExchangePointer(&kept, (PVOID)window);
    }
    return window;
}

/* Without a bound this waits as SendMessageA does, but unlike SendMessageA's answer of 0
 * its result tells a Kestrin that ended while taking the line. */
KESTRIN_TRACE_API BOOL KestrinTraceSend(BOOL bounded, DWORD milliseconds, const char* format,
                                        va_list args) {
    char text[512]; /* on each caller's stack, so threads never share it */
    DWORD_PTR answer = 1;
    HWND window = KestrinTraceWindow();
    if (!window || !format || vsnprintf(text, sizeof text, format, args) < 0)
        return FALSE;
    return SendMessageTimeoutA(window, WM_SETTEXT, (WPARAM)GetCurrentProcessId(), (LPARAM)text,
                               bounded ? SMTO_NORMAL | SMTO_ABORTIFHUNG : SMTO_NORMAL,
                               bounded ? milliseconds : INFINITE, &answer) &&
           answer == 0;
}

KESTRIN_TRACE_API BOOL KestrinTrace(const char* format, ...) {
    va_list args;
    BOOL taken;
    va_start(args, format);
    taken = KestrinTraceSend(FALSE, 0, format, args);
    va_end(args);
    return taken;
}

KESTRIN_TRACE_API BOOL KestrinTraceTimeout(DWORD milliseconds, const char* format, ...) {
    va_list args;
    BOOL taken;
    va_start(args, format);
    taken = KestrinTraceSend(TRUE, milliseconds, format, args);
    va_end(args);
    return taken;
}

#endif
