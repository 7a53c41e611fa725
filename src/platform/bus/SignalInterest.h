// SignalInterest: whether any client of the bus has a match rule that a given signal of
// this service would meet, read from the daemon's match rules
// (org.freedesktop.DBus.Debug.Stats.GetAllMatchRules), so that a signal nobody listens
// for costs nothing. The answer is kept for a short while. Where the daemon does not
// tell (no stats interface, or not allowed, as on a system bus for other users than
// root), everyone is taken to listen.
#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

namespace platform::bus {

// One signal of the service: who sends it and where.
struct SignalAddress {
    QStringList senders; // the well-known name and the unique name
    QString path;
    QString interfaceName;
    QString member;
};

// True when a match rule ("type='signal',interface='...'") may match the signal.
// Argument filters and keys it does not know count as matching.
bool ruleMayMatch(const QString& rule, const SignalAddress& signal);

class SignalInterest {
public:
    // Answers are kept for `keepMs` milliseconds.
    SignalInterest(const QDBusConnection& connection, SignalAddress signal, int keepMs = 100);

    // Program thread: true when some client's match rule may match the signal.
    bool anyoneListens();

private:
    QDBusConnection connection_;
    SignalAddress signal_;
    int keepMs_;
    QElapsedTimer asked_;
    bool listens_ = true;
    bool daemonTells_ = true;
};

} // namespace platform::bus
