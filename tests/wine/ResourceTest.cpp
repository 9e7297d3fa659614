// Kestrin's resources that no window of the in-process tests shows whole: the string table, the
// accelerators and the version block.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include "resource.h"

namespace {

TEST(StringTable, HoldsSixtySevenStrings) {
    int count = 0;
    for (UINT id = 0; id <= 0xFFFF; ++id) {
        const wchar_t* text = nullptr; // with no buffer, a pointer into the resource
        count += ::LoadStringW(nullptr, id, reinterpret_cast<LPWSTR>(&text), 0) > 0;
    }
    EXPECT_EQ(67, count);
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
