// CRowFinder: slices of the find between the view's other messages, and what the bar shows.
#include "RowFinder.h"

#include "Strings.h"
#include "resource.h"

namespace {
// About a millisecond of scanning each, so that the clock is read seldom.
const size_t kSliceRows = 16384;
const LONGLONG kRunMicroseconds = 4000;

LONGLONG Microseconds() {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return now.QuadPart * 1000000 / frequency.QuadPart;
}

// 1204 as "1,204".
std::string Thousands(size_t value) {
    std::string digits = std::to_string(value);
    for (size_t pos = digits.size(); pos > 3; pos -= 3)
        digits.insert(pos - 3, ",");
    return digits;
}

std::string WithNumbers(UINT textId, size_t first, size_t second) {
    std::string text = AfxLoadString(textId);
    const size_t at = text.find("%s");
    if (at == std::string::npos)
        return text;
    text.replace(at, 2, Thousands(first));
    const size_t next = text.find("%s", at);
    return next == std::string::npos ? text : text.replace(next, 2, Thousands(second));
}
} // namespace

HWND CRowFinder::Bar() const {
    return ::GetDlgItem(::GetParent(m_view), ID_VIEW_FIND_BAR);
}

void CRowFinder::TextChanged() {
    const HWND box = ::GetDlgItem(Bar(), IDC_FIND_TEXT);
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(box)) + 1, '\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextA(box, &text[0], static_cast<int>(text.size()))));
    m_find.SetPattern(text, ::IsDlgButtonChecked(Bar(), IDC_FIND_MATCH_CASE) == BST_CHECKED);
    if (text.empty()) {
        Report();
        return;
    }
    Seek(true, true);
}

bool CRowFinder::FindAgain(bool forward) {
    if (m_find.GetSearch().GetPattern().empty())
        return false;
    Seek(forward, false);
    return true;
}

void CRowFinder::Seek(bool forward, bool inclusive) {
    const int focus = m_target.FocusedRow();
    m_find.Seek(focus < 0 ? CRowFind::kNone : static_cast<size_t>(focus), forward, inclusive);
    Run();
}

void CRowFinder::Continue() {
    ::KillTimer(m_view, kFindTimer);
    m_running = false;
    Run();
}

void CRowFinder::Cleared() {
    m_find.Cleared();
    Report();
}

void CRowFinder::RowsShown() {
    if (!m_running)
        Run();
}

// Posted messages come before input and painting: while either waits, the next slice waits for
// a timer, which comes after them.
void CRowFinder::Run() {
    const LONGLONG start = Microseconds();
    bool more = true;
    while (more && Microseconds() - start < kRunMicroseconds) {
        const CRowFind::State before = m_find.GetState();
        more = m_find.Step(kSliceRows);
        if (before == CRowFind::State::kSeeking && m_find.GetState() == CRowFind::State::kFound)
            m_target.ShowFound(static_cast<int>(m_find.GetFound()));
    }
    Report();
    if (!more || m_running)
        return;
    m_running = true;
    if (::GetQueueStatus(QS_INPUT | QS_PAINT) != 0 || !::PostMessageA(m_view, kFindContinue, 0, 0))
        if (!::SetTimer(m_view, kFindTimer, USER_TIMER_MINIMUM, nullptr))
            m_running = false;
}

void CRowFinder::Report() {
    std::string status;
    switch (m_find.GetState()) {
    case CRowFind::State::kNotFound:
        status = AfxLoadString(IDS_FIND_NONE);
        break;
    case CRowFind::State::kFound:
        if (m_find.Wrapped())
            status =
                AfxLoadString(m_find.IsForward() ? IDS_FIND_WRAPPED_START : IDS_FIND_WRAPPED_END) +
                "  ";
        if (m_find.IsCounted())
            status += WithNumbers(IDS_FIND_COUNT, m_find.GetIndex(), m_find.GetTotal());
        break;
    default:
        break;
    }
    if (status == m_status)
        return;
    m_status = status;
    ::SetDlgItemTextA(Bar(), IDC_FIND_STATUS, m_status.c_str());
}
