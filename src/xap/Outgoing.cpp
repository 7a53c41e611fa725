#include "Outgoing.h"

#include "ProgramState.h"
#include "Logging.h"
#include "SendGuards.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"

namespace xap {

void setMessageSender(MessageSender* sender)
{
    state().sender = sender;
}

MessageSender* messageSender()
{
    return state().sender;
}

std::deque<xapQueuedMessage>& PendingMessages()
{
    return state().pending;
}

namespace {

void deliver(const std::string& target, const std::string& cls, const std::string& section, const std::string& data,
             const std::string& subAddress, const std::string& uid)
{
    try {
        ProgramState& program = state();
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
        WriteLogFile(kProgramName, "SendXap  " + data);
    }
}

} // namespace

void SendXap(const std::string& target, const std::string& cls, const std::string& section, const std::string& data,
             const std::string& subAddress, const std::string& uid)
{
    // Nothing goes out in reply to the node's own message (it would come back again).
    if (handlingOwnMessage()) {
        logHeldBack("not sent, in reply to this node's own message", cls, data);
        return;
    }
    if (vb::equalsIgnoreCase(cls, "Homeseer.Event")) {
        // Each program's limiter is told once how its summaries go out.
        LogEventLimiter& limiter = logEventLimiter();
        if (!limiter.hasSender()) {
            limiter.setSender([](const std::string& summary) {
                deliver("", "Homeseer.Event", "Event.Log", summary, "", "");
            });
        }
        if (!limiter.admit(data))
            return;
    }
    deliver(target, cls, section, data, subAddress, uid);
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
