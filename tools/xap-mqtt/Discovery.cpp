#include "Discovery.h"

#include "Text.h"

#include "TopicId.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace xapmqtt {

namespace {

QString q(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string part(const std::string& address, int index)
{
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = address.find('.', start);
        if (start == std::string::npos)
            return {};
        ++start;
    }
    return address.substr(start, address.find('.', start) - start);
}

QJsonObject origin(const std::string& version)
{
    return QJsonObject{{"name", "xap-mqtt"}, {"sw", q(version)}};
}

std::string stateText(const std::string& state)
{
    if (state == "on")
        return "ON";
    if (state == "off")
        return "OFF";
    return "None";
}

} // namespace

std::string deviceIdOf(const std::string& source)
{
    return topicId(lower(source));
}

std::string endpointIdOf(const std::string& subAddress, const std::string& subUid)
{
    if (!subAddress.empty())
        return topicId(lower(subAddress));
    return "uid_" + topicId(lower(subUid));
}

std::string cutText(const std::string& text, std::size_t limit)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) != 0x80) { // the first byte of a character
            if (characters == limit)
                return text.substr(0, i);
            ++characters;
        }
    }
    return text;
}

void applyReport(EndpointEntry& endpoint, const bsc::Report& report, bool* cut)
{
    endpoint.kind = report.kind();
    endpoint.subUid = report.subUid;
    endpoint.subAddress = report.subAddress;
    if (!report.displayText.empty())
        endpoint.name = cutText(report.displayText, 255);
    else if (endpoint.name.empty())
        endpoint.name = report.subAddress.empty() ? report.device : report.subAddress;
    if (report.level)
        endpoint.lastLevel = *report.level;
    switch (endpoint.kind) {
    case bsc::Kind::Switch:
    case bsc::Kind::BinarySensor:
        if (!report.state.empty())
            endpoint.state = stateText(report.state);
        break;
    case bsc::Kind::Light:
        if (!report.state.empty())
            endpoint.state = stateText(report.state);
        if (report.level) {
            const auto b = bsc::brightnessOf(*report.level);
            endpoint.brightness = b ? std::to_string(*b) : "None";
        }
        break;
    case bsc::Kind::Text:
    case bsc::Kind::Sensor:
        if (report.text) {
            endpoint.state = cutText(*report.text, 255);
            if (cut)
                *cut = endpoint.state.size() != report.text->size();
        } else if (report.level) {
            const auto p = bsc::percentOf(*report.level);
            endpoint.state = p ? std::to_string(*p) : "None";
        } else if (report.state == "?") {
            endpoint.state = "None";
        }
        break;
    }
}

std::string discoveryPayload(const Topics& topics, const std::string& deviceId, const DeviceEntry& device,
                             const std::string& bridgeId, const std::string& version)
{
    QJsonObject components;
    const QJsonArray availability{QJsonObject{{"topic", q(topics.bridgeState())}},
                                  QJsonObject{{"topic", q(topics.availability(deviceId))}}};
    for (const auto& [endpointId, e] : device.endpoints) {
        const std::string topic = topics.endpoint(deviceId, endpointId);
        QJsonObject c{
            {"p", bsc::platformOf(e.kind)},
            {"name", q(e.name)},
            {"unique_id", q("xap_" + deviceId + "_" + endpointId)},
            {"state_topic", q(topic + "/state")},
            {"availability", availability},
            {"availability_mode", "all"},
        };
        if (bsc::settable(e.kind))
            c.insert("command_topic", q(topic + "/set"));
        if (e.kind == bsc::Kind::Light) {
            c.insert("brightness_state_topic", q(topic + "/brightness"));
            c.insert("brightness_command_topic", q(topic + "/brightness/set"));
            c.insert("brightness_scale", 255);
        }
        if (e.kind == bsc::Kind::Text) {
            c.insert("max", 255);
            c.insert("mode", "text");
        }
        if (e.kind == bsc::Kind::Sensor && e.lastLevel.size() && e.state != "None" && !e.state.empty() &&
            e.state.find_first_not_of("0123456789") == std::string::npos)
            c.insert("unit_of_measurement", "%");
        components.insert(q(endpointId), c);
    }
    const std::string vendor = part(device.source, 0);
    const std::string model = part(device.source, 1);
    QJsonObject dev{
        {"ids", QJsonArray{q("xap_" + deviceId)}},
        {"name", q(device.source)},
        {"mf", q(vendor)},
        {"mdl", q(model.empty() ? device.source : model)},
        {"via_device", q(bridgeId)},
    };
    if (!device.uid.empty())
        dev.insert("sn", q(device.uid));
    const QJsonObject root{{"dev", dev}, {"o", origin(version)}, {"cmps", components}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact).toStdString();
}

std::optional<std::string> withoutComponent(const std::string& payload, const std::string& componentId)
{
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(payload));
    QJsonObject root = doc.object();
    QJsonObject components = root.value("cmps").toObject();
    const QString id = q(componentId);
    if (!components.contains(id))
        return std::nullopt;
    bool others = false;
    for (auto it = components.begin(); it != components.end(); ++it)
        others = others || (it.key() != id && it.value().toObject().size() > 1);
    if (!others)
        return std::string();
    components.insert(id, QJsonObject{{"p", components.value(id).toObject().value("p")}});
    root.insert("cmps", components);
    return QJsonDocument(root).toJson(QJsonDocument::Compact).toStdString();
}

std::string bridgeDiscoveryPayload(const Topics& topics, const std::string& bridgeId, const std::string& bridgeSource,
                                   const std::string& version)
{
    const QJsonObject component{
        {"p", "binary_sensor"},
        {"name", "Connection"},
        {"unique_id", q(bridgeId + "_connection")},
        {"device_class", "connectivity"},
        {"entity_category", "diagnostic"},
        {"state_topic", q(topics.bridgeState())},
        {"payload_on", "online"},
        {"payload_off", "offline"},
    };
    const QJsonObject dev{
        {"ids", QJsonArray{q(bridgeId)}},
        {"name", q("xAP bridge " + bridgeSource)},
        {"mf", "Tallis"},
        {"mdl", "xap-mqtt"},
        {"sw", q(version)},
    };
    const QJsonObject root{{"dev", dev}, {"o", origin(version)}, {"cmps", QJsonObject{{"connection", component}}}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace xapmqtt
