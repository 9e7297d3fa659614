// CKestrinDoc: every new document gets the same title; files are neither read nor written.
#include "KestrinDoc.h"

#include "Strings.h"
#include "resource.h"

bool CKestrinDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument())
        return false;
    SetTitle(AfxLoadString(IDS_NEW_DOCUMENT_TITLE).c_str());
    return true;
}
