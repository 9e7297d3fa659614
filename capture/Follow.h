// CFollow: whether the list keeps its newest row in view, and when the person pauses it.
#pragma once

// Where the list stands: its first visible row, the rows a page shows whole, its count, the
// focused row (-1: none).
struct ListPlace {
    int top, page, count, focus;

    bool ShowsLastRow() const { return top + page >= count; }
};

// Following is a setting; while it is on, the person pauses it by moving away from the bottom and
// resumes it by coming back. One rule on where the list stood before and after each of their acts
// covers every key, wheel and scroll bar: the view or the focus went up is away, down with the
// last row in view a return.
class CFollow {
public:
    void PersonMoved(const ListPlace& before, const ListPlace& after) {
        if (after.top < before.top || after.focus < before.focus)
            m_bPaused = true;
        else if ((after.top > before.top || after.focus > before.focus) && after.ShowsLastRow())
            m_bPaused = false;
    }
    // A click on row, of rows held (shown or about to be) with page rows on screen, pauses when
    // the next show would scroll the row away.
    void PersonClicked(int row, int rows, int page) {
        if (row >= 0 && row < rows - page)
            m_bPaused = true;
    }
    // Something other than the person moved the view up since the list last followed: a found
    // row, say.
    void MovedUpSince(int followedTop, int top) {
        if (top < followedTop)
            m_bPaused = true;
    }
    void SetOn(bool on) { m_bOn = on, m_bPaused = false; }
    void Resume() { m_bPaused = false; }
    bool IsOn() const { return m_bOn; }
    bool IsPaused() const { return m_bOn && m_bPaused; }
    // Whether a show brings the last row into view.
    bool Follows() const { return m_bOn && !m_bPaused; }

private:
    bool m_bOn = false;
    bool m_bPaused = false;
};
