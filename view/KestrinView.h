// CKestrinView: the log list, its capture state and the commands that act on it.
#pragma once

#include <string>

#include "Capture.h"
#include "DebugOutput.h"
#include "Follow.h"
#include "Highlights.h"
#include "Marquee.h"
#include "NetworkSources.h"
#include "RowDetail.h"
#include "RowFinder.h"
#include "RowOutput.h"
#include "RowSelection.h"
#include "RowStore.h"
#include "ShowPacing.h"
#include "ShownRows.h"
#include "View.h"
#include "WinProcessSource.h"

class CKestrinView : public CListView,
                     private IRowSink,
                     private ISender,
                     private IOutputFailed,
                     private IFindTarget {
public:
    CKestrinView();

    bool PreCreateWindow(CREATESTRUCTA& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A client's line whose handling failed was not taken.
    LRESULT FailedAnswer(UINT message) const override {
        return message == WM_SETTEXT ? 1 : CListView::FailedAnswer(message);
    }
    void OnInitialUpdate() override;
    // What went wrong or was lost meanwhile.
    std::string GetIdleText() const override;
    // The list paints itself on the screen: a printed page or a preview is empty.
    bool OnPreparePrinting(CPrintInfo* info) override;

protected:
    void OnFilter();
    void OnClear();
    void OnCapture();
    void OnUpdateCapture(CCmdUI* pCmdUI);
    void OnLogToFile();
    void OnUpdateLogToFile(CCmdUI* pCmdUI);
    void OnSaveLog();
    void OnEditCopy();
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    LRESULT OnLogFailed(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    void OnCaptureDebugOutput();
    void OnUpdateCaptureDebugOutput(CCmdUI* pCmdUI);
    // The reader's wake-up: its waiting lines become rows.
    LRESULT OnDebugOutput(WPARAM, LPARAM);
    // Following's, in KestrinFollow.cpp.
    void OnFollow();
    void OnUpdateFollow(CCmdUI* pCmdUI);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    void OnFindNext() { FindAgain(true); }
    void OnFindPrevious() { FindAgain(false); }
    LRESULT OnFindText(WPARAM, LPARAM);
    LRESULT OnFindContinue(WPARAM, LPARAM);
    // Highlighting's, in KestrinHighlight.cpp.
    void OnHighlight();
    void OnHighlightProcess();
    void OnUpdateHighlightProcess(CCmdUI* pCmdUI);
    // The time column's and the detail pane's, in KestrinTime.cpp.
    template <TimeFormat format> void OnTimeFormat() { SetTimeFormat(format); }
    void OnUpdateTimeFormat(CCmdUI* pCmdUI);
    LRESULT OnDetailWanted(WPARAM, LPARAM);
    // The list's, in KestrinList.cpp.
    LRESULT OnDeleteAllItems(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM key, LPARAM lParam);
    LRESULT OnLButtonDown(WPARAM flags, LPARAM point);
    LRESULT OnRButtonDown(WPARAM flags, LPARAM point);
    LRESULT OnChar(WPARAM code, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM flags, LPARAM point);
    LRESULT OnLButtonUp(WPARAM, LPARAM);
    LRESULT OnCaptureChanged(WPARAM, LPARAM);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    bool OnChildNotify(NMHDR* header, LRESULT* result) override;
    // Hiding's, in KestrinHide.cpp.
    LRESULT OnRButtonUp(WPARAM, LPARAM point);
    LRESULT OnKeyUp(WPARAM key, LPARAM lParam);
    LRESULT OnSysKey(WPARAM key, LPARAM lParam);
    LRESULT OnContextMenu(WPARAM, LPARAM point);
    void OnHideProcess();
    void OnShowOnlyProcess();
    void OnHideInstance();
    void OnShowAll();
    void OnUpdateHide(CCmdUI* pCmdUI);
    void OnUpdateShowAll(CCmdUI* pCmdUI);
    // The network sources', in KestrinNetwork.cpp.
    void OnNetworkSources();
    LRESULT OnNetworkRefused(WPARAM, LPARAM);
    MESSAGE_MAP_MEMBERS();

private:
    // Rows go into the store; the list only learns their count and asks for cells as it draws.
    Appended AppendRow(const DebugRecord& record) override;
    void Reply() override;
    void ShowRows() override;
    void ShowDropped();
    void SetIdleText(const std::string& text);
    // The frame asks for the idle text again.
    void ShowIdleText();
    void OutputFailed(UINT textId, const std::string& path) override;
    // The cells of a row that Save, Copy and the log write: the header's.
    int Columns() const { return GetListCtrl().GetHeaderCtrl().GetItemCount(); }

    // The store row a list row shows.
    size_t StoreRow(int listRow) const { return m_shown.StoreRow(static_cast<size_t>(listRow)); }
    // Hiding's, in KestrinHide.cpp: the selected rows' names and pids; a hiding command applied
    // and the list made anew, or a box when memory ran out.
    void SelectedProcesses(std::vector<std::string>& names, std::vector<DWORD>& pids) const;
    void ChangeShown(UINT command);
    std::string HiddenText() const;
    void SetTimeFormat(TimeFormat format);
    void RestoreTimeFormat();
    // The pane follows the focus; rows show or are cleared meanwhile.
    void UpdateDetail();
    // The network sources', in KestrinNetwork.cpp: applied once at start, and what failed.
    void RestoreNetworkSources();
    void ApplyNetworkSources(const NetworkSettings& settings);
    std::string NetworkText() const;

    // The list's, in KestrinList.cpp.
    LRESULT OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void SyncItemCount();
    // The rows the list counts, which keys and the mouse can reach.
    int ShownCount();
    // The row typed text leads to, by the list's find flags; -1 for none.
    int FindRow(int start, UINT flags, const char* text);
    LRESULT SetItemState(int row, const LVITEMA& item);
    LRESULT SelectAll();
    void FindAgain(bool forward);
    void ShowFound(int row) override;
    int FocusedRow() override {
        return static_cast<int>(Default(LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
    }
    // The focus moves to row, which shows. MoveTo selects the rows from the mark to row when
    // extending, else row alone, the new mark; ToggleRow flips row's state and marks it.
    void MoveTo(int row, bool extend);
    void ToggleRow(int row);
    void FocusRow(int row);
    // The row under a point of the list's client area; -1 for none.
    int RowAt(LPARAM point);
    void EndGesture();
    // The selection becomes the marquee's base and the rows it covers.
    void SelectCovered();

    // Following's, in KestrinFollow.cpp. PersonActs hands the person's message to the list and
    // then lets their move pause or resume following; FollowNewestRow is a show's step.
    static bool IsPersonsMove(UINT message);
    void RestoreFollow();
    ListPlace Place();
    LRESULT PersonActs(UINT message, WPARAM wParam, LPARAM lParam);
    void CatchMoveUp();
    void FollowNewestRow();

    // Highlighting's, in KestrinHighlight.cpp. Rows are coloured as the list draws them.
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    void RestoreHighlights();
    void SetHighlights(std::vector<HighlightRule> rules);

    CWinProcessSource m_processes;
    CCapture m_capture;
    CRowStore m_rows;
    CShownRows m_shown{m_rows};
    size_t m_nHiddenTold = 0; // the hidden rows the status bar last said
    CRowSelection m_selection;
    int m_pressedRow = -1; // pressed in the selection: the release selects it alone
    POINT m_pressedAt{};
    CMarquee m_marquee;
    CRowSelection m_marqueeBase; // the selection the marquee's rows join
    CRowOutput m_output{m_shown, *this};
    CShowPacing m_pacing;
    unsigned long long m_nDropped = 0; // messages accepted but not stored: memory ran out
    std::string m_strIdleText;
    CDebugOutput m_debugOutput{m_capture};
    CFollow m_follow;
    int m_followedTop = 0; // the list's top row when following last placed it or the person acted
    CRowFinder m_finder{m_shown, *this, m_hWnd};
    CHighlights m_highlights{CLeadBytes::System()};
    CRowDetail m_detail;
    CNetworkSources m_network{m_capture};
    bool m_networkRestored = false;
    std::string m_strNetworkProblem;
    unsigned long long m_nRefused = 0;
};
