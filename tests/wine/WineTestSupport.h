// Helpers of the Windows tests and the bench: sibling programs, child processes with piped
// standard streams, and waits that keep dispatching messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "WinProcessSource.h"

// Bounds a hung child or wait, so that a broken run still ends.
inline const DWORD kTimeoutMs = 30000;

template <typename Found> bool WaitFor(Found found) {
    for (DWORD waited = 0; waited <= kTimeoutMs; waited += 20, ::Sleep(20))
        if (found())
            return true;
    return false;
}

// CharNextA steps over double-byte characters, whose second byte may be a backslash.
inline size_t FileNameStart(const std::string& path) {
    size_t start = 0;
    for (const char* p = path.c_str(); *p; p = ::CharNextA(p))
        if (*p == '\\' || *p == '/')
            start = p + 1 - path.c_str();
    return start;
}

inline std::string ProgramPath() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    return length < sizeof path ? std::string(path, length) : std::string();
}

inline std::string SiblingPath(const char* fileName) {
    const std::string program = ProgramPath();
    return program.substr(0, FileNameStart(program)) + fileName;
}

// Quoted so that the child's C runtime splits it back unchanged.
inline std::string QuoteArgument(const std::string& arg) {
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (const char *p = arg.c_str(), *next; *p; p = next) {
        next = ::CharNextA(p);
        // Backslashes double only before a quote, the argument's or the closing one.
        if (*p != '\\') {
            quoted.append(*p == '"' ? 2 * backslashes + 1 : backslashes, '\\').append(p, next);
            backslashes = 0;
        } else
            ++backslashes;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

inline std::string CommandLine(const std::string& program, const std::vector<std::string>& args) {
    std::string line = QuoteArgument(program);
    for (const std::string& arg : args)
        line += ' ' + QuoteArgument(arg);
    return line;
}

// A UTF-8 text as the program shows it: in code page 936, the ANSI code page of its runs.
inline std::string Ansi(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<size_t>(::MultiByteToWideChar(
        CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), &wide[0], int(wide.size()))));
    std::string text(wide.size() * 2, '\0');
    text.resize(static_cast<size_t>(::WideCharToMultiByte(
        936, 0, wide.data(), int(wide.size()), &text[0], int(text.size()), nullptr, nullptr)));
    return text;
}

// Asked of the window itself, so that a control of another process answers with its text.
inline std::string WindowText(HWND window) {
    std::string text(static_cast<size_t>(::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(
        ::SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

inline void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// A child whose standard input is a pipe written from here and whose output and error go into
// one pipe read after it has ended. One still running at destruction is terminated.
class CChildProcess {
public:
    ~CChildProcess() {
        if (m_process && ::TerminateProcess(m_process.Get(), 255))
            ::WaitForSingleObject(m_process.Get(), kTimeoutMs);
    }

    bool Start(std::string commandLine) {
        CHandle childInput, childOutput;
        if (!CreateInheritablePipe(childInput, m_input, true) ||
            !CreateInheritablePipe(m_output, childOutput, false))
            return false;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput.Get();
        startup.hStdOutput = startup.hStdError = childOutput.Get();
        PROCESS_INFORMATION info = {};
        // No console: the child's streams are the pipes, and no console host is started.
        if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                              nullptr, nullptr, &startup, &info))
            return false;
        ::CloseHandle(info.hThread);
        m_process.Reset(info.hProcess);
        m_id = info.dwProcessId;
        return true;
    }

    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process.Get(); }

    // The child reads text, then the end of its input. Writing blocks while the pipe is full, so
    // no window of this thread may be what the child waits for meanwhile.
    void CloseInput(const std::string& text = "") {
        DWORD wrote = 0;
        for (size_t at = 0; m_input && at < text.size(); at += wrote)
            if (!::WriteFile(m_input.Get(), text.data() + at, static_cast<DWORD>(text.size() - at),
                             &wrote, nullptr))
                break;
        m_input.Reset();
    }

    // Dispatching meanwhile, so that this thread's windows keep answering the child.
    bool WaitPumping(DWORD timeoutMs) const {
        const HANDLE process = m_process.Get();
        const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
        for (;;) {
            const ULONGLONG now = ::GetTickCount64();
            const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
            const DWORD woken = ::MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_ALLINPUT);
            if (woken != WAIT_OBJECT_0 + 1)
                return woken == WAIT_OBJECT_0;
            PumpMessages();
        }
    }

    DWORD ExitCode() const {
        DWORD code = 0;
        return ::GetExitCodeProcess(m_process.Get(), &code) ? code : ~DWORD(0);
    }

    // After the child ended: reads only what is in the pipe, so an open handle cannot block.
    std::string Output() {
        std::string output;
        char chunk[4096];
        DWORD available = 0, got = 0;
        while (::PeekNamedPipe(m_output.Get(), nullptr, 0, nullptr, &available, nullptr) &&
               available != 0 && ::ReadFile(m_output.Get(), chunk, sizeof chunk, &got, nullptr))
            output.append(chunk, got);
        return output;
    }

private:
    // Only the child's end is inherited; room for all a child prints before it is read.
    static bool CreateInheritablePipe(CHandle& read, CHandle& write, bool childReads) {
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!::CreatePipe(&readEnd, &writeEnd, nullptr, 64 * 1024))
            return false;
        read.Reset(readEnd);
        write.Reset(writeEnd);
        return ::SetHandleInformation(childReads ? readEnd : writeEnd, HANDLE_FLAG_INHERIT,
                                      HANDLE_FLAG_INHERIT) != FALSE;
    }

    CHandle m_process;
    DWORD m_id = 0;
    CHandle m_input;
    CHandle m_output;
};

// The file-name edit of the system's open or save dialog, the innermost of the nested cmb13
// controls; works on a dialog of another process too.
inline HWND FileNameEdit(HWND dialog) {
    HWND box = dialog;
    for (HWND inner; (inner = ::GetDlgItem(box, 0x047c));)
        box = inner;
    return box == dialog ? nullptr : box;
}
