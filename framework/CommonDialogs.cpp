// The common dialogs' library, loaded on first use.
#include "CommonDialogs.h"

FARPROC AfxFindCommonDialogProc(const char* name) {
    static const HMODULE library = ::LoadLibraryA("comdlg32.dll");
    return library ? ::GetProcAddress(library, name) : nullptr;
}
