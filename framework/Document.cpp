// CDocument: title, path, and the File commands of the base document.
#include "Document.h"

#include "File.h"
#include "FileDialog.h"
#include "FrameworkIds.h"
#include "Strings.h"
#include "WinApp.h"

namespace {
void ReportFileError(UINT textId, const char* path) {
    AfxMessageBox((AfxLoadString(textId) + path).c_str());
}
} // namespace

const MessageMap CDocument::messageMap{
    &CCmdTarget::messageMap,
    MapCommand(ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs),
};

bool CDocument::OnNewDocument() {
    m_strPathName.clear();
    return true;
}

// Opens path as flags say; reports the failure text when it cannot. The document holds no data:
// an opened file is neither read nor written.
bool CDocument::Transfer(const char* path, UINT flags, UINT failure) {
    CFile file;
    if (file.Open(path, flags))
        return true;
    ReportFileError(failure, path);
    return false;
}

bool CDocument::OnOpenDocument(const char* path) {
    return Transfer(path, CFile::modeRead, AFX_IDS_OPEN_FAILED);
}

bool CDocument::OnSaveDocument(const char* path) {
    return Transfer(path, CFile::modeCreate | CFile::modeWrite, AFX_IDS_SAVE_FAILED);
}

void CDocument::SetPathName(const char* path) {
    char full[MAX_PATH * 4];
    DWORD length = ::GetFullPathNameA(path, sizeof(full), full, nullptr);
    m_strPathName = (length > 0 && length < sizeof(full)) ? full : path;
    size_t slash = m_strPathName.find_last_of("\\/");
    SetTitle(m_strPathName.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
    AfxGetApp()->AddToRecentFileList(m_strPathName.c_str());
}

void CDocument::OnFileSaveAs() {
    const std::string& offered = m_strPathName.empty() ? m_strTitle : m_strPathName;
    CFileDialog dialog(false, offered.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    if (dialog.DoModal() != IDOK)
        return;
    if (OnSaveDocument(dialog.GetPathName().c_str()))
        SetPathName(dialog.GetPathName().c_str());
}
