#include "BusReceiver.h"

#include "ObjectBridge.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace platform::bus {

BusReceiver::BusReceiver(std::weak_ptr<ObjectBridge> bridge, Deliver deliver)
    : bridge_(std::move(bridge))
    , deliver_(std::move(deliver))
{
}

QString BusReceiver::introspect(const QString&) const
{
    // Every call, Introspect included, is answered through handleMessage.
    return QString();
}

bool BusReceiver::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    if (message.interface() == QLatin1String("org.freedesktop.DBus.Peer") && message.member() == QLatin1String("Ping")) {
        if (message.isReplyRequired())
            connection.send(message.createReply());
        return true;
    }
    message.setDelayedReply(true);
    // The bridge is used on the program's thread only; it may be gone by then.
    deliver_([bridge = bridge_, message] {
        if (const std::shared_ptr<ObjectBridge> b = bridge.lock())
            b->serve(message);
    });
    return true;
}

} // namespace platform::bus
