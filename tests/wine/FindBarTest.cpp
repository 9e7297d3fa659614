// The find through real keys: Ctrl+F opens the bar, typing finds, F3 and Shift+F3 (and Enter and
// Shift+Enter in the box) go from match to match and wrap, saying so, with the count; Escape
// closes the bar; F3 with it closed repeats the last find.
#include "AppFixture.h"

namespace {

class FindBarTest : public AppFixture {
protected:
    void TearDown() override {
        if (::IsWindowVisible(Bar()))
            Command(ID_VIEW_FIND_BAR);
    }
    HWND Bar() const { return ::GetDlgItem(m_frame->m_hWnd, ID_VIEW_FIND_BAR); }
    HWND Box() const { return ::GetDlgItem(Bar(), IDC_FIND_TEXT); }
    void Type(const char* text) const {
        for (const char* p = text; *p; ++p)
            Input(Box(), WM_CHAR, static_cast<unsigned char>(*p));
    }
    // The focused row, whether it is the only one selected, and what the bar says.
    std::string Found() const {
        return std::to_string(ListView_GetNextItem(m_view, -1, LVNI_FOCUSED)) +
               (ListView_GetSelectedCount(m_view) == 1 ? " alone " : " ") +
               WindowText(::GetDlgItem(Bar(), IDC_FIND_STATUS));
    }
};

TEST_F(FindBarTest, KeysFindTypedTextFromMatchToMatchWrappingWithTheCount) {
    for (const char* text : {"alpha", "Beta 1", "gamma", "beta 2", "delta", "BETA 3"})
        Send(text);
    Input(m_view, WM_KEYDOWN, 'F', 0, VK_CONTROL);
    ASSERT_TRUE(::IsWindowVisible(Bar()));
    EXPECT_EQ(Box(), ::GetFocus());
    Strings seen;
    Type("beta");
    seen.push_back(Found());
    for (int i = 0; i < 3; ++i)
        Input(Box(), WM_KEYDOWN, VK_F3), seen.push_back(Found());
    Input(Box(), WM_KEYDOWN, VK_F3, 0, VK_SHIFT), seen.push_back(Found());
    Input(Box(), WM_KEYDOWN, VK_RETURN), seen.push_back(Found());
    Input(Box(), WM_KEYDOWN, VK_RETURN, 0, VK_SHIFT), seen.push_back(Found());
    Input(::GetDlgItem(Bar(), IDC_FIND_MATCH_CASE), BM_CLICK, 0);
    seen.push_back(Found());
    Input(Box(), WM_KEYDOWN, VK_ESCAPE);
    EXPECT_FALSE(::IsWindowVisible(Bar()));
    EXPECT_EQ(m_view, ::GetFocus());
    Input(m_view, WM_KEYDOWN, VK_F3), seen.push_back(Found());
    Input(m_view, WM_KEYDOWN, 'F', 0, VK_CONTROL);
    Type("q");
    seen.push_back(Found());
    const std::string counted = Ansi("第 %s 个，共 3 个");
    const auto count = [&](const char* index) {
        return std::string(counted).replace(counted.find("%s"), 2, index);
    };
    EXPECT_EQ(
        (Strings{"1 alone " + count("1"), "3 alone " + count("2"), "5 alone " + count("3"),
                 "1 alone " + Ansi("已从头开始  ") + count("1"),
                 "5 alone " + Ansi("已从末尾开始  ") + count("3"),
                 "1 alone " + Ansi("已从头开始  ") + count("1"),
                 "5 alone " + Ansi("已从末尾开始  ") + count("3"),
                 "3 alone " + Ansi("已从头开始  第 1 个，共 1 个"),
                 "3 alone " + Ansi("已从头开始  第 1 个，共 1 个"), "3 alone " + Ansi("找不到")}),
        seen);
}

} // namespace
