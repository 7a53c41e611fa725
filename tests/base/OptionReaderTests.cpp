// The command-line reader: whole names only (no shortened long names, no joined short
// options or values), values where the option takes one, "=VALUE" only where allowed,
// words in order or as the end of the options, and a fresh start for each reader.
#include "base/OptionReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tallis::OptionReader;
using Step = OptionReader::Step;

enum { kHelp, kBase, kCount, kQuiet };

const std::vector<OptionReader::Option> kOptions = {
    {"help", 'h', OptionReader::Value::none, kHelp},
    {"base", 'b', OptionReader::Value::required, kBase},
    {"count", 0, OptionReader::Value::required, kCount},
    {"quiet", 0, OptionReader::Value::ignored, kQuiet},
};

// One line read to its end: each step as "kind:id:typed[=value]".
struct Line {
    std::vector<std::string> storage;
    std::vector<char*> argv;
    explicit Line(std::vector<std::string> arguments) : storage(std::move(arguments))
    {
        storage.insert(storage.begin(), "program");
        for (std::string& s : storage)
            argv.push_back(s.data());
        argv.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(storage.size()); }
};

std::string describe(const Step& step)
{
    static const char* const kinds[] = {"option", "missing", "unknown", "word", "--", "end"};
    std::string text = std::string(kinds[step.kind]) + ":" + std::to_string(step.id) + ":" + step.typed;
    if (step.value)
        text += "=" + *step.value;
    return text;
}

std::vector<std::string> read(std::vector<std::string> arguments,
                              OptionReader::Order order = OptionReader::Order::stopAtWord,
                              OptionReader::Inline inlineValues = OptionReader::Inline::allowed, int* index = nullptr)
{
    Line line(std::move(arguments));
    OptionReader reader(line.argc(), line.argv.data(), kOptions, order, inlineValues);
    std::vector<std::string> steps;
    for (;;) {
        const Step step = reader.next();
        steps.push_back(describe(step));
        if (step.kind == Step::end || step.kind == Step::unknown || step.kind == Step::missingValue)
            break;
    }
    if (index)
        *index = reader.index();
    return steps;
}

using Steps = std::vector<std::string>;

} // namespace

TEST(OptionReader, TakesOptionsAndValuesByTheirWholeNames)
{
    EXPECT_EQ(read({"-h", "--base", "x", "-b", "-h", "--count", "--quiet"}),
              (Steps{"option:0:-h", "option:1:--base=x", "option:1:-b=-h", "option:2:--count=--quiet", "end:0:"}));
    EXPECT_EQ(read({"--base=", "--base=a=b", "--quiet=1", "--quiet"}),
              (Steps{"option:1:--base==", "option:1:--base=a=b=a=b", "option:3:--quiet=1=1", "option:3:--quiet", "end:0:"}));
    // The same option twice comes back twice, in order.
    EXPECT_EQ(read({"--count", "1", "--count", "2"}), (Steps{"option:2:--count=1", "option:2:--count=2", "end:0:"}));
}

TEST(OptionReader, RefusesShortenedJoinedAndMisspelledOptionsAsTyped)
{
    for (const char* typed : {"--hel", "--bas", "-hb", "-bx", "-h=1", "--help=1", "-help", "--bogus",
                                     "--bogus=1", "-x", "--=x", "---help"}) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(read({typed, "value"}), (Steps{"unknown:0:" + std::string(typed)}));
    }
    // A shortened name is refused also where it would take the line's last argument.
    EXPECT_EQ(read({"--cou"}), (Steps{"unknown:0:--cou"}));
    // Where "=VALUE" is not allowed, an option that takes a value refuses it.
    EXPECT_EQ(read({"--base=x"}, OptionReader::Order::stopAtWord, OptionReader::Inline::refused),
              (Steps{"unknown:0:--base=x"}));
    EXPECT_EQ(read({"--quiet=1"}, OptionReader::Order::stopAtWord, OptionReader::Inline::refused),
              (Steps{"option:3:--quiet=1=1", "end:0:"}));
}

TEST(OptionReader, MissingValueAtTheEndNamesTheOptionAsTyped)
{
    EXPECT_EQ(read({"-h", "--base"}), (Steps{"option:0:-h", "missing:1:--base"}));
    EXPECT_EQ(read({"-b"}), (Steps{"missing:1:-b"}));
}

TEST(OptionReader, WordsEndTheOptionsOrComeBackInOrder)
{
    int index = 0;
    EXPECT_EQ(read({"-h", "file", "--base", "x"}, OptionReader::Order::stopAtWord, OptionReader::Inline::allowed, &index),
              (Steps{"option:0:-h", "end:0:"}));
    EXPECT_EQ(index, 2); // "file", nothing moved in front of it
    EXPECT_EQ(read({"-", "-h"}, OptionReader::Order::stopAtWord, OptionReader::Inline::allowed, &index), (Steps{"end:0:"}));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(read({"-h", "--", "-h"}, OptionReader::Order::stopAtWord, OptionReader::Inline::allowed, &index),
              (Steps{"option:0:-h", "--:0:--", "end:0:"}));
    EXPECT_EQ(index, 3); // what follows "--" is never read as an option

    EXPECT_EQ(read({"a=1", "--base", "x", "b=2", "-", "", "-h"}, OptionReader::Order::wordsInOrder),
              (Steps{"word:0:a=1", "option:1:--base=x", "word:0:b=2", "word:0:-", "word:0:", "option:0:-h", "end:0:"}));
}

TEST(OptionReader, TakesADueArgumentAsItStandsAndStartsAfreshForEachReader)
{
    Line line({"text", "-5", "--", "--base", "x"});
    {
        OptionReader reader(line.argc(), line.argv.data(), kOptions, OptionReader::Order::wordsInOrder,
                            OptionReader::Inline::allowed);
        EXPECT_EQ(describe(reader.next()), "word:0:text");
        EXPECT_STREQ(reader.takeArgument(), "-5");
        EXPECT_STREQ(reader.takeArgument(), "--");
        EXPECT_EQ(describe(reader.next()), "option:1:--base=x");
        EXPECT_EQ(describe(reader.next()), "end:0:");
        EXPECT_EQ(reader.takeArgument(), nullptr);
    }
    // A second reader over the same line reads it from its start again.
    OptionReader again(line.argc(), line.argv.data(), kOptions, OptionReader::Order::wordsInOrder,
                       OptionReader::Inline::allowed);
    EXPECT_EQ(describe(again.next()), "word:0:text");
    EXPECT_EQ(describe(again.next()), "unknown:0:-5");
}
