// Kestrin as users run it: kestrin.exe in a process of its own, clients in others, and the rows
// read back out of the running program's list.
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "KestrinProcess.h"

TEST(EndToEnd, ClientsInOtherProcessesBecomeRowsOfTheRunningKestrin) {
    CKestrin kestrin;
    ASSERT_NO_FATAL_FAILURE(kestrin.Start());

    std::string long200, gbk200;
    for (int i = 0; i < 100; ++i) {
        long200 += "AB";
        gbk200 += "\xB5\xF7"; // a double-byte character in code page 936
    }
    const char gbk[] = "\xB3\xF5\xCA\xBC\xBB\xAF\xCD\xEA\xB3\xC9"; // 初始化完成
    const std::vector<std::string> sent = {"plain ASCII", gbk, long200, gbk200, ""};
    // Cut to 127 bytes, with no half character at the cut.
    const std::vector<std::string> shown = {"plain ASCII", gbk, long200.substr(0, 127),
                                            gbk200.substr(0, 126), ""};
    SYSTEMTIME before, after;
    ::GetLocalTime(&before);
    CProgram first("kestrin-send.exe", sent);
    first.Wait();
    // Three clients at once: each one's rows keep their order, none is lost.
    const char* const texts[] = {"client one", "client two", "client three"};
    std::vector<std::unique_ptr<CProgram>> together;
    for (const char* text : texts)
        together.push_back(
            std::make_unique<CProgram>("kestrin-send.exe", Row{"--repeat", "25", text}));
    for (auto& sender : together)
        sender->Wait();
    ::GetLocalTime(&after);

    std::map<std::string, std::vector<std::string>> textsBySender;
    for (const Row& row : kestrin.Rows()) {
        EXPECT_EQ("kestrin-send.exe", row[0]) << "name in row " << textsBySender.size();
        EXPECT_TRUE(IsTimeCellWithin(row[2], before, after)) << "time: got " << row[2];
        textsBySender[row[1]].push_back(row[3]);
    }
    EXPECT_EQ(shown, textsBySender[std::to_string(first.Id())]) << "the first client's rows";
    for (size_t k = 0; k < together.size(); ++k)
        EXPECT_EQ(std::vector<std::string>(25, texts[k]),
                  textsBySender[std::to_string(together[k]->Id())]);
    EXPECT_EQ(4u, textsBySender.size()) << "senders seen in the pID column";
}

TEST(EndToEnd, ASecondKestrinEndsAtOnceWithoutAWindow) {
    ASSERT_TRUE(KestrinWindows().empty()) << "expected no Kestrin running before the test";
    CKestrin first;
    ASSERT_NO_FATAL_FAILURE(first.Start());
    CProgram("kestrin.exe").Wait();
    EXPECT_EQ(std::vector<HWND>{first.Frame()}, KestrinWindows()) << "windows titled Kestrin";
    CProgram("kestrin-send.exe", {"after the second"}).Wait();
    const std::vector<Row> rows = first.Rows();
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("after the second", rows[0][3]);
    first.Close();
}

TEST(EndToEnd, TheAboutBoxRoutineSendsRowsThatSaveWritesByteForByte) {
    const std::string path = SiblingPath("kestrin-sample.log");
    ::DeleteFileA(path.c_str());
    CKestrin kestrin;
    ASSERT_NO_FATAL_FAILURE(kestrin.Start());

    CProgram before("sample-client.exe", {"before"});
    before.Wait();
    const UINT kFileSave = 57603;
    ::PostMessageA(kestrin.Frame(), WM_COMMAND, kFileSave, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = ModalWindowOf(kestrin.Id())) != nullptr; }))
        << "expected the save dialog";
    // Kestrin keeps taking messages while its dialog is open; those rows are saved too.
    CProgram during("sample-client.exe", {"during"});
    during.Wait();
    ::SetWindowTextA(FileNameEdit(dialog), path.c_str());
    ::PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog); })) << "expected the dialog to close";
    // Kestrin answers once Save has ended; a message box it showed leaves the file unwritten.
    DWORD_PTR answer = 0;
    EXPECT_TRUE(
        ::SendMessageTimeoutA(kestrin.Frame(), WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &answer));

    std::vector<Row> expected;
    for (const CProgram* client : {&before, &during}) {
        const std::string pid = std::to_string(client->Id());
        const std::string tag = client == &before ? "before" : "during";
        for (const std::string& text :
             {tag + ": 42 items, 99.50% done", tag + ": [ab   |   cd] 0xBEEF K",
              std::string("plain text, no conversions")})
            expected.push_back({"sample-client.exe", pid, "", text});
    }
    std::vector<Row> rows = kestrin.Rows();
    std::string lines;
    for (Row& row : rows) {
        for (const std::string& cell : row)
            lines += cell + '\t';
        lines += "\r\n";
        row[2].clear();
    }
    EXPECT_EQ(expected, rows);
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(lines, std::string(std::istreambuf_iterator<char>(file), {})) << path;
    file.close();
    ::DeleteFileA(path.c_str());
    kestrin.Close();
}
