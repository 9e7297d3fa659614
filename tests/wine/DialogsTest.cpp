// The Filter and About dialogs as Kestrin's commands open them, driven as a user would: texts
// typed, buttons and keys pressed, the close box, and messages arriving while they are open.
#include "AppFixture.h"
#include "ClientSample.h"

namespace {

const Strings kFilter = {"调试信息过滤设置"};

// What the dialog shows: its font, each control's text ("icon" for a picture), the focus.
ModalStep Look(Strings& seen) {
    return [&seen](HWND dialog) {
        LOGFONTA font = {};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font,
                     &font);
        seen = {std::string(font.lfFaceName) + " " + std::to_string(font.lfHeight)};
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT))
            seen.push_back(::SendMessageA(child, STM_GETICON, 0, 0) ? "icon" : WindowText(child));
        seen.push_back("focus " + std::to_string(::GetDlgCtrlID(::GetFocus())));
    };
}
Strings FilterShows(const std::string& include, const std::string& exclude) {
    return {"宋体 -12", "确定", "取消", "包　含", include, "不包含", exclude, "focus 1"};
}

using DialogsTest = AppFixture;

// Each row types its texts (null: none) and closes the dialog one way: only OK and Enter apply
// them, and what is sent while it is open meets the filter it was opened with. A new opening shows
// the filter in its text form.
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
        {";;;;", ";;", Click(IDOK), {";", ";"}, all},
        {"*", "retry", Click(IDOK), {"*;;", ";"}, all},
        {"net;a*b;", "", Click(IDOK), {"*;;", ";"}, all},
        {"disk", "re*try", Click(IDOK), {"disk;*;;", ";"}, all},
    };
    // File New resets the filter and keeps the rows.
    Send("kept");
    SetFilter("no such text");
    Command(ID_FILE_NEW);
    EXPECT_EQ(Strings{"kept"}, Texts()) << "after File New";
    Strings current = all, whileOpen, seen;
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
        EXPECT_EQ(kFilter, Drive(ID_FILTER, {Look(seen), Click(IDCANCEL)}));
        EXPECT_EQ(FilterShows(c.shown[0], c.shown[1]), seen);
    }
}

TEST_F(DialogsTest, AboutBoxShowsTheClientRoutineReadOnly) {
    Strings seen;
    std::string typedOver;
    const ModalStep typeOver = [&typedOver](HWND dialog) {
        HWND box = ::GetDlgItem(dialog, IDC_SAMPLE);
        ::SendMessageA(box, EM_SETSEL, 0, -1);
        ::SendMessageA(box, WM_CHAR, 'x', 0);
        ::SendMessageA(box, WM_CUT, 0, 0);
        typedOver = WindowText(box);
    };
    EXPECT_EQ(Strings{"关于 Kestrin"}, Drive(ID_APP_ABOUT, {Look(seen), typeOver, Click(IDOK)}));
    EXPECT_EQ((Strings{"宋体 -12", "icon", "Kestrin 全能调试器(可在Dubug、Release)下接受调试信息。",
                       "确定", kClientSample, "版本 1.3.0.52　版权所有 (C) 2026 Kestrin 开发组",
                       "focus 1"}),
              seen);
    EXPECT_EQ(kClientSample, typedOver) << "after typing and cut";
}

} // namespace
