// CFile: a file opened for one command, closed at the latest when the object dies.
#pragma once

#include <windows.h>

#include <string>

#include "Handle.h"

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        shareDenyWrite = 0x0020,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };

    // True when a file or directory of that path exists.
    static bool GetStatus(const char* path);
    // modeCreate alone creates the file empty; modeWrite alone opens an existing file for
    // writing at its start, held exclusively while open; modeRead opens it for reading,
    // shared with other programs. modeNoTruncate keeps the content of a file that modeCreate
    // finds; shareDenyWrite lets others read and remove a file open for writing.
    bool Open(const char* path, UINT flags);
    // Writes all of data at the current position; false on any failure.
    bool Write(const void* data, size_t length);
    // Ends the file at the current position, dropping what a longer earlier content left.
    bool SetEndHere();
    bool SeekToEnd();
    // True once the open file was removed, by this program or another.
    bool IsRemoved() const;
    void Close() { m_file.Reset(); }
    bool IsOpen() const { return static_cast<bool>(m_file); }

private:
    CHandle m_file;
};
