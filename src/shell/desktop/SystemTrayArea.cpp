#include "NotificationArea.h"

#include "TrayMessages.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

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
    if (iconWindow_)
        iconWindow_->removeEventFilter(this);
    icon_.hide();
}

void SystemTrayArea::watchIconWindow(QWidget* window)
{
    if (iconWindow_)
        iconWindow_->removeEventFilter(this);
    iconWindow_ = window;
    if (window)
        window->installEventFilter(this);
}

bool SystemTrayArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != iconWindow_)
        return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return false;
    const std::int32_t message = mouseMessageFor(type, static_cast<QMouseEvent*>(event)->button());
    // Delivered from the event loop, as activations are (see the constructor).
    if (message)
        QMetaObject::invokeMethod(
            this, [this, message] {
                if (mouseMessage)
                    mouseMessage(message);
            },
            Qt::QueuedConnection);
    return true; // the icon's own handling would report the press as an activation
}

void SystemTrayArea::notify(Operation operation, const IconRecord& record)
{
    switch (operation) {
    case Operation::Add:
    case Operation::Modify:
        icon_.setIcon(record.icon);
        icon_.setToolTip(record.tip);
        icon_.show();
        if (!iconWindow_) {
            // Qt's own window for the icon in an X11 tray, when it uses one.
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->objectName() == QLatin1String("QSystemTrayIconSys")
                    || qstrcmp(window->metaObject()->className(), "QSystemTrayIconSys") == 0)
                    watchIconWindow(window);
            }
        }
        break;
    case Operation::Delete:
        icon_.hide();
        break;
    }
}

} // namespace shell
