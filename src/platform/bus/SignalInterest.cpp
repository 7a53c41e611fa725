#include "SignalInterest.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QMap>

namespace platform::bus {

namespace {

// The key='value' pairs of a match rule (a value may hold \' for a quote).
QList<QPair<QString, QString>> ruleFields(const QString& rule)
{
    QList<QPair<QString, QString>> fields;
    qsizetype i = 0;
    while (i < rule.size()) {
        const qsizetype eq = rule.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        const QString key = rule.mid(i, eq - i).trimmed();
        QString value;
        qsizetype j = eq + 1;
        bool quoted = false;
        for (; j < rule.size(); ++j) {
            const QChar c = rule[j];
            if (c == QLatin1Char('\'')) {
                quoted = !quoted;
            } else if (c == QLatin1Char('\\') && !quoted && j + 1 < rule.size() && rule[j + 1] == QLatin1Char('\'')) {
                value += QLatin1Char('\'');
                ++j;
            } else if (c == QLatin1Char(',') && !quoted) {
                break;
            } else {
                value += c;
            }
        }
        fields.append({key, value});
        i = j + 1;
    }
    return fields;
}

bool inNamespace(const QString& path, const QString& space)
{
    if (space == QLatin1String("/"))
        return true;
    return path == space || path.startsWith(space + QLatin1Char('/'));
}

} // namespace

bool ruleMayMatch(const QString& rule, const SignalAddress& signal)
{
    for (const auto& [key, value] : ruleFields(rule)) {
        if (key == QLatin1String("type")) {
            if (value != QLatin1String("signal"))
                return false;
        } else if (key == QLatin1String("sender")) {
            if (!signal.senders.contains(value))
                return false;
        } else if (key == QLatin1String("interface")) {
            if (value != signal.interfaceName)
                return false;
        } else if (key == QLatin1String("member")) {
            if (value != signal.member)
                return false;
        } else if (key == QLatin1String("path")) {
            if (value != signal.path)
                return false;
        } else if (key == QLatin1String("path_namespace")) {
            if (!inNamespace(signal.path, value))
                return false;
        } else if (key == QLatin1String("destination")) {
            return false; // the service's signals are broadcast, never addressed
        }
        // Argument filters, eavesdrop and keys of later versions may match.
    }
    return true;
}

SignalInterest::SignalInterest(const QDBusConnection& connection, SignalAddress signal, int keepMs)
    : connection_(connection)
    , signal_(std::move(signal))
    , keepMs_(keepMs)
{
}

bool SignalInterest::anyoneListens()
{
    if (!daemonTells_)
        return true;
    if (asked_.isValid() && asked_.elapsed() < keepMs_)
        return listens_;
    asked_.start();
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Debug.Stats"), QStringLiteral("GetAllMatchRules"));
    const QDBusMessage reply = connection_.call(call, QDBus::Block, 1000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        // Not told (no stats, not allowed): from now on everyone listens.
        daemonTells_ = false;
        return true;
    }
    const QDBusArgument all = reply.arguments().first().value<QDBusArgument>();
    QMap<QString, QStringList> rules;
    all >> rules;
    listens_ = false;
    for (auto it = rules.cbegin(); it != rules.cend() && !listens_; ++it)
        for (const QString& rule : it.value())
            if (ruleMayMatch(rule, signal_)) {
                listens_ = true;
                break;
            }
    return listens_;
}

} // namespace platform::bus
