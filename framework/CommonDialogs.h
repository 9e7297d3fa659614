// The system's common dialogs, reached through their library once a dialog first opens.
#pragma once

#include <windows.h>

// Loading the library brings the shell's libraries with it: costly at start-up, so it happens
// on first use. Null when the library or the function cannot be found.
FARPROC AfxFindCommonDialogProc(const char* name);

template <typename Function> Function AfxCommonDialogProc(const char* name) {
    // Two casts through the generic function pointer type, which converts to any other.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(AfxFindCommonDialogProc(name)));
}
