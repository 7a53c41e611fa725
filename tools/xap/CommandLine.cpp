#include "CommandLine.h"

#include "base/OptionReader.h"
#include "bsc/Schema.h"
#include "platform/FileSystem.h"
#include "tallis/Version.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <vector>

namespace xaptool {

namespace {

struct OptionSpec {
    const char* name;     // "--count"
    const char* shortName; // "-c" or nullptr
    bool takesValue;
    unsigned commands;    // CommandBit mask
    // Stores the value; returns an error text, empty when the value is good.
    std::function<std::string(Options&, const std::string& command, const std::string& value)> apply;
};

std::string number(const std::string& text, long low, long high, long& out)
{
    char* end = nullptr;
    out = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || !end || *end || out < low || out > high)
        return "takes a number from " + std::to_string(low) + " to " + std::to_string(high) + ", not " + text;
    return {};
}

template <class Field>
auto storeNumber(Field field, long low, long high)
{
    return [=](Options& o, const std::string&, const std::string& v) {
        long n = 0;
        std::string error = number(v, low, high, n);
        if (error.empty())
            o.*field = static_cast<std::remove_reference_t<decltype(o.*field)>>(n);
        return error;
    };
}

template <class Field>
auto storeText(Field field)
{
    return [=](Options& o, const std::string&, const std::string& v) {
        o.*field = v;
        return std::string();
    };
}

const std::vector<OptionSpec>& optionTable()
{
    static const std::vector<OptionSpec> table = {
        {"--broadcast", nullptr, true, kEvery, storeText(&Options::broadcast)},
        {"--hub-port", nullptr, true, kEvery, storeNumber(&Options::hubPort, 1, 65535)},
        {"--listen-port", nullptr, true, kListen | kQuery | kBscAny, storeNumber(&Options::listenPort, 1, 65535)},
        {"--uid", nullptr, true, kEvery, [](Options& o, const std::string&, const std::string& v) {
             o.header.uid = v;
             return std::string();
         }},
        {"--source", nullptr, true, kEvery, [](Options& o, const std::string& command, const std::string& v) {
             (command == "listen" ? o.sourceFilter : o.header.source) = v;
             return std::string();
         }},
        {"--class", nullptr, true, kSend | kListen, [](Options& o, const std::string& command, const std::string& v) {
             (command == "listen" ? o.classFilter : o.header.cls) = v;
             return std::string();
         }},
        {"--target", nullptr, true, kSend | kListen | kQuery, [](Options& o, const std::string& command, const std::string& v) {
             (command == "listen" ? o.targetFilter : o.header.target) = v;
             return std::string();
         }},
        {"--section", nullptr, true, kSend, [](Options& o, const std::string&, const std::string& v) {
             o.blocks.push_back(Block{v, {}});
             return std::string();
         }},
        {"--filter", nullptr, true, kListen, [](Options& o, const std::string&, const std::string& v) {
             const std::size_t eq = v.find('=');
             if (eq == std::string::npos || eq == 0)
                 return std::string("takes KEY=VALUE, not ") + v;
             o.itemFilters.emplace_back(v.substr(0, eq), v.substr(eq + 1));
             return std::string();
         }},
        {"--no-heartbeats", nullptr, false, kListen, [](Options& o, const std::string&, const std::string&) {
             o.heartbeats = false;
             return std::string();
         }},
        {"--summary", nullptr, false, kListen | kQuery | kBscAny, [](Options& o, const std::string&, const std::string&) {
             o.summary = true;
             return std::string();
         }},
        {"--count", nullptr, true, kListen | kBscQuery, storeNumber(&Options::count, 1, 1000000000)},
        {"--timeout", nullptr, true, kListen | kQuery | kBscAny, [](Options& o, const std::string&, const std::string& v) {
             char* end = nullptr;
             o.timeout = std::strtod(v.c_str(), &end);
             if (v.empty() || !end || *end || !(o.timeout > 0) || o.timeout > 1e7)
                 return "takes a number of seconds above 0, not " + v;
             return std::string();
         }},
        {"--text", nullptr, true, kQueryEcho, storeText(&Options::text)},
        {"--role", nullptr, true, kQueryRole, storeText(&Options::role)},
        {"--id", nullptr, true, kBsc, [](Options& o, const std::string&, const std::string& v) {
             if (v != "*" && !bsc::parseEndpointNumber(v))
                 return "takes * or an endpoint number 01 to FE, not " + v;
             o.bscId = v;
             return std::string();
         }},
        {"--all", nullptr, false, kQuery | kBsc, [](Options& o, const std::string&, const std::string&) {
             o.all = true;
             return std::string();
         }},
    };
    return table;
}

// The table as the reader takes it: each option's id is its place in the table.
std::vector<tallis::OptionReader::Option> readerOptions()
{
    std::vector<tallis::OptionReader::Option> options;
    int id = 0;
    for (const OptionSpec& spec : optionTable())
        options.push_back({spec.name + 2, spec.shortName ? spec.shortName[1] : '\0',
                           spec.takesValue ? tallis::OptionReader::Value::required : tallis::OptionReader::Value::none,
                           id++});
    return options;
}

unsigned commandBit(const std::string& command, const std::string& query)
{
    if (command == "send")
        return kSend;
    if (command == "listen")
        return kListen;
    if (command == "query")
        return query == "echo" ? kQueryEcho : kQueryRole;
    if (command == "bsc")
        return kBsc;
    if (command == "bsc-query")
        return kBscQuery;
    return 0;
}

ParseResult usageError(const std::string& text)
{
    std::fprintf(stderr, "xap: %s\nTry 'xap --help'.\n", text.c_str());
    return {std::nullopt, 2};
}

// The positional words of bsc: TARGET, then on, off, toggle, level N or text T. A
// level without "/" or "%" is a percentage. Returns an error text, empty when good.
std::string bscWords(Options& options, const std::vector<std::string>& words, bool isQuery)
{
    if (words.empty())
        return isQuery ? "bsc-query needs a TARGET" : "bsc needs a TARGET and on, off, toggle, level N or text T";
    options.bscTarget = words[0];
    if (isQuery)
        return words.size() == 1 ? std::string() : "unexpected argument " + words[1];
    if (words.size() < 2)
        return "bsc needs on, off, toggle, level N or text T after the TARGET";
    const std::string& action = words[1];
    std::size_t used = 2;
    if (action == "on" || action == "off" || action == "toggle") {
        options.bscItems.emplace_back("state", action);
    } else if (action == "level" || action == "text") {
        if (words.size() < 3)
            return action + " needs a value";
        std::string value = words[2];
        used = 3;
        if (action == "level") {
            if (value.find('/') == std::string::npos && value.find('%') == std::string::npos)
                value += "%";
            const std::optional<bsc::Level> level = bsc::parseLevel(value);
            if (!level || !level->known)
                return "level takes N (percent), N% or N/M, not " + words[2];
        }
        options.bscItems.emplace_back(action, value);
    } else {
        return "bsc does on, off, toggle, level N or text T, not " + action;
    }
    return words.size() == used ? std::string() : "unexpected argument " + words[used];
}

} // namespace

void printUsage(std::FILE* out)
{
    // Not a format: the text holds "%".
    std::fputs(
        "Usage:\n"
        "  xap send --class CLASS [--target ADDR] --section NAME KEY=VALUE... [--section NAME KEY=VALUE...]\n"
        "  xap listen [--class PATTERN] [--source PATTERN] [--target PATTERN] [--filter KEY=VALUE]...\n"
        "             [--no-heartbeats] [--count N] [--timeout SECONDS] [--summary]\n"
        "  xap query echo [--text TEXT] [--target ADDR] [--all] [--timeout SECONDS] [--summary]\n"
        "  xap query role [--role ROLE] [--target ADDR] [--all] [--timeout SECONDS] [--summary]\n"
        "  xap bsc TARGET on|off|toggle|level N|text T [--id NN] [--all] [--timeout SECONDS] [--summary]\n"
        "  xap bsc-query TARGET [--count N] [--timeout SECONDS] [--summary]\n"
        "  xap --help | --version\n"
        "\n"
        "send    broadcasts one message with the given header and body sections.\n"
        "listen  registers with the local hub by heartbeat and prints each message as it\n"
        "        arrives; PATTERN may use * (one part) and > (the rest), as xAP addresses\n"
        "        do; --filter keeps messages with a body item KEY=VALUE (case ignored).\n"
        "        It says so when no hub relays anything, and leaves with xap-hbeat.stopped.\n"
        "query   sends an echo query (ZOR.Echo) or a role query (Homeseer.Role) and prints\n"
        "        the answers (default time-out 3 s).\n"
        "bsc     sends a BSC command (xAPBSC.cmd, block output.state.1 with id=* or --id)\n"
        "        to the endpoints TARGET names, e.g. 'vyn.Audrey.HOST:A1' or\n"
        "        'vyn.Audrey.HOST:>'; level N is a percentage (or N%, N/M). It prints the\n"
        "        first answer (xAPBSC.event or xAPBSC.info; --all: every one until the\n"
        "        time-out, default 3 s).\n"
        "bsc-query  asks the endpoints TARGET names for their state (xAPBSC.query) and\n"
        "        prints each xAPBSC.info until the time-out (default 3 s) or --count N.\n"
        "\n"
        "Options for every command:\n"
        "  --broadcast ADDR    where messages are sent (default 255.255.255.255); the tool\n"
        "                      sends from the interface whose subnet holds ADDR\n"
        "  --hub-port N        the xAP port the hub listens on (default 3639)\n"
        "  --listen-port N     listen, query, bsc: the tool's own receiving port (default: the\n"
        "                      first free one from 50000)\n"
        "  --source ADDR       source address of what is sent (default vyn.xap.HOST); for\n"
        "                      listen, a filter on the source of what is printed\n"
        "  --uid UID           UID of what is sent (default FF.0098:00)\n"
        "  -h, --help          show this text\n"
        "  -V, --version       show the version\n"
        "\n"
        "Exit status: 0 on success; 1 when nothing could be sent, or a query or bsc command\n"
        "got no answer (\"no answer in N s\"), or listen --count saw fewer messages in time;\n"
        "2 on a usage error.\n",
        out);
}

ParseResult parseCommandLine(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help" || (i == 1 && arg == "help")) {
            printUsage(stdout);
            return {std::nullopt, 0};
        }
        if (arg == "-V" || arg == "--version") {
            std::printf("xap %s\n", TALLIS_VERSION);
            return {std::nullopt, 0};
        }
    }
    if (argc < 2)
        return usageError("a command is needed: send, listen, query, bsc or bsc-query");
    CommandLine line;
    line.command = argv[1];
    int i = 2;
    if (line.command == "query") {
        if (argc < 3 || (std::string_view(argv[2]) != "echo" && std::string_view(argv[2]) != "role"))
            return usageError("query asks \"echo\" or \"role\"");
        line.options.query = argv[2];
        i = 3;
    }
    const unsigned bit = commandBit(line.command, line.options.query);
    if (!bit)
        return usageError("unknown command " + line.command);

    Options& options = line.options;
    std::string host = platform::hostName();
    host = host.substr(0, host.find('.'));
    options.header.source = "vyn.xap." + (host.empty() ? std::string("localhost") : host);
    options.header.uid = "FF.0098:00";

    const bool bscCommand = bit & kBscAny;
    std::vector<std::string> words; // bsc, bsc-query: the positional words
    // Options and words in the order given (a KEY=VALUE belongs to the --section
    // before it), from the argument after the command; "=VALUE" is no option's value.
    using tallis::OptionReader;
    OptionReader reader(argc - (i - 1), argv + (i - 1), readerOptions(), OptionReader::Order::wordsInOrder,
                        OptionReader::Inline::refused);
    for (bool reading = true; reading;) {
        // The value of "text" is taken as it stands, even when it starts with "-".
        if (bscCommand && words.size() == 2 && words[1] == "text") {
            if (const char* value = reader.takeArgument()) {
                words.emplace_back(value);
                continue;
            }
            break;
        }
        const OptionReader::Step step = reader.next();
        switch (step.kind) {
        case OptionReader::Step::end:
            reading = false;
            break;
        case OptionReader::Step::endOfOptions:
        case OptionReader::Step::unknown:
            return usageError("unknown option " + step.typed);
        case OptionReader::Step::missingValue:
        case OptionReader::Step::option: {
            const OptionSpec& spec = optionTable()[static_cast<std::size_t>(step.id)];
            if (!(spec.commands & bit))
                return usageError(step.typed + " does not apply to " + line.command +
                                  (options.query.empty() ? std::string() : " " + options.query));
            if (step.kind == OptionReader::Step::missingValue)
                return usageError(step.typed + " needs a value");
            if (const std::string error = spec.apply(options, line.command, step.value.value_or(std::string()));
                !error.empty())
                return usageError(step.typed + " " + error);
            break;
        }
        case OptionReader::Step::word: {
            const std::string& arg = step.typed;
            if (!arg.empty() && arg[0] == '-') // "-" alone
                return usageError("unknown option " + arg);
            if (bscCommand) {
                words.push_back(arg);
                break;
            }
            const std::size_t eq = arg.find('=');
            if (line.command != "send" || eq == std::string::npos || eq == 0)
                return usageError("unexpected argument " + arg);
            if (options.blocks.empty())
                return usageError(arg + " comes before any --section");
            options.blocks.back().items.emplace_back(arg.substr(0, eq), arg.substr(eq + 1));
            break;
        }
        }
    }
    if (bscCommand)
        if (const std::string error = bscWords(options, words, bit == kBscQuery); !error.empty())
            return usageError(error);
    if (line.command == "send" && (options.header.cls.empty() || options.blocks.empty()))
        return usageError("send needs a --class and at least one --section");
    return {std::move(line), 0};
}

} // namespace xaptool
