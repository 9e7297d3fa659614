// CKestrinApp: single-instance start-up and the application's commands.
#pragma once

#include "WinApp.h"

class CKestrinApp : public CWinApp {
public:
    bool InitInstance() override;
    void OnAppAbout();

protected:
    MESSAGE_MAP_MEMBERS();
};
