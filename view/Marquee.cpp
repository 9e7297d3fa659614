// CMarquee: the drag rectangle, framed rather than inverted so that any repaint may redraw it.
#include "Marquee.h"

#include <algorithm>

RECT CMarquee::Box() const {
    return {std::min(m_from.x, m_to.x), std::min(m_from.y, m_to.y), std::max(m_from.x, m_to.x) + 1,
            std::max(m_from.y, m_to.y) + 1};
}

void CMarquee::Draw(HWND list) const {
    const RECT box = Box();
    if (HDC dc = ::GetDC(list)) {
        ::FrameRect(dc, &box, ::GetSysColorBrush(COLOR_HIGHLIGHT));
        ::ReleaseDC(list, dc);
    }
}

bool CMarquee::Covers(const RECT& client, const RECT& topRow, int top, int count, int& first,
                      int& last) const {
    // Only what shows: the rows are those the box covers on screen.
    RECT box;
    const RECT whole = Box();
    const int height = topRow.bottom - topRow.top;
    if (!::IntersectRect(&box, &whole, &client) || height <= 0 || top < 0 || top >= count ||
        box.right <= topRow.left || box.left >= topRow.right || box.bottom <= topRow.top)
        return false;
    first = top + std::max(0, static_cast<int>(box.top - topRow.top)) / height;
    last = std::min(count - 1, top + static_cast<int>(box.bottom - 1 - topRow.top) / height);
    return first <= last;
}
