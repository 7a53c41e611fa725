#include "TrayMessages.h"

namespace shell {

std::vector<std::int32_t> mouseMessagesFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return {mouse::kLeftButtonUp};
    case QSystemTrayIcon::Context:
        return {mouse::kRightButtonUp};
    case QSystemTrayIcon::DoubleClick:
        return {mouse::kLeftButtonDown, mouse::kLeftButtonUp, mouse::kLeftButtonDoubleClick, mouse::kLeftButtonUp};
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
    return {};
}

} // namespace shell
