// The node's BSC endpoints: every device record with a device code is an endpoint
// "<node source>:<code>" with the sub-UID "<node UID stem>:<number>" (numbers from the
// endpoint table in Config/vynBSC.ini).
//
// - An endpoint reports "xAPBSC.event" when a status, value or text change of its
//   device alters what it reports, and "xAPBSC.info" at start, on "xAPBSC.query" and
//   every info interval, spread over the interval (one endpoint at a time).
// - With commands on, "xAPBSC.cmd" changes devices through the host object's own
//   members (SetDeviceStatus, SetDeviceValue, SetDeviceString), so listeners and
//   scripts see what they would see from a script. One cmd changes each endpoint at
//   most once and answers once per endpoint: an event when it changed, else an info.
// - Malformed command blocks change nothing and are named in one log line per message.
//
// Report of one endpoint: "output.state" with state (on for status 2, 4 and 5, off for
// 3, "?" otherwise), level (the device value as N/100, for a device that can dim or has
// been dimmed), text (the device text, for a device that has had one) and displaytext
// (the full device name).
#pragma once

#include "EndpointTable.h"
#include "Schema.h"
#include "Settings.h"

#include "host/DeviceCode.h"
#include "host/DeviceChanges.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {
class Timer;
}
namespace xap {
class XapMessage;
struct ProgramState;
} // namespace xap

namespace bsc {

class EndpointService {
public:
    // One outgoing report: class, sub-address, UID, block and its items.
    struct Report {
        std::string cls;
        std::string subAddress;
        std::string uid;
        std::string block;
        Items items;
    };
    using Sender = std::function<void(const Report&)>;
    using Logger = std::function<void(const std::string&)>;

    // Gaps between paced infos: answers and the start sweep, and at least this much
    // between periodic ones.
    static constexpr int kAnswerGapMs = 10;
    static constexpr int kMinPeriodicGapMs = 20;

    // The endpoints of `program` over the devices of the host whose registry is given (both
    // outlive them): their addresses and UIDs follow the program's node. `timers` false
    // leaves pacing to the caller (sendNextAnswer, sendNextPeriodicInfo).
    EndpointService(const xap::ProgramState& program, host::HostRegistry& registry, Settings settings, std::string tablePath,
                    Sender send, Logger log, bool timers = true);
    ~EndpointService();
    EndpointService(const EndpointService&) = delete;
    EndpointService& operator=(const EndpointService&) = delete;

    // Numbers the devices' endpoints and queues an info of each.
    void start();

    // A message the node accepted (targeted at it or at nobody): true when it is a
    // BSC cmd or query, which the endpoints then answer or act on.
    bool handle(const xap::XapMessage& message);

    // Pacing steps (the timers call them): one queued answer; false when none waited.
    bool sendNextAnswer();
    void sendNextPeriodicInfo();
    int periodicGapMs() const;

    std::size_t endpointCount() const { return endpoints_.size(); }
    std::size_t queuedAnswers() const { return answerQueue_.size(); }
    const Settings& settings() const { return settings_; }

private:
    struct Endpoint {
        std::string code;  // as the device record writes it: for the host's members
        std::string key;   // upper-cased code: the sub-address
        int number = 0;
        host::DeviceCell cell;
        std::string displayText;
        bool level = false; // it can dim or has been dimmed
        bool text = false;  // it has had a text
        Status last;        // what it last reported (or its state when found)
    };

    void rescan();
    void rescanSoon();
    Status statusOf(Endpoint& endpoint) const;
    void report(Endpoint& endpoint, std::string_view cls);
    void queueAnswer(const std::string& key);
    Endpoint* find(const std::string& key);
    void onDeviceChange(host::DeviceCell cell);
    void eventIfChanged(Endpoint& endpoint);
    void query(const xap::XapMessage& message);
    void command(const xap::XapMessage& message);
    void apply(const Endpoint& endpoint, const Command& command);
    std::string address(const Endpoint& endpoint) const;
    void updatePeriodicGap();

    const xap::ProgramState& program_;
    host::HostRegistry& registry_;
    Settings settings_;
    EndpointTable table_;
    Sender send_;
    Logger log_;
    std::vector<Endpoint> endpoints_;
    std::unordered_multimap<std::size_t, std::size_t> byCell_; // cell index -> endpoint position
    std::unordered_map<std::string, std::size_t> byKey_;       // sub-address -> endpoint position
    std::deque<std::string> answerQueue_;
    std::set<std::string> queued_;
    std::size_t periodicNext_ = 0;
    std::size_t observerId_ = 0;
    bool applying_ = false; // a cmd is being applied: changes are collected, not reported
    std::set<std::size_t> changedCells_;
    std::size_t scannedDeviceCount_ = 0;
    std::chrono::steady_clock::time_point lastScan_{};
    std::string lastSkipped_; // the unpublished codes last logged
    std::unique_ptr<platform::Timer> answerTimer_;
    std::unique_ptr<platform::Timer> periodicTimer_;
};

// The program's endpoints: reads [BSC] of Config/vynXap.ini and, when enabled, starts
// them (the node and the host must be up) and returns them to the program, which keeps
// them while the application object exists. Null when they are off. `program` gives
// the base folder and the node's source; `registry` the host's devices.
std::unique_ptr<EndpointService> startEndpointService(xap::ProgramState& program, host::HostRegistry& registry);

} // namespace bsc
