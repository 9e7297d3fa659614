// CKestrinView: the log list, its capture state and the commands that act on it.
#pragma once

#include <string>

#include "Capture.h"
#include "View.h"
#include "WinProcessSource.h"

class CKestrinView : public CListView, private IRowSink {
public:
    static const CRuntimeClass runtimeClass;

    CKestrinView();

    bool PreCreateWindow(CREATESTRUCTA& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitialUpdate() override;

protected:
    int OnCreate(CREATESTRUCTA* cs);
    void OnFilter();
    void OnClear();
    void OnCapture();
    void OnUpdateCapture(CCmdUI* pCmdUI);
    void OnLogToFile();
    void OnUpdateLogToFile(CCmdUI* pCmdUI);
    void OnSaveLog();
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    const MessageMap* GetMessageMap() const override;
    static const MessageEntry messageEntries[];
    static const MessageMap messageMap;

private:
    // The rows go straight into the list control.
    int GetItemCount() override;
    void HoldRedraw();
    int InsertItem(int item, const char* text) override;
    void SetItemText(int item, int subItem, const char* text) override;

    CWinProcessSource m_processes;
    CCapture m_capture;
    bool m_bLogToFile = false;
    std::string m_strLogPath;
    bool m_bRedrawHeld = false;
};
