// bare-controls: the start-up anchor for Kestrin's window. Plain Win32 without our framework, it
// makes what Kestrin shows from Kestrin's own resources: a frame with menu, toolbar with its
// pictures, status bar with four panes and a report list with four columns; it answers
// WM_SETTEXT with 0 and does nothing else.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "resource.h"

namespace {

const char kTitle[] = "kestrin-bench bare controls";
const UINT kButtons[] = {ID_FILE_NEW,   ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR,  ID_LOG_TO_FILE,
                         ID_SEPARATOR,  ID_EDIT_CUT,  ID_EDIT_COPY, ID_EDIT_PASTE, ID_SEPARATOR,
                         ID_FILE_PRINT, ID_SEPARATOR, ID_CAPTURE,   ID_CLEAR,      ID_FILTER,
                         ID_SEPARATOR,  ID_APP_ABOUT};
const int kImageWidth = 16;
const int kImageHeight = 15;
const int kExtraImages = 22;
// Capture on, filter, clear and log off, as Kestrin's frame shows them from the extra strip.
const struct {
    UINT id;
    int extraImage;
} kExtraButtons[] = {{ID_CAPTURE, 2}, {ID_FILTER, 5}, {ID_CLEAR, 6}, {ID_LOG_TO_FILE, 19}};
const struct {
    UINT headingId;
    int width;
} kColumns[] = {{IDS_COLUMN_PROCESS, 150},
                {IDS_COLUMN_PID, 100},
                {IDS_COLUMN_TIME, 90},
                {IDS_COLUMN_MESSAGE, 450}};
// The lock-key indicators' width; the message pane takes the rest.
const int kIndicatorWidth = 40;
const int kPanes = 4;

HWND g_toolBar, g_statusBar, g_list;

// A strip of the resources with its button-face grey in the system's face colour.
int AddPictures(HINSTANCE instance, UINT bitmapId, int count) {
    TBADDBITMAP add = {
        nullptr, reinterpret_cast<UINT_PTR>(::LoadImageA(instance, MAKEINTRESOURCEA(bitmapId),
                                                         IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS))};
    return static_cast<int>(::SendMessageA(g_toolBar, TB_ADDBITMAP, static_cast<WPARAM>(count),
                                           reinterpret_cast<LPARAM>(&add)));
}

bool CreateToolBar(HWND frame, HINSTANCE instance) {
    g_toolBar = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                                  WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                      CCS_NODIVIDER | CCS_TOP,
                                  0, 0, 0, 0, frame, nullptr, instance, nullptr);
    if (!g_toolBar)
        return false;
    ::SendMessageA(g_toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(g_toolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(kImageWidth, kImageHeight));
    int image = AddPictures(
        instance, IDR_MAINFRAME,
        static_cast<int>(std::size(kButtons) -
                         std::count(std::begin(kButtons), std::end(kButtons), ID_SEPARATOR)));
    TBBUTTON buttons[std::size(kButtons)] = {};
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        buttons[i].idCommand = static_cast<int>(kButtons[i]);
        buttons[i].fsStyle = kButtons[i] == ID_SEPARATOR ? TBSTYLE_SEP : TBSTYLE_BUTTON;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].iBitmap = kButtons[i] == ID_SEPARATOR ? 0 : image++;
    }
    ::SendMessageA(g_toolBar, TB_ADDBUTTONSA, std::size(buttons),
                   reinterpret_cast<LPARAM>(buttons));
    const int extra = AddPictures(instance, IDB_EXTRA, kExtraImages);
    for (const auto& button : kExtraButtons) {
        TBBUTTONINFOA info = {};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_IMAGE;
        info.iImage = extra + button.extraImage;
        ::SendMessageA(g_toolBar, TB_SETBUTTONINFOA, button.id, reinterpret_cast<LPARAM>(&info));
    }
    return true;
}

bool CreateStatusBar(HWND frame, HINSTANCE instance) {
    g_statusBar =
        ::CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0,
                          0, 0, 0, frame, nullptr, instance, nullptr);
    if (!g_statusBar)
        return false;
    char ready[64] = "";
    ::LoadStringA(instance, AFX_IDS_IDLEMESSAGE, ready, sizeof ready);
    ::SendMessageA(g_statusBar, SB_SETTEXTA, SBT_NOBORDERS, reinterpret_cast<LPARAM>(ready));
    return true;
}

bool CreateList(HWND frame, HINSTANCE instance) {
    g_list = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, nullptr,
                               WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, 0, 0,
                               frame, nullptr, instance, nullptr);
    if (!g_list)
        return false;
    ::SendMessageA(g_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        char heading[64] = "";
        ::LoadStringA(instance, kColumns[i].headingId, heading, sizeof heading);
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = heading;
        column.cx = kColumns[i].width;
        column.iSubItem = i;
        ::SendMessageA(g_list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(&column));
    }
    return true;
}

void Layout(HWND frame) {
    ::SendMessageA(g_toolBar, TB_AUTOSIZE, 0, 0);
    ::SendMessageA(g_statusBar, WM_SIZE, 0, 0);
    RECT client, bar;
    ::GetClientRect(frame, &client);
    int edges[kPanes];
    for (int i = 0; i < kPanes; ++i)
        edges[i] = client.right - (kPanes - 1 - i) * kIndicatorWidth;
    ::SendMessageA(g_statusBar, SB_SETPARTS, kPanes, reinterpret_cast<LPARAM>(edges));
    ::GetWindowRect(g_toolBar, &bar);
    client.top += bar.bottom - bar.top;
    ::GetWindowRect(g_statusBar, &bar);
    client.bottom -= bar.bottom - bar.top;
    ::MoveWindow(g_list, 0, client.top, client.right, client.bottom - client.top, TRUE);
}

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        HINSTANCE instance = reinterpret_cast<CREATESTRUCTA*>(lParam)->hInstance;
        return CreateToolBar(frame, instance) && CreateStatusBar(frame, instance) &&
                       CreateList(frame, instance)
                   ? 0
                   : -1;
    }
    case WM_SIZE:
        if (g_list)
            Layout(frame);
        return 0;
    case WM_SETTEXT:
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(frame, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSA frameClass = {};
    frameClass.style = CS_DBLCLKS;
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = instance;
    frameClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    frameClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = "KestrinBenchBareControls";
    if (!::RegisterClassA(&frameClass))
        return 1;
    HWND frame = ::CreateWindowExA(0, frameClass.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   nullptr, ::LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME)),
                                   instance, nullptr);
    if (!frame)
        return 1;
    ::ShowWindow(frame, SW_SHOWNORMAL);
    ::UpdateWindow(frame);
    HACCEL accelerators = ::LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!::TranslateAcceleratorA(frame, accelerators, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return 0;
}
