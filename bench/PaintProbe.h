// PaintProbe: what the bench and its paint-probe hook DLL share. What the list shows cannot be
// seen from outside Kestrin, so a hook running on Kestrin's user-interface thread notes each
// update of one window (a WM_PAINT, or a change of its scroll range, which is drawn at once)
// into a named shared section, and times how long the window takes over each intake message.
#pragma once

#include <windows.h>

const char kPaintLogName[] = "KestrinBenchPaintLog";
const LONG kMaxPaints = 65536;

struct PaintLog {
    LONGLONG window;      // the window watched; both sides have one pointer width
    volatile LONG calls;  // hook calls of any kind: shows that the hook runs there at all
    volatile LONG paints; // updates seen; only the first kMaxPaints are timed
    int scrollMax;        // the vertical scroll range's end as last seen
    // Intake messages (WM_SETTEXT) sent to the window: how long each took, the showing of held
    // rows included.
    LONGLONG intakeStart;
    volatile LONG intakes;
    LONGLONG intakeTicks, longestIntakeTicks;
    LONGLONG ticks[kMaxPaints]; // QueryPerformanceCounter as each update was seen
};

// Hooks the sent messages, their returns and the retrieved messages of threadId, which may be
// another process's; the section must exist first. False when a hook cannot be set.
extern "C" BOOL InstallPaintProbe(DWORD threadId);
extern "C" void RemovePaintProbe();
