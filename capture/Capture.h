// CCapture: the path from one received message to one row of the log list.
#pragma once

#include <cstdint>
#include <memory>

#include "DebugLines.h"
#include "DebugRecord.h"
#include "LeadBytes.h"
#include "LogFilter.h"
#include "ProcessNames.h"
#include "RowTime.h"

// Where accepted messages go: the log view's row store, or a recorder in tests.
class IRowSink {
public:
    enum Appended { kNotKept, kKept, kKeptShowDue };

    virtual ~IRowSink() = default;
    // kNotKept when the row could not be kept (memory ran out); kKeptShowDue when the rows held
    // back from the screen are to show now, which ShowRows does.
    virtual Appended AppendRow(const DebugRecord& record) = 0;
    virtual void ShowRows() {}
};

// The client waiting in its send for the answer.
class ISender {
public:
    virtual ~ISender() = default;
    // Lets the client go on with the answer 0; a message not answered so is answered when its
    // handling returns.
    virtual void Reply() = 0;
};

// Local time of receipt, as RowTime.h counts it, as exactly as the system tells it.
class IClock {
public:
    virtual ~IClock() = default;
    virtual uint64_t Now() = 0;
    static IClock& System();
};

// Capture state and message handling of the log view.
class CCapture {
public:
    CCapture(IProcessSource& processes, IRowSink& rows, ISender& sender,
             IClock& clock = IClock::System(), const CLeadBytes& codePage = CLeadBytes::System());

    // Handles one intake message; the result is the window message's: 0 when taken, 1 when its
    // row could not be kept.
    long OnDebugMessage(DWORD processId, const char* text);
    // The same for one line of another program's debug output, read at time; name is its
    // writer's as the reader read it then, used in place of the cache's unless empty. A network
    // line's name is its sender's, used as it is and never cached.
    long OnDebugOutput(DWORD processId, const char* text, uint64_t time, const char* name,
                       bool network = false, const char* detail = nullptr);

    // Off, messages and lines of debug output are dropped as they come.
    void SetCapture(bool on) {
        m_bCapture = on;
        m_debugLines->SetCapture(on);
    }
    bool IsCapturing() const { return m_bCapture; }
    void SetFilter(const char* include, const char* exclude) {
        m_filter.SetFilter(include, exclude);
    }
    void GetFilterTexts(std::string& include, std::string& exclude) const {
        m_filter.GetFilterTexts(include, exclude);
    }
    // Where the reader of debug output queues lines for OnDebugOutput; it may outlive this.
    const std::shared_ptr<CDebugLineQueue>& GetDebugLines() const { return m_debugLines; }

    CProcessNames m_procNames;

private:
    // A null time of receipt is now.
    long Take(DWORD processId, const char* text, const uint64_t* time, const char* readName,
              bool network = false, const char* detail = nullptr);

    IRowSink& m_rows;
    ISender& m_sender;
    IClock& m_clock;
    const CLeadBytes m_codePage;
    CLogFilter m_filter;
    bool m_bCapture = true;
    std::shared_ptr<CDebugLineQueue> m_debugLines = std::make_shared<CDebugLineQueue>();
};
