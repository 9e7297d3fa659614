// CWinApp and the single-document template: start-up, message loop, settings and File commands.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "CreateContext.h"
#include "Document.h"
#include "MessageLoop.h"
#include "Print.h"
#include "RecentFileList.h"
#include "Strings.h"
#include "Wnd.h"

class CFrameWnd;

// Creates the one document, frame and view, and reuses them for every New and Open.
class CSingleDocTemplate : public CCmdTarget {
public:
    CSingleDocTemplate(UINT resourceId, DocumentFactory makeDocument, FrameFactory makeFrame,
                       ViewFactory makeView);
    ~CSingleDocTemplate() override;

    // Null path: a new document. Null result: nothing was opened (the user was told).
    CDocument* OpenDocumentFile(const char* path);
    // Field index (0..6) of the document string.
    std::string GetDocString(int index) const;
    CFrameWnd* GetFrame() const { return m_pFrame.get(); }
    // The printer the view prints to.
    void SetPrinter(CPrinterChoice& printer) { m_pPrinter = &printer; }

private:
    void Discard();

    UINT m_nResourceId;
    DocumentFactory m_makeDocument;
    FrameFactory m_makeFrame;
    ViewFactory m_makeView;
    CPrinterChoice* m_pPrinter = nullptr;
    // Declared in the order they must die in: the frame (and its view) before the document.
    std::unique_ptr<CDocument> m_pOnlyDoc;
    std::unique_ptr<CFrameWnd> m_pFrame;
};

// A factory for the template: makes a T, handed over as its Base.
template <class Base, class T> std::unique_ptr<Base> MakeAs() {
    return std::make_unique<T>();
}

// The standard command line: no argument is File New, a file name opens it, /p and /pt print
// it. The OLE and DDE switches have nothing to start in Kestrin: /Unregister ends at once, the
// others are ignored, as are switches it does not know.
struct CCommandLineInfo {
    enum Shell { FileNew, FileOpen, FilePrint, FilePrintTo, AppUnregister };
    // One argument; a flag comes without its '/' or '-'.
    void ParseParam(const char* param, bool flag);

    Shell m_nShellCommand = FileNew;
    std::string m_strFileName;
    std::string m_strPrinterName;
    std::string m_strDriverName;
    std::string m_strPortName;
    // "/syslog SOURCES": the sources as given, for the program to read.
    std::string m_strSyslog;
    bool m_bSyslogNext = false;
};

class CWinApp : public CCmdTarget {
public:
    // The application name comes from string AFX_IDS_APP_TITLE when appName is null.
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    virtual bool InitInstance();
    // Takes one message from the thread's queue through the accelerators to its window; false
    // at WM_QUIT.
    bool PumpMessage();
    // The message loop with accelerators and idle-time updates; the exit code.
    int Run();
    // Runs the idle handlers, once an idle period.
    void OnIdle();
    // Writes the settings back; the exit code.
    int ExitInstance();

    // The exit code of a command line that could not be carried out.
    static constexpr int kExitFailed = 1;

    void SetRegistryKey(const char* company);
    void LoadStdProfileSettings(UINT maxRecentFiles);
    void AddDocTemplate(CSingleDocTemplate* docTemplate);
    void ParseCommandLine(CCommandLineInfo& info);
    // False when the program is to end: with m_nExitCode kExitFailed when the command failed.
    bool ProcessShellCommand(CCommandLineInfo& info);
    // While the command line's /p or /pt prints: no window is there to show anything.
    bool IsPrintingOnly() const { return m_bPrintingOnly; }
    CDocument* OpenDocumentFile(const char* path);
    void AddToRecentFileList(const char* path);
    CRecentFileList* GetRecentFileList() const { return m_pRecentFileList.get(); }
    // HKCU\Software\<company>\<application>; empty before SetRegistryKey.
    std::string GetRegistryPath() const;
    // A number under the section's key beside the recent-file list; fallback when there is none.
    UINT GetProfileInt(const char* section, const char* entry, UINT fallback) const;
    bool WriteProfileInt(const char* section, const char* entry, UINT value) const;
    // Bytes kept as they are, up to kMaxProfileBytes; false when there are none or more.
    bool GetProfileBinary(const char* section, const char* entry, std::string& bytes) const;
    bool WriteProfileBinary(const char* section, const char* entry, const std::string& bytes) const;
    static constexpr DWORD kMaxProfileBytes = 1 << 20;
    // The printer every print job and preview uses.
    CPrinterChoice& GetPrinter() { return m_printer; }

    // The message loop offers each message to the filters before dispatching it, and calls the
    // idle handlers when its queue falls idle. Either may be removed while the loop calls them.
    // first: before those already added, to see keys before their accelerators do.
    void AddMessageFilter(CMessageFilter* filter, bool first = false);
    void RemoveMessageFilter(CMessageFilter* filter);
    void AddIdleHandler(CIdleHandler* handler);
    void RemoveIdleHandler(CIdleHandler* handler);

    // The recent-file commands are handled here by range.
    bool OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI) override;

    CWnd* m_pMainWnd = nullptr;
    std::string m_strAppName;
    int m_nCmdShow = SW_SHOWNORMAL;
    int m_nExitCode = 0; // what ExitInstance returns

protected:
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppExit();
    void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);
    bool OnOpenRecentFile(UINT id);
    MESSAGE_MAP_MEMBERS();

private:
    // /p or /pt: the named file's document printed; false when it could not be.
    bool PrintFromCommandLine(const CCommandLineInfo& info);

    bool m_bPrintingOnly = false;
    // Drops posted messages that only ever arrive sent, in every loop of the thread.
    HHOOK m_hMessageHook;
    MSG m_msgCur = {};
    std::string m_strRegistryKey;
    std::unique_ptr<CSingleDocTemplate> m_pDocTemplate;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    CPrinterChoice m_printer;
    std::vector<CMessageFilter*> m_messageFilters;
    std::vector<CIdleHandler*> m_idleHandlers;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The owner of a new modal window: the main window, or the modal window that runs over it, so
// that closing the new one enables the one beneath it and never the main window under that.
HWND AfxGetModalOwner();
HINSTANCE AfxGetInstanceHandle();
// A modal message box over the main window, captioned with the application name.
int AfxMessageBox(const char* text, UINT type = MB_OK);
// The same with the string textId of the resources.
int AfxMessageBox(UINT textId, UINT type = MB_OK);
