// CCapture: the path from one received message to one row of the log list.
#pragma once

#include "DebugRecord.h"
#include "LeadBytes.h"
#include "LogFilter.h"
#include "ProcessNames.h"

// The list the rows go to: the log view's list control, or a recorder in tests.
class IRowSink {
public:
    virtual ~IRowSink() = default;
    virtual int GetItemCount() = 0;
    virtual int InsertItem(int item, const char* text) = 0;
    virtual void SetItemText(int item, int subItem, const char* text) = 0;
};

// Local time of receipt in whole seconds.
class IClock {
public:
    virtual ~IClock() = default;
    virtual void Now(SYSTEMTIME& time) = 0;
    static IClock& System();
};

// Cell texts of one row; each buffer holds the longest text its field can give.
struct RowCells {
    char szPid[16];
    char szTime[24]; // four WORDs of up to 5 digits: "65535:65535:65535:65535"
};
void FormatRowCells(const DebugRecord& record, RowCells& cells);

// Appends record as the last row: name, id, time, message.
void AppendRow(IRowSink& rows, const DebugRecord& record);

// Capture state and message handling of the log view.
class CCapture {
public:
    CCapture(IProcessSource& processes, IRowSink& rows, IClock& clock = IClock::System(),
             const CLeadBytes& codePage = CLeadBytes::System());

    // Handles one intake message; the result is the window message's, always 0.
    long OnDebugMessage(DWORD processId, const char* text);

    CProcessNames m_procNames;
    CLogFilter m_filter;
    bool m_bCapture = true;

private:
    IRowSink& m_rows;
    IClock& m_clock;
    const CLeadBytes m_codePage;
};
