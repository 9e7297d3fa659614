// Kestrin's resources that no window of the in-process tests shows: the string table in code
// page 936, the accelerators, the icons and the version block.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include "resource.h"

namespace {

TEST(StringTable, HoldsSixtySevenStringsInCodePage936) {
    int count = 0;
    for (UINT id = 0; id <= 0xFFFF; ++id) {
        const wchar_t* text = nullptr; // with no buffer, a pointer into the resource
        count += ::LoadStringW(nullptr, id, reinterpret_cast<LPWSTR>(&text), 0) > 0;
    }
    EXPECT_EQ(67, count);
    ASSERT_EQ(936u, ::GetACP()) << "the texts below are code page 936 bytes";
    const std::pair<UINT, const char*> samples[] = {
        {IDR_MAINFRAME, "Kestrin\n\nKestri\n\n\nKestrin.Document\nKestri Document"},
        {AFX_IDS_APP_TITLE, "Kestrin"},
        {ID_APP_ABOUT, "显示程序信息，版本号和版权\n关于"}};
    for (const auto& [id, text] : samples) {
        char got[256] = "";
        ::LoadStringA(nullptr, id, got, sizeof got);
        EXPECT_EQ(text, std::string(got)) << "string " << id;
    }
}

TEST(Accelerators, AreTheFourteenVirtualKeyEntries) {
    const int key = FVIRTKEY, ctrl = key | FCONTROL, shift = key | FSHIFT, alt = key | FALT;
    const std::vector<std::tuple<int, int, int>> expected = {
        {ctrl, 'N', ID_FILE_NEW},        {ctrl, 'O', ID_FILE_OPEN},
        {ctrl, 'S', ID_FILE_SAVE},       {ctrl, 'P', ID_FILE_PRINT},
        {ctrl, 'Z', ID_EDIT_UNDO},       {ctrl, 'X', ID_EDIT_CUT},
        {ctrl, 'C', ID_EDIT_COPY},       {ctrl, 'V', ID_EDIT_PASTE},
        {alt, VK_BACK, ID_EDIT_UNDO},    {shift, VK_DELETE, ID_EDIT_CUT},
        {ctrl, VK_INSERT, ID_EDIT_COPY}, {shift, VK_INSERT, ID_EDIT_PASTE},
        {key, VK_F6, ID_NEXT_PANE},      {shift, VK_F6, ID_PREV_PANE}};
    HACCEL table =
        ::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ACCEL entries[32];
    std::vector<std::tuple<int, int, int>> got;
    for (int i = 0; table && i < ::CopyAcceleratorTableA(table, entries, 32); ++i)
        got.emplace_back(entries[i].fVirt, entries[i].key, entries[i].cmd);
    EXPECT_EQ(expected, got) << "flags, key and command of each entry";
    ::DestroyAcceleratorTable(table);
}

TEST(Icons, HaveTheirSizesInSixteenColours) {
    const std::pair<int, std::vector<std::string>> icons[] = {
        {IDR_MAINFRAME, {"32x32 16"}}, {IDI_DOCUMENT, {"32x32 16", "16x16 16"}}};
    for (const auto& [id, expected] : icons) {
        HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
        const BYTE* group =
            found ? static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)))
                  : nullptr;
        const DWORD size = found ? ::SizeofResource(nullptr, found) : 0;
        std::vector<std::string> got; // width x height, colours, of each 14-byte entry after 6
        for (DWORD at = 6; group && size >= 6 && got.size() < group[4] && at + 14 <= size; at += 14)
            got.push_back(std::to_string(group[at]) + "x" + std::to_string(group[at + 1]) + " " +
                          std::to_string(group[at + 2]));
        EXPECT_EQ(expected, got) << "icon " << id;
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

} // namespace
