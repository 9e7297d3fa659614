// Kestrin's resources as the program will meet them: strings in code page 936, the menu,
// accelerators, toolbar record, bitmaps, icons, version block and dialog templates.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "resource.h"

namespace {

struct Bytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

// The raw bytes of one resource of this program; empty when it is missing.
Bytes Resource(LPCSTR type, LPCSTR name) {
    HRSRC found = ::FindResourceA(nullptr, name, type);
    HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
    if (!loaded)
        return {};
    return {static_cast<const BYTE*>(::LockResource(loaded)), ::SizeofResource(nullptr, found)};
}

Bytes Resource(LPCSTR type, int id) {
    return Resource(type, MAKEINTRESOURCEA(id));
}

std::string LoadText(UINT id) {
    char text[1024];
    const int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

// ---- String table ----

BOOL CALLBACK CollectStringIds(HMODULE, LPCSTR type, LPSTR name, LONG_PTR param) {
    auto ids = reinterpret_cast<std::set<UINT>*>(param);
    // A block holds the 16 strings from (block - 1) * 16, each a length and UTF-16 units.
    const UINT block = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
    const Bytes bytes = Resource(type, name);
    const WORD* units = reinterpret_cast<const WORD*>(bytes.data);
    const WORD* end = units + bytes.size / sizeof(WORD);
    for (UINT i = 0; i < 16 && units < end; ++i) {
        if (*units != 0)
            ids->insert((block - 1) * 16 + i);
        units += 1 + *units;
    }
    return TRUE;
}

TEST(StringTable, HoldsExactlyTheSixtySevenStrings) {
    std::set<UINT> expected = {IDR_MAINFRAME,     ID_FILTER,          ID_CLEAR,
                               ID_CAPTURE,        ID_SAVE_LOG,        ID_LOG_TO_FILE,
                               AFX_IDS_APP_TITLE, AFX_IDS_IDLEMESSAGE};
    for (UINT id = ID_FILE_NEW; id <= ID_FILE_PRINT_PREVIEW; ++id)
        if (id != ID_FILE_PRINT_DIRECT)
            expected.insert(id);
    for (UINT id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_FILE16; ++id)
        expected.insert(id);
    expected.insert({ID_EDIT_CLEAR, ID_EDIT_CLEAR_ALL, ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_FIND,
                     ID_EDIT_PASTE, ID_EDIT_REPEAT, ID_EDIT_REPLACE, ID_EDIT_SELECT_ALL,
                     ID_EDIT_UNDO, ID_EDIT_REDO, ID_WINDOW_SPLIT, ID_NEXT_PANE, ID_PREV_PANE,
                     ID_APP_ABOUT, ID_APP_EXIT, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR});
    for (UINT id = ID_INDICATOR_EXT; id <= ID_INDICATOR_REC; ++id)
        expected.insert(id);
    for (UINT id = AFX_IDS_SCSIZE; id <= AFX_IDS_SCCLOSE; ++id)
        expected.insert(id);
    expected.insert({AFX_IDS_SCRESTORE, AFX_IDS_SCTASKLIST, AFX_IDS_PREVIEW_CLOSE});
    ASSERT_EQ(67u, expected.size());

    std::set<UINT> got;
    ASSERT_TRUE(::EnumResourceNamesA(nullptr, RT_STRING, CollectStringIds,
                                     reinterpret_cast<LONG_PTR>(&got)));
    EXPECT_EQ(expected, got);
}

TEST(StringTable, TextsAreTheProgramsBytesInCodePage936) {
    ASSERT_EQ(936u, ::GetACP()) << "the expected texts below are code page 936 bytes";
    const struct {
        UINT id;
        const char* text;
    } cases[] = {
        {IDR_MAINFRAME, "Kestrin\n\nKestri\n\n\nKestrin.Document\nKestri Document"},
        {ID_FILTER, "Set logs Filters"},
        {ID_CLEAR, "Clear logs"},
        {ID_CAPTURE, "Capture"},
        {ID_SAVE_LOG, "Save log"},
        {ID_LOG_TO_FILE, "Log to file"},
        {AFX_IDS_APP_TITLE, "Kestrin"},
        {AFX_IDS_IDLEMESSAGE, "就绪"},
        {ID_FILE_NEW, "建立新文档\n新建"},
        {ID_FILE_SAVE_AS, "将活动文档以一个新文件名保存\n另存为"},
        {ID_FILE_MRU_FILE1, "打开该文档"},
        {ID_FILE_MRU_FILE16, "打开该文档"},
        {ID_EDIT_COPY, "复制被选对象并将其置于剪贴板上\n复制"},
        {ID_APP_ABOUT, "显示程序信息，版本号和版权\n关于"},
        {ID_APP_EXIT, "退出应用程序；提示保存文档\n退出"},
        {ID_INDICATOR_CAPS, "大写"},
        {ID_INDICATOR_NUM, "数字"},
        {ID_INDICATOR_SCRL, "滚动"},
        {ID_VIEW_STATUS_BAR, "显示或隐藏状态栏\n显隐状态栏"},
        {AFX_IDS_SCCLOSE, "关闭活动的窗口并提示保存所有文档"},
        {AFX_IDS_SCTASKLIST, "激活任务表"},
        {AFX_IDS_PREVIEW_CLOSE, "关闭打印预览模式\n取消预阅"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, LoadText(c.id)) << "string " << c.id;
}

TEST(StringTable, FrameworkCommandsHaveAPromptAndATip) {
    const UINT commands[] = {ID_FILE_CLOSE, ID_FILE_PAGE_SETUP, ID_EDIT_CLEAR,   ID_EDIT_CLEAR_ALL,
                             ID_EDIT_FIND,  ID_EDIT_REPEAT,     ID_EDIT_REPLACE, ID_EDIT_SELECT_ALL,
                             ID_EDIT_REDO,  ID_WINDOW_SPLIT,    ID_NEXT_PANE,    ID_PREV_PANE};
    for (UINT id : commands) {
        const std::string text = LoadText(id);
        const size_t newline = text.find('\n');
        EXPECT_TRUE(newline != std::string::npos && newline > 0 && newline + 1 < text.size() &&
                    text.find('\n', newline + 1) == std::string::npos)
            << "string " << id << ": expected \"prompt\\ntip\", got \"" << text << '"';
    }
    for (UINT id : {ID_INDICATOR_EXT, ID_INDICATOR_OVR, ID_INDICATOR_REC}) {
        const std::string text = LoadText(id);
        EXPECT_TRUE(!text.empty() && text.find('\n') == std::string::npos)
            << "pane " << id << ": expected a one-field text, got \"" << text << '"';
    }
}

// ---- Menu ----

struct MenuItem {
    UINT id; // 0 for a separator
    const char* text;
    bool grayed;
};

struct Popup {
    const char* text;
    std::vector<MenuItem> items;
};

const MenuItem kSeparator = {0, nullptr, false};

void ExpectMenuItem(HMENU menu, UINT position, const MenuItem& expected) {
    char text[256] = "";
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = sizeof text;
    ASSERT_TRUE(::GetMenuItemInfoA(menu, position, TRUE, &info)) << "item " << position;
    EXPECT_EQ(nullptr, info.hSubMenu) << "item " << position;
    EXPECT_FALSE(info.fState & MFS_CHECKED) << "item " << position << " checked";
    if (!expected.text) {
        EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "item " << position << ": expected separator";
        return;
    }
    EXPECT_EQ(expected.id, info.wID) << "id of item " << position;
    EXPECT_EQ(expected.text, std::string(text)) << "text of item " << position;
    EXPECT_EQ(expected.grayed, (info.fState & MF_GRAYED) != 0) << "grayed flag of " << text;
}

TEST(MainMenu, HasTheFourPopupsItemByItem) {
    const Popup popups[] = {
        {"文件(&F)",
         {{ID_FILE_NEW, "新建(&N)\tCtrl+N", false},
          {ID_FILE_OPEN, "打开(&O)...\tCtrl+O", false},
          {ID_FILE_SAVE, "保存(&S)\tCtrl+S", true},
          {ID_FILE_SAVE_AS, "另存为(&A)...", true},
          kSeparator,
          {ID_LOG_TO_FILE, "Log to file", true},
          kSeparator,
          {ID_FILE_PRINT, "打印(&P)...\tCtrl+P", false},
          {ID_FILE_PRINT_PREVIEW, "打印预览(&V)", false},
          {ID_FILE_PRINT_SETUP, "打印设置(&R)...", false},
          kSeparator,
          {ID_FILE_MRU_FILE1, "最近文件", true},
          kSeparator,
          {ID_APP_EXIT, "退出(&X)", false}}},
        {"编辑(&E)",
         {{ID_EDIT_UNDO, "撤消(&U)\tCtrl+Z", false},
          kSeparator,
          {ID_EDIT_CUT, "剪切(&T)\tCtrl+X", false},
          {ID_EDIT_COPY, "复制(&C)\tCtrl+C", false},
          {ID_EDIT_PASTE, "粘贴(&P)\tCtrl+V", false},
          kSeparator,
          {ID_FILTER, "过滤...", false},
          {ID_CLEAR, "清除", false},
          {ID_CAPTURE, "捕获", false}}},
        {"查看(&V)",
         {{ID_VIEW_TOOLBAR, "工具栏(&T)", false}, {ID_VIEW_STATUS_BAR, "状态栏(&S)", false}}},
        {"帮助(&H)", {{ID_APP_ABOUT, "关于 Kestrin(&A)...", false}}},
    };
    HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(4, ::GetMenuItemCount(menu));
    for (UINT i = 0; i < 4; ++i) {
        char text[256] = "";
        ::GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_EQ(popups[i].text, std::string(text)) << "pop-up " << i;
        HMENU popup = ::GetSubMenu(menu, i);
        ASSERT_NE(nullptr, popup) << "pop-up " << i;
        SCOPED_TRACE(popups[i].text);
        ASSERT_EQ(static_cast<int>(popups[i].items.size()), ::GetMenuItemCount(popup));
        for (UINT j = 0; j < popups[i].items.size(); ++j)
            ExpectMenuItem(popup, j, popups[i].items[j]);
    }
    ::DestroyMenu(menu);
}

// ---- Accelerators ----

TEST(Accelerators, AreTheFourteenVirtualKeyEntries) {
    const ACCEL expected[] = {
        {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
        {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
        {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
        {FVIRTKEY | FCONTROL, 'P', ID_FILE_PRINT},
        {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},
        {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},
        {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY},
        {FVIRTKEY | FCONTROL, 'V', ID_EDIT_PASTE},
        {FVIRTKEY | FALT, VK_BACK, ID_EDIT_UNDO},
        {FVIRTKEY | FSHIFT, VK_DELETE, ID_EDIT_CUT},
        {FVIRTKEY | FCONTROL, VK_INSERT, ID_EDIT_COPY},
        {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
        {FVIRTKEY, VK_F6, ID_NEXT_PANE},
        {FVIRTKEY | FSHIFT, VK_F6, ID_PREV_PANE},
    };
    HACCEL table =
        ::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, table);
    ACCEL got[32];
    ASSERT_EQ(14, ::CopyAcceleratorTableA(table, got, 32));
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(int{expected[i].fVirt}, int{got[i].fVirt}) << "flags of entry " << i;
        EXPECT_EQ(expected[i].key, got[i].key) << "key of entry " << i;
        EXPECT_EQ(expected[i].cmd, got[i].cmd) << "command of entry " << i;
    }
    ::DestroyAcceleratorTable(table);
}

// ---- Toolbar and bitmaps ----

TEST(Toolbar, RecordListsTheButtonsInOrder) {
    const WORD expected[] = {1,
                             16,
                             15,
                             17,
                             ID_FILE_NEW,
                             ID_FILE_OPEN,
                             ID_FILE_SAVE,
                             0,
                             ID_LOG_TO_FILE,
                             0,
                             ID_EDIT_CUT,
                             ID_EDIT_COPY,
                             ID_EDIT_PASTE,
                             0,
                             ID_FILE_PRINT,
                             0,
                             ID_CAPTURE,
                             ID_CLEAR,
                             ID_FILTER,
                             0,
                             ID_APP_ABOUT};
    const Bytes record = Resource(MAKEINTRESOURCEA(RT_TOOLBAR), IDR_MAINFRAME);
    ASSERT_EQ(sizeof expected, record.size);
    const WORD* got = reinterpret_cast<const WORD*>(record.data);
    for (size_t i = 0; i < sizeof expected / sizeof *expected; ++i)
        EXPECT_EQ(expected[i], got[i]) << "word " << i;
}

// A 4-bit strip of 16 x 15 images as stored in the program.
class CStrip {
public:
    explicit CStrip(int id) : m_bytes(Resource(RT_BITMAP, id)) {}

    const BITMAPINFOHEADER* Header() const {
        return m_bytes.size >= sizeof(BITMAPINFOHEADER)
                   ? reinterpret_cast<const BITMAPINFOHEADER*>(m_bytes.data)
                   : nullptr;
    }

    // How many pixels of each colour (0xRRGGBB) image index of the strip has.
    std::map<DWORD, int> ColoursOf(int index) const {
        const BITMAPINFOHEADER* header = Header();
        const DWORD* palette = reinterpret_cast<const DWORD*>(m_bytes.data + header->biSize);
        const BYTE* bits = reinterpret_cast<const BYTE*>(palette + 16);
        const LONG stride = (header->biWidth * 4 + 31) / 32 * 4;
        std::map<DWORD, int> colours;
        for (LONG y = 0; y < header->biHeight; ++y) {
            for (LONG x = index * 16; x < index * 16 + 16; ++x) {
                const BYTE pair = bits[y * stride + x / 2];
                ++colours[palette[x % 2 ? pair & 0xF : pair >> 4] & 0xFFFFFF];
            }
        }
        return colours;
    }

private:
    Bytes m_bytes;
};

const DWORD kButtonFace = 0xC0C0C0;
const DWORD kRed = 0xFF0000;
const DWORD kGreen = 0x00FF00;

// The strip's stored format, and the size the frame gets from LoadBitmapA.
void ExpectStripFormat(int id, const CStrip& strip, LONG width) {
    HBITMAP loaded = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    BITMAP size = {};
    EXPECT_TRUE(loaded && ::GetObjectA(loaded, sizeof size, &size)) << "bitmap " << id;
    EXPECT_EQ(width, size.bmWidth);
    EXPECT_EQ(15, size.bmHeight);
    if (loaded)
        ::DeleteObject(loaded);
    const BITMAPINFOHEADER* header = strip.Header();
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(sizeof(BITMAPINFOHEADER), header->biSize);
    EXPECT_EQ(width, header->biWidth);
    EXPECT_EQ(15, header->biHeight);
    EXPECT_EQ(4, header->biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header->biCompression);
    ASSERT_TRUE(header->biClrUsed == 0 || header->biClrUsed == 16) << header->biClrUsed;
}

TEST(Bitmaps, ToolbarStripHasOneImagePerButtonAndBlanksWhereTheFrameSwaps) {
    const CStrip strip(IDR_MAINFRAME);
    ASSERT_NO_FATAL_FAILURE(ExpectStripFormat(IDR_MAINFRAME, strip, 192));
    for (int image = 0; image < 12; ++image) {
        const bool blank = image == 3 || (image >= 8 && image <= 10);
        const std::map<DWORD, int> colours = strip.ColoursOf(image);
        EXPECT_EQ(blank, colours.size() == 1 && colours.count(kButtonFace) == 1)
            << "image " << image
            << (blank ? ": expected blank button face" : ": expected a picture");
    }
}

TEST(Bitmaps, ExtraStripShowsTheRightPicturesAtTheUsedOffsets) {
    const CStrip strip(IDB_EXTRA);
    ASSERT_NO_FATAL_FAILURE(ExpectStripFormat(IDB_EXTRA, strip, 368));
    // A red cross takes many bright red pixels; a pen's red cap or a little detail does not.
    const struct {
        int image;
        const char* picture;
        bool crossedOut;
        bool greenArrow;
    } cases[] = {
        {1, "magnifying glass crossed out", true, false},
        {2, "magnifying glass", false, false},
        {5, "funnel", false, false},
        {6, "pen on paper", false, false},
        {19, "floppy disk crossed out", true, false},
        {20, "floppy disk with a green arrow", false, true},
    };
    for (const auto& c : cases) {
        std::map<DWORD, int> colours = strip.ColoursOf(c.image);
        EXPECT_GT(colours.size(), 2u) << c.picture << " at " << c.image << " looks blank";
        EXPECT_EQ(c.crossedOut, colours[kRed] >= 20)
            << c.picture << " at " << c.image << ": " << colours[kRed] << " red pixels";
        EXPECT_EQ(c.greenArrow, colours[kGreen] >= 8)
            << c.picture << " at " << c.image << ": " << colours[kGreen] << " green pixels";
        EXPECT_GT(colours[kButtonFace], 0) << c.picture << " at " << c.image << " has no face";
    }
}

// ---- Icons ----

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(Icons, HaveTheirSizesInSixteenColours) {
    const struct {
        int id;
        std::vector<int> sizes;
    } cases[] = {{IDR_MAINFRAME, {32}}, {IDI_DOCUMENT, {32, 16}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const Bytes group = Resource(RT_GROUP_ICON, c.id);
        ASSERT_GE(group.size, 6u);
        const WORD count = reinterpret_cast<const WORD*>(group.data)[2];
        ASSERT_EQ(c.sizes.size(), static_cast<size_t>(count));
        ASSERT_EQ(6 + count * sizeof(GroupIconEntry), group.size);
        const GroupIconEntry* entries = reinterpret_cast<const GroupIconEntry*>(group.data + 6);
        for (WORD i = 0; i < count; ++i) {
            EXPECT_EQ(c.sizes[i], entries[i].width) << "entry " << i;
            EXPECT_EQ(c.sizes[i], entries[i].height) << "entry " << i;
            EXPECT_EQ(16, entries[i].colours) << "entry " << i;
            const Bytes image = Resource(RT_ICON, entries[i].id);
            ASSERT_GE(image.size, sizeof(BITMAPINFOHEADER)) << "entry " << i;
            const auto header = reinterpret_cast<const BITMAPINFOHEADER*>(image.data);
            EXPECT_EQ(4, header->biBitCount) << "entry " << i;
            EXPECT_EQ(2 * c.sizes[i], header->biHeight) << "entry " << i << ": colours and mask";
            HANDLE icon = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.id),
                                       IMAGE_ICON, c.sizes[i], c.sizes[i], 0);
            EXPECT_NE(nullptr, icon) << "size " << c.sizes[i];
            if (icon)
                ::DestroyIcon(static_cast<HICON>(icon));
        }
    }
}

// ---- Version block ----

TEST(VersionBlock, CarriesVersionOneThreeZeroFiftyTwoInChinese) {
    char path[MAX_PATH];
    ASSERT_NE(0u, ::GetModuleFileNameA(nullptr, path, sizeof path));
    std::vector<BYTE> block(::GetFileVersionInfoSizeA(path, nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(0x00010003u, fixed->dwFileVersionMS);
    EXPECT_EQ(52u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010003u, fixed->dwProductVersionMS);
    EXPECT_EQ(52u, fixed->dwProductVersionLS);
    EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &size));
    ASSERT_EQ(4u, size);
    EXPECT_EQ(0x0804, translation[0]);
    EXPECT_EQ(1200, translation[1]);

    const struct {
        const char* name;
        const char* value; // null: any non-empty text
    } cases[] = {
        {"FileDescription", "Kestrin Release下调试工具"},
        {"FileVersion", "1.3.0.52"},
        {"InternalName", "Kestrin"},
        {"ProductName", "Release下调试工具"},
        {"ProductVersion", "1.3.0.52"},
        {"OriginalFilename", "Kestrin.exe"},
        {"CompanyName", nullptr},
        {"Comments", nullptr},
        {"LegalCopyright", nullptr},
    };
    for (const auto& c : cases) {
        const std::string query = std::string("\\StringFileInfo\\080404b0\\") + c.name;
        char* value = nullptr;
        if (!::VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value),
                              &size)) {
            ADD_FAILURE() << query << " missing";
            continue;
        }
        if (c.value)
            EXPECT_EQ(c.value, std::string(value)) << query;
        else
            EXPECT_NE("", std::string(value)) << query;
    }
}

// ---- Dialog templates ----

struct Control {
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring windowClass, text;
    WORD extraBytes = 0;
};

struct Dialog {
    bool extended = false;
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring menu, windowClass, caption, typeface;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::vector<Control> controls;
};

// Reads a dialog template, classic or extended; Failed() after a read past its end.
class CTemplateReader {
public:
    explicit CTemplateReader(Bytes bytes) : m_bytes(bytes) {}

    bool Failed() const { return m_failed; }

    Dialog Read() {
        Dialog dialog;
        dialog.extended = Word() == 1 && Word() == 0xFFFF;
        if (dialog.extended) {
            dialog.helpId = DWord();
            dialog.exStyle = DWord();
            dialog.style = DWord();
        } else {
            m_at = 0;
            dialog.style = DWord();
            dialog.exStyle = DWord();
        }
        const WORD count = Word();
        Rect(dialog.x, dialog.y, dialog.cx, dialog.cy);
        dialog.menu = NameOrOrdinal();
        dialog.windowClass = NameOrOrdinal();
        dialog.caption = Text();
        if (dialog.style & DS_SETFONT) {
            dialog.pointSize = Word();
            if (dialog.extended) {
                dialog.weight = Word();
                dialog.italic = Byte();
                dialog.charset = Byte();
            }
            dialog.typeface = Text();
        }
        for (WORD i = 0; i < count && !m_failed; ++i)
            dialog.controls.push_back(ReadControl(dialog.extended));
        return dialog;
    }

private:
    Control ReadControl(bool extended) {
        m_at = (m_at + 3) & ~size_t(3);
        Control control;
        if (extended) {
            control.helpId = DWord();
            control.exStyle = DWord();
            control.style = DWord();
        } else {
            control.style = DWord();
            control.exStyle = DWord();
        }
        Rect(control.x, control.y, control.cx, control.cy);
        control.id = extended ? static_cast<int>(DWord()) : static_cast<short>(Word());
        control.windowClass = ClassName(NameOrOrdinal());
        control.text = NameOrOrdinal();
        control.extraBytes = Word();
        m_at += control.extraBytes;
        return control;
    }

    // Predefined classes come as ordinals or as names in any case; both create the same window.
    static std::wstring ClassName(const std::wstring& name) {
        const wchar_t* const predefined[][2] = {
            {L"#128", L"button"}, {L"#129", L"edit"}, {L"#130", L"static"}};
        std::wstring lower = name;
        for (wchar_t& ch : lower)
            ch = static_cast<wchar_t>(std::towlower(ch));
        for (const auto& entry : predefined)
            if (lower == entry[0])
                return entry[1];
        return lower;
    }

    void Rect(short& x, short& y, short& cx, short& cy) {
        x = static_cast<short>(Word());
        y = static_cast<short>(Word());
        cx = static_cast<short>(Word());
        cy = static_cast<short>(Word());
    }

    // A name, or "#n" for ordinal n; empty for none.
    std::wstring NameOrOrdinal() {
        if (m_at + 1 < m_bytes.size && m_bytes.data[m_at] == 0xFF &&
            m_bytes.data[m_at + 1] == 0xFF) {
            m_at += 2;
            return L"#" + std::to_wstring(Word());
        }
        return Text();
    }

    std::wstring Text() {
        std::wstring text;
        while (WORD unit = Word())
            text += static_cast<wchar_t>(unit);
        return text;
    }

    BYTE Byte() {
        if (m_at >= m_bytes.size) {
            m_failed = true;
            return 0;
        }
        return m_bytes.data[m_at++];
    }
    WORD Word() { return static_cast<WORD>(Byte() | Byte() << 8); }
    DWORD DWord() { return Word() | static_cast<DWORD>(Word()) << 16; }

    Bytes m_bytes;
    size_t m_at = 0;
    bool m_failed = false;
};

struct ExpectedControl {
    int id;
    const wchar_t* windowClass;
    const wchar_t* text; // null: any text of one line
    DWORD style;
    short x, y, cx, cy;
};

struct ExpectedDialog {
    bool extended;
    short cx, cy;
    const wchar_t* caption;
    WORD weight;
    BYTE charset;
    std::vector<ExpectedControl> controls;
};

const DWORD kModal = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
const DWORD kChild = WS_CHILD | WS_VISIBLE;

// Every dialog sits at (0, 0) in 9 point SimSun, with no menu, class, help ids or extended
// styles, and its controls carry no creation data.
void ExpectDialog(int id, const ExpectedDialog& expected) {
    SCOPED_TRACE("dialog " + std::to_string(id));
    CTemplateReader reader(Resource(RT_DIALOG, id));
    const Dialog got = reader.Read();
    ASSERT_FALSE(reader.Failed()) << "template ends early";
    EXPECT_EQ(expected.extended, got.extended) << "extended template";
    EXPECT_EQ(kModal, got.style) << std::hex << "style 0x" << got.style;
    EXPECT_EQ(0u, got.exStyle);
    EXPECT_EQ(0u, got.helpId);
    EXPECT_EQ(0, got.x);
    EXPECT_EQ(0, got.y);
    EXPECT_EQ(expected.cx, got.cx);
    EXPECT_EQ(expected.cy, got.cy);
    EXPECT_EQ(L"", got.menu);
    EXPECT_EQ(L"", got.windowClass);
    EXPECT_EQ(expected.caption, got.caption);
    EXPECT_EQ(9, got.pointSize);
    EXPECT_EQ(L"宋体", got.typeface);
    EXPECT_EQ(expected.weight, got.weight);
    EXPECT_EQ(0, got.italic);
    EXPECT_EQ(expected.charset, got.charset);
    ASSERT_EQ(expected.controls.size(), got.controls.size()) << "controls";
    for (size_t i = 0; i < got.controls.size(); ++i) {
        const ExpectedControl& e = expected.controls[i];
        const Control& g = got.controls[i];
        SCOPED_TRACE("control " + std::to_string(i));
        EXPECT_EQ(e.id, g.id);
        EXPECT_EQ(e.windowClass, g.windowClass);
        if (e.text)
            EXPECT_EQ(e.text, g.text);
        else
            EXPECT_TRUE(!g.text.empty() && g.text.find_first_of(L"\r\n") == std::wstring::npos)
                << "expected one line of text";
        EXPECT_EQ(e.style, g.style)
            << std::hex << "expected 0x" << e.style << ", got 0x" << g.style;
        EXPECT_EQ(e.x, g.x);
        EXPECT_EQ(e.y, g.y);
        EXPECT_EQ(e.cx, g.cx);
        EXPECT_EQ(e.cy, g.cy);
        EXPECT_EQ(0u, g.exStyle);
        EXPECT_EQ(0u, g.helpId);
        EXPECT_EQ(0, g.extraBytes) << "creation data";
    }
}

TEST(DialogTemplates, AboutBoxIsTheClassicTemplateWithFiveControls) {
    ExpectDialog(
        IDD_ABOUTBOX,
        {false,
         392,
         276,
         L"关于 Kestrin",
         0,
         0,
         {
             {IDC_STATIC, L"static", L"#128", kChild | SS_ICON, 11, 17, 20, 20},
             {IDC_STATIC, L"static", L"Kestrin 全能调试器(可在Dubug、Release)下接受调试信息。",
              kChild | WS_GROUP | SS_LEFT | SS_NOPREFIX, 40, 10, 234, 8},
             {IDOK, L"button", L"确定", kChild | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 335, 7,
              50, 14},
             {IDC_SAMPLE, L"edit", L"",
              kChild | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_LEFT | ES_MULTILINE |
                  ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY,
              7, 46, 378, 223},
             {IDC_STATIC, L"static", nullptr, kChild | WS_GROUP | SS_LEFT, 39, 21, 192, 8},
         }});
}

TEST(DialogTemplates, FilterDialogIsTheExtendedTemplateWithSixControls) {
    const DWORD edit = kChild | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
    ExpectDialog(
        IDD_FILTER,
        {true,
         221,
         81,
         L"调试信息过滤设置",
         FW_NORMAL,
         GB2312_CHARSET,
         {
             {IDOK, L"button", L"确定", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 71, 67, 50, 14},
             {IDCANCEL, L"button", L"取消", kChild | WS_TABSTOP | BS_PUSHBUTTON, 171, 67, 50, 14},
             {IDC_STATIC, L"static", L"包\u3000含", kChild | WS_GROUP | SS_LEFT, 4, 16, 25, 8},
             {IDC_INCLUDE, L"edit", L"", edit, 34, 13, 179, 12},
             {IDC_STATIC, L"static", L"不包含", kChild | WS_GROUP | SS_LEFT, 4, 36, 25, 8},
             {IDC_EXCLUDE, L"edit", L"", edit, 34, 34, 180, 12},
         }});
}

TEST(DialogTemplates, UnusedDialogHasOkAndCancel) {
    ExpectDialog(
        IDD_UNUSED,
        {false,
         186,
         95,
         L"Dialog",
         0,
         0,
         {
             {IDOK, L"button", L"OK", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 129, 7, 50, 14},
             {IDCANCEL, L"button", L"Cancel", kChild | WS_TABSTOP | BS_PUSHBUTTON, 129, 24, 50, 14},
         }});
}

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

TEST(DialogTemplates, DialogsCanBeCreatedAndTheAboutBoxShowsTheIcon) {
    for (int id : {IDD_ABOUTBOX, IDD_FILTER, IDD_UNUSED}) {
        HWND dialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                           nullptr, IgnoreMessages, 0);
        ASSERT_NE(nullptr, dialog) << "dialog " << id << ", error " << ::GetLastError();
        // The icon is the first control; its id, 0xFFFF in a classic template, finds nothing.
        if (id == IDD_ABOUTBOX) {
            EXPECT_NE(0, ::SendMessageA(::GetWindow(dialog, GW_CHILD), STM_GETICON, 0, 0))
                << "icon of the About box";
        }
        ::DestroyWindow(dialog);
    }
}

} // namespace
