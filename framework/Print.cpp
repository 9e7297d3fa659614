// CPrinterChoice, preparing a print job over the system's print dialog, and the page loop.
#include "Print.h"

#include <cstring>
#include <string>

#include "CommonDialogs.h"
#include "FrameworkIds.h"
#include "View.h"
#include "WinApp.h"

namespace {
// PRINTDLGA with the library loaded on first use; FALSE, as a cancelled dialog, without it.
BOOL PrintDialog(PRINTDLGA* pd) {
    using Show = BOOL(WINAPI*)(PRINTDLGA*);
    const Show show = AfxCommonDialogProc<Show>("PrintDlgA");
    return show && show(pd);
}

// A copy of the names inside the handle; empty when it holds none.
std::string DevNamesField(HGLOBAL devNames, WORD DEVNAMES::*offset) {
    std::string field;
    if (auto* names = static_cast<DEVNAMES*>(::GlobalLock(devNames))) {
        field = reinterpret_cast<const char*>(names) + names->*offset;
        ::GlobalUnlock(devNames);
    }
    return field;
}
} // namespace

void CPrinterChoice::Set(HGLOBAL devMode, HGLOBAL devNames) {
    m_devMode.Reset(devMode);
    m_devNames.Reset(devNames);
}

bool CPrinterChoice::SetNames(const char* device, const char* driver, const char* port) {
    const char* fields[] = {driver, device, port};
    size_t bytes = sizeof(DEVNAMES);
    for (const char* field : fields)
        bytes += std::strlen(field) + 1;
    // The offsets are 16-bit: longer names cannot be described.
    if (bytes > 0xFFFF)
        return false;
    CGlobalMemory handle(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes));
    auto* names = handle ? static_cast<DEVNAMES*>(::GlobalLock(handle.Get())) : nullptr;
    if (!names)
        return false;
    WORD DEVNAMES::*offsets[] = {&DEVNAMES::wDriverOffset, &DEVNAMES::wDeviceOffset,
                                 &DEVNAMES::wOutputOffset};
    size_t at = sizeof(DEVNAMES);
    for (int i = 0; i < 3; ++i) {
        names->*offsets[i] = static_cast<WORD>(at);
        std::strcpy(reinterpret_cast<char*>(names) + at, fields[i]);
        at += std::strlen(fields[i]) + 1;
    }
    ::GlobalUnlock(handle.Get());
    Set(nullptr, handle.Detach());
    return true;
}

bool CPrinterChoice::Choose() {
    if (m_devNames)
        return true;
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.Flags = PD_RETURNDEFAULT;
    if (!PrintDialog(&pd))
        return false;
    Set(pd.hDevMode, pd.hDevNames);
    return static_cast<bool>(m_devNames);
}

bool CPrinterChoice::RunDialog(DWORD flags, HDC* dc) {
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = AfxGetModalOwner();
    pd.hDevMode = m_devMode.Detach();
    pd.hDevNames = m_devNames.Detach();
    pd.Flags = flags | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
    pd.nMinPage = pd.nMaxPage = pd.nFromPage = pd.nToPage = 1;
    pd.nCopies = 1;
    const bool chosen = PrintDialog(&pd) != FALSE;
    // The dialog may have replaced the handles, whatever its outcome.
    Set(pd.hDevMode, pd.hDevNames);
    if (dc)
        *dc = chosen ? pd.hDC : nullptr;
    else if (pd.hDC)
        ::DeleteDC(pd.hDC);
    return chosen;
}

HDC CPrinterChoice::CreateDC() const {
    const std::string driver = DevNamesField(m_devNames.Get(), &DEVNAMES::wDriverOffset);
    const std::string device = DevNamesField(m_devNames.Get(), &DEVNAMES::wDeviceOffset);
    const std::string port = DevNamesField(m_devNames.Get(), &DEVNAMES::wOutputOffset);
    if (device.empty())
        return nullptr;
    auto* mode = m_devMode ? static_cast<DEVMODEA*>(::GlobalLock(m_devMode.Get())) : nullptr;
    HDC dc = ::CreateDCA(driver.c_str(), device.c_str(), port.c_str(), mode);
    if (mode)
        ::GlobalUnlock(m_devMode.Get());
    return dc;
}

bool AfxPreparePrinting(CPrintInfo& info, CPrinterChoice* printer) {
    if (!printer || !printer->Choose()) {
        AfxMessageBox(AFX_IDS_NO_PRINTER, MB_OK);
        return false;
    }
    if (info.m_bDirect || info.m_bPreview)
        info.m_dc.Reset(printer->CreateDC());
    else if (!printer->RunDialog(PD_RETURNDC, info.m_dc.Put()))
        return false;
    if (!info.m_dc)
        AfxMessageBox(AFX_IDS_PRINT_FAILED, MB_OK);
    return static_cast<bool>(info.m_dc);
}

bool AfxPrintPages(CView& view, CPrintInfo& info, const char* title) {
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = title;
    bool printed = ::StartDocA(info.m_dc.Get(), &doc) > 0;
    if (printed) {
        for (info.m_nCurPage = info.GetMinPage(); printed && info.m_nCurPage <= info.GetMaxPage();
             ++info.m_nCurPage) {
            printed = ::StartPage(info.m_dc.Get()) > 0;
            if (printed) {
                view.OnPrint(info.m_dc.Get(), &info);
                printed = ::EndPage(info.m_dc.Get()) > 0;
            }
        }
        if (printed)
            printed = ::EndDoc(info.m_dc.Get()) > 0;
        else
            ::AbortDoc(info.m_dc.Get());
    }
    if (!printed)
        AfxMessageBox(AFX_IDS_PRINT_FAILED, MB_OK);
    return printed;
}
