// CHandle and CWinProcessSource: the system's process list and executable names.
#pragma once

#include "ProcessNames.h"

// Owns one kernel handle and closes it once; null and INVALID_HANDLE_VALUE mean none.
class CHandle {
public:
    explicit CHandle(HANDLE handle = nullptr) : m_handle(handle) {}
    CHandle(CHandle&& other) noexcept : m_handle(other.Detach()) {}
    CHandle& operator=(CHandle&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    ~CHandle() { Reset(); }

    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Detach() {
        HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }
    void Reset(HANDLE handle = nullptr) {
        if (*this)
            ::CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle;
};

// The process-status calls behind CProcessNames.
class CWinProcessSource : public IProcessSource {
public:
    bool EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesFilled) override;
    DWORD ReadName(DWORD processId, char (&name)[128]) override;
};
