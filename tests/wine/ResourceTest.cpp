// Kestrin's resources as the program meets them: strings in code page 936, menu, accelerators,
// toolbar record, bitmaps, icons, version block and dialog templates.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "resource.h"

namespace {

// One of this program's resources, read field by field; past its end it reads zeros.
struct Bytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
    size_t at = 0;

    DWORD Get(size_t width) {
        DWORD value = 0;
        for (size_t i = 0; i < width; ++i, ++at)
            value |= at < size ? DWORD{data[at]} << 8 * i : 0;
        return value;
    }
    // A text, or "#n" for ordinal n.
    std::wstring Name() {
        std::wstring text;
        for (DWORD unit = Get(2); unit != 0; unit = Get(2)) {
            if (unit == 0xFFFF && text.empty())
                return L"#" + std::to_wstring(Get(2));
            text += static_cast<wchar_t>(unit);
        }
        return text;
    }
};

Bytes Resource(LPCSTR type, ULONG_PTR id) {
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
    if (!loaded)
        return {};
    return {static_cast<const BYTE*>(::LockResource(loaded)), ::SizeofResource(nullptr, found)};
}

TEST(StringTable, HoldsItsStringsInCodePage936) {
    int count = 0;
    for (UINT id = 0; id <= 0xFFFF; ++id) {
        const wchar_t* text = nullptr; // with no buffer, a pointer into the resource
        count += ::LoadStringW(nullptr, id, reinterpret_cast<LPWSTR>(&text), 0) > 0;
    }
    EXPECT_EQ(68, count) << "strings, the out-of-memory count's among them";
    ASSERT_EQ(936u, ::GetACP()) << "the texts below are code page 936 bytes";
    const std::pair<UINT, const char*> samples[] = {
        {IDR_MAINFRAME, "Kestrin\n\nKestri\n\n\nKestrin.Document\nKestri Document"},
        {AFX_IDS_APP_TITLE, "Kestrin"},
        {AFX_IDS_IDLEMESSAGE, "就绪"},
        {ID_FILTER, "Set logs Filters"},
        {ID_APP_ABOUT, "显示程序信息，版本号和版权\n关于"},
        {ID_INDICATOR_CAPS, "大写"},
        {ID_INDICATOR_NUM, "数字"},
        {ID_INDICATOR_SCRL, "滚动"}};
    for (const auto& [id, text] : samples) {
        char got[256] = "";
        ::LoadStringA(nullptr, id, got, sizeof got);
        EXPECT_EQ(text, std::string(got)) << "string " << id;
    }
}

TEST(MainMenu, HasItsItemsInOrderWithTheGrayedFlagsOfTheScript) {
    // Ids, negative when grayed, 0 for a separator.
    const std::vector<int> expected[] = {{ID_FILE_NEW, ID_FILE_OPEN, -ID_FILE_SAVE,
                                          -ID_FILE_SAVE_AS, 0, -ID_LOG_TO_FILE, 0, ID_FILE_PRINT,
                                          ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, 0,
                                          -ID_FILE_MRU_FILE1, 0, ID_APP_EXIT},
                                         {ID_EDIT_UNDO, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
                                          0, ID_FILTER, ID_CLEAR, ID_CAPTURE},
                                         {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR},
                                         {ID_APP_ABOUT}};
    HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_EQ(4, ::GetMenuItemCount(menu));
    for (int i = 0; i < 4; ++i) {
        HMENU popup = ::GetSubMenu(menu, i);
        std::vector<int> items; // a nested pop-up shows as -1
        for (int j = 0; j < ::GetMenuItemCount(popup); ++j) {
            const UINT state = ::GetMenuState(popup, static_cast<UINT>(j), MF_BYPOSITION);
            const int id = state & MF_SEPARATOR ? 0 : static_cast<int>(::GetMenuItemID(popup, j));
            items.push_back(state & MF_GRAYED ? -id : id);
        }
        EXPECT_EQ(expected[i], items) << "pop-up " << i;
    }
    char about[64] = "", recent[64] = "";
    ::GetMenuStringA(menu, ID_APP_ABOUT, about, sizeof about, MF_BYCOMMAND);
    ::GetMenuStringA(menu, ID_FILE_MRU_FILE1, recent, sizeof recent, MF_BYCOMMAND);
    EXPECT_EQ("关于 Kestrin(&A)...", std::string(about));
    EXPECT_EQ("最近文件", std::string(recent));
    ::DestroyMenu(menu);
}

TEST(Accelerators, AreTheFourteenVirtualKeyEntries) {
    const BYTE key = FVIRTKEY, ctrl = key | FCONTROL, shift = key | FSHIFT, alt = key | FALT;
    const ACCEL expected[] = {{ctrl, 'N', ID_FILE_NEW},        {ctrl, 'O', ID_FILE_OPEN},
                              {ctrl, 'S', ID_FILE_SAVE},       {ctrl, 'P', ID_FILE_PRINT},
                              {ctrl, 'Z', ID_EDIT_UNDO},       {ctrl, 'X', ID_EDIT_CUT},
                              {ctrl, 'C', ID_EDIT_COPY},       {ctrl, 'V', ID_EDIT_PASTE},
                              {alt, VK_BACK, ID_EDIT_UNDO},    {shift, VK_DELETE, ID_EDIT_CUT},
                              {ctrl, VK_INSERT, ID_EDIT_COPY}, {shift, VK_INSERT, ID_EDIT_PASTE},
                              {key, VK_F6, ID_NEXT_PANE},      {shift, VK_F6, ID_PREV_PANE}};
    HACCEL table =
        ::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ACCEL got[32];
    ASSERT_EQ(14, table ? ::CopyAcceleratorTableA(table, got, 32) : 0);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(std::make_tuple(int{expected[i].fVirt}, expected[i].key, expected[i].cmd),
                  std::make_tuple(int{got[i].fVirt}, got[i].key, got[i].cmd))
            << "entry " << i << ": flags, key, command";
    ::DestroyAcceleratorTable(table);
}

TEST(Toolbar, RecordIsTheHeaderThenTheButtonsInOrder) {
    std::vector<WORD> expected = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE,  0, ID_LOG_TO_FILE, 0,
                                  ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_FILE_PRINT,  0,
                                  ID_CAPTURE,  ID_CLEAR,     ID_FILTER,     0, ID_APP_ABOUT};
    expected.insert(expected.begin(), {1, 16, 15, 17}); // version, image size, count
    const Bytes record = Resource(MAKEINTRESOURCEA(RT_TOOLBAR), IDR_MAINFRAME);
    ASSERT_EQ(42u, record.size);
    const WORD* words = reinterpret_cast<const WORD*>(record.data);
    EXPECT_EQ(expected, std::vector<WORD>(words, words + 21));
}

// Pixels per colour (0xRRGGBB) in image index of a 4-bit strip of 16 x 15 images.
std::map<DWORD, int> ColoursOf(const Bytes& strip, int index) {
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(strip.data);
    const DWORD* palette = reinterpret_cast<const DWORD*>(strip.data + header->biSize);
    const BYTE* bits = reinterpret_cast<const BYTE*>(palette + 16);
    const LONG stride = (header->biWidth * 4 + 31) / 32 * 4;
    std::map<DWORD, int> colours;
    for (LONG y = 0; y < header->biHeight; ++y)
        for (LONG x = index * 16; x < index * 16 + 16; ++x) {
            const BYTE pair = bits[y * stride + x / 2];
            ++colours[palette[x % 2 ? pair & 0xF : pair >> 4] & 0xFFFFFF];
        }
    return colours;
}

TEST(Bitmaps, StripsAreFourBitAndCrossOutWhereTheFrameExpects) {
    for (const auto& [id, width] :
         {std::make_pair(IDR_MAINFRAME, 192L), std::make_pair(IDB_EXTRA, 368L)}) {
        const Bytes bytes = Resource(RT_BITMAP, id);
        ASSERT_GE(bytes.size, sizeof(BITMAPINFOHEADER)) << "bitmap " << id;
        const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data);
        ASSERT_EQ(std::make_tuple(width, 15L, 4, DWORD{BI_RGB}, true),
                  std::make_tuple(h->biWidth, h->biHeight, int{h->biBitCount}, h->biCompression,
                                  h->biClrUsed == 0 || h->biClrUsed == 16))
            << "bitmap " << id << ": width, height, bits, compression, 16 colours";
        ASSERT_GE(bytes.size, h->biSize + 64 + (width * 4 + 31) / 32 * 4 * 15) << "bitmap " << id;
    }
    const DWORD red = 0xFF0000, green = 0x00FF00;
    // A red cross takes many bright red pixels; a pen's red cap does not.
    const std::tuple<int, bool, bool> shown[] = {{1, true, false},  {2, false, false},
                                                 {5, false, false}, {6, false, false},
                                                 {19, true, false}, {20, false, true}};
    const Bytes extra = Resource(RT_BITMAP, IDB_EXTRA);
    for (const auto& [image, crossedOut, greenArrow] : shown) {
        std::map<DWORD, int> colours = ColoursOf(extra, image);
        EXPECT_EQ(std::make_tuple(true, crossedOut, greenArrow),
                  std::make_tuple(colours.size() > 2, colours[red] >= 20, colours[green] >= 8))
            << "extra image " << image << ": a picture, red cross, green arrow";
    }
}

TEST(Icons, HaveTheirSizesInSixteenColours) {
    const std::pair<int, std::vector<std::string>> icons[] = {
        {IDR_MAINFRAME, {"32x32 16"}}, {IDI_DOCUMENT, {"32x32 16", "16x16 16"}}};
    for (const auto& icon : icons) {
        Bytes group = Resource(RT_GROUP_ICON, icon.first);
        group.at = 4;
        std::vector<std::string> got; // width x height, colours
        for (DWORD i = 0, count = group.Get(2); i < count; ++i) {
            const DWORD width = group.Get(1), height = group.Get(1), colours = group.Get(1);
            group.at += 11; // to the next entry
            got.push_back(std::to_string(width) + "x" + std::to_string(height) + " " +
                          std::to_string(colours));
        }
        EXPECT_EQ(icon.second, got) << "icon " << icon.first;
    }
}

TEST(VersionBlock, IsOneThreeZeroFiftyTwoInChinese) {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::vector<BYTE> block(::GetFileVersionInfoSizeA(path, nullptr));
    ASSERT_TRUE(!block.empty() &&
                ::GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data()));
    const auto query = [&block](const std::string& name) {
        void* value = nullptr;
        UINT size = 0;
        return ::VerQueryValueA(block.data(), name.c_str(), &value, &size) ? value : nullptr;
    };
    const auto* fixed = static_cast<VS_FIXEDFILEINFO*>(query("\\"));
    const auto* translation = static_cast<WORD*>(query("\\VarFileInfo\\Translation"));
    ASSERT_TRUE(fixed && translation);
    EXPECT_EQ(std::make_tuple(0x10003u, 52u, 0x10003u, 52u, 0x0804, 1200),
              std::make_tuple(fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                              fixed->dwProductVersionMS, fixed->dwProductVersionLS,
                              int{translation[0]}, int{translation[1]}));
    for (const auto& [name, text] : {std::make_pair("FileDescription", "Kestrin Release下调试工具"),
                                     std::make_pair("ProductName", "Release下调试工具")}) {
        const auto* value =
            static_cast<char*>(query(std::string("\\StringFileInfo\\080404b0\\") + name));
        EXPECT_EQ(text, std::string(value ? value : "(missing)")) << name;
    }
}

// Fields joined by spaces, numbers in hex: how templates and their expectations are compared.
template <class... T> std::wstring Fields(const T&... fields) {
    std::wostringstream out;
    out << std::hex << std::showbase;
    ((out << fields << L' '), ...);
    return out.str();
}

struct Control {
    std::wstring fields; // the header's, or the control's id, class and style
    int x, cx;
    std::wstring text;
};

// A classic or extended dialog template: its header, then its controls.
std::vector<Control> ReadDialog(int id) {
    Bytes in = Resource(RT_DIALOG, id);
    const bool extended = in.Get(4) == 0xFFFF0001;
    in.at = extended ? 8 : 0;                      // past the signature and help id
    const DWORD styles[] = {in.Get(4), in.Get(4)}; // extended style first when extended
    const DWORD count = in.Get(2), box[] = {in.Get(2), in.Get(2), in.Get(2), in.Get(2)};
    in.Name(), in.Name(), in.Name(); // menu, class, caption
    // Point size (all of Kestrin's dialogs set a font), then weight, italic and character set.
    const DWORD font[] = {in.Get(2), extended ? in.Get(2) : 0, extended ? in.Get(1) : 0,
                          extended ? in.Get(1) : 0};
    std::vector<Control> items = {{Fields(extended, styles[extended], styles[!extended], box[2],
                                          box[3], font[0], font[1], font[2], font[3], in.Name()),
                                   0, 0, L""}};
    for (DWORD i = 0; i < count; ++i) {
        in.at = (in.at + 3) & ~size_t{3};
        in.at += extended ? 8 : 0; // help id, extended style
        const DWORD style = in.Get(4);
        in.at += extended ? 0 : 4; // extended style
        const DWORD rect[] = {in.Get(2), in.Get(2), in.Get(2), in.Get(2)};
        const int controlId =
            extended ? static_cast<int>(in.Get(4)) : static_cast<short>(in.Get(2));
        std::wstring windowClass = in.Name(); // a predefined class by ordinal or in any case
        ::CharLowerBuffW(&windowClass[0], static_cast<DWORD>(windowClass.size()));
        for (const auto& [ordinal, name] :
             {std::pair(L"#128", L"button"), std::pair(L"#129", L"edit"),
              std::pair(L"#130", L"static")})
            windowClass = windowClass == ordinal ? name : windowClass;
        items.push_back({Fields(controlId, windowClass, style), static_cast<short>(rect[0]),
                         static_cast<short>(rect[2]), in.Name()});
        in.at += in.Get(2); // creation data
    }
    return items;
}

TEST(DialogTemplates, AboutAndFilterHaveTheirStyleSizeFontAndControls) {
    const DWORD modal = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD child = WS_CHILD | WS_VISIBLE, label = child | WS_GROUP | SS_LEFT;
    const DWORD edit = child | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
    // Header (extended, style, extended style, size, font), then each control's id, class, style.
    const std::pair<int, std::vector<std::wstring>> expected[] = {
        {IDD_ABOUTBOX,
         {Fields(false, modal, 0, 392, 276, 9, 0, 0, 0, L"宋体"),
          Fields(IDC_STATIC, L"static", child | SS_ICON),
          Fields(IDC_STATIC, L"static", label | SS_NOPREFIX),
          Fields(IDOK, L"button", child | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON),
          // A vertical scroll bar and no horizontal one: long lines run on unwrapped.
          Fields(IDC_SAMPLE, L"edit",
                 edit | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY),
          Fields(IDC_STATIC, L"static", label)}},
        {IDD_FILTER,
         {Fields(true, modal, 0, 221, 81, 9, FW_NORMAL, 0, GB2312_CHARSET, L"宋体"),
          Fields(IDOK, L"button", child | WS_TABSTOP | BS_DEFPUSHBUTTON),
          Fields(IDCANCEL, L"button", child | WS_TABSTOP | BS_PUSHBUTTON),
          Fields(IDC_STATIC, L"static", label), Fields(IDC_INCLUDE, L"edit", edit),
          Fields(IDC_STATIC, L"static", label), Fields(IDC_EXCLUDE, L"edit", edit)}}};
    std::map<int, std::vector<Control>> dialogs;
    for (const auto& [id, want] : expected) {
        std::vector<std::wstring> got;
        for (const Control& item : dialogs[id] = ReadDialog(id))
            got.push_back(item.fields);
        EXPECT_EQ(want, got) << "dialog " << id;
    }
    const std::vector<Control>& about = dialogs[IDD_ABOUTBOX]; // controls from 1
    EXPECT_EQ(L"#128", about.at(1).text) << "the application icon";
    EXPECT_EQ(L"Kestrin 全能调试器(可在Dubug、Release)下接受调试信息。", about.at(2).text);
    // The exclude edit is one unit wider than the include edit; Cancel ends at the right edge.
    const std::vector<Control>& filter = dialogs[IDD_FILTER];
    EXPECT_EQ(std::make_tuple(179, 180, 221),
              std::make_tuple(filter.at(4).cx, filter.at(6).cx, filter.at(2).x + filter.at(2).cx))
        << "include width, exclude width, Cancel's right edge";
}

} // namespace
