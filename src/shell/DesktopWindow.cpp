#include "DesktopWindow.h"

#include "ShellHooks.h"
#include "ShellState.h"

#include "platform/bus/AutomationBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantList>

namespace shell {

const vb::MemberTable<DesktopWindow>& DesktopWindow::members()
{
    static const vb::MemberTable<DesktopWindow> table("Desktop", {
        vb::method<&DesktopWindow::Show>("Show"),
    });
    return table;
}

void DesktopWindow::Show()
{
    const ShellHooks& hooks = shell_.hooks;
    if (!hooks.showDesktopWindow)
        throw vb::Error(vb::err::InvalidProcedureCall, "No display: the program has no window to show");
    hooks.showDesktopWindow();
}

bool askRunningProgramToShowWindow(std::string& problem)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        problem = "no D-Bus session bus";
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(platform::bus::kServiceName),
                                                       QStringLiteral("/org/tallis/Desktop"),
                                                       QStringLiteral("org.tallis.Automation"), QStringLiteral("Invoke"));
    call << QStringLiteral("Show") << QStringLiteral("method") << QVariant::fromValue(QVariantList{});
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        problem = reply.errorMessage().toStdString();
        return false;
    }
    return true;
}

} // namespace shell
