// CControlBar: what every bar shares.
#include "ControlBar.h"

bool CControlBar::InitBarClasses() {
    static const bool ready = [] {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_BAR_CLASSES};
        return ::InitCommonControlsEx(&init) != FALSE;
    }();
    return ready;
}
