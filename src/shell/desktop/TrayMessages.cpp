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

std::int32_t mouseMessageFor(QEvent::Type type, Qt::MouseButton button)
{
    // Left messages count from 513, right ones from 516: press, release, double click.
    std::int32_t first = 0;
    if (button == Qt::LeftButton)
        first = mouse::kLeftButtonDown;
    else if (button == Qt::RightButton)
        first = mouse::kRightButtonDown;
    else
        return 0;
    switch (type) {
    case QEvent::MouseButtonPress: return first;
    case QEvent::MouseButtonRelease: return first + 1;
    case QEvent::MouseButtonDblClick: return first + 2;
    default: return 0;
    }
}

} // namespace shell
