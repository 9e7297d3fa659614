// CFileDialog over GetOpenFileNameA and GetSaveFileNameA.
#include "FileDialog.h"

#include <commdlg.h>

#include <vector>

#include "WinApp.h"

namespace {
using FileDialogProc = BOOL(WINAPI*)(OPENFILENAMEA*);

// The dialogs' library brings the shell's libraries with it: loaded when a dialog first opens,
// not at start-up. Null when it cannot be loaded.
FileDialogProc FindFileDialog(bool open) {
    static const HMODULE library = ::LoadLibraryA("comdlg32.dll");
    if (!library)
        return nullptr;
    // Two casts through the generic function pointer type, which converts to any other.
    return reinterpret_cast<FileDialogProc>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(library, open ? "GetOpenFileNameA" : "GetSaveFileNameA")));
}
} // namespace

CFileDialog::CFileDialog(bool openFileDialog, const char* defaultExt, const char* fileName,
                         DWORD flags, const char* filter, CWnd* parent)
    : m_bOpen(openFileDialog), m_defaultExt(defaultExt ? defaultExt : ""),
      m_fileName(fileName ? fileName : ""), m_filter(filter ? filter : ""), m_flags(flags),
      m_pParent(parent) {
    // The system wants the pairs separated by NULs.
    for (char& ch : m_filter)
        if (ch == '|')
            ch = '\0';
}

int CFileDialog::DoModal() {
    // Room for a long path; the dialog reports a longer one as an error, not a cut path.
    std::vector<char> file(32768, '\0');
    m_fileName.copy(file.data(), file.size() - 1);

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    CWnd* owner = m_pParent ? m_pParent : AfxGetMainWnd();
    ofn.hwndOwner = owner ? owner->m_hWnd : nullptr;
    ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = m_defaultExt.empty() ? nullptr : m_defaultExt.c_str();
    ofn.Flags = m_flags | OFN_EXPLORER | OFN_ENABLESIZING;

    FileDialogProc show = FindFileDialog(m_bOpen);
    if (!show || !show(&ofn))
        return IDCANCEL;
    m_path = file.data();
    return IDOK;
}
