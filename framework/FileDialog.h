// CFileDialog: the system's open-file or save-file dialog, owned by the main window.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>
#include <utility>

class CFileDialog {
public:
    // filter: pairs "name|pattern|" as the framework writes them, or null for none.
    CFileDialog(bool openFileDialog, const char* fileName, DWORD flags,
                const char* filter = nullptr);

    // A caption in place of the system's, and the module's dialog template templateId, whose
    // controls show below the system's.
    void Customize(std::string title, UINT templateId) {
        m_title = std::move(title);
        m_templateId = templateId;
    }
    // IDOK when the user confirmed a file, IDCANCEL otherwise.
    int DoModal();
    const std::string& GetPathName() const { return m_path; }

private:
    static UINT_PTR CALLBACK HookProc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // OK pressed: the system's dialog handles it, unless the name is too long for it.
    LRESULT OnConfirm(HWND dialog, WPARAM wParam, LPARAM lParam);
    // Notes the full path of the name confirmed in dialog; true when it is too long for the
    // system's dialog to handle.
    bool NoteConfirmedName(HWND dialog);

    bool m_bOpen;
    std::string m_fileName;
    std::string m_filter;
    DWORD m_flags;
    std::string m_title;
    UINT m_templateId = 0;
    std::string m_path;
    WNDPROC m_dialogProc = nullptr;
    bool m_bTakenOver = false;
};
