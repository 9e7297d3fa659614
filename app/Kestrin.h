// CKestrinApp: single-instance start-up and the application's commands.
#pragma once

#include "WinApp.h"

class CKestrinApp : public CWinApp {
public:
    bool InitInstance() override;
    void OnAppAbout();

protected:
    const MessageMap* GetMessageMap() const override;
    static const MessageEntry messageEntries[];
    static const MessageMap messageMap;
};
