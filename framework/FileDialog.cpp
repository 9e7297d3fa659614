// CFileDialog over GetOpenFileNameA and GetSaveFileNameA.
#include "FileDialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <vector>

#include "CommonDialogs.h"
#include "Strings.h"
#include "WinApp.h"

namespace {
const char kSelfProperty[] = "CFileDialog";
// The longest path the system allows, with its NUL.
const DWORD kNameChars = 32768;

// A text the dialog answers by size first, then into a buffer: CDM_GETSPEC, CDM_GETFOLDERPATH.
std::string DialogText(HWND dialog, UINT message) {
    const LRESULT size = ::SendMessageA(dialog, message, 0, 0);
    if (size <= 0)
        return std::string();
    std::vector<char> text(static_cast<size_t>(size) + 1, '\0');
    ::SendMessageA(dialog, message, static_cast<WPARAM>(size),
                   reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}
} // namespace

CFileDialog::CFileDialog(bool openFileDialog, const char* fileName, DWORD flags, const char* filter)
    : m_bOpen(openFileDialog), m_fileName(fileName ? fileName : ""), m_filter(filter ? filter : ""),
      m_flags(flags) {
    // The system wants the pairs separated by NULs.
    for (char& ch : m_filter)
        if (ch == '|')
            ch = '\0';
}

int CFileDialog::DoModal() {
    std::vector<char> file(kNameChars, '\0');
    m_fileName.copy(file.data(), file.size() - 1);

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = AfxGetModalOwner();
    ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = m_title.empty() ? nullptr : m_title.c_str();
    ofn.Flags = m_flags | OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLEHOOK;
    if (m_templateId) {
        ofn.Flags |= OFN_ENABLETEMPLATE;
        ofn.hInstance = AfxGetInstanceHandle();
        ofn.lpTemplateName = MAKEINTRESOURCEA(m_templateId);
    }
    ofn.lpfnHook = HookProc;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);

    using Show = BOOL(WINAPI*)(OPENFILENAMEA*);
    const Show show = AfxCommonDialogProc<Show>(m_bOpen ? "GetOpenFileNameA" : "GetSaveFileNameA");
    m_bTakenOver = false;
    m_path.clear();
    if (show && show(&ofn)) {
        m_path = file.data();
        return IDOK;
    }
    // A name the dialog could not hand back is still the one the user confirmed.
    using Error = DWORD(WINAPI*)();
    const Error error = AfxCommonDialogProc<Error>("CommDlgExtendedError");
    if (m_bTakenOver || (error && error() == FNERR_BUFFERTOOSMALL))
        return m_path.empty() ? IDCANCEL : IDOK;
    m_path.clear();
    return IDCANCEL;
}

// Explorer-style dialogs call the hook for a child of the dialog: the dialog is its parent.
UINT_PTR CALLBACK CFileDialog::HookProc(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return 0;
    return AfxCallbackEdge(
        [&]() -> UINT_PTR {
            auto* self =
                reinterpret_cast<CFileDialog*>(reinterpret_cast<OPENFILENAMEA*>(lParam)->lCustData);
            HWND dialog = ::GetParent(hook);
            if (::SetPropA(dialog, kSelfProperty, self))
                self->m_dialogProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
                    dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogProc)));
            return 0;
        },
        UINT_PTR(0));
}

LRESULT CALLBACK CFileDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CFileDialog*>(::GetPropA(dialog, kSelfProperty));
    const WNDPROC proc = self->m_dialogProc;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        ::RemovePropA(dialog, kSelfProperty);
    }
    // An OK that could not be checked does nothing: the system's own handling might overflow.
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK)
        return AfxCallbackEdge([&] { return self->OnConfirm(dialog, wParam, lParam); }, LRESULT(0));
    return ::CallWindowProcA(proc, dialog, message, wParam, lParam);
}

LRESULT CFileDialog::OnConfirm(HWND dialog, WPARAM wParam, LPARAM lParam) {
    if (!NoteConfirmedName(dialog))
        return ::CallWindowProcA(m_dialogProc, dialog, WM_COMMAND, wParam, lParam);
    // The dialog closes as if cancelled, and DoModal answers with the name.
    m_bTakenOver = true;
    return ::CallWindowProcA(m_dialogProc, dialog, WM_COMMAND, IDCANCEL, 0);
}

// The system's dialog joins folder and name in a buffer of MAX_PATH characters on its stack and
// writes a longer path past its end: Kestrin ended inside the dialog, rows and all.
bool CFileDialog::NoteConfirmedName(HWND dialog) {
    const std::string name = DialogText(dialog, CDM_GETSPEC);
    std::string folder = DialogText(dialog, CDM_GETFOLDERPATH);
    // A folder of no path (the desktop's places): the dialog takes the current one, as here.
    char current[MAX_PATH] = "";
    if (folder.empty() && ::GetCurrentDirectoryA(MAX_PATH, current) < MAX_PATH)
        folder = current;
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    const bool hasDrive = name.size() > 1 && name[1] == ':';
    const bool rooted = !name.empty() && (name[0] == '\\' || name[0] == '/');
    const bool unc = name.compare(0, 2, "\\\\") == 0;
    m_path = hasDrive || unc ? name : rooted ? folder.substr(0, 2) + name : folder + name;
    // MAX_PATH counts UTF-16 units, the ending NUL among them.
    return WideFromAnsi(m_path).size() + 1 > MAX_PATH;
}
