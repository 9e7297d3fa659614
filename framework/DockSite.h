// CDockSite: what a control bar asks of the window it docks in.
#pragma once

#include <windows.h>

class CControlBar;

// The frame as its bars see it: where they register, dock, float and hide, so that bars need no
// more of the frame than this.
class CDockSite {
public:
    // Bars created in the site, kept in the order created until their windows go.
    virtual void AddControlBar(CControlBar* bar) = 0;
    virtual void RemoveControlBar(CControlBar* bar) = 0;
    // Docks bar at edge (one CBRS_ALIGN_ bit), or at none given where it last was; false when
    // neither the bar nor the site allows that edge.
    virtual bool DockControlBar(CControlBar* bar, DWORD edge = 0) = 0;
    // Floats bar in a tool window of its own whose top-left corner is at point (screen).
    virtual bool FloatControlBar(CControlBar* bar, POINT point) = 0;
    virtual void ShowControlBar(CControlBar* bar, bool show) = 0;
    // The edge among edges that a bar dropped at point (screen) docks at, 0 for none, and the
    // strip of that thickness it would take there, on the screen.
    virtual DWORD DockEdgeAt(DWORD edges, POINT point, int thickness, RECT& strip) const = 0;

protected:
    ~CDockSite() = default;
};
