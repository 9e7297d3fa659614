// CKestrinView's network sources: the dialog, the sources restored at start, what went wrong.
#include "KestrinView.h"
#include "NetworkSourcesDlg.h"
#include "Strings.h"
#include "WinApp.h"
#include "resource.h"

// New and Open update the view again: the sockets open once.
void CKestrinView::RestoreNetworkSources() {
    if (m_networkRestored)
        return;
    m_networkRestored = true;
    std::string problem;
    const NetworkSettings settings = CNetworkSources::Restored(problem);
    ApplyNetworkSources(settings);
    if (!problem.empty()) {
        m_strNetworkProblem =
            problem + (m_strNetworkProblem.empty() ? "" : "  ") + m_strNetworkProblem;
        ShowIdleText();
    }
}

void CKestrinView::ApplyNetworkSources(const NetworkSettings& settings) {
    m_strNetworkProblem = m_network.Apply(settings, m_hWnd, m_debugOutput.Ready(), kNetworkRefused);
    ShowIdleText();
}

// What was typed wrong shows the dialog again as it was left, until it is right or cancelled.
void CKestrinView::OnNetworkSources() {
    CNetworkSourcesDlg dialog;
    dialog.m_settings = m_network.Settings();
    dialog.m_strUdpPort = std::to_string(dialog.m_settings.udpPort);
    dialog.m_strTcpPort = std::to_string(dialog.m_settings.tcpPort);
    while (dialog.DoModal() == IDOK) {
        NetworkSettings settings;
        std::string wrong;
        if (dialog.Read(settings, wrong)) {
            CNetworkSources::Remember(settings);
            ApplyNetworkSources(settings);
            return;
        }
        AfxMessageBox(wrong.c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
}

LRESULT CKestrinView::OnNetworkRefused(WPARAM, LPARAM) {
    m_nRefused = m_network.TakeRefused();
    ShowIdleText();
    return 0;
}

std::string CKestrinView::NetworkText() const {
    std::string text = m_strNetworkProblem;
    if (m_nRefused)
        text += (text.empty() ? "" : "  ") +
                WithValue(AfxLoadString(IDS_SYSLOG_REFUSED), std::to_string(m_nRefused));
    return text;
}
