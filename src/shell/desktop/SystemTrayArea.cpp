#include "NotificationArea.h"

namespace shell {

SystemTrayArea::SystemTrayArea()
{
    // Reports are delivered from the event loop, as posted messages are, not from inside
    // the icon's own mouse handling: what they start may run a modal loop or remove the
    // icon (Exit), and the icon's window must not go while its handler runs.
    QObject::connect(
        &icon_, &QSystemTrayIcon::activated, &icon_,
        [this](QSystemTrayIcon::ActivationReason reason) {
            if (activated)
                activated(reason);
        },
        Qt::QueuedConnection);
}

SystemTrayArea::~SystemTrayArea()
{
    icon_.hide();
}

void SystemTrayArea::notify(Operation operation, const IconRecord& record)
{
    switch (operation) {
    case Operation::Add:
    case Operation::Modify:
        icon_.setIcon(record.icon);
        icon_.setToolTip(record.tip);
        icon_.show();
        break;
    case Operation::Delete:
        icon_.hide();
        break;
    }
}

} // namespace shell
