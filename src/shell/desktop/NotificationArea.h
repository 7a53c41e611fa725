// The desktop's notification area as the tray form uses it: one icon that is added,
// changed or deleted, and the reports of its activation by the mouse.
#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

#include <cstdint>
#include <functional>

class QWidget;

namespace shell {

// What the notification area shows for the icon: its picture and its tip text.
struct IconRecord {
    QIcon icon;
    QString tip;
};

class NotificationArea {
public:
    enum class Operation { Add, Modify, Delete };

    virtual ~NotificationArea() = default;
    // Adds, changes or deletes the icon. Results are not reported.
    virtual void notify(Operation operation, const IconRecord& record) = 0;

    // Receives every activation of the icon (set by the tray form), where the desktop
    // reports activations only.
    std::function<void(QSystemTrayIcon::ActivationReason)> activated;
    // Receives the icon's mouse messages (513 to 518) at the moments they happen, where
    // the desktop reports presses and releases; activations are then not reported.
    std::function<void(std::int32_t)> mouseMessage;
};

// The notification area of the running desktop, through QSystemTrayIcon. The icon shows
// no menu of its own: a right click is reported like any other activation.
//
// On an X11 tray the icon is a small window of its own, and Qt reports a click as an
// activation at the button's press. There the area watches the window's button events
// itself and reports each press, release and double click as its mouse message, so a
// click acts on its release and a double click is the Part's 513, 514, 515, 514.
class SystemTrayArea final : public QObject, public NotificationArea {
public:
    SystemTrayArea();
    ~SystemTrayArea() override;

    void notify(Operation operation, const IconRecord& record) override;

    QSystemTrayIcon& icon() { return icon_; }
    // Takes the button events of the icon's window (found by itself once the icon shows).
    void watchIconWindow(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSystemTrayIcon icon_;
    QPointer<QWidget> iconWindow_;
};

} // namespace shell
