// CKestrinDoc: every new document is titled "v1.0".
#include "KestrinDoc.h"

namespace {
const char kNewDocumentTitle[] = "v1.0";
}

bool CKestrinDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument())
        return false;
    SetTitle(kNewDocumentTitle);
    return true;
}
