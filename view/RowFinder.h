// CRowFinder: the find as the window runs it, a few milliseconds at a time.
#pragma once

#include <windows.h>

#include <string>

#include "RowFind.h"

// Sent to the view by the find bar when its text or match case changed; the finder reads them
// from the bar, as any program may post this.
const UINT kFindText = WM_APP + 20;
// The next slice of a find, posted to the view.
const UINT kFindContinue = WM_APP + 21;
const UINT_PTR kFindTimer = 0x4B46; // "KF"

// What the finder asks of the list.
class IFindTarget {
public:
    // The focused row; -1 for none.
    virtual int FocusedRow() = 0;
    // Focuses and selects row alone, in the middle of the view.
    virtual void ShowFound(int row) = 0;

protected:
    ~IFindTarget() = default;
};

// Runs in slices on the view's thread between its other messages, so that clients and the user
// are answered while it scans millions of rows; rows added meanwhile are searched too.
class CRowFinder {
public:
    CRowFinder(const CShownRows& rows, IFindTarget& target, HWND& view)
        : m_find(rows, CLeadBytes::System()), m_target(target), m_view(view) {}

    // Finds the find bar's text as it is typed: from the focused row on, that row included.
    void TextChanged();
    // The next or previous match from the focused row; false when there is no text to find.
    bool FindAgain(bool forward);
    // The slice posted or timed.
    void Continue();
    // The rows were emptied.
    void Cleared();
    // New rows show: the count takes them in.
    void RowsShown();

private:
    void Seek(bool forward, bool inclusive);
    // Runs slices for a few milliseconds, then lets the queue go on.
    void Run();
    void Report();
    HWND Bar() const;

    CRowFind m_find;
    IFindTarget& m_target;
    HWND& m_view;
    bool m_running = false;
    std::string m_status;
};
