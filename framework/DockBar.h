// CDockBar: one edge of a frame where control bars dock.
#pragma once

#include <windows.h>

#include <vector>

class CControlBar;

// Keeps the bars docked at its edge in order and gives each a strip along it, outermost first.
class CDockBar {
public:
    explicit CDockBar(DWORD align) : m_dwAlign(align) {}

    DWORD GetAlign() const { return m_dwAlign; }
    bool Contains(const CControlBar* bar) const;
    // The bar goes innermost, turned to lie along the edge.
    void Insert(CControlBar* bar);
    void Remove(const CControlBar* bar);
    // Moves the visible bars into strips taken off client.
    void Layout(RECT& client) const;

    // The strip of the given thickness at an edge of client, which loses it.
    static RECT TakeStrip(RECT& client, DWORD align, int thickness);

private:
    DWORD m_dwAlign;
    std::vector<CControlBar*> m_bars;
};
