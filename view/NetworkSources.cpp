// The network sources' settings in the registry and on the command line, and their listener.
#include "NetworkSources.h"

#include "Strings.h"
#include "WinApp.h"
#include "resource.h"

namespace {
const char kSettingsSection[] = "Settings";
} // namespace

std::string& CNetworkSources::CommandLine() {
    static std::string argument;
    return argument;
}

NetworkSettings CNetworkSources::Restored(std::string& problem) {
    const CWinApp* app = AfxGetApp();
    NetworkSettings settings;
    settings.udp = app->GetProfileInt(kSettingsSection, "SyslogUdp", 0) != 0;
    settings.tcp = app->GetProfileInt(kSettingsSection, "SyslogTcp", 0) != 0;
    // A port the registry holds out of range is the default.
    for (auto [entry, port] : {std::pair{"SyslogUdpPort", &settings.udpPort},
                               std::pair{"SyslogTcpPort", &settings.tcpPort}})
        if (!ParsePort(std::to_string(app->GetProfileInt(kSettingsSection, entry, 514)), *port))
            *port = 514;
    app->GetProfileBinary(kSettingsSection, "SyslogAddress", settings.address);
    app->GetProfileBinary(kSettingsSection, "SyslogAllowed", settings.allowed);
    problem.clear();
    if (!CommandLine().empty() && !ParseSourcesArgument(CommandLine(), settings))
        problem = WithValue(AfxLoadString(IDS_SYSLOG_BAD_ARGUMENT), CommandLine());
    return settings;
}

void CNetworkSources::Remember(const NetworkSettings& settings) {
    const CWinApp* app = AfxGetApp();
    app->WriteProfileInt(kSettingsSection, "SyslogUdp", settings.udp);
    app->WriteProfileInt(kSettingsSection, "SyslogTcp", settings.tcp);
    app->WriteProfileInt(kSettingsSection, "SyslogUdpPort", settings.udpPort);
    app->WriteProfileInt(kSettingsSection, "SyslogTcpPort", settings.tcpPort);
    app->WriteProfileBinary(kSettingsSection, "SyslogAddress", settings.address);
    app->WriteProfileBinary(kSettingsSection, "SyslogAllowed", settings.allowed);
}

std::string CNetworkSources::Apply(const NetworkSettings& settings, HWND window, UINT ready,
                                   UINT refused) {
    m_listener.reset();
    m_settings = settings;
    CSenderList allowed;
    uint32_t address = 0;
    // The dialog lets neither through; the registry may hold anything.
    if (!allowed.Set(settings.allowed))
        return WithValue(AfxLoadString(IDS_SYSLOG_BAD_ALLOWED), settings.allowed);
    if (!settings.address.empty() && !ParseIPv4(settings.address, address))
        return WithValue(AfxLoadString(IDS_SYSLOG_BAD_ADDRESS), settings.address);
    if (!settings.udp && !settings.tcp)
        return "";
    m_listener =
        std::make_unique<CSyslogListener>(m_capture.GetDebugLines(), window, ready, refused);
    const CSyslogListener::Opened opened = m_listener->Start(settings, allowed);
    std::string problem;
    for (auto [error, id, port] :
         {std::tuple{opened.udpError, IDS_SYSLOG_UDP_FAILED, settings.udpPort},
          std::tuple{opened.tcpError, IDS_SYSLOG_TCP_FAILED, settings.tcpPort}})
        if (error != 0) {
            problem += problem.empty() ? "" : "  ";
            problem += WithValue(AfxLoadString(id), std::to_string(port)) + " (" +
                       std::to_string(error) + ")";
        }
    // A source that could not open is off, as the dialog will show.
    m_settings.udp = settings.udp && opened.udpError == 0;
    m_settings.tcp = settings.tcp && opened.tcpError == 0;
    return problem;
}
