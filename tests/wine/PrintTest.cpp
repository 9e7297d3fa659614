// Printing, preview and Print Setup of Kestrin in this process, to printers of the test's own:
// Wine's PostScript driver writing each printer's jobs to a file.
#include <windows.h>

#include <dlgs.h>
#include <winspool.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "AppFixture.h"
#include "PrintPreview.h"

namespace {

const char* const kPrinters[] = {"Kestrin Test Printer", "Kestrin Second Printer"};
const char* const kPorts[] = {"LPT1:", "LPT2:"};
const char kDriver[] = "Kestrin PostScript";
// What the driver needs of a printer description: one page size.
const char kPpd[] =
    "*PPD-Adobe: \"4.3\"\n*NickName: \"Kestrin Test Printer\"\n"
    "*DefaultPageSize: A4\n*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"18 18 577 824\"\n"
    "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n";

std::string Output(int printer) {
    return SiblingPath(("kestrin-print-" + std::to_string(printer) + ".ps").c_str());
}

void InstallPrinters(bool installed) {
    PRINTER_DEFAULTSA all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    for (const char* name : kPrinters)
        if (::OpenPrinterA(const_cast<char*>(name), &printer, &all)) {
            ::DeletePrinter(printer);
            ::ClosePrinter(printer);
        }
    g_app->GetPrinter().Set(nullptr, nullptr);
    if (!installed)
        return;
    char dir[MAX_PATH];
    DWORD size = 0;
    ASSERT_TRUE(::GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir),
                                             sizeof dir, &size));
    std::ofstream(std::string(dir) + "\\kestrin.ppd") << kPpd;
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(kDriver);
    driver.pDriverPath = driver.pConfigFile = const_cast<char*>("wineps.drv");
    driver.pDataFile = const_cast<char*>("kestrin.ppd");
    ASSERT_TRUE(::AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver)));
    // Wine's spooler writes a port's jobs to the Unix file it names.
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    for (int i = 0; i < 2; ++i) {
        const std::string path = Output(i);
        const std::string file = toUnix(std::wstring(path.begin(), path.end()).c_str());
        ::RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\Printing\\Spooler", kPorts[i], REG_SZ,
                          file.c_str(), static_cast<DWORD>(file.size() + 1));
        PRINTER_INFO_2A info = {};
        info.pPrinterName = const_cast<char*>(kPrinters[i]);
        info.pDriverName = const_cast<char*>(kDriver);
        info.pPortName = const_cast<char*>(kPorts[i]);
        info.pPrintProcessor = const_cast<char*>("WinPrint");
        info.pDatatype = const_cast<char*>("RAW");
        ASSERT_TRUE(printer = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
        ::ClosePrinter(printer);
    }
    ASSERT_TRUE(::SetDefaultPrinterA(kPrinters[0]));
}

// What each page of the printer's jobs since the last call draws, between its set-up and end.
Strings Pages(int printer) {
    std::stringstream text;
    text << std::ifstream(Output(printer)).rdbuf();
    ::DeleteFileA(Output(printer).c_str());
    Strings pages;
    const std::string start = "%%EndPageSetup\n", end = "showpage";
    for (size_t at = 0; (at = text.str().find(start, at)) != std::string::npos;) {
        at += start.size();
        pages.push_back(text.str().substr(at, text.str().find(end, at) - at));
    }
    return pages;
}
const Strings kOneEmptyPage = {"pgsave restore\n"};

// The other tests run with no printer installed.
class PrintTest : public AppFixture {
protected:
    // They print through Wine's PostScript driver and spooler.
    const bool m_bWine =
        ::GetProcAddress(::GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    void SetUp() override {
        if (!m_bWine)
            GTEST_SKIP() << "Wine only";
        AppFixture::SetUp();
    }
    void TearDown() override {
        if (m_bWine)
            InstallPrinters(false);
    }
};

// Each command prints one empty page to its printer, or none when cancelled: /p to the default
// printer, /pt to the one its next three arguments name and leaves the choice as it was, both
// ending the program with status 0; Print Setup's choice is where Print Direct prints from then on.
// Without a printer each command says so.
// Preview shows the page as the only white below its controls, a box of A4's shape; zoomed past
// the window, it scrolls: its top first below the controls, then gone.
TEST_F(PrintTest, PrintCommandsPrintOneEmptyPageAndPreviewShowsItInPlaceOfTheList) {
    InstallPrinters(false);
    for (UINT id :
         {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP})
        EXPECT_EQ(Strings{Ansi("Kestrin: 没有找到打印机。请先安装打印机，再打印或预览。")},
                  Drive(id, {Click(IDOK)}))
            << "command " << id;
    EXPECT_EQ(nullptr,
              ::FindWindowExA(m_frame->m_hWnd, nullptr, CPrintPreview::kClassName, nullptr));
    ASSERT_NO_FATAL_FAILURE(InstallPrinters(true));
    const std::string file = Output(2);
    std::ofstream(file) << "read by nobody";
    const auto shell = [](const Strings& args) {
        return [args] {
            CCommandLineInfo info;
            for (const std::string& arg : args)
                info.ParseParam(arg.c_str() + (arg[0] == '/'), arg[0] == '/');
            g_app->m_nExitCode = CWinApp::kExitFailed;
            EXPECT_FALSE(g_app->ProcessShellCommand(info));
            EXPECT_EQ(0, g_app->m_nExitCode);
        };
    };
    const auto command = [this](UINT id) { return [this, id] { Command(id); }; };
    const ModalStep second = [](HWND setup) {
        ::SendDlgItemMessageA(setup, cmb1, CB_SELECTSTRING, WPARAM(-1), LPARAM(kPrinters[1]));
        ::SendMessageA(setup, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE),
                       LPARAM(::GetDlgItem(setup, cmb1)));
    };
    const struct {
        std::function<void()> action;
        std::vector<ModalStep> steps;
        Strings seen;
        int printer; // -1: none
    } cases[] = {
        {command(ID_FILE_PRINT), {Click(IDCANCEL)}, {Ansi("打印")}, -1},
        {command(ID_FILE_PRINT), {Click(IDOK)}, {Ansi("打印")}, 0},
        {command(ID_FILE_PRINT_DIRECT), {}, {}, 0},
        {shell({"/P", file}), {}, {}, 0},
        {shell({"/pt", file, kPrinters[1], "winspool", kPorts[1], "more"}), {}, {}, 1},
        {command(ID_FILE_PRINT_DIRECT), {}, {}, 0},
        {command(ID_FILE_PRINT_SETUP), {second, Click(IDOK)}, {Ansi("打印设置")}, -1},
        {command(ID_FILE_PRINT_DIRECT), {}, {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        EXPECT_EQ(c.seen, Drive(c.action, c.steps));
        EXPECT_EQ((std::vector<Strings>{c.printer == 0 ? kOneEmptyPage : Strings{},
                                        c.printer == 1 ? kOneEmptyPage : Strings{}}),
                  (std::vector<Strings>{Pages(0), Pages(1)}));
    }
    ::DeleteFileA(file.c_str());

    Send("before");
    Command(ID_FILE_PRINT_PREVIEW);
    HWND preview = ::FindWindowExA(m_frame->m_hWnd, nullptr, CPrintPreview::kClassName, nullptr);
    ASSERT_NE(nullptr, preview);
    HWND controls = ::FindWindowExA(preview, nullptr, TOOLBARCLASSNAMEA, nullptr);
    const UINT ids[] = {AFX_ID_PREVIEW_PRINT,  AFX_ID_PREVIEW_NEXT,    AFX_ID_PREVIEW_PREV,
                        AFX_ID_PREVIEW_ZOOMIN, AFX_ID_PREVIEW_ZOOMOUT, AFX_ID_PREVIEW_CLOSE};
    const auto enabled = [&] { // each control's label, and '-' after a disabled one's
        std::string labels;
        for (UINT id : ids) {
            char label[64] = "";
            ::SendMessageA(controls, TB_GETBUTTONTEXTA, id, reinterpret_cast<LPARAM>(label));
            labels += label +
                      std::string(::SendMessageA(controls, TB_ISBUTTONENABLED, id, 0) ? "|" : "-|");
        }
        return labels;
    };
    EXPECT_EQ(Ansi("打印(&P)...|下一页(&N)-|上一页(&V)-|放大(&I)|缩小(&O)-|关闭(&C)|"), enabled());
    const std::string zoomed =
        Ansi("打印(&P)...|下一页(&N)-|上一页(&V)-|放大(&I)|缩小(&O)|关闭(&C)|");
    EXPECT_EQ(std::make_pair(FALSE, TRUE),
              std::make_pair(::IsWindowVisible(m_view), ::IsWindowVisible(preview)));

    RECT client, bar;
    ::GetClientRect(preview, &client);
    ::GetWindowRect(controls, &bar);
    const LONG below = bar.bottom - bar.top; // the controls' height
    const auto page = [&] {                  // the white below the controls, which must be a box
        ::UpdateWindow(preview);
        RECT white = {LONG_MAX, LONG_MAX, 0, 0};
        long count = 0;
        HDC dc = ::GetDC(preview);
        for (LONG y = below; y < client.bottom; ++y)
            for (LONG x = 0; x < client.right; ++x)
                if (::GetPixel(dc, x, y) == RGB(255, 255, 255) && ++count)
                    white = {std::min(white.left, x), std::min(white.top, y),
                             std::max(white.right, x + 1), std::max(white.bottom, y + 1)};
        ::ReleaseDC(preview, dc);
        EXPECT_EQ((white.right - white.left) * (white.bottom - white.top), count)
            << "pixels drawn on the page";
        return white;
    };
    const RECT white = page();
    const long width = white.right - white.left, height = white.bottom - white.top;
    EXPECT_GT(height, client.bottom / 2) << "the page fits the window";
    EXPECT_NEAR(595.0 / 842, double(width) / std::max(1L, height), 0.02) << "the page's shape";

    RECT frame, inView, inPreview;
    ::GetWindowRect(m_frame->m_hWnd, &frame);
    ::SetWindowPos(m_frame->m_hWnd, nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER);
    ::GetWindowRect(m_view, &inView);
    ::GetWindowRect(preview, &inPreview);
    EXPECT_TRUE(::EqualRect(&inView, &inPreview)) << "the preview keeps the list's place";
    m_frame->MoveWindow(frame);
    // Keys and the wheel through the loop to the focus: a control's letter alone or with Alt.
    Input(::GetFocus(), WM_KEYDOWN, 'I');
    EXPECT_EQ(zoomed, enabled()) << "zoomed";
    const LONG top = page().top - below;
    Input(::GetFocus(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA));
    const LONG wheeled = page().top - below;
    Input(::GetFocus(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA));
    EXPECT_EQ(std::make_tuple(16L, 0L, 16L), std::make_tuple(top, wheeled, page().top - below))
        << "wheel";
    ::SendMessageA(preview, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(below, page().top) << "scrolled by a page";
    const HWND status = ::GetDlgItem(m_frame->m_hWnd, AFX_IDW_STATUS_BAR);
    ::SendMessageA(controls, TB_SETHOTITEM, 5, 0);
    EXPECT_EQ(Ansi("关闭打印预览模式"), WindowText(status));
    ::SendMessageA(m_frame->m_hWnd, WM_MENUSELECT, MAKEWPARAM(SC_CLOSE, MF_SYSMENU), 0);
    EXPECT_EQ(Ansi("关闭打印预览模式"), WindowText(status));
    EXPECT_EQ(0, Send("during"));
    // Alt+F4 closes the preview, and Kestrin stays.
    ::SendMessageA(m_frame->m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(std::make_tuple(FALSE, TRUE, TRUE),
              std::make_tuple(::IsWindow(preview), ::IsWindowVisible(m_view),
                              ::IsWindow(m_frame->m_hWnd)));
    EXPECT_EQ((Strings{"before", "during"}), Texts());
    Command(ID_FILE_PRINT_PREVIEW);
    preview = ::FindWindowExA(m_frame->m_hWnd, nullptr, CPrintPreview::kClassName, nullptr);
    Input(::GetFocus(), WM_SYSKEYDOWN, 'I', 1 << 29);
    controls = ::FindWindowExA(preview, nullptr, TOOLBARCLASSNAMEA, nullptr);
    EXPECT_EQ(zoomed, enabled()) << "Alt+I";
    Input(::GetFocus(), WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(std::make_pair(FALSE, m_view), std::make_pair(::IsWindow(preview), ::GetFocus()));
}

} // namespace
