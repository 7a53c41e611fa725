// The desktop's notification area as the tray form uses it: one icon that is added,
// changed or deleted, and the reports of its activation by the mouse.
#pragma once

#include <QIcon>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>

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

    // Receives every activation of the icon (set by the tray form).
    std::function<void(QSystemTrayIcon::ActivationReason)> activated;
};

// The notification area of the running desktop, through QSystemTrayIcon. The icon shows
// no menu of its own: a right click is reported like any other activation.
class SystemTrayArea final : public NotificationArea {
public:
    SystemTrayArea();
    ~SystemTrayArea() override;

    void notify(Operation operation, const IconRecord& record) override;

    QSystemTrayIcon& icon() { return icon_; }

private:
    QSystemTrayIcon icon_;
};

} // namespace shell
