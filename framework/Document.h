// CDocument: the document side of document/view.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "Wnd.h"

class CDocument : public CCmdTarget {
public:
    virtual bool OnNewDocument();
    // Opens the file and reads nothing; false, after telling the user, when it cannot be opened.
    bool OnOpenDocument(const char* path);
    bool OnSaveDocument(const char* path);

    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(const char* title) { m_strTitle = title; }
    const std::string& GetPathName() const { return m_strPathName; }
    // Takes path and its file name as title; adds it to the recent-file list.
    void SetPathName(const char* path);

protected:
    void OnFileSaveAs();
    MESSAGE_MAP_MEMBERS();

private:
    bool Transfer(const char* path, UINT flags, UINT failure);

    std::string m_strTitle;
    std::string m_strPathName;
};
