// Inbound dispatch: what happens to one received xAP text. Role and echo queries are
// answered here; BSC commands and queries go to the BSC endpoints when they are on;
// every other message addressed to this node (or to nobody in particular) goes to the
// hosted plug-in's AudreyOnXapMessage.
#pragma once

#include <functional>
#include <string>

namespace xap {
struct ProgramState;
}

namespace shell {

struct ShellState;

// Parses and dispatches one raw message for the program whose states are given.
// Failures are reported ("Readmessage") and end that message's handling only.
void ReadMessage(const std::string& sRaw, xap::ProgramState& program, ShellState& shell);

// Sees every message handed to the plug-in (source, target, class, the message text),
// just before the plug-in gets it. One per program (its shell state keeps it).
using InboundObserver = std::function<void(const std::string& source, const std::string& target,
                                           const std::string& messageClass, const std::string& text)>;
void setInboundObserver(ShellState& shell, InboundObserver observer);

// The answers to the two service queries.
void SendRoleNotification(xap::ProgramState& program);
void SendEchoResponse(xap::ProgramState& program, const std::string& target, const std::string& query);

} // namespace shell
