#include "XapNode.h"

#include "ProgramState.h"
#include "HeartbeatHeader.h"
#include "Logging.h"
#include "XapMessage.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"
#include "automation/Utf16Text.h"
#include "base/AsciiText.h"
#include "platform/InterfaceForAddress.h"
#include "platform/NetworkInterfaces.h"

#include <algorithm>
#include <cmath>

namespace xap {

namespace {

// Receive buffers sized for bursts: the hub relays a whole burst at once.
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;
// Datagrams read per readiness call before the event loop gets its turn again.
constexpr int kReadsPerWakeup = 4096;

// Numeric value of a dotted part: its leading digits, 0 when it has none.
std::int64_t leadingNumber(std::string_view part)
{
    std::int64_t value = 0;
    for (char c : part) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > 0xFFFFFFFFLL)
            break;
    }
    return value;
}

} // namespace

std::string numberText(std::int32_t value)
{
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

const vb::MemberTable<XapNode>& XapNode::members()
{
    static const vb::MemberTable<XapNode> table("xap", {
        vb::raw<XapNode>("hibyte", vb::Method, [](XapNode&, vb::Args a) {
            if (a.size() != 1)
                vb::raiseError(vb::err::WrongArgumentCount);
            return vb::Variant(hibyte(vb::CInt(a[0])));
        }),
        vb::raw<XapNode>("lobyte", vb::Method, [](XapNode&, vb::Args a) {
            if (a.size() != 1)
                vb::raiseError(vb::err::WrongArgumentCount);
            return vb::Variant(lobyte(vb::CInt(a[0])));
        }),
        vb::method<&XapNode::SocketsInitialize>("SocketsInitialize"),
        vb::method<&XapNode::SocketsCleanup>("SocketsCleanup"),
        vb::method<&XapNode::GetIP>("GetIP"),
        vb::raw<XapNode>("AddressMatches", vb::Method, [](XapNode&, vb::Args a) {
            if (a.size() != 2)
                vb::raiseError(vb::err::WrongArgumentCount);
            return vb::Variant(AddressMatches(vb::CStr(a[0]), vb::CStr(a[1])));
        }),
        vb::method<&XapNode::Init>("Init"),
        vb::method<&XapNode::RegisterNewMessageCallback>("RegisterNewMessageCallback"),
        vb::get<&XapNode::GetMessage>("GetMessage"),
        vb::let<&XapNode::letFilterHeartbeats>("FilterHeartbeats"),
        vb::get<&XapNode::FilterHeartbeats>("FilterHeartbeats"),
        vb::let<&XapNode::letBroadcastAddress>("BroadcastAddress"),
        vb::get<&XapNode::BroadcastAddress>("BroadcastAddress"),
        vb::let<&XapNode::letInterfaceAddress>("InterfaceAddress"),
        vb::get<&XapNode::InterfaceAddress>("InterfaceAddress"),
        vb::let<&XapNode::letXapClass>("XapClass"),
        vb::get<&XapNode::XapClass>("XapClass"),
        vb::let<&XapNode::letXapSource>("XapSource"),
        vb::get<&XapNode::XapSource>("XapSource"),
        vb::let<&XapNode::letXapTarget>("XapTarget"),
        vb::get<&XapNode::XapTarget>("XapTarget"),
        vb::let<&XapNode::letXapUID>("XapUID"),
        vb::get<&XapNode::XapUID>("XapUID"),
        vb::method<&XapNode::SendHeartbeat>("SendHeartbeat"),
        vb::method<&XapNode::sendXapMember>("SendXap"),
    });
    return table;
}

// ---- Creation and end ---------------------------------------------------------------

XapNode::XapNode(ProgramState& program)
    : program_(program)
    , addressLister_(platform::interfaceAddresses)
    , heartbeatTimer_([this] { onHeartbeatTick(); })
    , receiveTimer_([this] { onReceiveTimer(); })
    , hubCheckTimer_([this] { onHubCheck(); })
{
    // The timers' settings before any code runs: the heartbeat timer at 20 s, the
    // receive timer off.
    heartbeatTimer_.setInterval(20000);
    heartbeatTimer_.setEnabled(true);
    SocketsInitialize();
    messageCallback_.reset();
    filterHeartbeats_ = true;
    program_.sender = this;
}

XapNode::~XapNode()
{
    unload();
}

void XapNode::unload()
{
    // The hub stops relaying to this port at once rather than after two intervals.
    if (announced_ && lanSocket_.isOpen()) {
        announced_ = false;
        vb::ignoreErrors([&] { sendDatagram(stoppedHeartbeat()); });
    }
    vb::ignoreErrors([&] {
        receivedQueue_.clear();
        queuedBytes_ = 0;
    });
    vb::ignoreErrors([&] { SocketsCleanup(); });
    loopbackWatcher_.reset();
    lanWatcher_.reset();
    loopbackSocket_.close();
    lanSocket_.close();
    heartbeatTimer_.setEnabled(false);
    receiveTimer_.setEnabled(false);
    hubCheckTimer_.setEnabled(false);
    // The listener (the main form) holds the node; letting go of it ends the cycle.
    messageCallback_.reset();
    if (program_.sender == this)
        program_.sender = nullptr;
}

void XapNode::SocketsInitialize()
{
    vb::trap(writeLogFileReporter(program_), kProgramName, "SocketsInitialize ", [&] {
        // POSIX sockets need no library start; the version they offer is 1.1 or later.
        const std::int16_t version = 0x0101;
        const std::int32_t major = lobyte(version);
        const std::int32_t minor = hibyte(version);
        if (major < 1 || (major == 1 && minor < 1))
            WriteLogFile(program_, kProgramName, "SocketsInitialize Windows Sockets version " + std::to_string(major) + "." +
                             std::to_string(minor) + " is not supported by winsock.dll ");
    });
}

void XapNode::SocketsCleanup()
{
    // Nothing to stop on POSIX systems, so the code is always 0.
    const int code = 0;
    if (code != 0)
        WriteLogFile(program_, kProgramName, "SocketsCleanup " + std::to_string(code));
}

// ---- Address and port ---------------------------------------------------------------

bool XapNode::AddressMatches(const std::string& address, const std::string& pattern)
{
    const std::vector<std::string_view> a = ascii::split(address, '.');
    const std::vector<std::string_view> p = ascii::split(pattern, '.');
    if (a.size() != 4 || p.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        const std::int64_t want = leadingNumber(p[i]);
        if ((want & leadingNumber(a[i])) != want)
            return false;
    }
    return true;
}

std::string XapNode::GetIP()
{
    std::string result;
    vb::trap(writeLogFileReporter(program_), kProgramName, "GetIP", [&] {
        std::optional<std::vector<std::string>> addresses = addressLister_ ? addressLister_() : std::nullopt;
        if (!addresses)
            return;
        // A machine without a network address answers with loopback alone.
        if (addresses->empty())
            addresses->push_back("127.0.0.1");
        for (const std::string& address : *addresses) {
            if (AddressMatches(address, interfaceAddress_)) {
                result = address;
                return;
            }
        }
        result = addresses->front();
    });
    return result;
}

bool XapNode::bindFromFirstPort(platform::UdpSocket& socket)
{
    nodePort_ = kFirstNodePort;
    for (int attempt = 0; attempt < kPortTries; ++attempt) {
        if (!socket.bind(static_cast<std::uint16_t>(nodePort_), "127.0.0.1"))
            return true;
        ++nodePort_;
    }
    return false;
}

std::int32_t XapNode::Init()
{
    std::int32_t result = -1;
    interfaceIP_ = GetIP();
    resolvedBroadcast_ = ascii::equalsIgnoreCase(broadcastAddress_, "default") ? "255.255.255.255" : broadcastAddress_;

    if (interfaceIP_ != "127.0.0.1") {
        if (!bindFromFirstPort(loopbackSocket_)) {
            result = -1;
        } else {
            prepareReceiver(loopbackSocket_, loopbackWatcher_);
            sendAddress_ = resolvedBroadcast_;
            if (platform::SocketError e = lanSocket_.bind(static_cast<std::uint16_t>(nodePort_), interfaceIP_))
                return e.number > 0 ? -e.number : e.number;
            prepareReceiver(lanSocket_, lanWatcher_);
            result = nodePort_;
        }
    } else {
        sendAddress_ = resolvedBroadcast_;
        if (bindFromFirstPort(lanSocket_)) {
            prepareReceiver(lanSocket_, lanWatcher_);
            result = nodePort_;
        } else {
            result = -1;
        }
    }
    heartbeatSuffix_ = "0\nport=" + std::to_string(nodePort_) + "\n}\n";
    if (result > 0) {
        logAddressProblems();
        anythingReceived_ = false;
        deafLogged_ = false;
        lastArrival_ = Clock::now();
        hubs_.clear();
        hubCheckTimer_.setInterval(hubCheckDelayMs_);
        hubCheckTimer_.setEnabled(true);
    }
    return result;
}

// Settings that make every send fail, or arrive nowhere, are named in the log once at
// start; the node still uses them as given.
void XapNode::logAddressProblems()
{
    if (interfaceIP_ == "127.0.0.1")
        WriteLogWarning(program_, kProgramName, "no network address: serving this computer only");
    std::uint32_t ignored = 0;
    if (!platform::parseIPv4(resolvedBroadcast_, ignored)) {
        WriteLogWarning(program_, kProgramName, "BroadcastAddress \"" + resolvedBroadcast_ +
                                       "\" in vynXap.ini is not an IPv4 address: xAP messages may go nowhere");
        return;
    }
    if (resolvedBroadcast_ == "255.255.255.255")
        return;
    // The interface whose network holds the broadcast address must be the chosen one.
    const std::optional<std::string> carrier = platform::interfaceAddressFor(resolvedBroadcast_);
    if (!carrier) {
        WriteLogWarning(program_, kProgramName, "BroadcastAddress " + resolvedBroadcast_ +
                                       " in vynXap.ini is on no network of this computer: xAP messages may go nowhere");
    } else if (carrier != platform::interfaceAddressFor(interfaceIP_)) {
        WriteLogWarning(program_, kProgramName, "BroadcastAddress " + resolvedBroadcast_ + " in vynXap.ini is not on the network of the interface address " +
                                       interfaceIP_ + " (it is on " + *carrier + "'s): xAP messages may go nowhere");
    }
}

// Runs 30 s after Init and then every 10 s. A node that has heard nothing since it
// started says so once. While it hears nothing at all for 30 s, or no heartbeat for
// twice its interval from the hubs it heard, it announces itself every 10 s, so that
// a hub started or restarted late learns its port. (With a working hub on a quiet
// network the announcement comes back at once, so that costs a heartbeat every 30 s.)
void XapNode::onHubCheck()
{
    if (hubCheckTimer_.interval() != deafHeartbeatMs_)
        hubCheckTimer_.setInterval(deafHeartbeatMs_);
    const Clock::time_point now = Clock::now();
    const bool nothingHeard = now - lastArrival_ >= std::chrono::milliseconds(hubCheckDelayMs_);
    bool hubSilent = !hubs_.empty();
    for (const HeardHub& hub : hubs_)
        if (now - hub.lastHeard <= std::chrono::seconds(2 * hub.intervalSeconds))
            hubSilent = false;
    if (!anythingReceived_ && !deafLogged_) {
        deafLogged_ = true;
        std::string text = "no xAP hub relays to this node (port " + std::to_string(nodePort_) +
            "): start xaphub on this computer";
        if (interfaceIP_ != "127.0.0.1")
            text += ", or, if a hub runs, let it accept clients from " + interfaceIP_ +
                " or choose another address with InterfaceAddress in vynXap.ini";
        WriteLogWarning(program_, kProgramName, text);
    }
    if (nothingHeard || hubSilent)
        reannounce();
}

void XapNode::reannounce()
{
    if (!announced_ || !lanSocket_.isOpen())
        return;
    const Clock::time_point now = Clock::now();
    if (extraHeartbeats_ > 0 && now - lastReannounce_ < std::chrono::milliseconds(kReannounceGapMs))
        return;
    lastReannounce_ = now;
    ++extraHeartbeats_;
    sendAddress_ = resolvedBroadcast_;
    sendDatagram(heartbeatPrefix_ + std::to_string(announcedInterval_) + heartbeatSuffix_);
}

// A hub heartbeat not heard before (a new source or uid), or heard again after more
// than twice its interval, is a hub that may not know this node: it is told at once.
void XapNode::noteHeartbeat(std::string_view text)
{
    const std::optional<HeartbeatHeader> beat = readHeartbeatHeader(text);
    if (!beat || !beat->fromHub())
        return;
    const Clock::time_point now = Clock::now();
    const std::string key = vb::lowerCase(beat->source) + '\n' + vb::lowerCase(beat->uid);
    const std::int32_t interval = beat->intervalSeconds > 0 ? std::min(beat->intervalSeconds, 3600) : 60;
    auto known = std::find_if(hubs_.begin(), hubs_.end(), [&](const HeardHub& h) { return h.key == key; });
    bool fresh = false;
    if (known == hubs_.end()) {
        if (hubs_.size() >= kHubsRemembered)
            hubs_.erase(std::min_element(hubs_.begin(), hubs_.end(),
                                         [](const HeardHub& a, const HeardHub& b) { return a.lastHeard < b.lastHeard; }));
        hubs_.push_back(HeardHub{key, now, interval});
        fresh = true;
    } else {
        fresh = now - known->lastHeard > std::chrono::seconds(2 * known->intervalSeconds);
        known->lastHeard = now;
        known->intervalSeconds = interval;
    }
    if (fresh)
        reannounce();
}

std::string XapNode::stoppedHeartbeat() const
{
    std::string text = heartbeatPrefix_ + std::to_string(announcedInterval_) + heartbeatSuffix_;
    const std::string alive = "class=xap-hbeat.alive\n";
    const std::size_t at = text.find(alive);
    if (at != std::string::npos)
        text.replace(at, alive.size(), "class=xap-hbeat.stopped\n");
    return text;
}

void XapNode::prepareReceiver(platform::UdpSocket& socket, std::unique_ptr<platform::ReadinessWatcher>& watcher)
{
    socket.setReceiveBuffer(kReceiveBufferBytes);
    watcher = std::make_unique<platform::ReadinessWatcher>(socket.descriptor(), [this, &socket] { readAll(socket); });
}

// ---- Receiving ----------------------------------------------------------------------

void XapNode::readAll(platform::UdpSocket& socket)
{
    for (int i = 0; i < kReadsPerWakeup; ++i) {
        if (!socket.receive(lastReceived_))
            return;
        anythingReceived_ = true;
        lastArrival_ = Clock::now();
        if (lastReceived_.size() > 5 && (lastReceived_[5] == 'b' || lastReceived_[5] == 'B'))
            noteHeartbeat(lastReceived_);
        processReceivedMessage(lastReceived_);
    }
}

void XapNode::processReceivedMessage(const std::string& text)
{
    vb::trap(writeLogFileReporter(program_), kProgramName, "ProcessReceivedMessage", [&] {
        if (!filterHeartbeats_ || ascii::startsWithIgnoreCase(text, "xap-head")) {
            if (queuedBytes_ + text.size() > kMaxQueuedBytes) {
                // The listener is behind a flood: memory stays bounded, and the log
                // says so once until the queue has been drained.
                if (!droppingLogged_)
                    WriteLogWarning(program_, kProgramName, "receive queue full: xAP messages dropped until the plug-in catches up");
                droppingLogged_ = true;
                return;
            }
            queuedBytes_ += text.size();
            receivedQueue_.push_back(text);
            // The first message of a burst arms the timer; later ones find it armed and
            // leave it, so a steady stream cannot postpone the listener's call forever.
            if (!receiveTimer_.running()) {
                receiveTimer_.setInterval(kReceiveDelayMs);
                receiveTimer_.setEnabled(true);
            }
        }
    });
}

void XapNode::onReceiveTimer()
{
    receiveTimer_.setEnabled(false);
    if (!messageCallback_)
        return;
    // A listener without onMessage must not take the event loop down with it.
    vb::trap(writeLogFileReporter(program_), kProgramName, "ReceiveTimer_Timer", [&] {
        vb::Ref<vb::Object> listener = messageCallback_;
        listener->invoke("onMessage", vb::Method, vb::Args());
    });
}

std::string XapNode::GetMessage()
{
    if (receivedQueue_.empty())
        return {};
    std::string text = std::move(receivedQueue_.front());
    receivedQueue_.pop_front();
    queuedBytes_ -= text.size();
    if (receivedQueue_.empty())
        droppingLogged_ = false;
    return text;
}

// ---- Identity -------------------------------------------------------------------------

std::string XapNode::XapClass() const { return program_.xapClass; }
std::string XapNode::XapSource() const { return program_.xapSource; }
std::string XapNode::XapTarget() const { return program_.xapTarget; }
std::string XapNode::XapUID() const { return program_.xapUID; }

void XapNode::letXapClass(std::string value)
{
    program_.xapClass = std::move(value);
}

void XapNode::letXapSource(std::string value)
{
    program_.xapSource = std::move(value);
    rebuildHeartbeatPrefix();
}

void XapNode::letXapTarget(std::string value)
{
    program_.xapTarget = std::move(value);
    rebuildHeartbeatPrefix();
}

void XapNode::letXapUID(std::string value)
{
    program_.xapUID = std::move(value);
    program_.headerPrefix = "xap-header\n{\nv=13\nhop=1\nuid=";
    rebuildHeartbeatPrefix();
}

void XapNode::rebuildHeartbeatPrefix()
{
    std::string text = "xap-hbeat|{|v=13|hop=1|uid=" + program_.xapUID + "|class=xap-hbeat.alive|source=" + program_.xapSource + "|interval=";
    for (char& c : text)
        if (c == '|')
            c = '\n';
    heartbeatPrefix_ = std::move(text);
}

// ---- Sending --------------------------------------------------------------------------

platform::SocketError XapNode::sendDatagram(std::string_view text)
{
    // Script texts hold characters beyond 16 bits as two surrogate units: on the wire
    // they are well-formed UTF-8 again (a lone surrogate as a replacement character).
    std::string wellFormed;
    if (!vb::utf16::hasNoSurrogates(text)) {
        wellFormed = vb::utf16::toWellFormed(text);
        text = wellFormed;
    }
    platform::SocketError e = lanSocket_.enableBroadcast();
    if (!e)
        e = lanSocket_.sendTo(sendAddress_, kXapPort, text);
    if (e)
        logSendFailure(e);
    return e;
}

// Every failed send is logged with the same words for the same cause, so the log file
// writes the first and counts the rest ("last message repeated N times").
void XapNode::logSendFailure(const platform::SocketError& error)
{
    const vb::Failure pending = vb::currentFailure();
    vb::clearCurrentFailure();
    WriteLogWarning(program_, kProgramName, "cannot send to " + sendAddress_ + ":" + std::to_string(kXapPort) + ": " + error.description);
    if (pending.active())
        vb::setCurrentFailure(pending);
}

void XapNode::SendHeartbeat(std::int32_t intervalSeconds)
{
    std::int32_t n = intervalSeconds;
    if (n > 60)
        n = 60;
    else if (n < 1)
        n = 0;
    else if (n < 5)
        n = 5;
    heartbeatTimer_.setInterval(n * 1000);
    heartbeatTimer_.setEnabled(n > 0);
    announced_ = true;
    announcedInterval_ = n;
    sendAddress_ = resolvedBroadcast_;
    // A heartbeat that cannot be sent is not reported to the caller (the log has it);
    // the next one tries again.
    sendDatagram(heartbeatPrefix_ + std::to_string(n) + heartbeatSuffix_);
}

void XapNode::onHeartbeatTick()
{
    heartbeatTicks_ = static_cast<std::int16_t>((heartbeatTicks_ + 1) % 10);
    if (heartbeatTicks_ == 0)
        vb::ignoreErrors([&] { SendHeartbeat(static_cast<std::int32_t>(std::lround(heartbeatTimer_.interval() / 1000.0))); });
}

std::string XapNode::SendXap(const std::string& sTarget, const std::string& sClass, const std::string& sSection,
                             const std::string& sData, const std::string& sSubaddress, const std::string& sUID)
{
    try {
        XapMessage message(program_);
        message.letMsgClass(sClass);
        message.letMsgSource(sSubaddress.empty() ? program_.xapSource : program_.xapSource + ":" + sSubaddress);
        message.letMsgTarget(sTarget);
        message.letMsgUID(sUID.empty() ? program_.xapUID : sUID);
        message.AddHeader();
        message.addSection(sSection);
        // Items are separated by code 0; the first code 1 of an item splits key from value.
        std::string_view data(sData);
        while (true) {
            const std::size_t end = data.find('\0');
            const std::string_view item = data.substr(0, end);
            const std::size_t split = item.find('\1');
            if (split != std::string_view::npos)
                message.addItem(item.substr(0, split), item.substr(split + 1));
            if (end == std::string_view::npos)
                break;
            data.remove_prefix(end + 1);
        }
        sendAddress_ = resolvedBroadcast_;
        if (platform::SocketError e = sendDatagram(message.ToXap()))
            throw vb::Error(e.number, e.description);
        return {};
    } catch (...) {
        const vb::Failure failure = vb::failureFromCurrentException();
        return std::to_string(failure.line) + " " + failure.description;
    }
}

std::string XapNode::sendXapMember(const std::string& sTarget, const std::string& sClass, const std::string& sSection,
                                   const std::string& sData, vb::Optional<std::string> sSubaddress, vb::Optional<std::string> sUID)
{
    return SendXap(sTarget, sClass, sSection, sData, sSubaddress.value_or(""), sUID.value_or(""));
}

} // namespace xap
