// The Filter and About dialogs as Kestrin's commands open them, driven as a user would: texts
// typed, buttons and keys pressed, the close box, and messages arriving while they are open.
#include <string>
#include <vector>

#include "AppFixture.h"
#include "ClientSample.h"

namespace {

const Strings kFilter = {"调试信息过滤设置"};
const Strings kAbout = {"关于 Kestrin"};

struct CloseWay {
    const char* name;
    ModalStep step;
    bool ok;
};
const CloseWay kCloseWays[] = {
    {"确定", Click(IDOK), true},
    {"Enter", Key(VK_RETURN), true},
    {"取消", Click(IDCANCEL), false},
    {"Escape", Key(VK_ESCAPE), false},
    {"close box",
     [](HWND window) { return ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE; },
     false},
};

// What the dialog shows: its two texts, and the control with the focus.
ModalStep Look(Strings& shown, int& focus) {
    return [&shown, &focus](HWND dialog) {
        shown = {WindowText(::GetDlgItem(dialog, IDC_INCLUDE)),
                 WindowText(::GetDlgItem(dialog, IDC_EXCLUDE))};
        focus = ::GetDlgCtrlID(::GetFocus());
        return true;
    };
}

// What the dialog shows the eye: its font, then each control's text ("icon" for a picture),
// marked "outside" when it does not lie within the dialog.
ModalStep Layout(Strings& seen) {
    return [&seen](HWND dialog) {
        LOGFONTA font = {};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font,
                     &font);
        seen = {std::string(font.lfFaceName) + " " + std::to_string(font.lfHeight)};
        RECT inside;
        ::GetClientRect(dialog, &inside);
        ::InflateRect(&inside, 1, 1); // dialog units round to pixels one by one
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT box;
            ::GetWindowRect(child, &box);
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
            RECT both;
            ::IntersectRect(&both, &box, &inside);
            seen.push_back((::SendMessageA(child, STM_GETICON, 0, 0) ? "icon" : WindowText(child)) +
                           (::EqualRect(&both, &box) ? "" : " outside"));
        }
        return true;
    };
}

class DialogsTest : public AppFixture {
protected:
    // The probes that pass the filter, each known by the start a row shows.
    Strings Passed(const Strings& probes) const {
        Command(ID_CLEAR);
        for (const std::string& text : probes)
            Send(text.c_str());
        Strings passed;
        for (const std::string& shown : Texts())
            for (const std::string& probe : probes)
                if (probe.compare(0, shown.size(), shown) == 0) {
                    passed.push_back(probe);
                    break;
                }
        return passed;
    }
};

TEST_F(DialogsTest, OkAndEnterApplyTheEditsAndEveryOtherCloseKeepsTheFilter) {
    std::string current = "old";
    SetFilter(current);
    for (const CloseWay& way : kCloseWays) {
        SCOPED_TRACE(way.name);
        const std::string before = current, typed = std::string("new ") + way.name;
        EXPECT_EQ(kFilter, Drive(ID_FILTER, {Type(IDC_INCLUDE, typed), way.step}));
        if (way.ok)
            current = typed;
        EXPECT_EQ(Strings{current}, Passed({before, typed}));
    }
}

// Each opening shows what the previous OK left, in its text form; null: OK without typing.
TEST_F(DialogsTest, FiltersOfAnyTextAreAppliedMatchedAndShownWhole) {
    std::string patterns, longPattern;
    for (int i = 0; i < 1000; ++i)
        patterns += std::to_string(10000 + i).substr(1) + ";"; // "0000;" to "0999;"
    for (int i = 0; longPattern.size() < 9998; ++i)
        longPattern += i % 3 ? "\xB5\xF7" : "ab";    // 调 in code page 936
    const std::string longText = longPattern + "z;"; // 10,000 bytes
    const Strings probes = {"net up", "disk retry",      "x0999x",
                            "x1000x", longPattern + "z", "ab" + longPattern};
    const struct {
        std::string name;
        const char *include, *exclude;
        Strings shown, passed;
    } cases[] = {
        {"two patterns", "net;disk", "", {"net;disk;", ";"}, {"net up", "disk retry"}},
        {"OK without typing", nullptr, nullptr, {"net;disk;", ";"}, {"net up", "disk retry"}},
        {"1,000 patterns", patterns.c_str(), ";", {patterns, ";"}, {"x0999x"}},
        {"10,000 characters",
         ";",
         longText.c_str(),
         {";", longText},
         {"net up", "disk retry", "x0999x", "x1000x", "ab" + longPattern}},
        {"only ';'", ";;;;", ";;", {";", ";"}, probes},
        {"'*' alone", "*", "retry", {"*;;", ";"}, probes},
        {"'*' within", "net;a*b;", "", {"*;;", ";"}, probes},
        {"'*' excluded", "disk", "re*try", {"disk;*;;", ";"}, probes},
    };
    Strings shown;
    int focus = 0;
    EXPECT_EQ(kFilter, Drive(ID_FILTER, {Look(shown, focus), Click(IDCANCEL)}));
    EXPECT_EQ((Strings{";", ";"}), shown) << "at start";
    EXPECT_EQ(IDOK, focus) << "control with the focus";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.include)
            SetFilter(c.include, c.exclude);
        else
            Drive(ID_FILTER, {Click(IDOK)});
        EXPECT_EQ(c.passed, Passed(probes));
        EXPECT_EQ(kFilter, Drive(ID_FILTER, {Look(shown, focus), Click(IDCANCEL)}));
        EXPECT_EQ(c.shown, shown);
    }
}

TEST_F(DialogsTest, MessagesWhileTheFilterDialogIsOpenMeetTheOldFilter) {
    SetFilter("old");
    bool open = false;
    EXPECT_EQ(kFilter,
              Drive(ID_FILTER, {Type(IDC_INCLUDE, "new"), SendFromThread({"old 1", "new 1"}),
                                [&open](HWND dialog) { return open = ::IsWindowVisible(dialog); },
                                Click(IDOK)}));
    EXPECT_TRUE(open) << "the dialog stays open";
    Send("old 2");
    Send("new 2");
    EXPECT_EQ((Strings{"old 1", "new 2"}), Texts());
}

TEST_F(DialogsTest, AboutBoxShowsTheClientRoutineReadOnlyAndEveryCloseEndsIt) {
    std::string sample, typedOver;
    int focus = 0;
    const ModalStep readSample = [&](HWND dialog) {
        HWND box = ::GetDlgItem(dialog, IDC_SAMPLE);
        sample = WindowText(box);
        focus = ::GetDlgCtrlID(::GetFocus());
        ::SendMessageA(box, EM_SETSEL, 0, -1);
        ::SendMessageA(box, WM_CHAR, 'x', 0);
        ::SendMessageA(box, WM_CUT, 0, 0);
        typedOver = WindowText(box);
        return true;
    };
    EXPECT_EQ(kAbout, Drive(ID_APP_ABOUT, {readSample, Click(IDOK)}));
    EXPECT_EQ(818u, sample.size());
    EXPECT_EQ(std::string(kClientSample), sample);
    EXPECT_EQ(sample, typedOver) << "after typing and cut";
    EXPECT_EQ(IDOK, focus) << "control with the focus";
    for (const CloseWay& way : kCloseWays)
        if (std::string(way.name) != "取消") { // the About box has only 确定
            EXPECT_EQ(kAbout, Drive(ID_APP_ABOUT, {way.step})) << way.name;
        }
}

TEST_F(DialogsTest, BothDialogsShowTheirTextsInTheirFontWithinTheirBounds) {
    const std::pair<UINT, Strings> dialogs[] = {
        {ID_FILTER, {"宋体 -12", "确定", "取消", "包　含", ";", "不包含", ";"}},
        {ID_APP_ABOUT,
         {"宋体 -12", "icon", "Kestrin 全能调试器(可在Dubug、Release)下接受调试信息。", "确定",
          kClientSample, "版本 1.3.0.52　版权所有 (C) 2026 Kestrin 开发组"}}};
    for (const auto& [command, expected] : dialogs) {
        Strings seen;
        Drive(command, {Layout(seen), Click(IDCANCEL)});
        EXPECT_EQ(expected, seen) << "dialog of command " << command;
    }
}

} // namespace
