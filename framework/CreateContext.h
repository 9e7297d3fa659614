// What the document template makes, and what it hands the frame so that it can make the view.
#pragma once

#include <memory>

class CDocument;
class CFrameWnd;
class CPrinterChoice;
class CView;

// Each makes the application's own class for the document template.
using DocumentFactory = std::unique_ptr<CDocument> (*)();
using FrameFactory = std::unique_ptr<CFrameWnd> (*)();
using ViewFactory = std::unique_ptr<CView> (*)();

struct CCreateContext {
    ViewFactory m_pNewView = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CPrinterChoice* m_pPrinter = nullptr; // the view prints to it
};
