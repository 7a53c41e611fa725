// BusReceiver: takes the automation interface's method calls off the bus on the bus
// thread and hands each to the program's thread through `deliver`, to be answered
// there with a delayed reply. The program's thread may be busy in a call that waits
// (WaitSecs): a deliver that runs work inside such waits lets other clients be served
// meanwhile. Peer.Ping is answered here, so it proves only that the process is alive.
#pragma once

#include <QDBusVirtualObject>

#include <functional>
#include <memory>

namespace platform::bus {

class ObjectBridge;

class BusReceiver final : public QDBusVirtualObject {
public:
    // Hands `work` to the program's thread (any thread may call it).
    using Deliver = std::function<void(std::function<void()> work)>;

    BusReceiver(std::weak_ptr<ObjectBridge> bridge, Deliver deliver);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    std::weak_ptr<ObjectBridge> bridge_;
    Deliver deliver_;
};

} // namespace platform::bus
