// The Filter dialog as Kestrin's command opens it, driven as a user would: texts typed, buttons
// and keys pressed, the close box, and messages arriving while it is open.
#include "AppFixture.h"
#include "Highlights.h"

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

// Rules made in the dialog colour the rows the list draws, selected rows aside; highlighting a
// row's process adds a rule on the next background; the rules come back from the registry.
TEST_F(DialogsTest, HighlightRulesColourTheRowsTheyMatchAsTheListDrawsThem) {
    // Each row's background as the list paints it: "-" the window's, "sel" a selection's.
    const auto colours = [this] {
        ::RedrawWindow(m_view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT row = {LVIR_BOUNDS, 0, 0, 0};
        ::SendMessageA(m_view, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        HDC dc = ::GetDC(m_view);
        std::string seen;
        for (int y : {row.top + 2, row.bottom + 2}) {
            const COLORREF pixel = ::GetPixel(dc, row.right - 10, y);
            seen += pixel == ::GetSysColor(COLOR_WINDOW)      ? "- "
                    : pixel == ::GetSysColor(COLOR_HIGHLIGHT) ? "sel "
                                                              : std::to_string(pixel) + " ";
        }
        ::ReleaseDC(m_view, dc);
        return seen;
    };
    const auto select = [this](int row, bool on) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = on ? LVIS_SELECTED : 0;
        ::SendMessageA(m_view, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    };
    Send("an error"), Send("fine");
    std::vector<std::string> seen = {colours()}, listed;
    const ModalStep green = [](HWND dialog) {
        ::SendDlgItemMessageA(dialog, IDC_HIGHLIGHT_FOREGROUND, CB_SETCURSEL, 2, 0);
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HIGHLIGHT_FOREGROUND, CBN_SELCHANGE), 0);
    };
    Drive(ID_HIGHLIGHT,
          {Click(IDC_HIGHLIGHT_ADD), Type(IDC_HIGHLIGHT_TEXT, "ERR"), green, Click(IDOK)});
    char value[64] = {};
    DWORD size = sizeof value;
    ::RegGetValueA(HKEY_CURRENT_USER, (kRegistryPath + std::string("\\Settings")).c_str(),
                   "Highlights", RRF_RT_REG_BINARY, nullptr, value, &size);
    EXPECT_EQ("T0203:ERR", std::string(value, size)) << "the rule as remembered";
    seen.push_back(colours());
    select(1, true), Command(ID_HIGHLIGHT_PROCESS), seen.push_back(colours());
    // Wine paints a selection over any colours; Windows would not.
    NMLVCUSTOMDRAW draw = {};
    draw.nmcd.hdr = {m_view, UINT_PTR(::GetDlgCtrlID(m_view)), UINT(NM_CUSTOMDRAW)};
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.nmcd.dwItemSpec = 1;
    draw.clrTextBk = CLR_DEFAULT;
    m_frame->SendMessage(WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(CLR_DEFAULT, draw.clrTextBk) << "a selected row's colours are the list's";
    select(1, false), seen.push_back(colours());
    // New reads the rules again: the value, as another start would find it.
    ::RegSetKeyValueA(HKEY_CURRENT_USER, (kRegistryPath + std::string("\\Settings")).c_str(),
                      "Highlights", REG_BINARY, value, size);
    Command(ID_FILE_NEW), seen.push_back(colours());
    const ModalStep list = [&listed](HWND dialog) {
        char text[256];
        for (int i = 0; ::SendDlgItemMessageA(dialog, IDC_HIGHLIGHT_RULES, LB_GETTEXT, i,
                                              reinterpret_cast<LPARAM>(text)) > 0;
             ++i)
            listed.push_back(text);
    };
    Drive(ID_HIGHLIGHT, {list, Click(IDC_HIGHLIGHT_REMOVE), Click(IDOK)});
    seen.push_back(colours());
    const std::string text = std::to_string(kHighlightBackgrounds[0]) + " ",
                      process = std::to_string(kHighlightBackgrounds[1]) + " ";
    EXPECT_EQ((Strings{"- - ", text + "- ", text + "sel ", text + process, text + "- ", "- - "}),
              seen);
    EXPECT_EQ(Strings{Ansi("文本：ERR")}, listed);
}

} // namespace
