#include "AudreyPlugin.h"

#include "automation/Array.h"
#include "automation/Conversions.h"
#include "automation/TextCompare.h"

#include <utility>

namespace audrey {

namespace {

constexpr const char* kIniFile = "vynAudreyUtilities.ini";
constexpr const char* kIniSection = "Audrey Utilities";
constexpr const char* kLogClass = "Audrey";
constexpr const char* kTestPhrase = "This is a test of the Audrey plug-in.";

template <std::size_t I>
vb::Variant commandThunk(AudreyPlugin& self, vb::Args args)
{
    return self.runCommandMember(commands()[I], args);
}

template <std::size_t... I>
std::vector<vb::MemberSpec<AudreyPlugin>> commandMembers(std::index_sequence<I...>)
{
    return {vb::raw<AudreyPlugin>(commands()[I].member, vb::Method, &commandThunk<I>)...};
}

} // namespace

const vb::MemberTable<AudreyPlugin>& AudreyPlugin::members()
{
    static const vb::MemberTable<AudreyPlugin> table = [] {
        std::vector<vb::MemberSpec<AudreyPlugin>> specs = {
            vb::get<&AudreyPlugin::name>("name"),
            vb::method<&AudreyPlugin::RegisterCallback>("RegisterCallback"),
            vb::method<&AudreyPlugin::InitIO>("InitIO"),
            vb::get<&AudreyPlugin::Capabilities>("Capabilities"),
            vb::method<&AudreyPlugin::ShutDownX10>("ShutDownX10"),
            vb::method<&AudreyPlugin::ShutDownIR>("ShutDownIR"),
            vb::method<&AudreyPlugin::ShutdownIO>("ShutdownIO"),
            vb::method<&AudreyPlugin::SetIO>("SetIO"),
            vb::method<&AudreyPlugin::HSEvent>("HSEvent"),
            vb::method<&AudreyPlugin::AudreyOnXapMessage>("AudreyOnXapMessage"),
            vb::method<&AudreyPlugin::SelectMenu>("SelectMenu"),
            vb::method<&AudreyPlugin::ConfigIO>("ConfigIO"),
            vb::method<&AudreyPlugin::ConfigX10>("ConfigX10"),
            vb::method<&AudreyPlugin::ConfigIR>("ConfigIR"),
            vb::get<&AudreyPlugin::AudreyNames>("AudreyNames"),
            vb::method<&AudreyPlugin::AudreyACID>("AudreyACID"),
        };
        auto commandSpecs = commandMembers(std::make_index_sequence<kCommandCount>());
        specs.insert(specs.end(), commandSpecs.begin(), commandSpecs.end());
        return vb::MemberTable<AudreyPlugin>("hspi_Audrey", std::move(specs));
    }();
    return table;
}

vb::Object& AudreyPlugin::host()
{
    if (!host_) {
        if (!callback_)
            vb::raiseError(vb::err::ObjectVariableNotSet);
        host_ = vb::call(*callback_, "GetHSIface").objectRef();
        if (!host_)
            vb::raiseError(vb::err::ObjectRequired);
    }
    return *host_;
}

void AudreyPlugin::log(const std::string& message)
{
    const xap::RepeatCollapser::Outcome outcome = logRepeats_.offer(message, xap::RepeatCollapser::Clock::now());
    for (const xap::RepeatCollapser::Report& report : outcome.reports)
        vb::call(host(), "WriteLog", kLogClass, xap::RepeatCollapser::reportLine(report));
    if (outcome.writeRecord)
        vb::call(host(), "WriteLog", kLogClass, message);
}

std::string AudreyPlugin::AudreyNames()
{
    if (!callback_)
        return {};
    return vb::CStr(vb::call(host(), "GetINISetting", kIniSection, "AudreyNames", "", kIniFile));
}

std::vector<std::string> AudreyPlugin::parseNames(const std::string& list)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        std::string name(vb::trimBlanksAndTabs(std::string_view(list).substr(start, comma - start)));
        if (!name.empty())
            names.push_back(std::move(name));
        start = comma + 1;
    }
    return names;
}

std::vector<std::string> AudreyPlugin::knownAudreys(const std::string& list, std::string_view messageClass)
{
    const std::vector<std::string> configured = configuredNames();
    std::vector<bool> taken(configured.size(), false);
    std::vector<std::string> known;
    std::size_t unknownCount = 0;
    std::string firstUnknown;
    for (const std::string& name : parseNames(list)) {
        std::size_t i = 0;
        while (i < configured.size() && !vb::equalsIgnoreCase(configured[i], name))
            ++i;
        if (i == configured.size()) {
            if (unknownCount++ == 0)
                firstUnknown = name.substr(0, 64);
        } else if (!taken[i]) {
            taken[i] = true;
            known.push_back(configured[i]);
        }
    }
    if (unknownCount > 0)
        for (const std::string& line : unknown_.record(std::string(messageClass), unknownCount, firstUnknown,
                                                       UnknownAudreys::Clock::now()))
            log(line);
    return known;
}

std::vector<std::string> AudreyPlugin::configuredNames()
{
    return parseNames(AudreyNames());
}

std::string AudreyPlugin::addressOf(const std::string& audreyName)
{
    return vb::CStr(vb::call(host(), "GetINISetting", kIniSection, "Address." + audreyName,
                             "vyn.AudreyUnit." + audreyName, kIniFile));
}

void AudreyPlugin::RegisterCallback(vb::Variant& callback)
{
    vb::requireObject(callback);
    callback_ = callback.objectRef();
    host_.reset();
}

void AudreyPlugin::InitIO(const vb::Variant&)
{
    vb::Object& hs = host();
    const std::vector<std::string> names = configuredNames();
    const std::int32_t houseCode = vb::CLng(vb::call(*callback_, "GetNextFreeIOCode"));
    const std::string house(1, static_cast<char>(houseCode));
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string code = house + std::to_string(i + 1);
        vb::Variant device = vb::call(hs, "GetDeviceByCode", code);
        if (device.isNothing())
            device = vb::call(hs, "NewDeviceEx", names[i], code);
        if (!device.isObject() || device.isNothing())
            continue;
        vb::Object& d = *device.objectValue();
        vb::setProperty(d, "name", vb::Variant(names[i]));
        vb::setProperty(d, "location", vb::Variant("Audrey"));
        vb::setProperty(d, "dev_type_string", vb::Variant("Audrey"));
    }
    vb::call(*callback_, "RegisterMenu", "Audrey", "ConfigIO");
    vb::call(*callback_, "RegisterMenuEx", "Audrey", "Test", "Audrey Test");
    vb::call(*callback_, "RegisterMenuEx", "Audrey", "Reset Queue", "Audrey Queue");
    // Device changes (bit 4) let the plug-in follow what others do to its Audreys.
    vb::Variant self(static_cast<vb::Object*>(this));
    vb::ArgPack<2> args{std::int16_t(4), vb::Variant()};
    args.byRef(1, self);
    callback_->invoke("RegisterEventCB", vb::Method, args);
}

void AudreyPlugin::ShutdownIO()
{
    queue_.clear();
    if (const std::string summary = unknown_.takeSummary(); !summary.empty())
        vb::ignoreErrors([&] { log(summary); });
    // Drop the references to the host so that neither side keeps the other alive.
    host_.reset();
    callback_.reset();
}

void AudreyPlugin::SetIO(vb::Args args)
{
    // X10 on and off for one of the plug-in's devices switch that Audrey's backlight.
    if (args.size() < 4)
        vb::raiseError(vb::err::WrongArgumentCount);
    const std::int32_t command = vb::CLng(args[3]);
    if (command != 2 && command != 3)
        return;
    const std::int32_t unit = static_cast<std::int32_t>(vb::Val(vb::CStr(args[2])));
    const std::vector<std::string> names = configuredNames();
    if (unit < 1 || static_cast<std::size_t>(unit) > names.size())
        return;
    dispatch("Backlight", {names[unit - 1]}, true, command == 2 ? "on" : "off");
}

void AudreyPlugin::HSEvent(const vb::Variant&)
{
    ++eventsSeen_;
}

vb::Variant AudreyPlugin::runCommandMember(const Command& command, vb::Args args)
{
    const bool takesValue = command.kind != ValueKind::None;
    const std::size_t maxArgs = takesValue ? 2 : 1;
    const std::size_t minArgs = command.kind == ValueKind::None || command.kind == ValueKind::OptionalText ? 1 : 2;
    if (args.size() < minArgs || args.size() > maxArgs)
        vb::raiseError(vb::err::WrongArgumentCount);
    const std::string list = vb::CStr(args[0]);
    std::vector<std::string> audreys = parseNames(list);
    // Cycle Power from the tray names no Audrey: it means all of them.
    if (audreys.empty() && command.command == "CyclePower")
        audreys = configuredNames();
    const bool present = takesValue && !args.isMissing(1);
    const std::string value = present ? vb::CStr(args[1]) : std::string();
    auto accepted = acceptValue(command, present, value);
    if (!accepted) {
        log("Rejected " + std::string(command.command) + " value '" + value + "'");
        return vb::Variant();
    }
    dispatch(command.command, audreys, present && command.kind != ValueKind::None, *accepted);
    return vb::Variant();
}

void AudreyPlugin::AudreyACID(const std::string& callerName, const std::string& callerNumber)
{
    // Caller identification goes to every Audrey.
    dispatch("ACID", configuredNames(), true, callerName + "," + callerNumber);
}

void AudreyPlugin::dispatch(std::string_view command, const std::vector<std::string>& audreys, bool hasValue, const std::string& value)
{
    for (const std::string& audrey : audreys) {
        Outgoing m{audrey, std::string(command), value, hasValue};
        if (enabled_)
            send(m);
        else
            queue_.push_back(std::move(m));
    }
}

void AudreyPlugin::send(const Outgoing& m)
{
    std::string body = "Command";
    body += '\1';
    body += m.command;
    if (m.hasValue) {
        body += '\0';
        body += "Value";
        body += '\1';
        body += m.value;
    }
    vb::call(*callback_, "SendXapMessage", addressOf(m.audrey), "Audrey.Cmd", "Audrey.Cmd", body, "", "00");
    setDeviceText(m.audrey, m.hasValue ? m.command + " " + m.value : m.command);
}

void AudreyPlugin::setDeviceText(const std::string& audreyName, const std::string& text)
{
    const std::string code = vb::CStr(vb::call(host(), "GetDeviceCode", "Audrey " + audreyName));
    if (!code.empty())
        vb::call(host(), "SetDeviceString", code, text, true);
}

void AudreyPlugin::AudreyOnXapMessage(vb::Variant& message)
{
    runInbound(vb::requireObject(message));
}

void AudreyPlugin::runInbound(vb::Object& message)
{
    auto item = [&](const char* section, const char* key) { return vb::CStr(vb::call(message, "GetItem", section, key)); };
    if (vb::CBool(vb::call(message, "CompareClass", "Audrey.Cmd"))) {
        const std::string audreys = item("Audrey.Cmd", "Audrey");
        const std::string commandName = item("Audrey.Cmd", "Command");
        const std::string value = item("Audrey.Cmd", "Value");
        if (audreys == "Unknown" || commandName == "Unknown") {
            log("Dropped an Audrey.Cmd message without Audrey or Command");
            return;
        }
        const Command* command = findCommand(commandName);
        if (!command) {
            log("Unknown Audrey command '" + commandName + "'");
            return;
        }
        const bool present = value != "Unknown";
        auto accepted = acceptValue(*command, present, value);
        if (!accepted) {
            log("Rejected " + std::string(command->command) + " value '" + (present ? value : std::string()) + "'");
            return;
        }
        // Only Audreys it knows: a peer must not make the node broadcast for any name it lists.
        dispatch(command->command, knownAudreys(audreys, "Audrey.Cmd"), present && command->kind != ValueKind::None, *accepted);
        return;
    }
    if (vb::CBool(vb::call(message, "CompareClass", "Audrey.Event"))) {
        const std::string audreys = item("Audrey.Event", "Audrey");
        const std::string text = item("Audrey.Event", "Text");
        if (audreys == "Unknown" || text == "Unknown") {
            log("Dropped an Audrey.Event message without Audrey or Text");
            return;
        }
        for (const std::string& audrey : knownAudreys(audreys, "Audrey.Event"))
            setDeviceText(audrey, text);
    }
    // Every other class (heartbeats, other nodes' traffic) is not for this plug-in.
}

void AudreyPlugin::SelectMenu(const std::string& caption)
{
    if (vb::equalsIgnoreCase(caption, "Disable Plugin")) {
        enabled_ = false;
        log("Sending disabled; commands are held until Enable");
    } else if (vb::equalsIgnoreCase(caption, "Enable Plugin")) {
        enabled_ = true;
        while (!queue_.empty()) {
            Outgoing m = std::move(queue_.front());
            queue_.pop_front();
            send(m);
        }
    } else if (vb::equalsIgnoreCase(caption, "Test")) {
        vb::call(host(), "Speak", kTestPhrase, false);
    } else if (vb::equalsIgnoreCase(caption, "Reset Queue")) {
        const std::size_t dropped = queue_.size();
        queue_.clear();
        log("Queue reset, " + std::to_string(dropped) + " command(s) dropped");
    } else {
        log("Menu '" + caption + "' has nothing to do on this system");
    }
}

void AudreyPlugin::ConfigIO()
{
    log(std::string("The Audreys are configured in Config/") + kIniFile + ", section [" + kIniSection + "]");
}

void AudreyPlugin::ConfigX10()
{
    ConfigIO();
}

void AudreyPlugin::ConfigIR()
{
    ConfigIO();
}

} // namespace audrey
