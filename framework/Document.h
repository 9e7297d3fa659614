// CRuntimeClass, CArchive and CDocument: the document side of document/view.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "File.h"
#include "Wnd.h"

class CView;

// What a document template needs to create an object of a class by its record.
struct CRuntimeClass {
    const char* m_lpszClassName;
    CCmdTarget* (*m_pfnCreateObject)();
};
template <class T> CCmdTarget* CreateObject() {
    return new T;
}

// The file a document is read from or written to; Kestrin's documents move no data.
class CArchive {
public:
    enum Mode { load, store };
    CArchive(CFile& file, Mode mode) : m_file(file), m_mode(mode) {}
    bool IsStoring() const { return m_mode == store; }
    CFile& GetFile() const { return m_file; }

private:
    CFile& m_file;
    Mode m_mode;
};

// 1-based position of a view in its document's list; 0 is the end.
using POSITION = size_t;

class CDocument : public CCmdTarget {
public:
    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const char* path);
    virtual bool OnSaveDocument(const char* path);
    virtual void Serialize(CArchive& ar);
    virtual void SetTitle(const char* title);

    const std::string& GetTitle() const { return m_strTitle; }
    const std::string& GetPathName() const { return m_strPathName; }
    // Takes path and its file name as title; adds it to the recent-file list.
    void SetPathName(const char* path);

    POSITION GetFirstViewPosition() const { return m_views.empty() ? 0 : 1; }
    CView* GetNextView(POSITION& pos) const;
    void AddView(CView* view);
    void RemoveView(CView* view);
    // Sends every view its initial update.
    void UpdateAllViewsInitial();

protected:
    void OnFileSave();
    void OnFileSaveAs();
    MESSAGE_MAP_MEMBERS();

private:
    bool Transfer(const char* path, UINT flags, CArchive::Mode mode, const char* failure);

    std::string m_strTitle;
    std::string m_strPathName;
    std::vector<CView*> m_views;
};
