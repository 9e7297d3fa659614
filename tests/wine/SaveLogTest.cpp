// Save: the log list written to the file chosen in the system's save dialog at the first Save,
// and to the same file at every later one; failures told in a message box, the rows kept.
#include <algorithm>
#include <fstream>
#include <utility>

#include "AppFixture.h"

namespace {

// The view keeps the first path confirmed for as long as it lives, so every save goes here.
const std::string kLogFolder =
    SiblingPath("kestrin-save-") + std::to_string(::GetCurrentProcessId()) + "\\";
const std::string kLogPath = kLogFolder + "saved.log";
// The log folder as Unix names it: Wine's Z: drive is the Unix root.
const std::string kUnixFolder = [] {
    std::string path = kLogFolder.substr(2);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}();
bool g_mounted = false; // a small disk on the log folder

// The dialog class's procedure for the inner box of two: it counts the outer one's messages.
HWND g_outerBox = nullptr;
WNDPROC g_dialogProc = nullptr;
int g_strays = 0;
LRESULT CALLBACK InnerBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    g_strays += box == g_outerBox;
    return ::CallWindowProcA(g_dialogProc, box, message, wParam, lParam);
}

bool SmallDisk() {
    ULARGE_INTEGER size = {};
    return ::GetDiskFreeSpaceExA(kLogFolder.c_str(), nullptr, &size, nullptr) &&
           size.QuadPart < 65536;
}

// Wine starts a Unix program but gives no handle to wait on: this waits until done() holds; false
// when that does not come within 5 s.
bool RunUnixUntil(const std::string& command, bool (*done)()) {
    std::string line = "/bin/sh -c \"" + command + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (::CreateProcessA("Z:\\bin\\sh", &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS,
                         nullptr, nullptr, &startup, &info))
        for (int waited = 0; waited < 5000; waited += 50, ::Sleep(50))
            if (done())
                return true;
    return false;
}

// Undoes whatever a test made of the log folder, and leaves it empty. The save dialog makes the
// chosen folder current, which would keep it from being removed.
void ResetLogFolder() {
    ::SetCurrentDirectoryA(SiblingPath("").c_str());
    EXPECT_TRUE(!std::exchange(g_mounted, false) ||
                RunUnixUntil("umount -l '" + kUnixFolder + "'", [] { return !SmallDisk(); }))
        << "expected the small disk on " << kLogFolder << " unmounted";
    ::DeleteFileA(kLogPath.c_str());
    ::RemoveDirectoryA(kLogPath.c_str());
    ::CreateDirectoryA(kLogFolder.c_str(), nullptr);
}

using SaveLogTest = AppFixture;

// Each failure's cause is made, then undone.
TEST_F(SaveLogTest, FirstSaveAsksLaterOnesReplaceTheFileLogToFileAppendsAndFailuresKeepTheRows) {
    ::CreateDirectoryA(kLogFolder.c_str(), nullptr);
    Send("first");
    // Cancelled, the dialog leaves no path to open. A box opened inside the failure box, with a
    // procedure of its own: each box forwards a client's text and keeps its caption, and the
    // outer one's messages never reach the inner one's procedure.
    const ModalStep openInner = [](HWND box) {
        g_dialogProc = reinterpret_cast<WNDPROC>(::SetClassLongPtrA(
            g_outerBox = box, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(InnerBoxProc)));
        AfxMessageBox("inner");
        EXPECT_FALSE(::IsWindowEnabled(g_app->m_pMainWnd->m_hWnd))
            << "the frame under the outer box";
        ::SetClassLongPtrA(box, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_dialogProc));
    };
    const ModalStep sendToBoth = [this](HWND inner) {
        Send("to the outer", g_outerBox), Send("to the inner", inner);
        EXPECT_EQ("Kestrin", WindowText(g_outerBox));
    };
    const std::string failed = "Kestrin: Open File  failed";
    EXPECT_EQ(
        (Strings{Ansi("另存为"), failed, "Kestrin: inner", failed}),
        Drive(ID_FILE_SAVE, {Click(IDCANCEL), openInner, sendToBoth, Click(IDOK), Click(IDOK)}));
    EXPECT_EQ(std::make_pair(Strings{"first", "to the outer", "to the inner"}, 0),
              std::make_pair(Texts(), g_strays));
    EXPECT_EQ(Strings{Ansi("另存为")}, Drive(ID_FILE_SAVE, {[](HWND dialog) {
                                                 ::SetWindowTextA(FileNameEdit(dialog),
                                                                  kLogPath.c_str());
                                                 Click(IDOK)(dialog);
                                             }}));
    EXPECT_EQ(Lines(Rows()), Content(kLogPath));
    std::ofstream(kLogPath, std::ios::binary) << std::string(3000, 'x');
    Send("a\tb");
    // Save while another program reads the file, as tail -f does.
    const auto saveWhileRead = [this] {
        const CHandle reader(::CreateFileA(kLogPath.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
        Command(ID_FILE_SAVE);
    };
    EXPECT_EQ(Strings{}, Drive(saveWhileRead, {})) << "later saves ask nothing";
    EXPECT_EQ(Lines(Rows()), Content(kLogPath));

    // A folder where the file goes cannot be opened.
    ResetLogFolder();
    ::CreateDirectoryA(kLogPath.c_str(), nullptr);
    EXPECT_EQ(Strings{"Kestrin: Open File " + kLogPath + " failed"},
              Drive(ID_FILE_SAVE, {Click(IDOK)}));
    EXPECT_EQ("<folder>", Content(kLogPath));

    // After a failure the next Save or Log to file asks again, from the failed path; the log's
    // dialog asks nothing about replacing the file it adds rows to (a Yes/No prompt, answered No).
    // Turning Log to file off writes what is pending at once; a failed write turns it off and
    // says so. The full disk takes root and Wine's Z: drive, and is skipped without them.
    ResetLogFolder();
    std::ofstream(kLogPath, std::ios::binary) << "kept\r\n";
    Command(ID_CLEAR);
    const auto logging = [this] { return (ButtonState(ID_LOG_TO_FILE) & TBSTATE_CHECKED) != 0; };
    EXPECT_EQ(Strings{Ansi("记录到文件")}, Drive(ID_LOG_TO_FILE, {Click(IDOK), Click(IDNO)}));
    Send("one");
    Drive(ID_LOG_TO_FILE, {}); // off; a window that should not come is cancelled, not waited for
    EXPECT_EQ("kept\r\n" + Lines(Rows()), Content(kLogPath)) << "the last row written at once";

    const auto failsWriting = [&](const char* cause, bool told) {
        for (int i = 0; i < 100; ++i) // more than the small disk holds
            Send((std::to_string(i) + std::string(120, '.')).c_str());
        const std::vector<Row> rows = Rows();
        const Strings seen = Drive(
            [&] {
                for (int waited = 0; waited < 1000 && logging(); waited += 10) {
                    ::Sleep(10);
                    PumpMessages();
                }
            },
            {Click(IDOK)});
        if (told) {
            EXPECT_EQ(Strings{Ansi("Kestrin: 写入日志文件 ") + kLogPath +
                              Ansi(" 失败，已停止记录到文件。")},
                      seen)
                << cause;
            EXPECT_FALSE(logging()) << cause;
        }
        EXPECT_EQ(rows, Rows()) << cause;
        Command(ID_CLEAR);
        if (logging())
            Drive(ID_LOG_TO_FILE, {Click(IDOK)});
        ResetLogFolder();
    };
    const bool mounted = g_mounted =
        RunUnixUntil("mount -t tmpfs -o size=8k kestrin-full '" + kUnixFolder + "'", SmallDisk);
    Drive(ID_LOG_TO_FILE, {});
    failsWriting("full disk", mounted);
    Drive(ID_LOG_TO_FILE, {Click(IDOK)});
    // Wine removes a file that is open only once it is closed: a Unix program removes it at once.
    RunUnixUntil("rm '" + kUnixFolder + "saved.log'",
                 [] { return ::GetFileAttributesA(kLogPath.c_str()) == INVALID_FILE_ATTRIBUTES; });
    failsWriting("file removed", true);
    ::RemoveDirectoryA(kLogFolder.c_str());
    if (!mounted)
        GTEST_SKIP() << "Not tested here, a full disk: an 8 KB tmpfs could not be mounted on "
                     << kLogFolder << " (that takes root and Wine's Z: drive)";
}

} // namespace
