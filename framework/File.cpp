// CFile over CreateFileA and WriteFile.
#include "File.h"

bool CFile::GetStatus(const char* path) {
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool CFile::Open(const char* path, UINT flags) {
    Close();
    DWORD access = (flags & modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    DWORD disposition = (flags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    DWORD share = (flags & modeWrite) ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
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

void CFile::Close() {
    if (IsOpen())
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}
