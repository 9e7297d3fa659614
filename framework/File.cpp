// CFile over CreateFileA and WriteFile.
#include "File.h"

#include <algorithm>

bool CFile::GetStatus(const char* path) {
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool CFile::Open(const char* path, UINT flags) {
    // Closed first: the old handle may hold the same file exclusively.
    Close();
    DWORD access = (flags & modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    DWORD disposition = !(flags & modeCreate)      ? OPEN_EXISTING
                        : (flags & modeNoTruncate) ? OPEN_ALWAYS
                                                   : CREATE_ALWAYS;
    DWORD share = !(flags & modeWrite)       ? FILE_SHARE_READ | FILE_SHARE_WRITE
                  : (flags & shareDenyWrite) ? FILE_SHARE_READ | FILE_SHARE_DELETE
                                             : 0;
    m_file.Reset(
        ::CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    return IsOpen();
}

bool CFile::Write(const void* data, size_t length) {
    // One call writes at most a DWORD's count; a gigabyte at a time keeps well below it.
    const char* bytes = static_cast<const char*>(data);
    for (size_t at = 0; at < length;) {
        const DWORD part = static_cast<DWORD>(std::min<size_t>(length - at, 1 << 30));
        DWORD written = 0;
        if (!::WriteFile(m_file.Get(), bytes + at, part, &written, nullptr) || written != part)
            return false;
        at += part;
    }
    return true;
}

bool CFile::SetEndHere() {
    return ::SetEndOfFile(m_file.Get()) != FALSE;
}

bool CFile::SeekToEnd() {
    return ::SetFilePointerEx(m_file.Get(), LARGE_INTEGER{}, nullptr, FILE_END) != FALSE;
}

// Windows keeps a removed file until its last handle closes, marked as pending deletion; Wine
// unlinks it at once, leaving it no link.
bool CFile::IsRemoved() const {
    FILE_STANDARD_INFO info = {};
    return ::GetFileInformationByHandleEx(m_file.Get(), FileStandardInfo, &info, sizeof info) &&
           (info.DeletePending || info.NumberOfLinks == 0);
}
