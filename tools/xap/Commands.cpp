#include "Commands.h"

#include "platform/UdpSocket.h"
#include "xap/XapMessage.h"

#include <chrono>
#include <cstdio>
#include <functional>

namespace xaptool {

namespace {

using Clock = std::chrono::steady_clock;

bool sendText(platform::UdpSocket& socket, const Options& options, const std::string& text)
{
    if (platform::SocketError e = socket.enableBroadcast()) {
        std::fprintf(stderr, "xap: %s\n", e.description.c_str());
        return false;
    }
    if (platform::SocketError e = socket.sendTo(options.broadcast, options.hubPort, text)) {
        std::fprintf(stderr, "xap: cannot send to %s:%u: %s\n", options.broadcast.c_str(), options.hubPort, e.description.c_str());
        return false;
    }
    return true;
}

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

// Registers with the hub, then hands every datagram to `onText` until it returns
// false or the time is up. Returns false when the time ran out.
bool receiveLoop(const Options& options, platform::UdpSocket& socket, double timeout,
                 const std::function<void()>& afterRegistering, const std::function<bool(const std::string&)>& onText)
{
    const std::string heartbeat =
        composeHeartbeat(options.header.uid, options.header.source, options.heartbeatInterval, socket.localPort());
    if (!sendText(socket, options, heartbeat))
        return false;
    if (afterRegistering)
        afterRegistering();
    const Clock::time_point start = Clock::now();
    Clock::time_point nextHeartbeat = start + std::chrono::seconds(options.heartbeatInterval);
    std::string text;
    while (true) {
        const Clock::time_point now = Clock::now();
        if (now >= nextHeartbeat) {
            sendText(socket, options, heartbeat);
            nextHeartbeat = now + std::chrono::seconds(options.heartbeatInterval);
        }
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextHeartbeat - now);
        if (timeout > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                start + std::chrono::duration<double>(timeout) - now);
            if (left.count() <= 0)
                return false;
            wait = std::min(wait, left);
        }
        if (!socket.waitReadable(static_cast<int>(wait.count())))
            continue;
        while (socket.receive(text))
            if (!onText(text))
                return true;
    }
}

} // namespace

int sendCommand(const Options& options)
{
    if (options.header.cls.empty() || options.blocks.empty()) {
        std::fprintf(stderr, "xap send: a --class and at least one --section are needed (see --help)\n");
        return 2;
    }
    platform::UdpSocket socket;
    return sendText(socket, options, composeMessage(options.header, options.blocks)) ? 0 : 1;
}

int listenCommand(const Options& options)
{
    platform::UdpSocket socket;
    if (!bindListener(socket, options))
        return 1;
    int seen = 0;
    const bool finished = receiveLoop(options, socket, options.timeout, {}, [&](const std::string& text) {
        if (!options.heartbeats && isHeartbeat(text))
            return true;
        if (!options.classFilter.empty() && !xap::XapMessage::compareAddress(options.classFilter, headerField(text, "class")))
            return true;
        if (!options.sourceFilter.empty() && !xap::XapMessage::compareAddress(options.sourceFilter, headerField(text, "source")))
            return true;
        print(options, text);
        return !(options.count > 0 && ++seen >= options.count);
    });
    // Without a count, running until the time is up is success.
    return finished || options.count == 0 ? 0 : 1;
}

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
    } else if (options.query == "role") {
        sent.header.cls = "Homeseer.Role";
        block = Block{"Role.Query", {{"Role", options.role}}};
        answerClass = "Homeseer.Role";
        answerBlock = "role.notification";
    } else {
        std::fprintf(stderr, "xap query: ask \"echo\" or \"role\" (see --help)\n");
        return 2;
    }
    platform::UdpSocket socket;
    if (!bindListener(socket, options))
        return 1;
    int answers = 0;
    const std::string query = composeMessage(sent.header, {block});
    receiveLoop(options, socket, options.timeout > 0 ? options.timeout : 3.0, [&] { sendText(socket, options, query); },
                [&](const std::string& text) {
                    if (isHeartbeat(text) || !xap::XapMessage::compareAddress(answerClass, headerField(text, "class")))
                        return true;
                    bool isAnswer = false;
                    for (const Block& b : bodyBlocks(text)) {
                        std::string name = b.name;
                        for (char& c : name)
                            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                        isAnswer = isAnswer || name == answerBlock;
                    }
                    if (!isAnswer)
                        return true;
                    print(options, text);
                    ++answers;
                    return options.all;
                });
    return answers > 0 ? 0 : 1;
}

} // namespace xaptool
