// CDocument: title, path, views, and the File commands of the base document.
#include "Document.h"

#include <algorithm>

#include "FileDialog.h"
#include "FrameWnd.h"
#include "FrameworkIds.h"
#include "View.h"
#include "WinApp.h"

namespace {
const char kOpenFailed[] = "无法打开文件：";
const char kSaveFailed[] = "无法保存文件：";

void ReportFileError(const char* text, const char* path) {
    AfxMessageBox((std::string(text) + path).c_str());
}
} // namespace

const MessageMap CDocument::messageMap{
    &CCmdTarget::messageMap,
    MapCommand(ID_FILE_SAVE, &CDocument::OnFileSave),
    MapCommand(ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs),
};

bool CDocument::OnNewDocument() {
    m_strPathName.clear();
    return true;
}

// Opens path as flags say and serialises in mode; reports the failure text when it cannot open.
bool CDocument::Transfer(const char* path, UINT flags, CArchive::Mode mode, const char* failure) {
    CFile file;
    if (!file.Open(path, flags)) {
        ReportFileError(failure, path);
        return false;
    }
    CArchive ar(file, mode);
    Serialize(ar);
    return true;
}

bool CDocument::OnOpenDocument(const char* path) {
    return Transfer(path, CFile::modeRead, CArchive::load, kOpenFailed);
}

bool CDocument::OnSaveDocument(const char* path) {
    return Transfer(path, CFile::modeCreate | CFile::modeWrite, CArchive::store, kSaveFailed);
}

void CDocument::Serialize(CArchive&) {}

void CDocument::SetTitle(const char* title) {
    m_strTitle = title;
    for (CView* view : m_views)
        if (auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(::GetParent(view->m_hWnd))))
            frame->OnUpdateFrameTitle(true);
}

void CDocument::SetPathName(const char* path) {
    char full[MAX_PATH * 4];
    DWORD length = ::GetFullPathNameA(path, sizeof(full), full, nullptr);
    m_strPathName = (length > 0 && length < sizeof(full)) ? full : path;
    size_t slash = m_strPathName.find_last_of("\\/");
    SetTitle(m_strPathName.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
    AfxGetApp()->AddToRecentFileList(m_strPathName.c_str());
}

CView* CDocument::GetNextView(POSITION& pos) const {
    CView* view = m_views[pos - 1];
    pos = pos < m_views.size() ? pos + 1 : 0;
    return view;
}

void CDocument::AddView(CView* view) {
    m_views.push_back(view);
}

void CDocument::RemoveView(CView* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CDocument::UpdateAllViewsInitial() {
    for (CView* view : m_views)
        view->OnInitialUpdate();
}

void CDocument::OnFileSave() {
    if (m_strPathName.empty())
        OnFileSaveAs();
    else
        OnSaveDocument(m_strPathName.c_str());
}

void CDocument::OnFileSaveAs() {
    const std::string& offered = m_strPathName.empty() ? m_strTitle : m_strPathName;
    CFileDialog dialog(false, nullptr, offered.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    if (dialog.DoModal() != IDOK)
        return;
    if (OnSaveDocument(dialog.GetPathName().c_str()))
        SetPathName(dialog.GetPathName().c_str());
}
