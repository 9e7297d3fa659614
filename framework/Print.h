// CPrinterChoice and CPrintInfo: the printer the application prints to, and one print job's
// settings as the view prepares and prints it.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include "Handle.h"

class CView;

// The printer as the system's dialogs describe it: the default until Print Setup or the print
// dialog picks another.
class CPrinterChoice {
public:
    // Takes the handles, freeing those held.
    void Set(HGLOBAL devMode, HGLOBAL devNames);
    // A printer named by its device, driver and port, with the driver's default settings.
    bool SetNames(const char* device, const char* driver, const char* port);
    // The system's default printer when none is chosen yet; false when there is none.
    bool Choose();
    // The print dialog (flags PD_PRINTSETUP for the setup dialog) over this choice, which
    // becomes the user's; false when the user cancels or the dialog fails. Keeps its device
    // context in dc when asked for one (PD_RETURNDC).
    bool RunDialog(DWORD flags, HDC* dc = nullptr);
    // A device context of the chosen printer, or null.
    HDC CreateDC() const;

private:
    CGlobalMemory m_devMode;
    CGlobalMemory m_devNames;
};

// One print job or preview: how it was asked for, its pages and the printer's device context.
class CPrintInfo {
public:
    UINT GetMinPage() const { return 1; }
    // One page: the view never says it has more.
    UINT GetMaxPage() const { return 1; }

    bool m_bDirect = false;  // no print dialog: the chosen printer
    bool m_bPreview = false; // drawn on the screen, measured on the chosen printer
    UINT m_nCurPage = 1;
    CDC m_dc;
};

// Gets the job its device context from printer: the print dialog, or the chosen printer for
// direct printing and preview. False, after telling the user, when there is no printer; false
// when cancelled.
bool AfxPreparePrinting(CPrintInfo& info, CPrinterChoice* printer);
// Prints the job's pages through the view's hooks; false, after telling the user, when the
// printer refused the document. Either way the job ends on the printer: finished or aborted.
bool AfxPrintPages(CView& view, CPrintInfo& info, const char* title);
