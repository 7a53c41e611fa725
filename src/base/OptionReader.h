// Reads a command line with getopt_long, one argument at a time and in order, under
// the rules every program of the project keeps:
// - an option is its whole name as typed: "--ver" is not --version, "-hV" is not -h
//   and -V, "-cFILE" is not -c FILE; each of them is an unknown argument;
// - getopt_long prints nothing: the caller words every problem, and stops at the
//   first one;
// - "NAME=VALUE" after "--" gives a value only where the program allows it.
// getopt_long keeps its position in globals, so one reader reads at a time; a new
// reader starts afresh (optind = 0), so a program or a test may read several lines.
#pragma once

#include <getopt.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tallis {

class OptionReader {
public:
    enum class Value {
        none,     // a flag
        required, // the next argument (or "=VALUE" where allowed)
        ignored,  // a flag that accepts and drops "=VALUE"
    };
    struct Option {
        std::string name; // without "--"; empty for a short option only
        char shortName;   // 0 for a long option only
        Value value;
        int id;           // what the caller knows the option by
    };
    enum class Order {
        stopAtWord,   // the first argument that is not an option ends the options
        wordsInOrder, // such arguments come back as words, where they stand
    };
    enum class Inline { refused, allowed }; // "--NAME=VALUE" for an option with a value

    struct Step {
        enum Kind {
            option,       // `id`, with `value` when it takes one
            missingValue, // `id`: the option ends the line without its value
            unknown,      // `typed` is no option (or a shortened or joined one)
            word,         // `typed` is an argument that is not an option (wordsInOrder)
            endOfOptions, // "--"; index() is the argument after it
            end,          // nothing left, or (stopAtWord) a word at index(); after
                          // endOfOptions or end, every step is end
        } kind;
        int id = 0;
        std::string typed; // the argument as typed
        std::optional<std::string> value;
    };

    OptionReader(int argc, char** argv, std::vector<Option> options, Order order, Inline inlineValues)
        : argc_(argc), argv_(argv), options_(std::move(options)), inline_(inlineValues)
    {
        shortOptions_ = order == Order::stopAtWord ? "+:" : "-:";
        for (std::size_t i = 0; i < options_.size(); ++i) {
            const Option& o = options_[i];
            const int hasArgument = o.value == Value::required ? required_argument
                                    : o.value == Value::ignored ? optional_argument
                                                                : no_argument;
            if (!o.name.empty())
                longOptions_.push_back({o.name.c_str(), hasArgument, nullptr, kFirstValue + static_cast<int>(i)});
            if (o.shortName)
                shortOptions_ += std::string(1, o.shortName) + (o.value == Value::required ? ":" : "");
        }
        longOptions_.push_back({nullptr, 0, nullptr, 0});
        ::opterr = 0;
        ::optind = 0; // glibc: start afresh
    }
    OptionReader(const OptionReader&) = delete; // getopt_long holds pointers into options_
    OptionReader& operator=(const OptionReader&) = delete;

    Step next()
    {
        if (ended_)
            return {Step::end, 0, {}, std::nullopt};
        const int before = ::optind == 0 ? 1 : ::optind;
        const int c = ::getopt_long(argc_, argv_, shortOptions_.c_str(), longOptions_.data(), nullptr);
        if (c == -1) {
            ended_ = true; // getopt_long would go on reading after "--"
            if (::optind > before && std::strcmp(argv_[::optind - 1], "--") == 0)
                return {Step::endOfOptions, 0, "--", std::nullopt};
            return {Step::end, 0, {}, std::nullopt};
        }
        if (c == 1)
            return {Step::word, 0, ::optarg, std::nullopt};
        const std::string typed = argv_[before];
        const Option* found = c == '?' ? nullptr : asTyped(typed);
        if (!found)
            return {Step::unknown, 0, typed, std::nullopt};
        if (c == ':')
            return {Step::missingValue, found->id, typed, std::nullopt};
        if (found->value == Value::none || !::optarg)
            return {Step::option, found->id, typed, std::nullopt};
        return {Step::option, found->id, typed, std::string(::optarg)};
    }

    // The next argument as it stands, even one that starts with "-" (a value the
    // caller knows is due); null at the end.
    const char* takeArgument()
    {
        if (::optind == 0)
            ::optind = 1;
        return ::optind < argc_ ? argv_[::optind++] : nullptr;
    }

    // The first argument not read yet.
    int index() const { return ::optind == 0 ? 1 : ::optind; }

private:
    static constexpr int kFirstValue = 0x100; // above every character getopt_long returns

    // The option `typed` names exactly, or null.
    const Option* asTyped(std::string_view typed) const
    {
        if (typed.size() > 2 && typed.starts_with("--")) {
            std::string_view name = typed.substr(2);
            const std::size_t eq = name.find('=');
            const bool hasInline = eq != std::string_view::npos;
            name = name.substr(0, eq);
            for (const Option& o : options_) {
                if (o.name.empty() || name != o.name)
                    continue;
                if (hasInline && (o.value == Value::none || (o.value == Value::required && inline_ == Inline::refused)))
                    return nullptr;
                return &o;
            }
            return nullptr;
        }
        if (typed.size() == 2 && typed[0] == '-')
            for (const Option& o : options_)
                if (o.shortName && o.shortName == typed[1])
                    return &o;
        return nullptr;
    }

    int argc_;
    char** argv_;
    std::vector<Option> options_;
    Inline inline_;
    std::string shortOptions_;
    std::vector<option> longOptions_;
    bool ended_ = false;
};

} // namespace tallis
