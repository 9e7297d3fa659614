// CKestrinDoc: every new document is titled "v1.0"; files are neither read nor written.
#include "KestrinDoc.h"

namespace {
const char kNewDocumentTitle[] = "v1.0";
}

const CRuntimeClass CKestrinDoc::runtimeClass = {"CKestrinDoc", &CreateObject<CKestrinDoc>};

void CKestrinDoc::Serialize(CArchive&) {}

bool CKestrinDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument())
        return false;
    SetTitle(kNewDocumentTitle);
    return true;
}
