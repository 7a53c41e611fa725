// xaphub: a small xAP hub for one Linux machine. It listens on the xAP port, learns
// the local clients from their heartbeats and relays every message to each of them.
#include "Hub.h"

#include "platform/service/JournalStream.h"
#include "platform/service/ServiceManager.h"

#include "tallis/Version.h"

#include "base/AsciiText.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Signal handlers only set these; the hub's loop reads them. Process-wide: a signal
// handler can reach nothing else.
volatile std::sig_atomic_t gStop = 0;
volatile std::sig_atomic_t gReload = 0;

void onStopSignal(int)
{
    const int saved = errno;
    gStop = 1;
    errno = saved;
}

void onReloadSignal(int)
{
    const int saved = errno;
    gReload = 1;
    errno = saved;
}

// Standard output appended to `path` (the log), opened anew on SIGHUP so that log
// rotation works.
bool openLog(const std::string& path)
{
    return std::freopen(path.c_str(), "a", stdout) != nullptr;
}

void usage(std::FILE* out)
{
    std::fprintf(out,
                 "Usage: xaphub [options]\n"
                 "Relays the xAP traffic of one UDP port to the local clients that announce\n"
                 "their own port in heartbeats (the \"port=\" item of an \"xap-hbeat\").\n"
                 "\n"
                 "  -p, --port N        UDP port to listen on (default 3639)\n"
                 "  -b, --bind ADDRESS  address to bind (default 0.0.0.0, every address)\n"
                 "  -s, --state PATH    keep the client table in PATH (default\n"
                 "                      $XDG_RUNTIME_DIR/xaphub-PORT.clients; \"none\" for no file)\n"
                 "  -m, --max-clients N at most N clients (default 256)\n"
                 "  -l, --log PATH      append the log to PATH (opened again on SIGHUP)\n"
                 "  -v, --verbose       log every client joining and leaving and every heartbeat\n"
                 "                      (by default, counts once a minute)\n"
                 "  -q, --quiet         log nothing but errors\n"
                 "  -h, --help          show this text\n"
                 "  -V, --version       show the version\n"
                 "\n"
                 "A client is forgotten after twice its announced interval (at most one hour is\n"
                 "believed) without a heartbeat, or at once when it sends a stop heartbeat\n"
                 "(class xap-hbeat.stop or xap-hbeat.stopped) from its own port, or naming\n"
                 "both its port and its source. A client announcing the hub's own port, a port\n"
                 "below 1024 or another hub's port is refused. The hub sends its own heartbeat\n"
                 "to its clients every 60 s, and xap-hbeat.stopped when it ends.\n"
                 "\n"
                 "SIGHUP opens the log again and reads the state file again.\n"
                 "Exit status: 0 after SIGTERM or SIGINT, and at once when another program\n"
                 "(normally another hub) already serves the port: the clients are served by\n"
                 "it; 1 when the port cannot be bound otherwise or the log cannot be opened,\n"
                 "2 on a usage error.\n");
}

// A whole number from 1 to 65535 in decimal digits (leading white space and a plus
// sign are taken too, as the hub always has), or nothing.
std::optional<std::uint16_t> numberUpTo65535(std::string_view text)
{
    text = ascii::trimFront(text, " \t\n\v\f\r");
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// Where getopt_long left off: the argument it stopped at, as the user typed it.
std::string lastArgument(char** argv)
{
    return optind > 0 ? argv[optind - 1] : "";
}

const option kLongOptions[] = {
    {"port", required_argument, nullptr, 'p'},     {"bind", required_argument, nullptr, 'b'},
    {"state", required_argument, nullptr, 's'},    {"max-clients", required_argument, nullptr, 'm'},
    {"log", required_argument, nullptr, 'l'},      {"verbose", no_argument, nullptr, 'v'},
    {"quiet", no_argument, nullptr, 'q'},          {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},        {nullptr, 0, nullptr, 0},
};

} // namespace

int main(int argc, char** argv)
{
    xaphub::HubOptions options;
    std::string statePath;
    std::string logPath;
    // Options in order ("+": the first argument that is not one ends them, and is an
    // error); ':' first: getopt_long reports nothing itself.
    opterr = 0;
    const char* lastValue = nullptr;
    for (int c; (c = ::getopt_long(argc, argv, "+:p:b:s:m:l:vqhV", kLongOptions, nullptr)) != -1;) {
        lastValue = optarg;
        switch (c) {
        case 'h':
            usage(stdout);
            return 0;
        case 'V':
            std::printf("xaphub %s\n", TALLIS_VERSION);
            return 0;
        case 'p': {
            const auto port = numberUpTo65535(optarg);
            if (!port) {
                std::fprintf(stderr, "xaphub: the port must be a number from 1 to 65535\n");
                return 2;
            }
            options.port = *port;
            break;
        }
        case 's':
            statePath = optarg;
            break;
        case 'm': {
            const auto limit = numberUpTo65535(optarg);
            if (!limit) {
                std::fprintf(stderr, "xaphub: the client limit must be a number from 1 to 65535\n");
                return 2;
            }
            options.maxClients = *limit;
            break;
        }
        case 'l':
            logPath = optarg;
            break;
        case 'b':
            options.bindAddress = optarg;
            break;
        case 'v':
            options.verbosity = 2;
            break;
        case 'q':
            options.verbosity = 0;
            break;
        case ':':
            std::fprintf(stderr, "xaphub: %s needs a value\n", lastArgument(argv).c_str());
            return 2;
        default: {
            // An unknown short option inside a group is named alone.
            const std::string arg = optopt && lastArgument(argv).rfind("--", 0) != 0 ? std::string("-") + char(optopt) : lastArgument(argv);
            std::fprintf(stderr, "xaphub: unknown option %s (see --help)\n", arg.c_str());
            return 2;
        }
        }
    }
    // The hub takes no arguments; "--" (unless it was an option's value) is not an
    // option either.
    const bool endMark = optind > 1 && argv[optind - 1] != lastValue && std::string_view(argv[optind - 1]) == "--";
    if (optind < argc || endMark) {
        const std::string arg = optind < argc ? argv[optind] : "--";
        std::fprintf(stderr, "xaphub: unknown option %s (see --help)\n", arg.c_str());
        return 2;
    }

    if (statePath.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime && *runtime)
            statePath = std::string(runtime) + "/xaphub-" + std::to_string(options.port) + ".clients";
    }
    if (statePath != "none")
        options.statePath = statePath;

    if (!logPath.empty() && !openLog(logPath)) {
        std::fprintf(stderr, "xaphub: cannot open the log %s: %s\n", logPath.c_str(), std::strerror(errno));
        return 1;
    }
    xaphub::Hub hub(options);
    std::string error;
    if (!hub.open(error)) {
        if (hub.openErrno() == EADDRINUSE) {
            // The hub a node needs is there already (the system's, while a user's hub
            // starts): nothing is wrong, and nothing is left to do.
            const std::string note = "another hub already serves port " + std::to_string(options.port) +
                                     " (" + error + "); this one is not needed and ends";
            if (platform::stderrIsJournal())
                platform::writeJournal(platform::JournalPriority::Notice, note);
            else
                std::fprintf(stderr, "xaphub: %s\n", note.c_str());
            platform::notifyReady("another hub serves port " + std::to_string(options.port));
            return 0;
        }
        if (platform::stderrIsJournal())
            platform::writeJournal(platform::JournalPriority::Error, error);
        else
            std::fprintf(stderr, "xaphub: %s\n", error.c_str());
        return 1;
    }
    hub.watchFlags(&gStop, &gReload, [logPath] {
        if (!logPath.empty() && !openLog(logPath))
            std::fprintf(stderr, "xaphub: cannot open the log %s again: %s\n", logPath.c_str(), std::strerror(errno));
    });
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    action.sa_handler = onReloadSignal;
    ::sigaction(SIGHUP, &action, nullptr);
    platform::notifyReady("relaying port " + std::to_string(options.port));
    hub.run();
    platform::notifyStopping();
    return 0;
}
