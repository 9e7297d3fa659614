// CFile over CreateFileA and WriteFile.
#include "File.h"

bool CFile::GetStatus(const char* path) {
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool CFile::Open(const char* path, UINT flags) {
    Close();
    DWORD access = (flags & modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    DWORD disposition = !(flags & modeCreate)      ? OPEN_EXISTING
                        : (flags & modeNoTruncate) ? OPEN_ALWAYS
                                                   : CREATE_ALWAYS;
    DWORD share = !(flags & modeWrite)       ? FILE_SHARE_READ | FILE_SHARE_WRITE
                  : (flags & shareDenyWrite) ? FILE_SHARE_READ | FILE_SHARE_DELETE
                                             : 0;
    m_hFile =
        ::CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return IsOpen();
}

bool CFile::Write(const void* data, DWORD length) {
    DWORD written = 0;
    return ::WriteFile(m_hFile, data, length, &written, nullptr) && written == length;
}

bool CFile::SetEndHere() {
    return ::SetEndOfFile(m_hFile) != FALSE;
}

bool CFile::SeekToEnd() {
    return ::SetFilePointerEx(m_hFile, LARGE_INTEGER{}, nullptr, FILE_END) != FALSE;
}

// Windows keeps a removed file until its last handle closes, marked as pending deletion; Wine
// unlinks it at once, leaving it no link.
bool CFile::IsRemoved() const {
    FILE_STANDARD_INFO info = {};
    return ::GetFileInformationByHandleEx(m_hFile, FileStandardInfo, &info, sizeof info) &&
           (info.DeletePending || info.NumberOfLinks == 0);
}

void CFile::Close() {
    if (IsOpen())
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}
