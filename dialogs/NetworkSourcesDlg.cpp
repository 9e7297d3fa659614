// CNetworkSourcesDlg: the machine's addresses offered, the settings read back on destroy.
// Winsock's declarations before the helper API's, which uses them.
#include <winsock2.h>

#include <iphlpapi.h>

#include "NetworkSourcesDlg.h"

#include <algorithm>
#include <vector>

#include "Strings.h"
#include "resource.h"

namespace {
// The machine's IPv4 addresses, dotted, loopback first.
std::vector<std::string> LocalAddresses() {
    std::vector<std::string> addresses{"127.0.0.1"};
    ULONG size = 16 << 10;
    std::vector<char> buffer(size);
    auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    if (::GetAdaptersAddresses(AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST, nullptr,
                               adapters, &size) != NO_ERROR)
        return addresses;
    for (auto* adapter = adapters; adapter; adapter = adapter->Next)
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(unicast->Address.lpSockaddr);
            const uint32_t a = ntohl(in->sin_addr.s_addr);
            const std::string text = std::to_string(a >> 24) + "." +
                                     std::to_string((a >> 16) & 255) + "." +
                                     std::to_string((a >> 8) & 255) + "." + std::to_string(a & 255);
            if (text != addresses[0])
                addresses.push_back(text);
        }
    return addresses;
}
} // namespace

const MessageMap CNetworkSourcesDlg::messageMap{
    &CWnd::messageMap,
    MapVoid(WM_DESTROY, &CNetworkSourcesDlg::OnDestroy),
};

CNetworkSourcesDlg::CNetworkSourcesDlg() : CDialog(IDD_NETWORK_SOURCES) {}

bool CNetworkSourcesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::CheckDlgButton(m_hWnd, IDC_SYSLOG_UDP, m_settings.udp ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hWnd, IDC_SYSLOG_TCP, m_settings.tcp ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_SYSLOG_UDP_PORT, m_strUdpPort.c_str());
    SetDlgItemText(IDC_SYSLOG_TCP_PORT, m_strTcpPort.c_str());
    ::SendMessageA(GetDlgItem(IDC_SYSLOG_ALLOWED), EM_SETLIMITTEXT, 0, 0);
    SetDlgItemText(IDC_SYSLOG_ALLOWED, m_settings.allowed.c_str());
    // The first entry is all of the machine's addresses; a remembered one no longer the
    // machine's is still offered, so that OK keeps it.
    const HWND box = GetDlgItem(IDC_SYSLOG_ADDRESS);
    ::SendMessageA(box, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(AfxLoadString(IDS_SYSLOG_ALL_ADDRESSES).c_str()));
    std::vector<std::string> addresses = LocalAddresses();
    if (!m_settings.address.empty() &&
        std::find(addresses.begin(), addresses.end(), m_settings.address) == addresses.end())
        addresses.push_back(m_settings.address);
    WPARAM chosen = 0;
    for (const std::string& address : addresses) {
        const LRESULT at =
            ::SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(address.c_str()));
        if (address == m_settings.address && at >= 0)
            chosen = static_cast<WPARAM>(at);
    }
    ::SendMessageA(box, CB_SETCURSEL, chosen, 0);
    return true;
}

void CNetworkSourcesDlg::OnDestroy() {
    m_settings.udp = ::IsDlgButtonChecked(m_hWnd, IDC_SYSLOG_UDP) == BST_CHECKED;
    m_settings.tcp = ::IsDlgButtonChecked(m_hWnd, IDC_SYSLOG_TCP) == BST_CHECKED;
    GetDlgItemText(IDC_SYSLOG_UDP_PORT, m_strUdpPort);
    GetDlgItemText(IDC_SYSLOG_TCP_PORT, m_strTcpPort);
    GetDlgItemText(IDC_SYSLOG_ALLOWED, m_settings.allowed);
    const HWND box = GetDlgItem(IDC_SYSLOG_ADDRESS);
    const LRESULT chosen = ::SendMessageA(box, CB_GETCURSEL, 0, 0);
    m_settings.address.clear();
    if (chosen > 0) {
        std::string text(static_cast<size_t>(::SendMessageA(box, CB_GETLBTEXTLEN, chosen, 0)) + 1,
                         '\0');
        ::SendMessageA(box, CB_GETLBTEXT, chosen, reinterpret_cast<LPARAM>(text.data()));
        m_settings.address = text.c_str();
    }
}

bool CNetworkSourcesDlg::Read(NetworkSettings& settings, std::string& wrong) const {
    settings = m_settings;
    CSenderList allowed;
    if (!ParsePort(m_strUdpPort, settings.udpPort))
        wrong = WithValue(AfxLoadString(IDS_SYSLOG_BAD_PORT), m_strUdpPort);
    else if (!ParsePort(m_strTcpPort, settings.tcpPort))
        wrong = WithValue(AfxLoadString(IDS_SYSLOG_BAD_PORT), m_strTcpPort);
    else if (!allowed.Set(settings.allowed))
        wrong = WithValue(AfxLoadString(IDS_SYSLOG_BAD_ALLOWED), settings.allowed);
    else
        return true;
    return false;
}
