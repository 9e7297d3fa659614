// The Filter dialog as Kestrin's command opens it, driven as a user would: texts typed, buttons
// and keys pressed, the close box, and messages arriving while it is open.
#include "AppFixture.h"

namespace {

const Strings kFilter = {Ansi("调试信息过滤设置")};

using DialogsTest = AppFixture;

// Each row's opening shows the filter in its text form (whose rules the filter's own tests and
// fuzzer check); the row types its texts (null: none) and closes the dialog one way: only OK and
// Enter apply them, and what is sent while it is open meets the filter it was opened with.
TEST_F(DialogsTest, FiltersOfAnyTextAreAppliedByOkOrEnterMatchedAndShownWhole) {
    // 1,000 patterns make 32,000 characters: more than an edit control takes unless told.
    const std::string tail(27, 'p');
    std::string patterns;
    for (int i = 0; i < 1000; ++i)
        patterns += tail + std::to_string(10000 + i).substr(1) + ";"; // "pp..p0000;" on
    const Strings all = {"net up", "disk retry", tail + "0999", tail + "1000"};
    const auto passed = [&] { // the texts that pass the filter
        Command(ID_CLEAR);
        for (const std::string& text : all)
            Send(text.c_str());
        return Texts();
    };
    const ModalStep closeBox = [](HWND w) { ::PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); };
    const struct {
        const char *include, *exclude;
        ModalStep close;
        Strings shown, passed;
    } cases[] = {
        {"net", "", Click(IDCANCEL), {";", ";"}, all}, // as File New left it
        {";net;;disk", "retry", Click(IDOK), {";", ";"}, {"net up"}},
        {"disk", "", Key(VK_ESCAPE), {"net;disk;", "retry;"}, {"net up"}},
        {patterns.c_str(), ";", Key(VK_RETURN), {"net;disk;", "retry;"}, {tail + "0999"}},
        {"net", "", closeBox, {patterns, ";"}, {tail + "0999"}},
        {nullptr, nullptr, Click(IDOK), {patterns, ";"}, {tail + "0999"}},
    };
    // File New resets the filter.
    Drive(ID_FILTER, {Type(IDC_INCLUDE, "no such text"), Click(IDOK)});
    Command(ID_FILE_NEW);
    Strings current = all, whileOpen, seen;
    const ModalStep look = [&seen](HWND dialog) { // the include and exclude texts shown
        seen = {WindowText(::GetDlgItem(dialog, IDC_INCLUDE)),
                WindowText(::GetDlgItem(dialog, IDC_EXCLUDE))};
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        std::vector<ModalStep> steps = {look, [&](HWND) { whileOpen = passed(); }, c.close};
        if (c.include)
            steps.insert(steps.begin() + 1,
                         {Type(IDC_INCLUDE, c.include), Type(IDC_EXCLUDE, c.exclude)});
        EXPECT_EQ(kFilter, Drive(ID_FILTER, steps));
        EXPECT_EQ(current, whileOpen) << "sent while open";
        current = c.passed;
        EXPECT_EQ(c.passed, passed());
        EXPECT_EQ(c.shown, seen);
    }
}

} // namespace
