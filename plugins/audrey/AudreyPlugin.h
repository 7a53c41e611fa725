// The Audrey plug-in: drives 3Com Audrey kitchen appliances over xAP.
//
// Each Audrey named in vynAudreyUtilities.ini ([Audrey Utilities] AudreyNames) gets a
// device of its own in the host. A command member sends one "Audrey.Cmd" message to
// every selected Audrey and records the command as that Audrey's device text. Any xAP
// controller can drive the Audreys by sending "Audrey.Cmd" to the node; "Audrey.Event"
// messages from the Audreys update their device texts.
#pragma once

#include "AudreyCommands.h"
#include "UnknownAudreys.h"

#include "automation/MemberTable.h"
#include "xap/RepeatCollapser.h"

#include <deque>
#include <string>
#include <vector>

namespace audrey {

class AudreyPlugin final : public vb::Dispatch<AudreyPlugin> {
public:
    static const vb::MemberTable<AudreyPlugin>& members();

    // The contract the host relies on.
    std::string name() const { return "Audrey"; }
    std::int32_t Capabilities() const { return 4; }
    std::string AudreyNames();
    void RegisterCallback(vb::Variant& callback);
    void InitIO(const vb::Variant& port);
    void ShutDownX10() { }
    void ShutDownIR() { }
    void ShutdownIO();
    void SetIO(vb::Args args);
    void HSEvent(const vb::Variant& parameters);
    void AudreyOnXapMessage(vb::Variant& message);
    void SelectMenu(const std::string& caption);
    void ConfigIO();
    void ConfigX10();
    void ConfigIR();
    void AudreyACID(const std::string& callerName, const std::string& callerNumber);

    // Runs a command member: the Audrey list first, then its value when it takes one.
    vb::Variant runCommandMember(const Command& command, vb::Args args);

    // State a user and the tests can see.
    bool sendingEnabled() const { return enabled_; }
    std::size_t queuedCount() const { return queue_.size(); }
    std::int32_t eventsSeen() const { return eventsSeen_; }

private:
    struct Outgoing {
        std::string audrey;
        std::string command;
        std::string value;
        bool hasValue;
    };

    vb::Object& host();
    std::vector<std::string> configuredNames();
    std::vector<std::string> parseNames(const std::string& list);
    // The configured Audreys a received list names (without regard to case), each once,
    // in the list's order; the other names are counted (UnknownAudreys).
    std::vector<std::string> knownAudreys(const std::string& list, std::string_view messageClass);
    std::string addressOf(const std::string& audreyName);
    // Sends a command to each Audrey, or holds it while sending is disabled.
    void dispatch(std::string_view command, const std::vector<std::string>& audreys, bool hasValue, const std::string& value);
    void send(const Outgoing& message);
    void setDeviceText(const std::string& audreyName, const std::string& text);
    void log(const std::string& message);
    void runInbound(vb::Object& message);

    vb::Ref<vb::Object> callback_;
    vb::Ref<vb::Object> host_;
    bool enabled_ = true;
    std::deque<Outgoing> queue_; // commands held while sending is disabled
    std::int32_t eventsSeen_ = 0;
    xap::RepeatCollapser logRepeats_; // a peer repeating a fault must not flood the host's log
    UnknownAudreys unknown_;          // nor a peer naming a new Audrey every time
};

} // namespace audrey
