// xap: send, listen to and query the xAP network from the command line.
#include "Commands.h"

#include "platform/FileSystem.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void usage(std::FILE* out)
{
    std::fprintf(out,
        "Usage:\n"
        "  xap send --class CLASS [--target ADDR] --section NAME KEY=VALUE... [--section NAME KEY=VALUE...]\n"
        "  xap listen [--class PATTERN] [--source PATTERN] [--no-heartbeats] [--count N] [--timeout SECONDS]\n"
        "  xap query echo [--text TEXT] [--target ADDR] [--all] [--timeout SECONDS]\n"
        "  xap query role [--role ROLE] [--target ADDR] [--all] [--timeout SECONDS]\n"
        "\n"
        "send    broadcasts one message with the given header and blocks.\n"
        "listen  registers with the local hub by heartbeat and prints each message as it\n"
        "        arrives; PATTERN may use * (one part) and > (the rest), as xAP addresses do.\n"
        "query   sends an echo query (ZOR.Echo) or a role query (Homeseer.Role) and prints\n"
        "        the answers; the status is 0 when one came.\n"
        "\n"
        "Options for every command:\n"
        "  --broadcast ADDR    where messages are sent (default 255.255.255.255)\n"
        "  --hub-port N        the xAP port the hub listens on (default 3639)\n"
        "  --listen-port N     the tool's own receiving port (default: first free from 50000)\n"
        "  --source ADDR       source address of what is sent (default vyn.xap.HOST); for\n"
        "                      listen, a filter on the source of what is printed\n"
        "  --uid UID           UID of what is sent (default FF.0098:00)\n"
        "  --summary           print one line per message instead of its text\n"
        "  -h, --help          show this text\n");
}

bool readNumber(const char* text, long low, long high, long& out)
{
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return end && !*end && out >= low && out <= high;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    const std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        usage(stdout);
        return 0;
    }
    xaptool::Options options;
    std::string host = platform::hostName();
    host = host.substr(0, host.find('.'));
    options.header.source = "vyn.xap." + (host.empty() ? std::string("localhost") : host);
    options.header.uid = "FF.0098:00";
    std::string sourceOption;

    int i = 2;
    if (command == "query") {
        if (argc < 3) {
            std::fprintf(stderr, "xap query: ask \"echo\" or \"role\"\n");
            return 2;
        }
        options.query = argv[2];
        i = 3;
    }
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "xap: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        auto number = [&](long low, long high) {
            long n = 0;
            const char* text = value();
            if (!readNumber(text, low, high, n)) {
                std::fprintf(stderr, "xap: %s takes a number from %ld to %ld, not %s\n", arg.c_str(), low, high, text);
                std::exit(2);
            }
            return n;
        };
        if (arg == "-h" || arg == "--help") {
            usage(stdout);
            return 0;
        } else if (arg == "--broadcast") {
            options.broadcast = value();
        } else if (arg == "--hub-port") {
            options.hubPort = static_cast<std::uint16_t>(number(1, 65535));
        } else if (arg == "--listen-port") {
            options.listenPort = static_cast<std::uint16_t>(number(1, 65535));
        } else if (arg == "--source") {
            sourceOption = value();
        } else if (arg == "--uid") {
            options.header.uid = value();
        } else if (arg == "--class") {
            (command == "listen" ? options.classFilter : options.header.cls) = value();
        } else if (arg == "--target") {
            options.header.target = value();
        } else if (arg == "--section") {
            options.blocks.push_back(xaptool::Block{value(), {}});
        } else if (arg == "--no-heartbeats") {
            options.heartbeats = false;
        } else if (arg == "--summary") {
            options.summary = true;
        } else if (arg == "--count") {
            options.count = static_cast<int>(number(1, 1000000000));
        } else if (arg == "--timeout") {
            char* end = nullptr;
            const char* text = value();
            options.timeout = std::strtod(text, &end);
            if (!end || *end || options.timeout <= 0) {
                std::fprintf(stderr, "xap: --timeout takes a number of seconds above 0, not %s\n", text);
                return 2;
            }
        } else if (arg == "--text") {
            options.text = value();
        } else if (arg == "--role") {
            options.role = value();
        } else if (arg == "--all") {
            options.all = true;
        } else if (command == "send" && arg.find('=') != std::string::npos && arg[0] != '-') {
            if (options.blocks.empty()) {
                std::fprintf(stderr, "xap send: %s comes before any --section\n", arg.c_str());
                return 2;
            }
            const std::size_t eq = arg.find('=');
            options.blocks.back().items.emplace_back(arg.substr(0, eq), arg.substr(eq + 1));
        } else {
            std::fprintf(stderr, "xap: unknown argument %s (see --help)\n", arg.c_str());
            return 2;
        }
    }
    if (command == "listen")
        options.sourceFilter = sourceOption;
    else if (!sourceOption.empty())
        options.header.source = sourceOption;

    if (command == "send")
        return xaptool::sendCommand(options);
    if (command == "listen")
        return xaptool::listenCommand(options);
    if (command == "query")
        return xaptool::queryCommand(options);
    std::fprintf(stderr, "xap: unknown command %s (see --help)\n", command.c_str());
    return 2;
}
