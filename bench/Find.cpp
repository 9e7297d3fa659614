// B16 and B17: the find over the store in this process. B16 seeks the one match at the end of a
// million rows, beside a plain substring scan of the same texts in one buffer; B17 counts the
// matches of ten million rows through the view's finder on a window of its own, while another
// thread times that window's answers.
#include <windows.h>

#include <atomic>
#include <string>
#include <string_view>
#include <thread>

#include "BenchHarness.h"
#include "RowFinder.h"
#include "resource.h"

namespace {

const char kNeedle[] = "needle";

bool Fill(CRowStore& store, size_t rows, size_t matchEvery) {
    DebugRecord record = {};
    strcpy(record.szProcessName, "worker.exe");
    record.dwProcessId = 4242;
    char text[128];
    record.pszMsg = text;
    for (size_t row = 0; row < rows; ++row) {
        const bool match = (row + 1) % matchEvery == 0;
        record.cbMsg = snprintf(text, sizeof text, "worker 3: request %zu handled in 12 ms%s", row,
                                match ? ", needle" : ", queue depth 7");
        if (!store.Append(record))
            return false;
    }
    return true;
}

// B16: the seek as the finder runs it, in slices, and the bare scan, side by side.
void FindNext(CTable& table, const Scale& scale) {
    const size_t rows = 1000000;
    const std::string what = Format("find next over %zu rows, the last one matching", rows);
    Progress("B16: %s", what.c_str());
    CRowStore store;
    if (!Fill(store, rows, rows)) {
        table.Failed("B16", what, "out of memory");
        return;
    }
    std::string texts;
    RowCells scratch;
    for (size_t row = 0; row < rows; ++row)
        texts.append(store.GetCellText(row, 3, scratch)).push_back('\0');
    CShownRows shown(store);
    CRowFind find(shown, CLeadBytes::System());
    find.SetPattern("NEEDLE", false);
    size_t found = 0, bare = 0;
    CSideBySide ms;
    const bool measured = ms.Measure(scale.runs, [&](bool ours, double& figure) {
        const LONGLONG start = Ticks();
        if (ours) {
            find.Seek(CRowFind::kNone, true, true);
            while (find.Step(16384)) {
            }
            found = find.GetFound();
        } else {
            bare = std::string_view(texts).find(kNeedle);
        }
        figure = TicksToMs(Ticks() - start);
        return true;
    });
    if (!measured || found != rows - 1 || bare == std::string_view::npos) {
        table.Failed("B16", what, "the match was not found");
        return;
    }
    const double ratio = ms.Second() / ms.First();
    table.Judge("B16", what,
                Format("%.1f ms (%.0f MB/s) / bare scan %.1f ms", ms.First(),
                       texts.size() / ms.First() / 1e3, ms.Second()),
                ratio, ">= 0.5 (<= 50 ms)", ratio >= 0.5 && ms.First() <= 50);
}

// The view's stand-in for B17: the finder's window, with a bar holding its text.
struct FindWindow : IFindTarget {
    int FocusedRow() override { return -1; }
    void ShowFound(int) override {}
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CRowFinder*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && (message == kFindContinue || (message == WM_TIMER && wParam == kFindTimer))) {
            self->Continue();
            return 0;
        }
        return message == WM_SETTEXT ? 0 : ::DefWindowProcA(window, message, wParam, lParam);
    }
};

// B17: time to the count, and the longest answer to WM_NULL and to a client's line meanwhile.
void CountAll(CTable& table, const Scale& scale) {
    const size_t rows = scale.quick ? 1000000 : 10000000;
    const std::string what = Format("count of all matches over %zu rows, 1 in 100", rows);
    Progress("B17: %s", what.c_str());
    CRowStore store;
    if (!Fill(store, rows, 100)) {
        table.Failed("B17", what, "out of memory");
        return;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FindWindow::Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "kestrin-bench find";
    ::RegisterClassA(&wc);
    const HWND frame =
        ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    const HWND bar = ::CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 0, 0, frame,
                                     HMENU(ID_VIEW_FIND_BAR), nullptr, nullptr);
    ::CreateWindowA("EDIT", kNeedle, WS_CHILD, 0, 0, 0, 0, bar, HMENU(IDC_FIND_TEXT), nullptr,
                    nullptr);
    ::CreateWindowA("BUTTON", "", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 0, 0, bar,
                    HMENU(IDC_FIND_MATCH_CASE), nullptr, nullptr);
    const HWND status = ::CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 0, 0, bar,
                                        HMENU(IDC_FIND_STATUS), nullptr, nullptr);
    HWND view = ::CreateWindowA(wc.lpszClassName, "", WS_CHILD, 0, 0, 0, 0, frame, nullptr, nullptr,
                                nullptr);
    FindWindow target;
    CShownRows shownRows(store);
    CRowFinder finder(shownRows, target, view);
    ::SetWindowLongPtrA(view, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&finder));

    std::atomic<bool> done{false}, probed{false};
    double worstNull = 0, worstLine = 0;
    std::thread prober([&] {
        while (!done) {
            for (UINT message : {UINT{WM_NULL}, UINT{WM_SETTEXT}}) {
                const LONGLONG start = Ticks();
                DWORD_PTR result = 0;
                ::SendMessageTimeoutA(view, message, 0, reinterpret_cast<LPARAM>(kMessage),
                                      SMTO_NORMAL, 5000, &result);
                double& worst = message == WM_NULL ? worstNull : worstLine;
                worst = std::max(worst, TicksToMs(Ticks() - start));
            }
            ::Sleep(1);
        }
        probed = true;
    });
    const LONGLONG start = Ticks();
    finder.TextChanged();
    MSG msg;
    char shown[64] = "";
    // The count's text has the thousands' comma; a minute bounds a broken run.
    while (::GetWindowTextA(status, shown, sizeof shown) == 0 || !strchr(shown, ',')) {
        if (TicksToMs(Ticks() - start) > 60000 || ::GetMessageA(&msg, nullptr, 0, 0) <= 0)
            break;
        ::DispatchMessageA(&msg);
    }
    const double ms = TicksToMs(Ticks() - start);
    // The prober's last message is answered too.
    done = true;
    while (!probed)
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    prober.join();
    ::DestroyWindow(frame);
    const std::string expected = Format("%zu", rows / 100 / 1000);
    if (!strstr(shown, expected.c_str())) {
        table.Failed("B17", what, Format("the count reads \"%s\"", shown));
        return;
    }
    table.Check("B17", what,
                Format("%.0f ms to the count; worst WM_NULL %.1f ms, worst line %.1f ms", ms,
                       worstNull, worstLine),
                "<= 2 s; <= 50 ms; <= 50 ms", ms <= 2000 && worstNull <= 50 && worstLine <= 50);
}

void Run(CTable& table, const Scale& scale, HWND) {
    FindNext(table, scale);
    CountAll(table, scale);
}

const bool registered = RegisterGroup({75, {"B16", "B17"}, false, Run});

} // namespace
