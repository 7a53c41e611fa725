#include "Commands.h"
#include "base/AsciiText.h"

#include "bsc/Schema.h"
#include "platform/InterfaceForAddress.h"
#include "platform/UdpSocket.h"
#include "xap/XapMessage.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>

namespace xaptool {

namespace {

using Clock = std::chrono::steady_clock;

// Set by the signal handler, which can reach nothing but a process-wide flag.
volatile std::sig_atomic_t gStopRequested = 0;

void onStopSignal(int)
{
    gStopRequested = 1;
}

// SIGINT and SIGTERM end listen and query the normal way (with a stop heartbeat).
void catchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

using ascii::lower;

// Where the tool sends from: a socket bound to the address of the interface whose
// subnet holds the broadcast address (a socket bound to 127.0.0.1 cannot send to a
// LAN's broadcast address), or left to the system for the limited broadcast.
class Sender {
public:
    explicit Sender(const Options& options) : options_(options)
    {
        if (const std::optional<std::string> address = platform::interfaceAddressFor(options.broadcast))
            if (platform::SocketError e = socket_.bind(0, *address))
                std::fprintf(stderr, "xap: cannot bind to %s: %s\n", address->c_str(), e.description.c_str());
    }

    bool send(const std::string& text)
    {
        if (platform::SocketError e = socket_.enableBroadcast()) {
            std::fprintf(stderr, "xap: %s\n", e.description.c_str());
            return false;
        }
        platform::SocketError e = socket_.sendTo(target_, options_.hubPort, text);
        // A computer without a network (no default route) cannot reach the limited
        // broadcast address; its own programs still meet on the loopback network.
        if (e.number == kNetworkUnreachable && target_ == kLimitedBroadcast) {
            target_ = kLoopbackBroadcast;
            std::fprintf(stderr, "xap: %s is unreachable (no network): sending to %s, this computer only "
                                 "(give --broadcast to choose)\n", kLimitedBroadcast, kLoopbackBroadcast);
            e = socket_.sendTo(target_, options_.hubPort, text);
        }
        if (e) {
            std::fprintf(stderr, "xap: cannot send to %s:%u: %s\n", target_.c_str(), options_.hubPort,
                         e.description.c_str());
            return false;
        }
        return true;
    }

private:
    static constexpr int kNetworkUnreachable = 10051; // ENETUNREACH as UdpSocket numbers it (the log texts' numbering)
    static constexpr const char* kLimitedBroadcast = "255.255.255.255";
    static constexpr const char* kLoopbackBroadcast = "127.255.255.255";

    const Options& options_;
    std::string target_ = options_.broadcast;
    platform::UdpSocket socket_;
};

// Binds the tool's receiving port on the loopback address, where the hub relays to.
bool bindListener(platform::UdpSocket& socket, const Options& options)
{
    const int first = options.listenPort ? options.listenPort : 50000;
    const int tries = options.listenPort ? 1 : 200;
    for (int port = first; port < first + tries && port <= 65535; ++port) {
        if (!socket.bind(static_cast<std::uint16_t>(port), "127.0.0.1")) {
            socket.setReceiveBuffer(8 << 20);
            return true;
        }
    }
    std::fprintf(stderr, "xap: no free port to listen on from %d\n", first);
    return false;
}

void print(const Options& options, const std::string& text)
{
    if (options.summary)
        std::printf("%s\n", summary(text).c_str());
    else
        std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

bool hasItem(std::string_view text, const std::pair<std::string, std::string>& wanted)
{
    const std::string key = lower(wanted.first);
    const std::string value = lower(wanted.second);
    for (const Block& block : bodyBlocks(text))
        for (const auto& [k, v] : block.items)
            if (lower(k) == key && lower(v) == value)
                return true;
    return false;
}

bool passesFilters(const Options& options, const std::string& text)
{
    if (!options.heartbeats && isHeartbeat(text))
        return false;
    if (!options.classFilter.empty() && !xap::XapMessage::compareAddress(options.classFilter, headerField(text, "class")))
        return false;
    if (!options.sourceFilter.empty() && !xap::XapMessage::compareAddress(options.sourceFilter, headerField(text, "source")))
        return false;
    if (!options.targetFilter.empty() && !xap::XapMessage::compareAddress(options.targetFilter, headerField(text, "target")))
        return false;
    for (const auto& item : options.itemFilters)
        if (!hasItem(text, item))
            return false;
    return true;
}

std::string seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Registers with the hub, then hands every datagram to `onText` until it returns
// false, the time is up or a stop signal came; leaves with a stop heartbeat. Returns
// false when the time ran out. Says once on standard error when the hub relays
// nothing at all (not even the tool's own heartbeat) for `quietWarning` seconds.
bool receiveLoop(const Options& options, platform::UdpSocket& socket, double timeout,
                 const std::function<void(Sender&)>& afterRegistering, const std::function<bool(const std::string&)>& onText)
{
    catchStopSignals();
    Sender sender(options);
    const int port = socket.localPort();
    const std::string heartbeat = composeHeartbeat(options.header.uid, options.header.source, options.heartbeatInterval, port);
    if (!sender.send(heartbeat))
        return false;
    if (afterRegistering)
        afterRegistering(sender);
    const Clock::time_point start = Clock::now();
    Clock::time_point nextHeartbeat = start + std::chrono::seconds(options.heartbeatInterval);
    bool anythingArrived = false;
    bool warned = false;
    bool timedOut = false;
    std::string text;
    while (!gStopRequested) {
        const Clock::time_point now = Clock::now();
        if (now >= nextHeartbeat) {
            sender.send(heartbeat);
            nextHeartbeat = now + std::chrono::seconds(options.heartbeatInterval);
        }
        const double elapsed = std::chrono::duration<double>(now - start).count();
        if (!anythingArrived && !warned && elapsed >= options.quietWarning) {
            std::fprintf(stderr, "xap: no xAP hub relayed anything to this listener in %s s — is a hub running?\n",
                         seconds(options.quietWarning).c_str());
            warned = true;
        }
        if (timeout > 0 && elapsed >= timeout) {
            timedOut = true;
            break;
        }
        // Short waits, so that a stop signal is seen promptly.
        if (!socket.waitReadable(100))
            continue;
        bool more = true;
        while (more && socket.receive(text)) {
            anythingArrived = true;
            more = onText(text);
        }
        if (!more)
            break;
    }
    sender.send(composeHeartbeat(options.header.uid, options.header.source, options.heartbeatInterval, port,
                                 "xap-hbeat.stopped"));
    return !timedOut;
}

} // namespace

int sendCommand(const Options& options)
{
    Sender sender(options);
    return sender.send(composeMessage(options.header, options.blocks)) ? 0 : 1;
}

int listenCommand(const Options& options)
{
    platform::UdpSocket socket;
    if (!bindListener(socket, options))
        return 1;
    int seen = 0;
    const bool finished = receiveLoop(options, socket, options.timeout, {}, [&](const std::string& text) {
        if (!passesFilters(options, text))
            return true;
        print(options, text);
        return !(options.count > 0 && ++seen >= options.count);
    });
    // Without a count, running until the time is up (or a stop signal) is success.
    return finished || options.count == 0 ? 0 : 1;
}

namespace {

// Sends `message` once and prints the answers `isAnswer` accepts (heartbeats never
// are), until `wantMore` (given the count so far) says enough or the time is up.
// 0 when something answered; otherwise "no answer" (and `hint`) on standard error, 1.
int exchange(const Options& options, const std::string& message, const std::function<bool(const std::string&)>& isAnswer,
             const std::function<bool(int answers)>& wantMore, const char* hint = "")
{
    platform::UdpSocket socket;
    if (!bindListener(socket, options))
        return 1;
    int answers = 0;
    const double timeout = options.timeout > 0 ? options.timeout : 3.0;
    Options quiet = options;
    quiet.quietWarning = timeout + 1; // the "no answer" line says it
    receiveLoop(quiet, socket, timeout, [&](Sender& sender) { sender.send(message); }, [&](const std::string& text) {
        if (isHeartbeat(text) || !isAnswer(text))
            return true;
        print(options, text);
        return wantMore(++answers);
    });
    if (answers == 0 && !gStopRequested)
        std::fprintf(stderr, "xap: no answer in %s s%s\n", seconds(timeout).c_str(), hint);
    return answers > 0 ? 0 : 1;
}

} // namespace

int queryCommand(const Options& options)
{
    Options sent = options;
    Block block;
    std::string answerClass, answerBlock;
    if (options.query == "echo") {
        sent.header.cls = "ZOR.Echo";
        block = Block{"Echo.Query", {{"Query", options.text}}};
        answerClass = "ZOR.Echo";
        answerBlock = "echo.response";
    } else {
        sent.header.cls = "Homeseer.Role";
        block = Block{"Role.Query", {{"Role", options.role}}};
        answerClass = "Homeseer.Role";
        answerBlock = "role.notification";
    }
    const auto isAnswer = [&](const std::string& text) {
        if (!xap::XapMessage::compareAddress(answerClass, headerField(text, "class")))
            return false;
        for (const Block& b : bodyBlocks(text))
            if (lower(b.name) == answerBlock)
                return true;
        return false;
    };
    return exchange(options, composeMessage(sent.header, {block}), isAnswer, [&](int) { return options.all; });
}

namespace {

// Sends one BSC message to the endpoints options.bscTarget names and prints their
// answers of the given classes: the first only, unless `all`, or up to `count`.
int bscExchange(const Options& options, const std::string& cls, const Block& block,
                std::initializer_list<std::string_view> answerClasses, bool all, int count)
{
    Header header = options.header;
    header.cls = cls;
    header.target = options.bscTarget;
    const auto isAnswer = [&](const std::string& text) {
        const std::string answerClass = lower(headerField(text, "class"));
        bool wanted = false;
        for (const std::string_view c : answerClasses)
            wanted = wanted || answerClass == lower(std::string(c));
        return wanted && bsc::targetMatches(options.bscTarget, headerField(text, "source"));
    };
    const auto wantMore = [&](int answers) { return count > 0 ? answers < count : all; };
    return exchange(options, composeMessage(header, {block}), isAnswer, wantMore,
                    cls == bsc::kCmdClass ? " (a Tallis node answers commands only with [BSC] Commands=1)" : "");
}

} // namespace

int bscCommand(const Options& options)
{
    Block block{"output.state.1", {{"id", options.bscId}}};
    for (const auto& item : options.bscItems)
        block.items.push_back(item);
    return bscExchange(options, std::string(bsc::kCmdClass), block, {bsc::kEventClass, bsc::kInfoClass}, options.all, 0);
}

int bscQueryCommand(const Options& options)
{
    return bscExchange(options, std::string(bsc::kQueryClass), Block{std::string(bsc::kQueryBlock), {}},
                       {bsc::kInfoClass}, true, options.count);
}

} // namespace xaptool
