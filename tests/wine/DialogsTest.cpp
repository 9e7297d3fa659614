// The Filter and About dialogs as Kestrin's commands open them, driven as a user would: texts
// typed, buttons and keys pressed, the close box, and messages arriving while they are open.
#include <algorithm>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "ClientSample.h"

namespace {

const char kFilterCaption[] = "调试信息过滤设置";
const char kAboutCaption[] = "关于 Kestrin";

// Every way a user closes a dialog: a button, a key, or the command the close box sends.
struct CloseWay {
    const char* name;
    int button;
    UINT key;
    UINT message;
    WPARAM wParam;
    bool ok;
};
const CloseWay kCloseWays[] = {
    {"确定", IDOK, 0, 0, 0, true},
    {"Enter", 0, VK_RETURN, 0, 0, true},
    {"取消", IDCANCEL, 0, 0, 0, false},
    {"Escape", 0, VK_ESCAPE, 0, 0, false},
    {"close box", 0, 0, WM_SYSCOMMAND, SC_CLOSE, false},
};
ModalStep Close(const CloseWay& way) {
    if (way.button)
        return Click(way.button);
    if (way.key)
        return Key(way.key);
    return
        [way](HWND window) { return ::PostMessageA(window, way.message, way.wParam, 0) != FALSE; };
}

// What a dialog showed as it opened.
struct Shown {
    std::string include, exclude;
    int focus = 0;
    long halfPixelsOff = -1; // between the dialog's and the main window's centres
};
ModalStep Look(Shown& shown) {
    return [&shown](HWND dialog) {
        shown.include = WindowText(::GetDlgItem(dialog, IDC_INCLUDE));
        shown.exclude = WindowText(::GetDlgItem(dialog, IDC_EXCLUDE));
        shown.focus = ::GetDlgCtrlID(::GetFocus());
        RECT self, owner;
        ::GetWindowRect(dialog, &self);
        ::GetWindowRect(Frame()->m_hWnd, &owner);
        shown.halfPixelsOff =
            std::max(std::labs(self.left + self.right - owner.left - owner.right),
                     std::labs(self.top + self.bottom - owner.top - owner.bottom));
        return true;
    };
}

class DialogsTest : public AppFixture {
protected:
    // The texts of the probes that pass the filter, sent now.
    std::vector<std::string> Passed(std::vector<const char*> probes) const {
        Command(ID_CLEAR);
        for (const char* text : probes)
            Send(text);
        return Texts();
    }
};

TEST_F(DialogsTest, OkAndEnterApplyTheEditsAndEveryOtherCloseKeepsTheFilter) {
    std::string current = "old";
    SetFilter(current.c_str());
    for (const CloseWay& way : kCloseWays) {
        SCOPED_TRACE(way.name);
        const std::string before = current, typed = std::string("new ") + way.name;
        EXPECT_EQ(
            std::vector<std::string>{kFilterCaption},
            Drive(ID_FILTER, {Type(IDC_INCLUDE, typed), Type(IDC_EXCLUDE, "bad"), Close(way)}));
        if (way.ok)
            current = typed;
        EXPECT_EQ(std::vector<std::string>{current},
                  Passed({before.c_str(), typed.c_str(), (typed + " bad").c_str()}));
    }
}

// Each opening shows what the previous OK left, then the next texts are typed and OK pressed.
TEST_F(DialogsTest, TheDialogShowsTheFilterInItsTextFormAndOkAppliesTheTextsAsTheyStand) {
    const std::vector<const char*> probes = {"net up", "disk retry", "cpu load", "a b"};
    const struct {
        const char *include, *exclude; // null: OK pressed with nothing typed
        const char *shownInclude, *shownExclude;
        std::vector<std::string> passed;
    } cases[] = {
        {"net;disk", "retry", "net;disk;", "retry;", {"net up"}},
        {"*", "retry", "*;;", ";", {"net up", "disk retry", "cpu load", "a b"}},
        {"a;;b", "", "a;", ";", {"cpu load", "a b"}},
        {";x", "retry", ";", "retry;", {"net up", "cpu load", "a b"}},
        {"", "", ";", ";", {"net up", "disk retry", "cpu load", "a b"}},
        {"abc", "*", "abc;*;;", ";", {"net up", "disk retry", "cpu load", "a b"}},
        {nullptr, nullptr, "*;;", ";", {"net up", "disk retry", "cpu load", "a b"}},
    };
    Shown shown;
    const char* applied = "nothing yet";
    for (size_t i = 0; i <= ARRAYSIZE(cases); ++i) {
        std::vector<ModalStep> steps = {Look(shown), Click(IDOK)};
        if (i < ARRAYSIZE(cases) && cases[i].include)
            steps.insert(steps.begin() + 1, {Type(IDC_INCLUDE, cases[i].include),
                                             Type(IDC_EXCLUDE, cases[i].exclude)});
        EXPECT_EQ(std::vector<std::string>{kFilterCaption}, Drive(ID_FILTER, steps));
        EXPECT_EQ(i ? cases[i - 1].shownInclude : ";", shown.include) << "after " << applied;
        EXPECT_EQ(i ? cases[i - 1].shownExclude : ";", shown.exclude) << "after " << applied;
        if (i == 0) {
            EXPECT_EQ(IDOK, shown.focus) << "control with the focus";
            EXPECT_LE(shown.halfPixelsOff, 1) << "off the main window's centre, in half pixels";
        }
        if (i == ARRAYSIZE(cases))
            break;
        applied = cases[i].include ? cases[i].include : "OK with nothing typed";
        EXPECT_EQ(cases[i].passed, Passed(probes)) << "after " << applied;
    }
}

TEST_F(DialogsTest, ListsOfTwoThousandBytesAreTypedAndShownWhole) {
    std::string list;
    for (int i = 0; i < 400; ++i)
        list += std::to_string(10000 + i).substr(1) + ";"; // "0000;" to "0399;"
    ASSERT_EQ(2000u, list.size());
    SetFilter(list.c_str(), list.c_str());
    Shown shown;
    Drive(ID_FILTER, {Look(shown), Type(IDC_EXCLUDE, ""), Click(IDOK)});
    EXPECT_EQ(list, shown.include);
    EXPECT_EQ(list, shown.exclude);
    EXPECT_EQ(std::vector<std::string>{"x0399x"}, Passed({"x0399x", "x0400x"}))
        << "the last pattern works";
}

TEST_F(DialogsTest, MessagesWhileTheFilterDialogIsOpenMeetTheOldFilter) {
    SetFilter("old");
    bool open = false;
    EXPECT_EQ(std::vector<std::string>{kFilterCaption},
              Drive(ID_FILTER, {Type(IDC_INCLUDE, "new"), SendFromThread({"old 1", "new 1"}),
                                [&open](HWND dialog) { return open = ::IsWindowVisible(dialog); },
                                Click(IDOK)}));
    EXPECT_TRUE(open) << "the dialog stays open";
    Send("old 2");
    Send("new 2");
    EXPECT_EQ((std::vector<std::string>{"old 1", "new 2"}), Texts());
}

TEST_F(DialogsTest, AboutBoxShowsTheClientRoutineReadOnlyAndEveryCloseEndsIt) {
    Shown shown;
    std::string sample, typedOver;
    LONG style = 0;
    const ModalStep readSample = [&](HWND dialog) {
        HWND box = ::GetDlgItem(dialog, IDC_SAMPLE);
        sample = WindowText(box);
        style = ::GetWindowLongA(box, GWL_STYLE);
        ::SendMessageA(box, EM_SETSEL, 0, -1);
        ::SendMessageA(box, WM_CHAR, 'x', 0);
        ::SendMessageA(box, WM_KEYDOWN, VK_DELETE, 0);
        ::SendMessageA(box, WM_CUT, 0, 0);
        ::SendMessageA(box, WM_CLEAR, 0, 0);
        typedOver = WindowText(box);
        return true;
    };
    Send("kept");
    for (const CloseWay& way : kCloseWays) {
        if (way.button == IDCANCEL)
            continue; // the About box has only 确定
        std::vector<ModalStep> steps = {Close(way)};
        if (sample.empty())
            steps.insert(steps.begin(), {Look(shown), readSample});
        EXPECT_EQ(std::vector<std::string>{kAboutCaption}, Drive(ID_APP_ABOUT, steps)) << way.name;
    }
    EXPECT_EQ(std::vector<std::string>{"kept"}, Texts()) << "nothing else changes";
    EXPECT_EQ(IDOK, shown.focus) << "control with the focus";
    EXPECT_LE(shown.halfPixelsOff, 1) << "off the main window's centre, in half pixels";
    ASSERT_EQ(818u, sample.size());
    EXPECT_EQ(std::string(kClientSample), sample);
    const auto count = [&sample](const std::string& what) {
        size_t n = 0;
        for (size_t at = sample.find(what); at != std::string::npos; at = sample.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(34u, count("\r\n")) << "35 lines joined by CR LF";
    EXPECT_EQ(34u, count("\n")) << "line feeds";
    EXPECT_EQ(34u, count("\r")) << "carriage returns";
    EXPECT_EQ(40u, count("\t")) << "tabs";
    EXPECT_EQ(0u, count("\\")) << "backslashes";
    EXPECT_EQ(' ', sample[sample.find("\r\n") - 1]) << "line 1 ends in a space";
    EXPECT_EQ("\r\n}", sample.substr(sample.size() - 3)) << "the last line is }";
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_EQ(sample, typedOver) << "after typing, Delete, cut and clear";
}

} // namespace
