// CNetworkSources: the syslog sources the user chose, remembered between runs, and their
// listener.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "Capture.h"
#include "NetworkSettings.h"
#include "SyslogListener.h"

// Posted by the syslog listener when it refused a sender.
const UINT kNetworkRefused = WM_APP + 23;

class CNetworkSources {
public:
    explicit CNetworkSources(CCapture& capture) : m_capture(capture) {}

    // The command line's "/syslog" argument, for this run only.
    static void SetCommandLine(const std::string& argument) { CommandLine() = argument; }
    // The remembered settings with the command line's sources on; what went wrong is in problem.
    static NetworkSettings Restored(std::string& problem);
    static void Remember(const NetworkSettings& settings);

    // Closes what was open and opens what settings turns on; the listener posts ready and
    // refused to window. The status text of what failed, empty when nothing did.
    std::string Apply(const NetworkSettings& settings, HWND window, UINT ready, UINT refused);
    const NetworkSettings& Settings() const { return m_settings; }
    // Senders refused so far.
    unsigned long long TakeRefused() { return m_listener ? m_listener->TakeRefused() : 0; }

private:
    static std::string& CommandLine();

    CCapture& m_capture;
    NetworkSettings m_settings;
    std::unique_ptr<CSyslogListener> m_listener; // while a source is on
};
