// PaintProbe: what the bench and its paint-probe hook DLL share. Painting cannot be seen from
// outside Kestrin, so a hook running on Kestrin's user-interface thread notes each WM_PAINT of
// one window into a named shared section.
#pragma once

#include <windows.h>

const char kPaintLogName[] = "KestrinBenchPaintLog";
const LONG kMaxPaints = 65536;

struct PaintLog {
    LONGLONG window;      // the window whose paints are noted; both sides have one pointer width
    volatile LONG calls;  // hook calls of any kind: shows that the hook runs there at all
    volatile LONG paints; // WM_PAINTs seen; only the first kMaxPaints are timed
    // Sent paints (UpdateWindow's) hold up the senders too: how long they took.
    LONGLONG sentStart;
    volatile LONG sentPaints;
    LONGLONG sentTicks, longestSentTicks;
    LONGLONG ticks[kMaxPaints]; // QueryPerformanceCounter as each WM_PAINT reached the window
};

// Hooks the sent messages, their returns and the retrieved messages of threadId, which may be
// another process's; the section must exist first. False when a hook cannot be set.
extern "C" BOOL InstallPaintProbe(DWORD threadId);
extern "C" void RemovePaintProbe();
