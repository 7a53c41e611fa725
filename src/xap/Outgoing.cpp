#include "Outgoing.h"

#include "ProgramState.h"
#include "Logging.h"
#include "SendGuards.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"

namespace xap {

void setMessageSender(ProgramState& program, MessageSender* sender)
{
    program.sender = sender;
}

MessageSender* messageSender(const ProgramState& program)
{
    return program.sender;
}

std::deque<xapQueuedMessage>& PendingMessages(ProgramState& program)
{
    return program.pending;
}

namespace {

void deliver(ProgramState& program, const std::string& target, const std::string& cls, const std::string& section, const std::string& data,
             const std::string& subAddress, const std::string& uid)
{
    try {
        if (program.xapReady) {
            MessageSender* sender = program.sender;
            if (!sender)
                throw vb::Error(vb::err::ObjectVariableNotSet);
            auto& pending = program.pending;
            // The node reports its own failures as a result text, which is not looked at,
            // so the flush always runs to the end.
            for (const xapQueuedMessage& m : pending)
                sender->SendXap(m.MsgTarget, m.MsgClass, m.MsgSection, m.MsgData, m.MsgSubAddress, m.MsgUID);
            pending.clear();
            sender->SendXap(target, cls, section, data, subAddress, uid);
        } else {
            program.pending.push_back(xapQueuedMessage{target, cls, section, data, subAddress, uid});
        }
    } catch (...) {
        vb::setCurrentFailure(vb::failureFromCurrentException());
        WriteLogFile(program, kProgramName, "SendXap  " + data);
    }
}

} // namespace

void SendXap(ProgramState& program, const std::string& target, const std::string& cls, const std::string& section,
             const std::string& data, const std::string& subAddress, const std::string& uid)
{
    // Nothing goes out in reply to the node's own message (it would come back again).
    if (handlingOwnMessage(program)) {
        logHeldBack(program, "not sent, in reply to this node's own message", cls, data);
        return;
    }
    if (vb::equalsIgnoreCase(cls, "Homeseer.Event")) {
        // Each program's limiter is told once how its summaries go out.
        LogEventLimiter& limiter = program.logEvents;
        if (!limiter.hasSender()) {
            limiter.setSender([&program](const std::string& summary) {
                deliver(program, "", "Homeseer.Event", "Event.Log", summary, "", "");
            });
        }
        if (!limiter.admit(data))
            return;
    }
    deliver(program, target, cls, section, data, subAddress, uid);
}

std::string itemList(std::initializer_list<std::pair<std::string_view, std::string_view>> items)
{
    std::string out;
    bool first = true;
    for (const auto& [key, value] : items) {
        if (!first)
            out += '\0';
        first = false;
        out += key;
        out += '\1';
        out += value;
    }
    return out;
}

} // namespace xap
