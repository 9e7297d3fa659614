// CMarquee: the rectangle a drag from beside the rows draws over the list, and the rows it covers.
#pragma once

#include <windows.h>

class CMarquee {
public:
    void Start(POINT at) { m_from = m_to = at, m_active = true; }
    void MoveTo(POINT at) { m_to = at; }
    void End() { m_active = false; }
    bool IsActive() const { return m_active; }
    // Its outline, over what the list painted.
    void Draw(HWND list) const;
    // The rows it covers within the client area client, where row top (of count) has bounds
    // topRow; false when it covers none.
    bool Covers(const RECT& client, const RECT& topRow, int top, int count, int& first,
                int& last) const;

private:
    RECT Box() const;

    POINT m_from{}, m_to{};
    bool m_active = false;
};
