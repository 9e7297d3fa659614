// CDockBar: the bars docked at one edge of a frame and their strips.
#include "DockBar.h"

#include <algorithm>

#include "ControlBar.h"

namespace {
// The border a docked bar draws on its side that faces the view.
DWORD InnerBorder(DWORD align) {
    switch (align) {
    case CBRS_ALIGN_LEFT:
        return CBRS_BORDER_RIGHT;
    case CBRS_ALIGN_RIGHT:
        return CBRS_BORDER_LEFT;
    case CBRS_ALIGN_BOTTOM:
        return CBRS_BORDER_TOP;
    default:
        return CBRS_BORDER_BOTTOM;
    }
}
} // namespace

bool CDockBar::Contains(const CControlBar* bar) const {
    return std::find(m_bars.begin(), m_bars.end(), bar) != m_bars.end();
}

void CDockBar::Insert(CControlBar* bar) {
    if (!Contains(bar))
        m_bars.push_back(bar);
    const DWORD kept = bar->GetBarStyle() & ~(CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_FLOATING);
    bar->SetBarStyle(kept | m_dwAlign | InnerBorder(m_dwAlign));
}

void CDockBar::Remove(const CControlBar* bar) {
    m_bars.erase(std::remove(m_bars.begin(), m_bars.end(), bar), m_bars.end());
}

void CDockBar::Layout(RECT& client) const {
    for (CControlBar* bar : m_bars) {
        if (!bar->IsVisible())
            continue;
        const SIZE size = bar->CalcFixedLayout();
        bar->MoveWindow(TakeStrip(client, m_dwAlign, bar->IsVertical() ? size.cx : size.cy));
    }
}

// Never more than client holds, so the view's rectangle stays whole however small the frame.
RECT CDockBar::TakeStrip(RECT& client, DWORD align, int thickness) {
    RECT strip = client;
    switch (align) {
    case CBRS_ALIGN_LEFT:
        client.left = strip.right = std::min(client.left + thickness, client.right);
        break;
    case CBRS_ALIGN_RIGHT:
        client.right = strip.left = std::max(client.right - thickness, client.left);
        break;
    case CBRS_ALIGN_BOTTOM:
        client.bottom = strip.top = std::max(client.bottom - thickness, client.top);
        break;
    default:
        client.top = strip.bottom = std::min(client.top + thickness, client.bottom);
        break;
    }
    return strip;
}
