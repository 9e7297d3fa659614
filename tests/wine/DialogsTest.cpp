// The Filter and About dialogs as Kestrin's commands open them, driven as a user would: texts
// typed, buttons and keys pressed, the close box, and messages arriving while they are open.
#include <string>
#include <vector>

#include "AppFixture.h"
#include "ClientSample.h"

namespace {

const std::vector<std::string> kFilter = {"调试信息过滤设置"};
const std::vector<std::string> kAbout = {"关于 Kestrin"};

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

// What the dialog shows: its two texts and the control with the focus.
ModalStep Look(std::vector<std::string>& shown, int& focus) {
    return [&shown, &focus](HWND dialog) {
        shown = {WindowText(::GetDlgItem(dialog, IDC_INCLUDE)),
                 WindowText(::GetDlgItem(dialog, IDC_EXCLUDE))};
        focus = ::GetDlgCtrlID(::GetFocus());
        return true;
    };
}

class DialogsTest : public AppFixture {
protected:
    // The probes that pass the filter.
    std::vector<std::string> Passed(const std::vector<std::string>& probes) const {
        Command(ID_CLEAR);
        for (const std::string& text : probes)
            Send(text.c_str());
        return Texts();
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
        EXPECT_EQ(std::vector<std::string>{current}, Passed({before, typed}));
    }
}

// Each opening shows what the previous OK left in its text form; null: OK without typing.
TEST_F(DialogsTest, TheDialogShowsTheFilterInItsTextFormAndOkReappliesIt) {
    const std::vector<std::string> probes = {"net up", "disk retry", "cpu load"};
    const struct {
        const char *include, *exclude;
        std::vector<std::string> shown, passed;
    } cases[] = {
        {"net;disk", "", {"net;disk;", ";"}, {"net up", "disk retry"}},
        {nullptr, nullptr, {"net;disk;", ";"}, {"net up", "disk retry"}},
        {"*", "retry", {"*;;", ";"}, probes},
    };
    std::vector<std::string> shown;
    int focus = 0;
    EXPECT_EQ(kFilter, Drive(ID_FILTER, {Look(shown, focus), Click(IDCANCEL)}));
    EXPECT_EQ((std::vector<std::string>{";", ";"}), shown) << "at start";
    EXPECT_EQ(IDOK, focus) << "control with the focus";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.include ? c.include : "OK without typing");
        if (c.include)
            SetFilter(c.include, c.exclude);
        else
            Drive(ID_FILTER, {Click(IDOK)});
        EXPECT_EQ(c.passed, Passed(probes));
        EXPECT_EQ(kFilter, Drive(ID_FILTER, {Look(shown, focus), Click(IDCANCEL)}));
        EXPECT_EQ(c.shown, shown);
    }
}

TEST_F(DialogsTest, ListsOfTwoThousandBytesAreShownAndAppliedWhole) {
    std::string list;
    for (int i = 0; i < 400; ++i)
        list += std::to_string(10000 + i).substr(1) + ";"; // "0000;" to "0399;"
    SetFilter(list, list);
    std::vector<std::string> shown;
    int focus = 0;
    Drive(ID_FILTER, {Look(shown, focus), Type(IDC_EXCLUDE, ""), Click(IDOK)});
    EXPECT_EQ((std::vector<std::string>{list, list}), shown);
    EXPECT_EQ(std::vector<std::string>{"x0399x"}, Passed({"x0399x", "x0400x"}));
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
    EXPECT_EQ((std::vector<std::string>{"old 1", "new 2"}), Texts());
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
    for (const CloseWay& way : kCloseWays) {
        if (std::string(way.name) == "取消")
            continue; // the About box has only 确定
        EXPECT_EQ(kAbout, Drive(ID_APP_ABOUT, {way.step})) << way.name;
    }
}

} // namespace
