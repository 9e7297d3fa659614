// CKestrinDoc: the document the framework needs; it holds no data.
#pragma once

#include "Document.h"

class CKestrinDoc : public CDocument {
public:
    static const CRuntimeClass runtimeClass;

    void Serialize(CArchive& ar) override;
    bool OnNewDocument() override;
};
