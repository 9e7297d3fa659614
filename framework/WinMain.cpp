// The program's entry: common controls, then the application object's start-up and loop.
#include <windows.h>

#include <commctrl.h>

#include "WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int cmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    app->m_nCmdShow = cmdShow;
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
