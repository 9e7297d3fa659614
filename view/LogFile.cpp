// The log file over CFile: appends, and fails once the file was removed under it.
#include "LogFile.h"

CLogFile::~CLogFile() {
    // Every line is written before the file closes.
    m_writer.reset();
}

bool CLogFile::Open(const std::string& path, HWND window, UINT message) {
    if (!m_file.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite |
                                       CFile::shareDenyWrite) ||
        !m_file.SeekToEnd())
        return false;
    m_writer = std::make_unique<CLogWriter>(
        static_cast<ILogSink&>(*this), std::chrono::milliseconds(kWriteEveryMs),
        [window, message] { ::PostMessageA(window, message, 0, 0); });
    return true;
}

// Lines written to a removed file would be lost without a word.
bool CLogFile::Write(const char* data, size_t size) {
    return m_file.Write(data, size) && !m_file.IsRemoved();
}
