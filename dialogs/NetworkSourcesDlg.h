// CNetworkSourcesDlg: edits the syslog sources: the UDP and TCP ports, each on or off, the
// address to listen on and the senders allowed.
#pragma once

#include <string>

#include "Dialog.h"
#include "NetworkSettings.h"

class CNetworkSourcesDlg : public CDialog {
public:
    CNetworkSourcesDlg();

    // In at start, out when the dialog is destroyed, however it closed; the ports as typed.
    NetworkSettings m_settings;
    std::string m_strUdpPort, m_strTcpPort;

    bool OnInitDialog() override;
    // Settings from what was typed; false, with the text of what is wrong, when it cannot be.
    bool Read(NetworkSettings& settings, std::string& wrong) const;

protected:
    void OnDestroy();
    MESSAGE_MAP_MEMBERS();
};
