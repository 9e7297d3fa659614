// CLogFile: the file Log to file appends rows to, and the thread that writes them there.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "File.h"
#include "LogWriter.h"

class CLogFile : private ILogSink {
public:
    ~CLogFile();
    // Opens path for appending, created when missing, others free to read it meanwhile. A
    // failed write posts message to window.
    bool Open(const std::string& path, HWND window, UINT message);
    // Lines appended; they reach the file within kWriteEveryMs.
    void Add(const char* data, size_t size) { m_writer->Add(data, size); }
    // Writes what is pending now; false once a write failed.
    bool Flush() { return m_writer->Flush(); }
    bool Failed() const { return m_writer->Failed(); }

    static const int kWriteEveryMs = 50;

private:
    bool Write(const char* data, size_t size) override;

    CFile m_file;
    std::unique_ptr<CLogWriter> m_writer;
};
