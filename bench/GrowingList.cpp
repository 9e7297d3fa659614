// B1, B4, B6, B11, B15 and B9: one Kestrin as its list grows to a million rows and is emptied.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "PaintProbe.h"
#include "resource.h"

namespace {

// B1: round trips of one sender to Kestrin and to the bare window, interleaved; at 0 rows the
// list is cleared before each run, so that the runs' own rows do not count.
bool RoundTrips(CTable& table, const CBenchKestrin& kestrin, HWND bare, const Scale& scale) {
    const size_t rows = kestrin.Rows();
    const std::string what = Format("round trip at %zu rows", rows);
    Progress("B1: %s", what.c_str());
    CSideBySide us;
    std::vector<Sent> sent;
    std::string failure;
    const auto clear = [&] {
        if (rows == 0 && !kestrin.Command(ID_CLEAR))
            failure = "Clear did not end";
        return failure.empty();
    };
    const auto roundTrip = [&](bool toKestrin, double& figure) {
        if (!Send(toKestrin ? kestrin.Frame() : bare, 1, scale.roundTrip, sent, failure))
            return false;
        figure = MeanRoundTripUs(sent[0]);
        return true;
    };
    if (!us.Measure(scale.runs, roundTrip, clear)) {
        table.Failed("B1", what, failure);
        return false;
    }
    table.Judge("B1", what, Format("Kestrin %.0f us / bare %.0f us", us.First(), us.Second()),
                us.Ratio(), "<= 1.10", us.Ratio() <= 1.10);
    return true;
}

// B4: Kestrin's memory per row between 0 rows (before) and now.
bool MemoryPerRow(CTable& table, const CBenchKestrin& kestrin, double workingSetBefore,
                  double privateBefore) {
    const size_t rows = kestrin.Rows();
    const std::string what = Format("memory per row at %zu rows of 55 bytes", rows);
    double workingSet = 0, privateBytes = 0;
    if (!kestrin.Memory(workingSet, privateBytes)) {
        table.Failed("B4", what, "cannot read Kestrin's memory counters");
        return false;
    }
    const double perRow = (workingSet - workingSetBefore) / rows;
    const double privatePerRow = (privateBytes - privateBefore) / rows;
    table.Check("B4", what,
                Format("working set %.0f B, private %.0f B (+%.0f MB)", perRow, privatePerRow,
                       (workingSet - workingSetBefore) / 1e6),
                "<= 120 B", perRow <= 120 && privatePerRow <= 120);
    return true;
}

// The bare program's save: the same bytes over an existing file in 64 KB writes; -1 on failure.
double WriteInChunksMs(const std::string& path, const std::string& bytes) {
    const LONGLONG start = Ticks();
    CHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    bool written = static_cast<bool>(file);
    for (size_t at = 0; written && at < bytes.size(); at += 65536) {
        const DWORD size = static_cast<DWORD>(std::min<size_t>(65536, bytes.size() - at));
        DWORD wrote = 0;
        written =
            ::WriteFile(file.Get(), bytes.data() + at, size, &wrote, nullptr) && wrote == size;
    }
    written = written && ::SetEndOfFile(file.Get());
    file.Reset();
    return written ? TicksToMs(Ticks() - start) : -1;
}

// B6: Save of every row; the first Save asks for the file name, the later ones are timed beside
// the bare program's writes of the same bytes.
bool Save(CTable& table, const CBenchKestrin& kestrin, const Scale& scale) {
    const std::string what = Format("Save of %zu rows", kestrin.Rows());
    Progress("B6: %s", what.c_str());
    const std::string saved = TempPath("kestrin-bench-save.log");
    const std::string written = TempPath("kestrin-bench-write.log");

    if (!CommandWithPath(kestrin, ID_FILE_SAVE, saved)) {
        table.Failed("B6", what, "the first Save did not write " + saved);
        return false;
    }
    const std::string bytes = FileBytes(saved);
    std::vector<double> kestrinMs, bareMs;
    WriteInChunksMs(written, bytes);
    for (int run = 0; run < scale.runs; ++run) {
        const LONGLONG start = Ticks();
        if (!kestrin.Command(ID_FILE_SAVE, kBatchTimeoutMs) || DismissedModal(kestrin)) {
            table.Failed("B6", what, "Save failed");
            return false;
        }
        kestrinMs.push_back(TicksToMs(Ticks() - start));
        bareMs.push_back(WriteInChunksMs(written, bytes));
    }
    const bool same = FileBytes(saved) == bytes && !bytes.empty();
    ::DeleteFileA(saved.c_str());
    ::DeleteFileA(written.c_str());
    if (!same || *std::min_element(bareMs.begin(), bareMs.end()) < 0) {
        table.Failed("B6", what, "the saved files differ");
        return false;
    }
    const double ratio = Median(kestrinMs) / Median(bareMs);
    table.Judge("B6", what + Format(", %.0f MB", bytes.size() / 1e6),
                Format("Kestrin %.0f ms / bare writes %.0f ms", Median(kestrinMs), Median(bareMs)),
                ratio, "<= 1.5", ratio <= 1.5);
    return true;
}

// B11: Clear of every row, as the menu runs it.
bool Clear(CTable& table, const CBenchKestrin& kestrin) {
    const std::string what = Format("Clear of %zu rows", kestrin.Rows());
    Progress("B11: %s", what.c_str());
    const LONGLONG start = Ticks();
    if (!kestrin.Command(ID_CLEAR, kBatchTimeoutMs) || kestrin.Rows() != 0) {
        table.Failed("B11", what, "Clear did not empty the list");
        return false;
    }
    const double ms = TicksToMs(Ticks() - start);
    table.Check("B11", what, Format("%.1f ms", ms), "<= 50 ms", ms <= 50);
    return true;
}

// Home, then Shift+End on list, as the keys reach it; the time Shift+End takes, or -1 when it
// did not select every row. The list reads Shift from its thread's key state, which attached
// input shares with this thread's.
double ShiftEndMs(HWND list, size_t rows) {
    const DWORD thread = ::GetWindowThreadProcessId(list, nullptr);
    const bool attached = thread != ::GetCurrentThreadId() &&
                          ::AttachThreadInput(::GetCurrentThreadId(), thread, TRUE);
    BYTE keys[256] = {};
    ::SetKeyboardState(keys);
    ::SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    const LONGLONG start = Ticks();
    ::SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    const double ms = TicksToMs(Ticks() - start);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    if (attached)
        ::AttachThreadInput(::GetCurrentThreadId(), thread, FALSE);
    return static_cast<size_t>(::SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0)) == rows ? ms : -1;
}

// B11, beside Clear: a range selection at the list's largest size, against a bare owner-data list
// of this process at a hundredth of the rows (the control alone takes about 0.1 ms a row).
bool RangeSelection(CTable& table, const CBenchKestrin& kestrin) {
    const size_t rows = kestrin.Rows(), bareRows = std::max<size_t>(rows / 100, 1);
    const std::string what = Format("Range selection (Home, Shift+End) at %zu rows", rows);
    Progress("B11: %s", what.c_str());
    const double kestrinMs = ShiftEndMs(kestrin.View(), rows);
    HWND parent = ::CreateWindowExA(0, "STATIC", nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                    640, 480, nullptr, nullptr, nullptr, nullptr);
    HWND bare = ::CreateWindowExA(0, WC_LISTVIEWA, nullptr,
                                  WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, 620,
                                  440, parent, nullptr, nullptr, nullptr);
    ::SendMessageA(bare, LVM_SETITEMCOUNT, bareRows, 0);
    const double bareMs = ShiftEndMs(bare, bareRows);
    ::DestroyWindow(parent);
    if (kestrinMs < 0 || bareMs < 0) {
        table.Failed("B11", what, "Shift+End did not select every row");
        return false;
    }
    table.Judge(
        "B11", what,
        Format("Kestrin %.1f ms / bare list at %zu rows %.0f ms", kestrinMs, bareRows, bareMs),
        kestrinMs / bareMs, "Kestrin <= 100 ms", kestrinMs <= 100);
    return true;
}

// The clipboard's ANSI text, read as another program would.
std::string ClipboardText() {
    std::string text;
    if (!::OpenClipboard(nullptr))
        return text;
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(::GlobalLock(data)))
            text = bytes;
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

// The bare program's copy: text and its UTF-16 conversion on the clipboard, in one global block
// each; -1 on failure.
double PutOnClipboardMs(HWND owner, const std::string& text) {
    const LONGLONG start = Ticks();
    const int size = static_cast<int>(text.size() + 1);
    const int wideSize = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), size, nullptr, 0);
    HGLOBAL ansi = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1),
            wide = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(wchar_t) * wideSize);
    bool put = ansi && wide;
    if (put) {
        memcpy(::GlobalLock(ansi), text.c_str(), text.size() + 1);
        ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), size,
                              static_cast<wchar_t*>(::GlobalLock(wide)), wideSize);
        ::GlobalUnlock(ansi);
        ::GlobalUnlock(wide);
        put = ::OpenClipboard(owner) && ::EmptyClipboard() && ::SetClipboardData(CF_TEXT, ansi) &&
              ::SetClipboardData(CF_UNICODETEXT, wide);
        ::CloseClipboard();
    }
    return put ? TicksToMs(Ticks() - start) : -1;
}

// B15: Copy of the rows the range selection left selected, twice, beside the bare program's put
// of the same text from a window of this process. Kestrin's memory before, after each copy and
// after the put: the clipboard's blocks stay in the process that gave them until it next uses the
// clipboard (Wine), so a second copy that takes no more than the first shows nothing is kept.
bool Copy(CTable& table, const CBenchKestrin& kestrin) {
    const size_t rows = kestrin.Rows();
    const std::string what = Format("Copy of %zu selected rows", rows);
    Progress("B15: %s", what.c_str());
    double workingSet = 0, privateBytes[4] = {};
    std::vector<double> kestrinMs;
    bool ok =
        static_cast<size_t>(::SendMessageA(kestrin.View(), LVM_GETSELECTEDCOUNT, 0, 0)) == rows &&
        kestrin.Memory(workingSet, privateBytes[0]);
    for (int run = 1; ok && run <= 2; ++run) {
        const LONGLONG start = Ticks();
        ok = kestrin.Command(ID_EDIT_COPY, kBatchTimeoutMs) && !DismissedModal(kestrin);
        kestrinMs.push_back(TicksToMs(Ticks() - start));
        ok = ok && kestrin.Memory(workingSet, privateBytes[run]);
    }
    const std::string text = ClipboardText();
    HWND owner = ::CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   nullptr, nullptr);
    const double bareMs = PutOnClipboardMs(owner, text);
    ok = ok && bareMs >= 0 && kestrin.Memory(workingSet, privateBytes[3]) &&
         static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) == rows;
    ::DestroyWindow(owner);
    if (!ok) {
        table.Failed("B15", what, "the clipboard does not hold every row");
        return false;
    }
    const double ms = Median(kestrinMs);
    table.Judge("B15", what + Format(", %.0f MB", text.size() / 1e6),
                Format("Kestrin %.0f ms / bare put of the text %.0f ms", ms, bareMs), ms / bareMs,
                "<= 1 s", ms <= 1000);
    const double ratio = privateBytes[2] / privateBytes[1];
    table.Judge("B15", "  Kestrin's memory after the second copy / after the first",
                Format("private %.0f / %.0f MB; before %.0f, after the put %.0f MB",
                       privateBytes[2] / 1e6, privateBytes[1] / 1e6, privateBytes[0] / 1e6,
                       privateBytes[3] / 1e6),
                ratio, "<= 1.05", ratio <= 1.05);
    return true;
}

// The longest time within [start, end] in which no tick falls.
double LongestGapMs(std::vector<LONGLONG> ticks, LONGLONG start, LONGLONG end) {
    std::sort(ticks.begin(), ticks.end());
    LONGLONG last = start, longest = 0;
    for (LONGLONG tick : ticks)
        if (tick >= start && tick <= end) {
            longest = std::max(longest, tick - last);
            last = tick;
        }
    return TicksToMs(std::max(longest, end - last));
}

// B9: during a flood from eight senders, how long Kestrin's frame takes to answer and how long
// its list goes without an update on screen; a hook in Kestrin notes the updates.
bool Flood(CTable& table, const CBenchKestrin& kestrin, const Scale& scale) {
    const std::string what = Format("8-sender flood of %lu messages", 8 * scale.floodEach);
    Progress("B9: %s", what.c_str());
    CHandle section(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         sizeof(PaintLog), kPaintLogName));
    auto* log = section ? static_cast<PaintLog*>(::MapViewOfFile(section.Get(), FILE_MAP_WRITE, 0,
                                                                 0, sizeof(PaintLog)))
                        : nullptr;
    if (!log) {
        table.Failed("B9", what, "cannot share the paint log");
        return false;
    }
    log->window = reinterpret_cast<LONG_PTR>(kestrin.View());
    const bool hooked = InstallPaintProbe(::GetWindowThreadProcessId(kestrin.Frame(), nullptr));
    // The first hooked message loads the probe there; a paint asked for then shows it notes them.
    kestrin.Sync();
    ::RedrawWindow(kestrin.View(), nullptr, nullptr, RDW_INVALIDATE);
    for (int waited = 0; waited < 2000 && log->paints == 0; waited += 20)
        ::Sleep(20);
    const LONG paintsBefore = log->paints;

    double worstMs = 0;
    int probes = 0;
    std::vector<Sent> sent;
    std::string failure;
    const bool flooded =
        Send(kestrin.Frame(), 8, scale.floodEach, sent, failure, "self", kWarmup, [&] {
            const LONGLONG start = Ticks();
            kestrin.Sync();
            worstMs = std::max(worstMs, TicksToMs(Ticks() - start));
            ++probes;
            ::Sleep(10);
        });
    kestrin.Sync();
    RemovePaintProbe();
    const LONG seen = log->paints;
    const LONG paints = std::min(seen, kMaxPaints);
    std::vector<LONGLONG> ticks(log->ticks, log->ticks + paints);
    const LONG calls = log->calls, intakes = log->intakes;
    const double intakeMs = TicksToMs(log->intakeTicks),
                 longestIntakeMs = TicksToMs(log->longestIntakeTicks);
    ::UnmapViewOfFile(log);
    if (!flooded) {
        table.Failed("B9", what, failure);
        return false;
    }
    table.Check("B9", what + ": worst WM_NULL answer",
                Format("%.1f ms over %d probes", worstMs, probes), "<= 50 ms", worstMs <= 50);
    if (!hooked || paintsBefore == 0) {
        table.Failed("B9", "  longest gap between updates of the list on screen",
                     Format("the hook saw %ld calls and %ld updates in Kestrin", calls, paints));
        return true;
    }
    LONGLONG start = sent.front().start, end = sent.front().end, longestWait = 0;
    for (const Sent& s : sent) {
        start = std::min(start, s.start);
        end = std::max(end, s.end);
        longestWait = std::max(longestWait, s.longest);
    }
    const double gapMs = LongestGapMs(ticks, start, end);
    const auto inFlood = std::count_if(ticks.begin(), ticks.end(),
                                       [&](LONGLONG t) { return t >= start && t <= end; });
    table.Check("B9", "  longest gap between updates of the list on screen",
                Format("%.0f ms; %d updates in %.1f s (hook: %ld updates in all)", gapMs,
                       static_cast<int>(inFlood), TicksToMs(end - start) / 1000, paints),
                "<= 200 ms", gapMs <= 200);
    if (intakes > 0)
        table.Add("B9", "  one message: handling mean / longest; a client's longest wait",
                  Format("%.3f ms / %.1f ms over %ld messages; %.1f ms", intakeMs / intakes,
                         longestIntakeMs, intakes, TicksToMs(longestWait)),
                  "", "printed", "-");
    return true;
}

// B1, B4, B6, B11, B15 and B9 on one Kestrin as its list grows and is emptied. A step that fails
// skips the rest; Kestrin is then ended with the object.
void GrowingList(CTable& table, const Scale& scale, HWND bare) {
    CBenchKestrin kestrin;
    double workingSet = 0, privateBytes = 0;
    bool ok = kestrin.Open() && kestrin.Memory(workingSet, privateBytes);
    if (!ok)
        table.Failed("B1", "Kestrin at 0 rows", "it did not start");
    std::string failure;
    for (size_t rows : scale.sizes) {
        if (ok && !kestrin.FillTo(rows, failure)) {
            table.Failed("B1", Format("filling the list to %zu rows", rows), failure);
            ok = false;
        }
        ok = ok && RoundTrips(table, kestrin, bare, scale);
    }
    ok = ok && MemoryPerRow(table, kestrin, workingSet, privateBytes) &&
         Save(table, kestrin, scale) && RangeSelection(table, kestrin) && Copy(table, kestrin) &&
         Clear(table, kestrin) && Flood(table, kestrin, scale);
    if (ok)
        kestrin.Close();
}

const bool registered =
    RegisterGroup({40, {"B1", "B4", "B6", "B9", "B11", "B15"}, true, GrowingList});

} // namespace
