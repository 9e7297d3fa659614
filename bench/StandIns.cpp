// The bench's stand-ins, each a process of its own started by the bench: a sender, a writer of
// debug output, a syslog sender, and a window that only answers.
#include <winsock2.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BenchHarness.h"

namespace {

// Reports ready on the semaphore GATE-ready and waits for the event GATE to be set.
bool PassGate(const char* name) {
    CHandle ready(
        ::OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, (std::string(name) + "-ready").c_str()));
    CHandle gate(::OpenEventA(SYNCHRONIZE, FALSE, name));
    if (!ready || !gate || !::ReleaseSemaphore(ready.Get(), 1, nullptr) ||
        ::WaitForSingleObject(gate.Get(), kTimeoutMs) != WAIT_OBJECT_0) {
        fprintf(stderr, "kestrin-bench: the gate %s did not open\n", name);
        return false;
    }
    return true;
}

LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Takes the text as Kestrin does, and keeps its title.
    if (message == WM_SETTEXT)
        return 0;
    if (message == WM_DESTROY)
        ::PostQuitMessage(0);
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

std::string SyslogFrame(DWORD procid, bool octetCounted) {
    const std::string message = Format("<13>1 - benchhost bench %010lu - - %s", procid, kMessage);
    return octetCounted ? Format("%lu ", static_cast<unsigned long>(message.size())) + message
                        : message;
}

// --send HWND COUNT PID WARMUP TEXT GATE: sends WARMUP untimed messages, reports ready on the
// semaphore GATE-ready, and once the event GATE is set sends COUNT timed ones; PID "self" is this
// process's id. Prints: sent COUNT refused N from TICKS to TICKS longest TICKS, the last being the
// longest wait for one answer.
int RunSender(int argc, char** argv) {
    if (argc != 8) {
        fprintf(stderr, "kestrin-bench: --send HWND COUNT PID WARMUP TEXT GATE\n");
        return 2;
    }
    const HWND target =
        reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(argv[2], nullptr, 10)));
    const unsigned long count = strtoul(argv[3], nullptr, 10);
    const DWORD pid =
        strcmp(argv[4], "self") == 0 ? ::GetCurrentProcessId() : strtoul(argv[4], nullptr, 10);
    const unsigned long warmup = strtoul(argv[5], nullptr, 10);
    const char* text = argv[6];
    unsigned long refused = 0;
    const auto send = [&] {
        if (::SendMessageA(target, WM_SETTEXT, pid, reinterpret_cast<LPARAM>(text)) != 0)
            ++refused;
    };
    for (unsigned long i = 0; i < warmup; ++i)
        send();
    if (!PassGate(argv[7]))
        return 2;
    const LONGLONG start = Ticks();
    LONGLONG longest = 0;
    for (unsigned long i = 0; i < count; ++i) {
        const LONGLONG before = Ticks();
        send();
        longest = std::max(longest, Ticks() - before);
    }
    const LONGLONG end = Ticks();
    printf("sent %lu refused %lu from %lld to %lld longest %lld\n", count, refused, start, end,
           longest);
    // A receiver that vanished answers 0 too.
    return refused == 0 && ::IsWindow(target) ? 0 : 2;
}

// --write COUNT GATE: once the gate opens, writes COUNT lines of debug output. Prints as a
// sender does.
int RunWriter(int argc, char** argv) {
    if (argc != 4 || !PassGate(argv[3]))
        return 2;
    const unsigned long count = strtoul(argv[2], nullptr, 10);
    const LONGLONG start = Ticks();
    LONGLONG longest = 0;
    for (unsigned long i = 0; i < count; ++i) {
        const LONGLONG before = Ticks();
        ::OutputDebugStringA(kMessage);
        longest = std::max(longest, Ticks() - before);
    }
    printf("sent %lu refused 0 from %lld to %lld longest %lld\n", count, start, Ticks(), longest);
    return 0;
}

// --syslog udp|tcp PORT COUNT PERSECOND GATE: connects to the port on loopback, and once the gate
// opens sends COUNT syslog messages, octet-counted over TCP, at most PERSECOND a second when not
// 0. Prints as a sender does.
int RunSyslogSender(int argc, char** argv) {
    WSADATA data;
    if (argc != 7 || ::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 2;
    const bool tcp = strcmp(argv[2], "tcp") == 0;
    const unsigned long count = strtoul(argv[4], nullptr, 10),
                        perSecond = strtoul(argv[5], nullptr, 10);
    const std::string frame = SyslogFrame(::GetCurrentProcessId(), tcp);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(strtoul(argv[3], nullptr, 10)));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const SOCKET s = ::socket(AF_INET, tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET || ::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        fprintf(stderr, "kestrin-bench: cannot reach port %s: error %d\n", argv[3],
                ::WSAGetLastError());
        return 2;
    }
    if (!PassGate(argv[6]))
        return 2;
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    const LONGLONG start = Ticks();
    LONGLONG longest = 0;
    for (unsigned long i = 0; i < count; ++i) {
        // Ahead of the pace, a sender sleeps; behind it, it catches up.
        while (perSecond && Ticks() - start < static_cast<LONGLONG>(i) * frequency.QuadPart /
                                                  static_cast<LONGLONG>(perSecond))
            ::Sleep(1);
        const LONGLONG before = Ticks();
        if (::send(s, frame.data(), static_cast<int>(frame.size()), 0) !=
            static_cast<int>(frame.size())) {
            fprintf(stderr, "kestrin-bench: send failed: error %d\n", ::WSAGetLastError());
            return 2;
        }
        longest = std::max(longest, Ticks() - before);
    }
    printf("sent %lu refused 0 from %lld to %lld longest %lld\n", count, start, Ticks(), longest);
    ::closesocket(s);
    return 0;
}

// --bare: a shown top-level window that answers WM_SETTEXT with 0 and does nothing else.
int RunBare() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BareWindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "KestrinBenchBare";
    if (!::RegisterClassA(&windowClass))
        return 1;
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, kBareTitle, WS_OVERLAPPEDWINDOW,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    if (!window)
        return 1;
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
