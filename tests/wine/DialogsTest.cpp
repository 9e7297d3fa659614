// The Filter dialog as Kestrin's command opens it, driven as a user would: texts typed, buttons
// and keys pressed, the close box, and messages arriving while it is open.
#include "AppFixture.h"

namespace {

const Strings kFilter = {Ansi("调试信息过滤设置")};

using DialogsTest = AppFixture;

// Each row types its texts (null: none) and closes the dialog one way: only OK and Enter apply
// them, and what is sent while it is open meets the filter it was opened with. A new opening shows
// the filter in its text form, whose rules the filter's own tests and fuzzer check.
TEST_F(DialogsTest, FiltersOfAnyTextAreAppliedByOkOrEnterMatchedAndShownWhole) {
    // 1,000 patterns make 32,000 characters: more than an edit control takes unless told.
    const std::string tail(27, 'p');
    std::string patterns, longPattern;
    for (int i = 0; i < 1000; ++i)
        patterns += tail + std::to_string(10000 + i).substr(1) + ";"; // "pp..p0000;" on
    while (longPattern.size() < 9998)
        longPattern += "pattern ";
    const std::string longText = "z" + longPattern.substr(0, 9998) + ";"; // 10,000 bytes
    const Strings probes = {"net up",      "disk retry",      tail + "0999",
                            tail + "1000", "z" + longPattern, "y" + longPattern};
    Strings all; // as their rows show them: 127 bytes of each
    for (const std::string& probe : probes)
        all.push_back(probe.substr(0, 127));
    const auto passed = [&] { // the probes that pass the filter, as their rows show them
        Command(ID_CLEAR);
        for (const std::string& text : probes)
            Send(text.c_str());
        return Texts();
    };
    const Strings netDisk = {"net up", "disk retry"},
                  longPassed = {all[0], all[1], all[2], all[3], all[5]};
    const ModalStep closeBox = [](HWND w) { ::PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); };
    const struct {
        const char *include, *exclude;
        ModalStep close;
        Strings shown, passed;
    } cases[] = {
        {"net", "", Click(IDCANCEL), {";", ";"}, all}, // as File New left it
        {"net;disk", "", Click(IDOK), {"net;disk;", ";"}, netDisk},
        {"net", "", Key(VK_ESCAPE), {"net;disk;", ";"}, netDisk},
        {nullptr, nullptr, Click(IDOK), {"net;disk;", ";"}, netDisk},
        {patterns.c_str(), ";", Key(VK_RETURN), {patterns, ";"}, {tail + "0999"}},
        {"net", "", closeBox, {patterns, ";"}, {tail + "0999"}},
        {";", longText.c_str(), Click(IDOK), {";", longText}, longPassed},
    };
    // File New resets the filter and keeps the rows.
    Send("kept");
    Drive(ID_FILTER, {Type(IDC_INCLUDE, "no such text"), Click(IDOK)});
    Command(ID_FILE_NEW);
    EXPECT_EQ(Strings{"kept"}, Texts()) << "after File New";
    Strings current = all, whileOpen, seen;
    const ModalStep look = [&seen](HWND dialog) { // the include and exclude texts shown
        seen = {WindowText(::GetDlgItem(dialog, IDC_INCLUDE)),
                WindowText(::GetDlgItem(dialog, IDC_EXCLUDE))};
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        std::vector<ModalStep> steps = {[&](HWND) { whileOpen = passed(); }, c.close};
        if (c.include)
            steps.insert(steps.begin(),
                         {Type(IDC_INCLUDE, c.include), Type(IDC_EXCLUDE, c.exclude)});
        EXPECT_EQ(kFilter, Drive(ID_FILTER, steps));
        EXPECT_EQ(current, whileOpen) << "sent while open";
        current = c.passed;
        EXPECT_EQ(c.passed, passed());
        EXPECT_EQ(kFilter, Drive(ID_FILTER, {look, Click(IDCANCEL)}));
        EXPECT_EQ(c.shown, seen);
    }
}

} // namespace
