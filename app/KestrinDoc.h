// CKestrinDoc: the document the framework needs; it holds no data.
#pragma once

#include "Document.h"

class CKestrinDoc : public CDocument {
public:
    bool OnNewDocument() override;
};
