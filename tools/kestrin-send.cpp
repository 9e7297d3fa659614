// kestrin-send: sends debug messages to Kestrin from the command line, scripts and batch files.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kWindowTitle[] = "Kestrin";
// The largest --repeat count and --timeout in milliseconds.
const unsigned long kMaxNumber = 1000000000;
// The most of one input line kept and sent, so that memory stays flat on input without breaks.
const size_t kMaxLineBytes = 16 << 20;

// Exit statuses, as scripts test them.
enum : int { kExitDelivered = 0, kExitNoWindow = 1, kExitFailed = 2 };

const char kUsage[] =
    "Usage: kestrin-send [--repeat N] [--timeout MS] [--time] [--] [MESSAGE...]\n"
    "\n"
    "Sends each MESSAGE to the window titled \"Kestrin\" as one debug message.\n"
    "With no MESSAGE, sends each line of standard input as one message, as soon\n"
    "as the line is complete (a CR before the line feed is dropped), and a last\n"
    "line without a line feed when the input ends. A line longer than 16777216\n"
    "bytes is cut: its first 16777216 bytes are sent, the rest is skipped.\n"
    "\n"
    "  --repeat N    send each message N times (N from 1 to 1000000000)\n"
    "  --timeout MS  wait at most MS milliseconds (1 to 1000000000) for Kestrin to\n"
    "                take each message, and not at all while it is hung; without\n"
    "                it, wait as long as Kestrin takes\n"
    "  --time        when all are sent, print the mean round trip of one message:\n"
    "                  kestrin-send: COUNT messages, mean round trip NANOSECONDS ns\n"
    "  --            the arguments that follow are messages, even if they start with --\n"
    "  --help        print this text\n"
    "\n"
    "Sending stops at the first message that is not taken.\n"
    "Exit status: 0 every message was taken; 1 there is no window titled \"Kestrin\";\n"
    "2 Kestrin did not take a message (it refused it, ended while taking it, or\n"
    "did not answer in time), or an argument or the input was bad, or a line was cut.\n";

struct Options {
    unsigned long repeat = 1;
    // None: the protocol's blocking send.
    unsigned long timeoutMs = 0;
    bool time = false;
    bool help = false;
    std::vector<const char*> messages;
};

// A whole number from 1 to kMaxNumber, written with digits only.
bool ParseNumber(const char* text, unsigned long& value) {
    size_t length = strlen(text);
    if (length == 0 || length > 10 || strspn(text, "0123456789") != length)
        return false;
    unsigned long long number = 0;
    for (size_t i = 0; i < length; ++i)
        number = number * 10 + static_cast<unsigned>(text[i] - '0');
    if (number < 1 || number > kMaxNumber)
        return false;
    value = static_cast<unsigned long>(number);
    return true;
}

bool Fail(const char* problem, const char* argument) {
    fprintf(stderr, "kestrin-send: %s%s\nTry 'kestrin-send --help'.\n", problem, argument);
    return false;
}

// Options may stand anywhere before "--"; the other arguments are the messages, in order.
bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (strcmp(arg, "--") == 0) {
            options.messages.insert(options.messages.end(), argv + i + 1, argv + argc);
            break;
        } else if (strncmp(arg, "--", 2) != 0) {
            options.messages.push_back(arg);
        } else if (strcmp(arg, "--help") == 0) {
            options.help = true;
        } else if (strcmp(arg, "--time") == 0) {
            options.time = true;
        } else if (strcmp(arg, "--repeat") == 0) {
            if (i + 1 == argc)
                return Fail("--repeat needs a count", "");
            if (!ParseNumber(argv[++i], options.repeat))
                return Fail("--repeat needs a whole number from 1 to 1000000000, got ", argv[i]);
        } else if (strcmp(arg, "--timeout") == 0) {
            if (i + 1 == argc)
                return Fail("--timeout needs milliseconds", "");
            if (!ParseNumber(argv[++i], options.timeoutMs))
                return Fail("--timeout needs a whole number from 1 to 1000000000, got ", argv[i]);
        } else {
            return Fail("unknown option ", arg);
        }
    }
    return true;
}

// Sends as the client routine does: the window is found by its title, kept, and
// looked up again once it is no longer a window. Without a timeout the send waits as
// SendMessageA does, but its result, unlike SendMessageA's answer of 0, tells a Kestrin
// that ended while taking the message.
class CSender {
public:
    CSender(unsigned long repeat, unsigned long timeoutMs)
        : m_repeat(repeat), m_flags(timeoutMs ? SMTO_NORMAL | SMTO_ABORTIFHUNG : SMTO_NORMAL),
          m_timeoutMs(timeoutMs ? timeoutMs : INFINITE) {}

    int Send(const char* text) {
        for (unsigned long i = 0; i < m_repeat; ++i) {
            if (!::IsWindow(m_window))
                m_window = ::FindWindowA(nullptr, kWindowTitle);
            if (!m_window) {
                fputs("kestrin-send: there is no window titled \"Kestrin\"\n", stderr);
                return kExitNoWindow;
            }
            LARGE_INTEGER start, end;
            ::QueryPerformanceCounter(&start);
            DWORD_PTR answer = 0;
            const bool answered = ::SendMessageTimeoutA(
                m_window, WM_SETTEXT, ::GetCurrentProcessId(), reinterpret_cast<LPARAM>(text),
                m_flags, m_timeoutMs, &answer);
            ::QueryPerformanceCounter(&end);
            m_ticks += end.QuadPart - start.QuadPart;
            ++m_sent;
            if (!answered) {
                if (m_timeoutMs != INFINITE && ::IsWindow(m_window))
                    fprintf(stderr,
                            "kestrin-send: Kestrin is hung or did not answer within %lu ms\n",
                            m_timeoutMs);
                else
                    fputs("kestrin-send: Kestrin ended before it took the message\n", stderr);
                return kExitFailed;
            }
            if (answer != 0) {
                fprintf(stderr, "kestrin-send: Kestrin did not take the message (answer %lld)\n",
                        static_cast<long long>(answer));
                return kExitFailed;
            }
        }
        return kExitDelivered;
    }

    void PrintTime() const {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        double mean = m_sent == 0 ? 0.0 : 1e9 * m_ticks / frequency.QuadPart / m_sent;
        printf("kestrin-send: %llu messages, mean round trip %.0f ns\n", m_sent, mean);
    }

private:
    const unsigned long m_repeat;
    const UINT m_flags;
    const DWORD m_timeoutMs;
    HWND m_window = nullptr;
    unsigned long long m_sent = 0;
    long long m_ticks = 0;
};

// Sends one line without its line feed and a CR before it; a NUL would cut it short. A line that
// was cut is sent as far as it was kept, and said so.
int SendLine(CSender& sender, std::string& line, bool& cut, unsigned long long lineNumber) {
    if (!cut && !line.empty() && line.back() == '\r')
        line.pop_back();
    if (memchr(line.data(), '\0', line.size())) {
        fprintf(stderr, "kestrin-send: line %llu holds a NUL byte and was not sent\n", lineNumber);
        return kExitFailed;
    }
    int status = sender.Send(line.c_str());
    if (status == kExitDelivered && cut)
        fprintf(stderr, "kestrin-send: line %llu was longer than %zu bytes; the rest was skipped\n",
                lineNumber, kMaxLineBytes);
    line.clear();
    cut = false;
    return status;
}

// Keeps what fits of [from, to) in the line; cut tells that some did not.
void Keep(std::string& line, bool& cut, const char* from, const char* to) {
    const size_t room = kMaxLineBytes - line.size();
    cut = cut || static_cast<size_t>(to - from) > room;
    line.append(from, std::min(static_cast<size_t>(to - from), room));
}

// Standard input is read before the window is looked for, so a waiting sender
// needs no Kestrin until it has a line to send.
int SendInputLines(CSender& sender) {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    std::string line;
    bool cut = false, anyCut = false;
    unsigned long long lineNumber = 0;
    static char chunk[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(input, chunk, sizeof chunk, &got, nullptr)) {
            DWORD error = ::GetLastError();
            // The end of a pipe whose writer has gone.
            if (error == ERROR_BROKEN_PIPE)
                break;
            fprintf(stderr, "kestrin-send: cannot read standard input (error %lu)\n",
                    static_cast<unsigned long>(error));
            return kExitFailed;
        }
        // The end of a file, or of a pipe from a Unix shell under Wine.
        if (got == 0)
            break;
        const char* rest = chunk;
        const char* end = chunk + got;
        while (const char* feed = static_cast<const char*>(memchr(rest, '\n', end - rest))) {
            Keep(line, cut, rest, feed);
            rest = feed + 1;
            anyCut = anyCut || cut;
            int status = SendLine(sender, line, cut, ++lineNumber);
            if (status != kExitDelivered)
                return status;
        }
        Keep(line, cut, rest, end);
    }
    anyCut = anyCut || cut;
    const int status = line.empty() ? kExitDelivered : SendLine(sender, line, cut, ++lineNumber);
    return status == kExitDelivered && anyCut ? kExitFailed : status;
}

} // namespace

// argv is the ANSI command line, so text in the system code page arrives unchanged.
int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options))
        return kExitFailed;
    if (options.help) {
        fputs(kUsage, stdout);
        return kExitDelivered;
    }

    CSender sender(options.repeat, options.timeoutMs);
    int status = kExitDelivered;
    if (options.messages.empty())
        status = SendInputLines(sender);
    for (size_t i = 0; i < options.messages.size() && status == kExitDelivered; ++i)
        status = sender.Send(options.messages[i]);
    if (status == kExitDelivered && options.time)
        sender.PrintTime();
    return status;
}
