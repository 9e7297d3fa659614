// CKestrinApp: refuses a second instance, sets up the framework and creates the one document.
#include "Kestrin.h"

#include "AboutDlg.h"
#include "DebugOutput.h"
#include "KestrinDoc.h"
#include "KestrinView.h"
#include "MainFrm.h"
#include "NetworkSources.h"
#include "resource.h"

namespace {
const char kInstanceMutex[] = "Morvanell-me";
const char kRegistryKey[] = "Local AppWizard-Generated Applications";
const UINT kRecentFiles = 4;
} // namespace

const MessageMap CKestrinApp::messageMap{
    &CWinApp::messageMap,
    MapCommand(ID_APP_ABOUT, &CKestrinApp::OnAppAbout),
    MapCommand(ID_FILE_NEW, &CKestrinApp::OnFileNew),
    MapCommand(ID_FILE_OPEN, &CKestrinApp::OnFileOpen),
    MapCommand(ID_FILE_PRINT_SETUP, &CKestrinApp::OnFilePrintSetup),
};

bool CKestrinApp::InitInstance() {
    // Only the name's existence matters: the handle stays open until the process ends.
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, kInstanceMutex);
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return false;
    }

    SetRegistryKey(kRegistryKey);
    LoadStdProfileSettings(kRecentFiles);
    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, MakeAs<CDocument, CKestrinDoc>,
                                          MakeAs<CFrameWnd, CMainFrame>,
                                          MakeAs<CView, CKestrinView>));

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    // "/syslog" alone turns nothing on: its status says the argument is wanted.
    CNetworkSources::SetCommandLine(cmdInfo.m_bSyslogNext ? "?" : cmdInfo.m_strSyslog);
    if (!ProcessShellCommand(cmdInfo))
        return false;

    m_pMainWnd->ShowWindow(SW_SHOW);
    ::UpdateWindow(m_pMainWnd->m_hWnd);
    if (CDebugOutput::WasChosen())
        m_pMainWnd->SendMessage(WM_COMMAND, ID_CAPTURE_DEBUG_OUTPUT);
    return true;
}

void CKestrinApp::OnAppAbout() {
    CAboutDlg dialog;
    dialog.DoModal();
}
