// CDebugOutput: Capture debug output, the reader of other programs' debug output and the lines it
// hands the window, which become rows a slice at a time.
#pragma once

#include <windows.h>

#include <memory>

#include "Capture.h"
#include "DebugLines.h"
#include "DebugOutputReader.h"

class CDebugOutput {
public:
    explicit CDebugOutput(CCapture& capture) : m_capture(capture) {}

    // The user's choice, remembered between runs.
    static bool WasChosen();
    // Both remember the choice, even one that cannot be had now: the next start tries again. The
    // reader posts ready to window once for each batch of lines.
    CDebugOutputReader::Result Start(HWND window, UINT ready);
    void Stop();
    // The network's lines share the queue: their wake-ups come to window as ready too.
    void SetWindow(HWND window, UINT ready) {
        m_window = window;
        m_ready = ready;
    }
    UINT Ready() const { return m_ready; }
    bool IsOn() const { return m_reader != nullptr; }
    // On ready: the waiting lines become rows for up to kSliceMs, then it lets the window's other
    // messages in and goes on where it stopped; the lines the queue could not keep meanwhile.
    unsigned long long TakeLines();

private:
    static constexpr ULONGLONG kSliceMs = 10;
    // A batch's memory is kept for the next one up to this size.
    static constexpr size_t kKeptBatchBytes = 1u << 20;

    CCapture& m_capture;
    std::unique_ptr<CDebugOutputReader> m_reader; // while on
    HWND m_window = nullptr;
    UINT m_ready = 0;
    CDebugLineQueue::Batch m_batch;
    size_t m_nDone = 0; // the batch's lines that are rows
};
