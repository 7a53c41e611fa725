#include "EndpointService.h"

#include "host/Application.h"
#include "host/DeviceClass.h"
#include "host/HostState.h"

#include "automation/Conversions.h"
#include "automation/Error.h"
#include "base/AsciiText.h"
#include "platform/FileSystem.h"
#include "platform/Timer.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"
#include "xap/XapMessage.h"


#include <algorithm>

namespace bsc {

namespace {

constexpr std::chrono::milliseconds kRescanAtMostEvery{1000};
constexpr std::size_t kMaxBlocksNamed = 3;

// A text from the LAN as a log line may carry it: short, one line, printable.
std::string clip(std::string_view text, std::size_t max = 64)
{
    std::string out;
    for (const char c : text.substr(0, max))
        out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    return text.size() > max ? out + "..." : out;
}

// The items of a parsed block: key (trimmed) and everything after the first "=".
Items itemsOf(const xap::XapMessage& message, std::size_t section)
{
    Items items;
    for (const std::string_view line : message.sectionLines(section)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        // Keys lose the spaces at their ends, as the wire format's readers do.
        const std::string_view key = ascii::trim(line.substr(0, eq), ascii::kSpaces);
        items.emplace_back(std::string(key), std::string(line.substr(eq + 1)));
    }
    return items;
}

struct RecordFields {
    std::string code;
    std::string displayText;
    bool canDim = false;
};

std::string textOf(const vb::Variant& value)
{
    return value.isNull() || value.isEmpty() ? std::string() : vb::CStr(value);
}

// The fields an endpoint needs, from a record of the device list (any object the
// plug-in put there is read by name).
std::optional<RecordFields> readRecord(const vb::Variant& item)
{
    std::optional<RecordFields> out;
    vb::ignoreErrors([&] {
        vb::Object& object = vb::requireObject(item);
        RecordFields f;
        if (const auto* device = dynamic_cast<const host::DeviceClass*>(&object)) {
            f.code = device->code();
            f.displayText = textOf(device->location) + " " + device->name;
            f.canDim = device->can_dim;
        } else {
            f.code = vb::CStr(vb::getProperty(object, "hc")) + vb::CStr(vb::getProperty(object, "dc"));
            f.displayText = textOf(vb::getProperty(object, "location")) + " " + vb::CStr(vb::getProperty(object, "name"));
            f.canDim = vb::CBool(vb::getProperty(object, "can_dim"));
        }
        out = std::move(f);
    });
    return out;
}

} // namespace

EndpointService::EndpointService(const xap::ProgramState& program, host::HostRegistry& registry, Settings settings,
                                 std::string tablePath, Sender send, Logger log, bool timers)
    : program_(program), registry_(registry), settings_(std::move(settings)), table_(std::move(tablePath)), send_(std::move(send)),
      log_(std::move(log))
{
    if (timers) {
        answerTimer_ = std::make_unique<platform::Timer>([this] {
            if (!sendNextAnswer())
                answerTimer_->setEnabled(false);
        });
        answerTimer_->setInterval(kAnswerGapMs);
        periodicTimer_ = std::make_unique<platform::Timer>([this] { sendNextPeriodicInfo(); });
    }
}

EndpointService::~EndpointService()
{
    if (observerId_)
        host::removeDeviceChangeObserver(registry_, observerId_);
}

void EndpointService::start()
{
    if (const std::string problem = table_.load(); !problem.empty())
        log_(problem);
    observerId_ = host::addDeviceChangeObserver(registry_,
        [this](std::string_view, host::DeviceCell cell, host::DeviceChange) { onDeviceChange(cell); });
    rescan();
    for (const Endpoint& endpoint : endpoints_)
        queueAnswer(endpoint.key);
    if (periodicTimer_ && settings_.infoIntervalSeconds > 0) {
        periodicTimer_->setInterval(periodicGapMs());
        periodicTimer_->setEnabled(true);
    }
}

std::string EndpointService::address(const Endpoint& endpoint) const
{
    return program_.xapSource + ":" + endpoint.key;
}

EndpointService::Endpoint* EndpointService::find(const std::string& key)
{
    const auto it = byKey_.find(key);
    return it == byKey_.end() ? nullptr : &endpoints_[it->second];
}

// ---- the endpoints, from the device list ----

void EndpointService::rescan()
{
    if (applying_)
        return; // the list is read again after the command
    host::HostState* state = host::loadedState(registry_);
    if (!state) {
        endpoints_.clear();
        byCell_.clear();
        byKey_.clear();
        return;
    }
    std::unordered_map<std::string, Endpoint> previous;
    for (Endpoint& endpoint : endpoints_)
        previous.emplace(endpoint.key, std::move(endpoint));

    const vb::Collection& list = state->deviceList();
    std::vector<Endpoint> fresh;
    std::vector<std::string> codes;
    std::set<std::string> seen;
    std::vector<std::string> unusable;
    for (std::size_t position = 1; position <= list.size(); ++position) {
        const std::optional<RecordFields> record = readRecord(list.at(position));
        // A code of one character names no device the host's members change.
        if (!record || host::characterCount(record->code) < 2)
            continue;
        Endpoint endpoint;
        endpoint.code = record->code;
        endpoint.key = ascii::upper(record->code);
        if (!isSubAddressText(endpoint.key)) {
            unusable.push_back(record->code);
            continue;
        }
        if (!seen.insert(endpoint.key).second)
            continue; // a code shared by several records is one endpoint: the first's
        if (!vb::ignoreErrors([&] { endpoint.cell = host::resolveDeviceCode(endpoint.code, state->houseRows); })) {
            unusable.push_back(record->code);
            continue;
        }
        endpoint.displayText = record->displayText;
        endpoint.level = record->canDim;
        codes.push_back(endpoint.key);
        fresh.push_back(std::move(endpoint));
    }

    const EndpointTable::Update update = table_.update(codes);
    if (update.changed)
        if (const std::string problem = table_.save(); !problem.empty())
            log_(problem);

    endpoints_.clear();
    byCell_.clear();
    byKey_.clear();
    for (Endpoint& endpoint : fresh) {
        const std::optional<int> number = table_.numberOf(endpoint.key);
        if (!number)
            continue; // in update.unnumbered
        endpoint.number = *number;
        if (auto it = previous.find(endpoint.key); it != previous.end()) {
            endpoint.level = endpoint.level || it->second.level;
            endpoint.text = it->second.text;
            endpoint.last = it->second.last;
            endpoint.last.displayText = endpoint.displayText; // a new name is no change of state
        } else {
            endpoint.last = statusOf(endpoint);
        }
        byCell_.emplace(endpoint.cell.index(), endpoints_.size());
        byKey_.emplace(endpoint.key, endpoints_.size());
        endpoints_.push_back(std::move(endpoint));
    }
    if (periodicNext_ > endpoints_.size())
        periodicNext_ = endpoints_.size();
    scannedDeviceCount_ = list.size();
    lastScan_ = std::chrono::steady_clock::now();

    // Devices left out are named once (again only when the set changes).
    std::string skipped;
    if (!unusable.empty()) {
        skipped = "BSC: device codes that cannot be sub-addresses are not published:";
        for (std::size_t i = 0; i < unusable.size() && i < 10; ++i)
            skipped += " \"" + clip(unusable[i], 16) + "\"";
        if (unusable.size() > 10)
            skipped += " and " + std::to_string(unusable.size() - 10) + " more";
    }
    if (!update.unnumbered.empty()) {
        skipped += std::string(skipped.empty() ? "BSC: " : "; ") + std::to_string(update.unnumbered.size())
            + " device(s) beyond the 254 endpoint numbers are not published, the first " + clip(update.unnumbered[0], 16);
    }
    if (skipped != lastSkipped_ && !skipped.empty())
        log_(skipped);
    lastSkipped_ = skipped;
}

void EndpointService::rescanSoon()
{
    host::HostState* state = host::loadedState(registry_);
    const bool listChanged = state && state->deviceList().size() != scannedDeviceCount_;
    if (listChanged || std::chrono::steady_clock::now() - lastScan_ >= kRescanAtMostEvery)
        rescan();
}

Status EndpointService::statusOf(Endpoint& endpoint) const
{
    Status status;
    status.displayText = endpoint.displayText;
    const host::HostState* state = host::loadedState(registry_);
    if (!state)
        return status;
    const std::size_t cell = endpoint.cell.index();
    const std::int16_t code = state->tables.status[cell];
    const std::int32_t value = state->tables.value[cell];
    const std::string& text = state->tables.text[cell];
    endpoint.level = endpoint.level || code == 4 || code == 5;
    endpoint.text = endpoint.text || !text.empty();
    status.state = (code == 2 || code == 4 || code == 5) ? State::On : code == 3 ? State::Off : State::Unknown;
    if (endpoint.level)
        status.level = levelFromPercent(value);
    if (endpoint.text)
        status.text = text;
    return status;
}

// ---- reports ----

void EndpointService::report(Endpoint& endpoint, std::string_view cls)
{
    const Status status = statusOf(endpoint);
    endpoint.last = status;
    send_(Report{std::string(cls), endpoint.key, endpointUid(program_.xapUID, endpoint.number),
                 std::string(statusBlockName(status)), statusItems(status)});
}

void EndpointService::queueAnswer(const std::string& key)
{
    if (!queued_.insert(key).second)
        return; // one answer per endpoint
    answerQueue_.push_back(key);
    if (answerTimer_ && !answerTimer_->enabled())
        answerTimer_->setEnabled(true);
}

bool EndpointService::sendNextAnswer()
{
    while (!answerQueue_.empty()) {
        const std::string key = answerQueue_.front();
        answerQueue_.pop_front();
        queued_.erase(key);
        if (Endpoint* endpoint = find(key)) {
            report(*endpoint, kInfoClass);
            return true;
        }
    }
    return false;
}

int EndpointService::periodicGapMs() const
{
    const long long total = static_cast<long long>(settings_.infoIntervalSeconds) * 1000;
    const long long gap = total / static_cast<long long>(std::max<std::size_t>(endpoints_.size(), 1));
    return static_cast<int>(std::max<long long>(gap, kMinPeriodicGapMs));
}

void EndpointService::updatePeriodicGap()
{
    if (periodicTimer_ && periodicTimer_->interval() != periodicGapMs())
        periodicTimer_->setInterval(periodicGapMs());
}

void EndpointService::sendNextPeriodicInfo()
{
    if (periodicNext_ >= endpoints_.size()) {
        // A new round: the device list as it is now, the gap for its size.
        rescan();
        periodicNext_ = 0;
        updatePeriodicGap();
        if (endpoints_.empty())
            return;
    }
    report(endpoints_[periodicNext_++], kInfoClass);
}

void EndpointService::onDeviceChange(host::DeviceCell cell)
{
    if (applying_) {
        changedCells_.insert(cell.index());
        return;
    }
    // A cell without an endpoint may be a device added since the list was last read;
    // an endpoint found that way reports its first change as it is.
    std::set<std::string> known;
    const bool lookedAgain = byCell_.find(cell.index()) == byCell_.end();
    if (lookedAgain) {
        for (const Endpoint& endpoint : endpoints_)
            known.insert(endpoint.key);
        rescanSoon();
    }
    std::vector<std::size_t> positions;
    const auto [first, last] = byCell_.equal_range(cell.index());
    for (auto it = first; it != last; ++it)
        positions.push_back(it->second);
    for (const std::size_t position : positions) {
        if (position >= endpoints_.size())
            continue;
        Endpoint& endpoint = endpoints_[position];
        if (!lookedAgain || known.count(endpoint.key))
            eventIfChanged(endpoint);
        else
            report(endpoint, kEventClass);
    }
}

void EndpointService::eventIfChanged(Endpoint& endpoint)
{
    if (statusOf(endpoint) != endpoint.last)
        report(endpoint, kEventClass);
}

// ---- inbound ----

bool EndpointService::handle(const xap::XapMessage& message)
{
    if (message.CompareClass(std::string(kQueryClass))) {
        query(message);
        return true;
    }
    if (message.CompareClass(std::string(kCmdClass))) {
        command(message);
        return true;
    }
    return false;
}

void EndpointService::query(const xap::XapMessage& message)
{
    const std::string& target = message.MsgTarget();
    if (target == "Unknown")
        return; // a query for nobody in particular names no endpoint
    rescan();
    for (const Endpoint& endpoint : endpoints_)
        if (targetMatches(target, address(endpoint)))
            queueAnswer(endpoint.key);
}

void EndpointService::command(const xap::XapMessage& message)
{
    if (!settings_.commands) {
        log_("BSC: xAPBSC.cmd from " + clip(message.msgSource()) +
             " ignored: commands are off (Commands=0 in [BSC] of vynXap.ini)");
        return;
    }
    const std::string& target = message.MsgTarget();
    if (target == "Unknown")
        return;
    rescan();

    struct Planned {
        std::string key;
        Command command;
    };
    std::vector<Planned> plan;
    std::set<std::string> taken;
    std::vector<std::string> malformed;
    for (std::size_t section = 0; section < message.sectionCount(); ++section) {
        const std::string_view name = message.sectionName(section);
        if (!isCommandBlock(name))
            continue;
        CommandParse parsed = parseCommand(itemsOf(message, section));
        if (!parsed.command) {
            malformed.push_back(clip(name, 24) + " (" + parsed.error + ")");
            continue;
        }
        for (const Endpoint& endpoint : endpoints_)
            if (parsed.command->selects(endpoint.number) && targetMatches(target, address(endpoint))
                && taken.insert(endpoint.key).second) // each endpoint changes once: the first block naming it
                plan.push_back({endpoint.key, *parsed.command});
    }
    if (!malformed.empty()) {
        std::string line = "BSC: xAPBSC.cmd from " + clip(message.msgSource()) + ": " + std::to_string(malformed.size())
            + " malformed block(s) changed nothing:";
        for (std::size_t i = 0; i < malformed.size() && i < kMaxBlocksNamed; ++i)
            line += (i ? "; " : " ") + malformed[i];
        if (malformed.size() > kMaxBlocksNamed)
            line += "; and " + std::to_string(malformed.size() - kMaxBlocksNamed) + " more";
        log_(line);
    }
    if (plan.empty())
        return;

    // Changes made meanwhile (by this command, or by the listeners and scripts it wakes)
    // are collected and reported once each afterwards.
    applying_ = true;
    changedCells_.clear();
    for (const Planned& planned : plan)
        if (const Endpoint* endpoint = find(planned.key))
            apply(*endpoint, planned.command);
    applying_ = false;
    const std::set<std::size_t> changed = std::move(changedCells_);
    changedCells_.clear();

    std::set<std::string> evented;
    for (Endpoint& endpoint : endpoints_) {
        if (!changed.count(endpoint.cell.index()) || statusOf(endpoint) == endpoint.last)
            continue;
        report(endpoint, kEventClass);
        evented.insert(endpoint.key);
    }
    for (const Planned& planned : plan)
        if (!evented.count(planned.key))
            queueAnswer(planned.key); // no change: the endpoint says how it is
    if (!changed.empty())
        rescanSoon();
}

void EndpointService::apply(const Endpoint& endpoint, const Command& command)
{
    host::HostState* state = host::loadedState(registry_);
    if (!state || !state->hostObject)
        return;
    host::Application& app = *state->hostObject;
    const std::string code = endpoint.code;
    const std::size_t cell = endpoint.cell.index();
    const std::int16_t current = state->tables.status[cell];
    const bool isOn = current == 2 || current == 4 || current == 5;
    std::optional<bool> wantOn;
    if (command.state)
        wantOn = *command.state == State::Toggle ? !isOn : *command.state == State::On;
    // The host's own members, called by name as a script calls them.
    const auto setStatus = [&](std::int16_t status) {
        vb::ignoreErrors([&] { vb::call(app, "SetDeviceStatus", code, status); });
    };
    if (command.level) {
        const int percent = percentOf(*command.level);
        vb::ignoreErrors([&] { vb::call(app, "SetDeviceValue", code, static_cast<std::int32_t>(percent)); });
        setStatus(wantOn.value_or(percent > 0) ? 4 : 3); // dimmed to the level, or off
    } else if (wantOn) {
        if (!*wantOn)
            setStatus(3);
        else if (!isOn)
            setStatus(2); // a device already on (or dimmed) stays as it is
    }
    if (command.text)
        vb::ignoreErrors([&] { vb::call(app, "SetDeviceString", code, *command.text); });
}

// ---- the program's service ----

namespace {

void sendReport(xap::ProgramState& program, const EndpointService::Report& report)
{
    std::string data;
    for (const auto& [key, value] : report.items) {
        if (!data.empty())
            data += '\0';
        data += key;
        data += '\1';
        data += value;
    }
    xap::SendXap(program, "", report.cls, report.block, data, report.subAddress, report.uid);
}

void logLine(xap::ProgramState& program, const std::string& text)
{
    xap::WriteLogFile(program, xap::kProgramName, text);
}

} // namespace

std::unique_ptr<EndpointService> startEndpointService(xap::ProgramState& program, host::HostRegistry& registry)
{
    const Settings settings = readSettings(program.ini, platform::joinPath(program.baseFolder, "config/vynXap.ini"));
    if (!settings.problems.empty())
        logLine(program, "BSC: in [BSC] of vynXap.ini, " + settings.problems + "; the defaults apply there");
    if (!settings.enabled)
        return nullptr;
    auto service = std::make_unique<EndpointService>(
        program, registry, settings, platform::joinPath(program.baseFolder, std::string("config/") + EndpointTable::kFileName),
        [&program](const EndpointService::Report& report) { sendReport(program, report); },
        [&program](const std::string& text) { logLine(program, text); });
    service->start();
    logLine(program, "BSC endpoints on: " + std::to_string(service->endpointCount()) + " device(s) as " + program.xapSource
            + ":<device code>, commands " + (settings.commands ? "on" : "off") + ", info every "
            + (settings.infoIntervalSeconds ? std::to_string(settings.infoIntervalSeconds) + " s" : std::string("query only")));
    return service;
}

} // namespace bsc
