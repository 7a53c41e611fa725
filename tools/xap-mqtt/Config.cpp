#include "Config.h"

#include "Log.h"
#include "Text.h"

#include "base/OptionReader.h"

#include <QFile>

#include <charconv>
#include <cstring>
#include <functional>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace xapmqtt {

namespace {

std::vector<std::string> list(std::string_view text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view part = trim(text.substr(start, end - start));
        if (!part.empty())
            out.emplace_back(part);
        start = end + 1;
    }
    return out;
}

bool readInt(std::string_view text, int low, int high, int& out)
{
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < low || value > high)
        return false;
    out = value;
    return true;
}

bool readSeconds(std::string_view text, double& out)
{
    std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || *end || !(value >= 0) || value > 1e7)
        return false;
    out = value;
    return true;
}

bool readBool(std::string_view text, bool& out)
{
    const std::string v = lower(text);
    if (v == "1" || v == "true" || v == "yes" || v == "on")
        out = true;
    else if (v == "0" || v == "false" || v == "no" || v == "off")
        out = false;
    else
        return false;
    return true;
}

// One key: where it lives, its option, and how its value is stored (false: refused,
// with the expected form in `expected`).
struct Setting {
    const char* section;
    const char* key;
    const char* option;
    const char* expected;
    std::function<bool(Config&, std::string_view)> store;
};

const std::vector<Setting>& settings()
{
    static const std::vector<Setting> table = {
        {"Broker", "Host", "--host", "a host name or address",
         [](Config& c, std::string_view v) { c.broker.host = v; return !v.empty(); }},
        {"Broker", "Port", "--port", "a port from 1 to 65535",
         [](Config& c, std::string_view v) { return readInt(v, 1, 65535, c.broker.port); }},
        {"Broker", "ClientId", "--client-id", "a client id",
         [](Config& c, std::string_view v) { c.broker.clientId = v; return true; }},
        {"Broker", "Username", "--username", "a user name",
         [](Config& c, std::string_view v) { c.broker.username = v; return true; }},
        {"Broker", "PasswordFile", "--password-file", "a file whose first line is the password",
         [](Config& c, std::string_view v) { c.passwordFile = v; return true; }},
        {"Broker", "CAFile", "--ca-file", "a PEM file of certificate authorities",
         [](Config& c, std::string_view v) { c.broker.caFile = v; return true; }},
        {"Broker", "CertFile", "--cert-file", "a PEM client certificate",
         [](Config& c, std::string_view v) { c.broker.certFile = v; return true; }},
        {"Broker", "KeyFile", "--key-file", "a PEM client key",
         [](Config& c, std::string_view v) { c.broker.keyFile = v; return true; }},
        {"Broker", "Protocol", "--protocol", "5 or 3.1.1",
         [](Config& c, std::string_view v) {
             if (v == "5")
                 c.broker.protocol = 5;
             else if (v == "3.1.1" || v == "311")
                 c.broker.protocol = 311;
             else
                 return false;
             return true;
         }},
        {"Broker", "KeepAlive", "--keepalive", "seconds from 5 to 65535",
         [](Config& c, std::string_view v) { return readInt(v, 5, 65535, c.broker.keepAlive); }},
        {"Topics", "Base", "--base", "a topic without + or #",
         [](Config& c, std::string_view v) { c.base = v; return !v.empty() && v.find_first_of("+#") == std::string_view::npos; }},
        {"Topics", "Discovery", "--discovery-prefix", "a topic without + or #",
         [](Config& c, std::string_view v) { c.discoveryPrefix = v; return !v.empty() && v.find_first_of("+#") == std::string_view::npos; }},
        {"Bridge", "Discovery", "--discovery", "0 or 1", [](Config& c, std::string_view v) { return readBool(v, c.discovery); }},
        {"Bridge", "Tunnel", "--tunnel", "0 or 1", [](Config& c, std::string_view v) { return readBool(v, c.tunnel); }},
        {"Bridge", "Site", "--site", "a site name",
         [](Config& c, std::string_view v) { c.site = v; return true; }},
        {"Bridge", "AllowSources", "--allow-sources", "xAP address patterns, comma separated",
         [](Config& c, std::string_view v) { c.allowSources = list(v); return true; }},
        {"Bridge", "DenySources", "--deny-sources", "xAP address patterns, comma separated",
         [](Config& c, std::string_view v) { c.denySources = list(v); return true; }},
        {"Bridge", "TunnelClasses", "--tunnel-classes", "class patterns (* and ?), comma separated",
         [](Config& c, std::string_view v) { c.tunnelClasses = list(v); return true; }},
        {"Bridge", "MinInterval", "--min-interval", "seconds (0 or more)",
         [](Config& c, std::string_view v) { return v.empty() ? (c.minInterval = 0, true) : readSeconds(v, c.minInterval); }},
        {"Bridge", "ForgetAfter", "--forget-after", "seconds (0: never)",
         [](Config& c, std::string_view v) { return v.empty() ? (c.forgetAfter = 0, true) : readSeconds(v, c.forgetAfter); }},
        {"Bridge", "HopLimit", "--hop-limit", "a number from 1 to 20",
         [](Config& c, std::string_view v) { return readInt(v, 1, 20, c.hopLimit); }},
        {"Bridge", "MaxEndpoints", "--max-endpoints", "a number from 1 to 1000000",
         [](Config& c, std::string_view v) { return readInt(v, 1, 1000000, c.maxEndpoints); }},
        {"Bridge", "AvailabilityGrace", "--availability-grace", "seconds (0 or more)",
         [](Config& c, std::string_view v) { return readSeconds(v, c.availabilityGrace); }},
        {"xAP", "Source", "--source", "an xAP address vendor.device.instance",
         [](Config& c, std::string_view v) { c.source = v; return v.find_first_of(":\n\r ") == std::string_view::npos; }},
        {"xAP", "Broadcast", "--broadcast", "an IPv4 broadcast address",
         [](Config& c, std::string_view v) { c.broadcast = v; return !v.empty(); }},
        {"xAP", "Port", "--xap-port", "a port from 1 to 65535",
         [](Config& c, std::string_view v) { return readInt(v, 1, 65535, c.xapPort); }},
        {"xAP", "HeartbeatInterval", "--heartbeat-interval", "seconds from 1 to 3600",
         [](Config& c, std::string_view v) { return readInt(v, 1, 3600, c.heartbeatInterval); }},
    };
    return table;
}

const Setting* findSetting(std::string_view section, std::string_view key)
{
    for (const Setting& s : settings())
        if (lower(s.section) == lower(section) && lower(s.key) == lower(key))
            return &s;
    return nullptr;
}

bool readFile(const std::string& path, std::string& out, std::string& error)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = path + ": " + file.errorString().toStdString();
        return false;
    }
    const QByteArray bytes = file.read(1 << 20);
    out.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

} // namespace

std::string Config::effectiveSource() const
{
    if (!source.empty())
        return source;
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    std::string name(host);
    name = name.substr(0, name.find('.'));
    return "tallis.xap-mqtt." + (name.empty() ? std::string("host") : name);
}

bool readConfigText(const std::string& text, const std::string& name, Config& config, std::string& error)
{
    std::string section;
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line = trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        ++number;
        const std::string where = name + ":" + std::to_string(number) + ": ";
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                error = where + "a section line must end with \"]\"";
                return false;
            }
            section = trim(line.substr(1, line.size() - 2));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            error = where + "expected Key=Value";
            return false;
        }
        const std::string_view key = trim(line.substr(0, eq));
        const std::string_view value = trim(line.substr(eq + 1));
        const Setting* setting = findSetting(section, key);
        if (!setting) {
            error = where + "unknown key " + std::string(key) + " in [" + section + "]";
            return false;
        }
        if (!setting->store(config, value)) {
            error = where + setting->key + " must be " + setting->expected;
            return false;
        }
    }
    return true;
}

bool readPasswordFile(Config& config, std::string& error)
{
    if (config.passwordFile.empty())
        return true;
    std::string text;
    if (!readFile(config.passwordFile, text, error))
        return false;
    struct stat info {};
    if (::stat(config.passwordFile.c_str(), &info) == 0 && (info.st_mode & S_IROTH))
        Log::line(config.passwordFile + " can be read by every user of this computer (chmod o-r)", Log::Priority::Warning);
    config.broker.password = std::string(trim(text.substr(0, text.find('\n'))));
    return true;
}

std::optional<CommandLine> parseCommandLine(int argc, char** argv, std::string& error)
{
    using tallis::OptionReader;
    enum { kHelp, kVersion, kOnce, kConfig, kForget, kPassword, kFirstSetting };
    // The flags take "=VALUE" and drop it; each setting's option is its id from
    // kFirstSetting, in the table's order.
    std::vector<OptionReader::Option> table = {
        {"help", 'h', OptionReader::Value::ignored, kHelp},
        {"version", 'V', OptionReader::Value::ignored, kVersion},
        {"once", 0, OptionReader::Value::ignored, kOnce},
        {"config", 'c', OptionReader::Value::required, kConfig},
        {"forget", 0, OptionReader::Value::required, kForget},
        {"password", 0, OptionReader::Value::ignored, kPassword},
    };
    for (std::size_t i = 0; i < settings().size(); ++i)
        table.push_back({settings()[i].option + 2, 0, OptionReader::Value::required, kFirstSetting + static_cast<int>(i)});

    CommandLine line;
    // The settings are stored after the file is read, in the order given.
    std::vector<std::pair<const Setting*, std::string>> options;
    OptionReader reader(argc, argv, std::move(table), OptionReader::Order::stopAtWord, OptionReader::Inline::allowed);
    for (bool reading = true; reading;) {
        const OptionReader::Step step = reader.next();
        switch (step.kind) {
        case OptionReader::Step::end:
            if (reader.index() < argc) {
                error = "unknown option " + std::string(argv[reader.index()]) + " (see --help)";
                return std::nullopt;
            }
            reading = false;
            break;
        case OptionReader::Step::word: // not with stopAtWord
        case OptionReader::Step::endOfOptions:
        case OptionReader::Step::unknown: {
            // Named as typed, without a "=VALUE" given to a long one.
            std::string typed = step.typed;
            if (typed.starts_with("--"))
                typed = typed.substr(0, typed.find('='));
            error = "unknown option " + typed + " (see --help)";
            return std::nullopt;
        }
        case OptionReader::Step::missingValue:
            error = step.typed + " needs a value";
            return std::nullopt;
        case OptionReader::Step::option:
            switch (step.id) {
            case kHelp:
                line.help = true;
                break;
            case kVersion:
                line.version = true;
                break;
            case kOnce:
                line.once = true;
                break;
            case kConfig:
                line.configFile = *step.value;
                break;
            case kForget:
                line.forget = *step.value;
                break;
            case kPassword:
                error = "a password is never given on the command line: use PasswordFile (or --password-file)";
                return std::nullopt;
            default:
                options.emplace_back(&settings()[static_cast<std::size_t>(step.id - kFirstSetting)], *step.value);
            }
            break;
        }
    }
    if (line.help || line.version)
        return line;
    if (!line.configFile.empty()) {
        std::string text;
        if (!readFile(line.configFile, text, error))
            return std::nullopt;
        if (!readConfigText(text, line.configFile, line.config, error))
            return std::nullopt;
    }
    for (const auto& [setting, value] : options) {
        if (!setting->store(line.config, value)) {
            error = std::string(setting->option) + " must be " + setting->expected;
            return std::nullopt;
        }
    }
    if (line.config.tunnel && line.config.site.empty()) {
        error = "Tunnel=1 needs a Site name (each site its own)";
        return std::nullopt;
    }
    if (line.config.site.find_first_of("+#/") != std::string::npos) {
        error = "Site must not contain +, # or /";
        return std::nullopt;
    }
    if (!readPasswordFile(line.config, error))
        return std::nullopt;
    return line;
}

std::string usageText()
{
    std::string text =
        "Usage: xap-mqtt [--config FILE] [options]\n"
        "       xap-mqtt [--config FILE] --forget SOURCE\n"
        "Joins the xAP LAN to an MQTT broker: xAP BSC endpoints appear in Home Assistant\n"
        "(MQTT discovery), and with Tunnel=1 xAP LANs at several sites become one.\n"
        "\n"
        "  -c, --config FILE   read the settings from an INI file (/etc/tallis/xap-mqtt.ini\n"
        "                      for the service); options below win over the file\n"
        "  --forget SOURCE     remove an xAP device (vendor.device.instance), or one\n"
        "                      endpoint (vendor.device.instance:sub), from Home Assistant\n"
        "                      and leave\n"
        "  --once              exit 1 when the broker cannot be reached or refuses,\n"
        "                      instead of trying again\n"
        "  -h, --help          show this text\n"
        "  -V, --version       show the version\n"
        "\n"
        "Settings (INI [Section] Key, and the option with the same meaning):\n";
    for (const Setting& s : settings()) {
        std::string left = std::string("  ") + s.option + " X";
        left.resize(std::max<std::size_t>(left.size() + 1, 26), ' ');
        text += left + "[" + s.section + "] " + s.key + ": " + s.expected + "\n";
    }
    text +=
        "\n"
        "A password is never taken from the command line: PasswordFile names a file\n"
        "whose first line is the password.\n"
        "\n"
        "Exit status: 0 after SIGTERM or SIGINT (or a finished --forget), 1 when the xAP\n"
        "port cannot be opened or, with --once, the broker cannot be used, 2 on a usage\n"
        "or configuration error.\n";
    return text;
}

} // namespace xapmqtt
