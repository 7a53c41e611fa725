#include "DiscoveryChecker.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <map>
#include <set>

namespace testing_support {

namespace {

bool idCharacters(const QString& id)
{
    static const QRegularExpression allowed("^[a-zA-Z0-9_-]+$");
    return allowed.match(id).hasMatch();
}

bool plainTopic(const QString& topic)
{
    return !topic.isEmpty() && !topic.contains('+') && !topic.contains('#') && !topic.startsWith('/') && !topic.endsWith('/');
}

// The keys each platform must carry (beyond "p" and "unique_id"), from the platforms'
// documented configuration variables.
const std::map<QString, std::vector<QString>>& requiredByPlatform()
{
    static const std::map<QString, std::vector<QString>> table = {
        {"switch", {"command_topic"}},
        {"light", {"command_topic"}},
        {"text", {"command_topic"}},
        {"binary_sensor", {"state_topic"}},
        {"sensor", {"state_topic"}},
    };
    return table;
}

} // namespace

std::vector<std::string> checkDeviceDiscovery(const std::string& topic, const std::string& payload,
                                              const std::string& discoveryPrefix, const std::string& base)
{
    std::vector<std::string> problems;
    auto problem = [&](const QString& text) { problems.push_back(text.toStdString()); };

    const QString t = QString::fromStdString(topic);
    const QStringList parts = t.split('/');
    const QString prefix = QString::fromStdString(discoveryPrefix);
    if (parts.size() != 4 || parts[0] != prefix || parts[1] != "device" || parts[3] != "config")
        problem("topic is not <prefix>/device/<object_id>/config: " + t);
    else if (!idCharacters(parts[2]))
        problem("object id has characters beyond [a-zA-Z0-9_-]: " + parts[2]);

    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(payload), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        problem("payload is not a JSON object: " + error.errorString());
        return problems;
    }
    const QJsonObject root = doc.object();

    const QJsonObject dev = root.value("dev").toObject(root.value("device").toObject());
    if (dev.isEmpty())
        problem("no dev");
    const QJsonValue ids = dev.contains("ids") ? dev.value("ids") : dev.value("identifiers");
    if (!(ids.isString() && !ids.toString().isEmpty()) && !(ids.isArray() && !ids.toArray().isEmpty()) && !dev.contains("cns"))
        problem("dev has neither identifiers nor connections");
    if (!dev.value("name").isString() || dev.value("name").toString().isEmpty())
        problem("dev has no name");

    const QJsonObject origin = root.value("o").toObject(root.value("origin").toObject());
    if (origin.value("name").toString().isEmpty())
        problem("o (origin) has no name");

    const QJsonObject cmps = root.value("cmps").toObject(root.value("components").toObject());
    if (cmps.isEmpty())
        problem("cmps is missing or empty");

    const QString basePrefix = QString::fromStdString(base) + "/";
    std::set<QString> uniqueIds;
    std::set<QString> stateTopics;
    for (auto it = cmps.begin(); it != cmps.end(); ++it) {
        const QString name = it.key();
        const QJsonObject c = it.value().toObject();
        if (!idCharacters(name))
            problem("component id has characters beyond [a-zA-Z0-9_-]: " + name);
        const QString platform = c.value("p").toString(c.value("platform").toString());
        const auto required = requiredByPlatform().find(platform);
        if (required == requiredByPlatform().end()) {
            problem(name + ": unknown or missing platform p: " + platform);
            continue;
        }
        if (c.size() == 1)
            continue; // only its platform: the documented way to remove a component
        const QString uid = c.value("unique_id").toString(c.value("uniq_id").toString());
        if (uid.isEmpty())
            problem(name + ": no unique_id (required in device discovery)");
        else if (!uniqueIds.insert(uid).second)
            problem(name + ": unique_id used twice: " + uid);
        for (const QString& key : required->second)
            if (!c.contains(key))
                problem(name + ": " + platform + " needs " + key);
        // Every topic: no wildcard, under the bridge's base (or the bridge's state).
        for (const QString key : {"state_topic", "command_topic", "brightness_state_topic", "brightness_command_topic"}) {
            if (!c.contains(key))
                continue;
            const QString value = c.value(key).toString();
            if (!plainTopic(value))
                problem(name + ": " + key + " is not a plain topic: " + value);
            if (!value.startsWith(basePrefix))
                problem(name + ": " + key + " is not under " + basePrefix + ": " + value);
            if (key.contains("command") && !value.endsWith("/set"))
                problem(name + ": " + key + " does not end in /set: " + value);
            if (key.contains("state") && value.endsWith("/set"))
                problem(name + ": " + key + " is a command topic: " + value);
        }
        if (c.contains("state_topic") && !stateTopics.insert(c.value("state_topic").toString()).second)
            problem(name + ": state_topic shared with another component");
        if (c.contains("command_topic") && c.contains("state_topic") &&
            c.value("command_topic").toString() != c.value("state_topic").toString().chopped(5) + "set")
            problem(name + ": command_topic and state_topic are not of one endpoint");
        if (platform == "light" && c.contains("brightness_command_topic") != c.contains("brightness_state_topic"))
            problem(name + ": a light with only one of the brightness topics");
        const QJsonValue availability = c.value("availability");
        if (!availability.isUndefined()) {
            if (!availability.isArray() || availability.toArray().isEmpty())
                problem(name + ": availability is not a list of topics");
            for (const QJsonValue& a : availability.toArray())
                if (!plainTopic(a.toObject().value("topic").toString()))
                    problem(name + ": an availability entry without a plain topic");
            const QString mode = c.value("availability_mode").toString("latest");
            if (mode != "all" && mode != "any" && mode != "latest")
                problem(name + ": availability_mode is not all, any or latest");
        }
    }
    return problems;
}

} // namespace testing_support
