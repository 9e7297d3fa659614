// CClipboard: puts a set of formats on the clipboard, all of them or none.
#include "Clipboard.h"

bool CClipboard::Put(std::initializer_list<std::pair<UINT, CGlobalMemory*>> blocks) {
    if (!m_bOpen || !::EmptyClipboard())
        return false;
    for (const auto& [format, memory] : blocks) {
        if (!::SetClipboardData(format, memory->Get())) {
            ::EmptyClipboard();
            return false;
        }
        memory->Detach();
    }
    return true;
}
