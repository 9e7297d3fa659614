// CWinApp and CSingleDocTemplate: start-up services, the message loop and the File commands.
#include "WinApp.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "CmdUI.h"
#include "FileDialog.h"
#include "FrameWnd.h"
#include "FrameworkIds.h"
#include "Handle.h"
#include "View.h"

namespace {
CWinApp* g_pApp = nullptr;

bool IsRecentFileCommand(UINT id) {
    return id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE16;
}

// Mouse moves that do not move, paints and timers are not activity: timers are the program's
// own doing and change no command's state.
bool IsIdleMessage(const MSG& msg) {
    static POINT lastPoint = {-1, -1};
    static UINT lastMessage = 0;
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        bool same =
            msg.message == lastMessage && msg.pt.x == lastPoint.x && msg.pt.y == lastPoint.y;
        lastPoint = msg.pt;
        lastMessage = msg.message;
        return !same;
    }
    const UINT kSysTimer = 0x0118;
    return msg.message != WM_PAINT && msg.message != WM_TIMER && msg.message != kSysTimer;
}

// Posted messages whose parameters point into the receiver's memory are junk from another
// program. The system refuses to post those it carries between processes; these it lets
// through, and the intake's text is never taken from a posted message either.
const UINT kSentOnlyMessages[] = {WM_SETTEXT,     WM_NOTIFY,      WM_MENUGETOBJECT,
                                  WM_IME_CONTROL, WM_IME_REQUEST, WM_GETTITLEBARINFOEX};

// The common controls' own requests read and write through their parameters, and none is ever
// legitimately posted. A control is known by its class's window procedure, so that a class
// copied from one (the view's) is known too.
struct ControlRange {
    const char* className;
    UINT first;
    WNDPROC proc; // once the class is registered
};
ControlRange g_controlRanges[] = {
    {WC_LISTVIEWA, LVM_FIRST, nullptr},    {WC_HEADERA, HDM_FIRST, nullptr},
    {TOOLBARCLASSNAMEA, WM_USER, nullptr}, {STATUSCLASSNAMEA, WM_USER, nullptr},
    {TOOLTIPS_CLASSA, WM_USER, nullptr},
};
const UINT kRangeSize = 0x100;

bool IsPostedControlRequest(const MSG& msg) {
    const bool own = msg.message >= WM_USER && msg.message < WM_USER + kRangeSize;
    const bool common = msg.message >= CCM_FIRST && msg.message < CCM_FIRST + kRangeSize;
    const bool controls = msg.message >= LVM_FIRST && msg.message < HDM_FIRST + kRangeSize;
    if (!msg.hwnd || !(own || common || controls))
        return false;
    const auto proc = reinterpret_cast<WNDPROC>(::GetClassLongPtrA(msg.hwnd, GCLP_WNDPROC));
    for (ControlRange& range : g_controlRanges) {
        WNDCLASSA wc;
        if (!range.proc && ::GetClassInfoA(nullptr, range.className, &wc))
            range.proc = wc.lpfnWndProc;
        if (range.proc && range.proc == proc)
            return common || (msg.message >= range.first && msg.message < range.first + kRangeSize);
    }
    return false;
}

// Sees what every loop of the thread takes from its queue, the system's modal loops included.
void FilterTakenMessage(MSG& msg, WPARAM removal) {
    if (std::find(std::begin(kSentOnlyMessages), std::end(kSentOnlyMessages), msg.message) !=
            std::end(kSentOnlyMessages) ||
        IsPostedControlRequest(msg))
        msg = MSG{msg.hwnd, WM_NULL, 0, 0, msg.time, msg.pt};
    else if (msg.message == WM_QUIT && removal == PM_REMOVE)
        // A modal loop that takes the quit message ends without passing it on: this wakes
        // the loop beneath, which ends once the main window is gone.
        ::PostThreadMessageA(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM removal, LPARAM lParam) {
    if (code == HC_ACTION)
        AfxCallbackEdge([&] { FilterTakenMessage(*reinterpret_cast<MSG*>(lParam), removal); },
                        [] {});
    return ::CallNextHookEx(nullptr, code, removal, lParam);
}
} // namespace

CWinApp* AfxGetApp() {
    return g_pApp;
}

CWnd* AfxGetMainWnd() {
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

HWND AfxGetModalOwner() {
    CWnd* main = AfxGetMainWnd();
    if (!main || !main->m_hWnd)
        return nullptr;
    // A modal loop disables the main window and every bar floating beside it.
    HWND popup = ::GetLastActivePopup(main->m_hWnd);
    return !::IsWindowEnabled(main->m_hWnd) && popup && ::IsWindowEnabled(popup) ? popup
                                                                                 : main->m_hWnd;
}

HINSTANCE AfxGetInstanceHandle() {
    return ::GetModuleHandleA(nullptr);
}

namespace {
// Each box keeps the procedure it had, so that boxes open inside one another each forward and
// end as their own.
const char kBoxProcProperty[] = "KestrinBoxProc";
// An AfxMessageBox waits for its box's first activation.
thread_local bool t_boxAwaited = false;

// The box shares the main window's caption: a client's text goes on to the main window, and is
// answered 1 (not taken) before there is one.
LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto proc = reinterpret_cast<WNDPROC>(::GetPropA(box, kBoxProcProperty));
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        ::RemovePropA(box, kBoxProcProperty);
    }
    return AfxCallbackEdge(
        [&] {
            CWnd* main = AfxGetMainWnd();
            if (message == WM_SETTEXT)
                return main ? main->SendMessage(WM_SETTEXT, wParam, lParam) : 1;
            return ::CallWindowProcA(proc, box, message, wParam, lParam);
        },
        LRESULT(0));
}

// The box has its caption once it is first activated: from then on it forwards.
LRESULT CALLBACK BoxHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_boxAwaited) {
        t_boxAwaited = false;
        const auto box = reinterpret_cast<HWND>(wParam);
        const auto proc = ::GetWindowLongPtrA(box, GWLP_WNDPROC);
        if (::SetPropA(box, kBoxProcProperty, reinterpret_cast<HANDLE>(proc)))
            ::SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoxProc));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

int AfxMessageBox(const char* text, UINT type) {
    if (!(type & MB_ICONMASK))
        type |= (type & MB_TYPEMASK) == MB_YESNO || (type & MB_TYPEMASK) == MB_YESNOCANCEL
                    ? MB_ICONQUESTION
                    : MB_ICONEXCLAMATION;
    const char* caption = g_pApp ? g_pApp->m_strAppName.c_str() : nullptr;
    HHOOK hook = ::SetWindowsHookExA(WH_CBT, BoxHook, nullptr, ::GetCurrentThreadId());
    t_boxAwaited = true;
    const int result = ::MessageBoxA(AfxGetModalOwner(), text, caption, type);
    t_boxAwaited = false;
    if (hook)
        ::UnhookWindowsHookEx(hook);
    return result;
}

int AfxMessageBox(UINT textId, UINT type) {
    return AfxMessageBox(AfxLoadString(textId).c_str(), type);
}

CSingleDocTemplate::CSingleDocTemplate(UINT resourceId, DocumentFactory makeDocument,
                                       FrameFactory makeFrame, ViewFactory makeView)
    : m_nResourceId(resourceId), m_makeDocument(makeDocument), m_makeFrame(makeFrame),
      m_makeView(makeView) {}

CSingleDocTemplate::~CSingleDocTemplate() = default;

std::string CSingleDocTemplate::GetDocString(int index) const {
    return AfxExtractSubString(AfxLoadString(m_nResourceId), index);
}

void CSingleDocTemplate::Discard() {
    if (m_pFrame && m_pFrame->m_hWnd)
        m_pFrame->DestroyWindow();
    m_pFrame.reset();
    m_pOnlyDoc.reset();
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* path) {
    bool created = !m_pOnlyDoc;
    if (created) {
        m_pOnlyDoc = m_makeDocument();
        m_pFrame = m_makeFrame();
        CCreateContext context;
        context.m_pNewView = m_makeView;
        context.m_pCurrentDoc = m_pOnlyDoc.get();
        context.m_pPrinter = m_pPrinter;
        if (!m_pOnlyDoc || !m_pFrame ||
            !m_pFrame->LoadFrame(m_nResourceId, WS_OVERLAPPEDWINDOW, &context)) {
            Discard();
            AfxMessageBox(AFX_IDS_CREATE_FAILED, MB_ICONSTOP);
            return nullptr;
        }
    }

    bool ready = path ? m_pOnlyDoc->OnOpenDocument(path) : m_pOnlyDoc->OnNewDocument();
    if (!ready) {
        // A document that was already shown stays as it was.
        if (created)
            Discard();
        return nullptr;
    }
    if (path)
        m_pOnlyDoc->SetPathName(path);
    if (CView* view = m_pFrame->GetActiveView())
        view->OnInitialUpdate();

    CWinApp* app = AfxGetApp();
    if (created) {
        if (app && !app->m_pMainWnd)
            app->m_pMainWnd = m_pFrame.get();
        m_pFrame->ShowWindow(app ? app->m_nCmdShow : SW_SHOWNORMAL);
    }
    return m_pOnlyDoc.get();
}

CWinApp::CWinApp(const char* appName)
    : m_hMessageHook(
          ::SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, ::GetCurrentThreadId())) {
    g_pApp = this;
    m_strAppName = appName ? appName : AfxLoadString(AFX_IDS_APP_TITLE);
}

CWinApp::~CWinApp() {
    if (m_hMessageHook)
        ::UnhookWindowsHookEx(m_hMessageHook);
    if (g_pApp == this)
        g_pApp = nullptr;
}

const MessageMap CWinApp::messageMap{
    &CCmdTarget::messageMap,
    MapCommand(ID_APP_EXIT, &CWinApp::OnAppExit),
    MapUpdate(ID_FILE_MRU_FILE1, &CWinApp::OnUpdateRecentFileMenu),
};

bool CWinApp::InitInstance() {
    return true;
}

bool CWinApp::PumpMessage() {
    const BOOL got = ::GetMessageA(&m_msgCur, nullptr, 0, 0);
    if (got == 0 || got == -1)
        return false;
    bool translated = false;
    // By index: a filter may remove itself or another.
    for (size_t i = 0; !translated && i < m_messageFilters.size(); ++i)
        translated = m_messageFilters[i]->PreTranslateMessage(m_msgCur);
    if (!translated) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageA(&m_msgCur);
    }
    return true;
}

int CWinApp::Run() {
    bool idle = true;
    MSG peeked;
    for (;;) {
        if (idle && !::PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE)) {
            OnIdle();
            idle = false;
        }
        // Gone, though a modal loop may have taken the quit message.
        if (!PumpMessage() || !m_pMainWnd)
            break;
        if (IsIdleMessage(m_msgCur))
            idle = true;
    }
    ExitInstance();
    return m_msgCur.message == WM_QUIT ? static_cast<int>(m_msgCur.wParam) : 0;
}

void CWinApp::OnIdle() {
    for (size_t i = 0; i < m_idleHandlers.size(); ++i)
        m_idleHandlers[i]->OnIdle();
}

void CWinApp::AddMessageFilter(CMessageFilter* filter, bool first) {
    m_messageFilters.insert(first ? m_messageFilters.begin() : m_messageFilters.end(), filter);
}

void CWinApp::RemoveMessageFilter(CMessageFilter* filter) {
    m_messageFilters.erase(std::remove(m_messageFilters.begin(), m_messageFilters.end(), filter),
                           m_messageFilters.end());
}

void CWinApp::AddIdleHandler(CIdleHandler* handler) {
    m_idleHandlers.push_back(handler);
}

void CWinApp::RemoveIdleHandler(CIdleHandler* handler) {
    m_idleHandlers.erase(std::remove(m_idleHandlers.begin(), m_idleHandlers.end(), handler),
                         m_idleHandlers.end());
}

int CWinApp::ExitInstance() {
    if (m_pRecentFileList)
        m_pRecentFileList->WriteList();
    m_pDocTemplate.reset();
    return m_nExitCode;
}

void CWinApp::SetRegistryKey(const char* company) {
    m_strRegistryKey = company;
}

std::string CWinApp::GetRegistryPath() const {
    if (m_strRegistryKey.empty())
        return std::string();
    return "Software\\" + m_strRegistryKey + "\\" + m_strAppName;
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, UINT fallback) const {
    CRegKey key;
    DWORD value = 0, type = 0, size = sizeof value;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, (GetRegistryPath() + "\\" + section).c_str(), 0,
                        KEY_READ, key.Put()) != ERROR_SUCCESS ||
        ::RegQueryValueExA(key.Get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return fallback;
    return value;
}

bool CWinApp::WriteProfileInt(const char* section, const char* entry, UINT value) const {
    CRegKey key;
    const DWORD data = value;
    return ::RegCreateKeyExA(HKEY_CURRENT_USER, (GetRegistryPath() + "\\" + section).c_str(), 0,
                             nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) == ERROR_SUCCESS &&
           ::RegSetValueExA(key.Get(), entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof data) == ERROR_SUCCESS;
}

bool CWinApp::GetProfileBinary(const char* section, const char* entry, std::string& bytes) const {
    CRegKey key;
    DWORD type = 0, size = 0;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, (GetRegistryPath() + "\\" + section).c_str(), 0,
                        KEY_READ, key.Put()) != ERROR_SUCCESS ||
        ::RegQueryValueExA(key.Get(), entry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size > kMaxProfileBytes)
        return false;
    std::string read(size, '\0');
    if (::RegQueryValueExA(key.Get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(read.data()),
                           &size) != ERROR_SUCCESS ||
        size != read.size())
        return false;
    bytes = std::move(read);
    return true;
}

bool CWinApp::WriteProfileBinary(const char* section, const char* entry,
                                 const std::string& bytes) const {
    CRegKey key;
    return bytes.size() <= kMaxProfileBytes &&
           ::RegCreateKeyExA(HKEY_CURRENT_USER, (GetRegistryPath() + "\\" + section).c_str(), 0,
                             nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) == ERROR_SUCCESS &&
           ::RegSetValueExA(key.Get(), entry, 0, REG_BINARY,
                            reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

void CWinApp::LoadStdProfileSettings(UINT maxRecentFiles) {
    m_pRecentFileList = std::make_unique<CRecentFileList>(
        ID_FILE_MRU_FILE1, (GetRegistryPath() + "\\Recent File List").c_str(), maxRecentFiles);
    m_pRecentFileList->ReadList();
}

void CWinApp::AddDocTemplate(CSingleDocTemplate* docTemplate) {
    m_pDocTemplate.reset(docTemplate);
    if (docTemplate)
        docTemplate->SetPrinter(m_printer);
}

void CCommandLineInfo::ParseParam(const char* param, bool flag) {
    if (m_bSyslogNext && !flag) {
        m_bSyslogNext = false;
        m_strSyslog = param;
        return;
    }
    m_bSyslogNext = flag && ::lstrcmpiA(param, "syslog") == 0;
    if (flag) {
        if (::lstrcmpiA(param, "p") == 0)
            m_nShellCommand = FilePrint;
        else if (::lstrcmpiA(param, "pt") == 0)
            m_nShellCommand = FilePrintTo;
        else if (::lstrcmpiA(param, "Unregister") == 0 || ::lstrcmpiA(param, "Unregserver") == 0)
            m_nShellCommand = AppUnregister;
    } else if (m_strFileName.empty()) {
        m_strFileName = param;
        if (m_nShellCommand == FileNew)
            m_nShellCommand = FileOpen;
    } else if (m_nShellCommand == FilePrintTo) {
        // After the file, /pt names the printer, its driver and its port.
        std::string* next = m_strPrinterName.empty()  ? &m_strPrinterName
                            : m_strDriverName.empty() ? &m_strDriverName
                                                      : &m_strPortName;
        if (next->empty())
            *next = param;
    }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
    for (int i = 1; i < __argc; ++i) {
        const char* arg = __argv[i];
        const bool flag = arg[0] == '/' || arg[0] == '-';
        info.ParseParam(flag ? arg + 1 : arg, flag);
    }
}

bool CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
    bool done = false;
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::AppUnregister:
        // Kestrin registers nothing, so there is nothing to remove.
        m_nExitCode = 0;
        return false;
    case CCommandLineInfo::FileOpen:
        done = OpenDocumentFile(info.m_strFileName.c_str()) != nullptr;
        break;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        // The program ends once the document is printed, or could not be.
        m_bPrintingOnly = true;
        m_nExitCode = PrintFromCommandLine(info) ? 0 : kExitFailed;
        m_bPrintingOnly = false;
        return false;
    case CCommandLineInfo::FileNew:
        OnFileNew();
        done = m_pMainWnd != nullptr;
        break;
    }
    m_nExitCode = done ? 0 : kExitFailed;
    return done;
}

bool CWinApp::PrintFromCommandLine(const CCommandLineInfo& info) {
    // Printed without a dialog or a window.
    m_nCmdShow = SW_HIDE;
    if (!OpenDocumentFile(info.m_strFileName.c_str()))
        return false;
    CFrameWnd* frame = m_pDocTemplate->GetFrame();
    CView* view = frame ? frame->GetActiveView() : nullptr;
    if (!view)
        return false;
    CPrinterChoice named;
    const bool printTo = info.m_nShellCommand == CCommandLineInfo::FilePrintTo;
    if (printTo && !named.SetNames(info.m_strPrinterName.c_str(), info.m_strDriverName.c_str(),
                                   info.m_strPortName.c_str())) {
        AfxMessageBox(AFX_IDS_PRINT_FAILED, MB_OK);
        return false;
    }
    if (printTo)
        std::swap(m_printer, named);
    const bool printed = view->Print(true);
    if (printTo)
        std::swap(m_printer, named);
    return printed;
}

CDocument* CWinApp::OpenDocumentFile(const char* path) {
    return m_pDocTemplate ? m_pDocTemplate->OpenDocumentFile(path) : nullptr;
}

void CWinApp::AddToRecentFileList(const char* path) {
    if (m_pRecentFileList)
        m_pRecentFileList->Add(path);
}

void CWinApp::OnFileNew() {
    if (m_pDocTemplate)
        m_pDocTemplate->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
    std::string filter;
    if (m_pDocTemplate) {
        std::string name = m_pDocTemplate->GetDocString(3);
        std::string ext = m_pDocTemplate->GetDocString(4);
        if (!name.empty() && !ext.empty())
            filter = name + "|*" + ext + "|";
    }
    filter += AfxLoadString(AFX_IDS_ALL_FILES_FILTER);
    CFileDialog dialog(true, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter.c_str());
    if (dialog.DoModal() == IDOK)
        OpenDocumentFile(dialog.GetPathName().c_str());
}

void CWinApp::OnFilePrintSetup() {
    if (!m_printer.Choose())
        AfxMessageBox(AFX_IDS_NO_PRINTER, MB_OK);
    else
        m_printer.RunDialog(PD_PRINTSETUP);
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI) {
    if (!m_pRecentFileList)
        return;
    if (pCmdUI->m_hMenu)
        m_pRecentFileList->UpdateMenu(pCmdUI->m_hMenu, pCmdUI->m_nIndex);
    else
        pCmdUI->Enable(m_pRecentFileList->GetSize() > 0);
}

bool CWinApp::OnOpenRecentFile(UINT id) {
    size_t index = id - ID_FILE_MRU_FILE1;
    std::string path = (*m_pRecentFileList)[index];
    if (!OpenDocumentFile(path.c_str()))
        m_pRecentFileList->Remove(index);
    return true;
}

bool CWinApp::OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI) {
    if (code != CN_UPDATE_COMMAND_UI && IsRecentFileCommand(id)) {
        if (!m_pRecentFileList || id - ID_FILE_MRU_FILE1 >= m_pRecentFileList->GetSize())
            return false;
        return code == CN_PROBE || OnOpenRecentFile(id);
    }
    return CCmdTarget::OnCmdMsg(id, code, pCmdUI);
}
