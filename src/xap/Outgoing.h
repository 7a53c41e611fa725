// The module-level send path: everything the program sends goes through SendXap.
// Until the node is ready (the program state's xapReady) messages wait in
// PendingMessages; the first send afterwards flushes them, oldest first, before the
// new one.
//
// The item list (`data`) is one text: items separated by the character with code 0,
// key and value within an item by the character with code 1.
#pragma once

#include <deque>
#include <string>
#include <string_view>

namespace xap {

struct ProgramState;

// A message waiting to be sent, its six texts in the order they are stored.
struct xapQueuedMessage {
    std::string MsgTarget;
    std::string MsgClass;
    std::string MsgSection;
    std::string MsgData;
    std::string MsgSubAddress;
    std::string MsgUID;
};

// What actually sends: the node. Returns "" when sent, else the failure text.
class MessageSender {
public:
    virtual ~MessageSender() = default;
    virtual std::string SendXap(const std::string& target, const std::string& cls, const std::string& section,
                                const std::string& data, const std::string& subAddress, const std::string& uid) = 0;
};

// The program's node registers itself here (null when there is none).
void setMessageSender(ProgramState& program, MessageSender* sender);
MessageSender* messageSender(const ProgramState& program);

// Messages handed to the program before its node is ready, oldest first.
std::deque<xapQueuedMessage>& PendingMessages(ProgramState& program);

// Sends through the program's node, or queues until it is ready.
void SendXap(ProgramState& program, const std::string& target, const std::string& cls, const std::string& section,
             const std::string& data, const std::string& subAddress = {}, const std::string& uid = {});

// Builds an item list: items({{"Time", t}, {"Type", ty}}).
std::string itemList(std::initializer_list<std::pair<std::string_view, std::string_view>> items);

} // namespace xap
