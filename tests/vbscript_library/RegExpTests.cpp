#include "LibraryTestSupport.h"

#include "automation/Conversions.h"
#include "automation/MemberTable.h"

#include <cctype>

using namespace library_test;
using vb::Variant;

namespace {

struct Options {
    bool global = false;
    bool ignoreCase = false;
    bool multiline = false;
};

vb::Ref<vb::Object> regExp(const std::string& pattern, Options o = {})
{
    vb::Ref<vb::Object> re = vbscript::createBuiltinClass("RegExp");
    vb::setProperty(*re, "Pattern", pattern);
    vb::setProperty(*re, "Global", o.global);
    vb::setProperty(*re, "IgnoreCase", o.ignoreCase);
    vb::setProperty(*re, "Multiline", o.multiline);
    return re;
}

bool test(const std::string& pattern, const std::string& subject, Options o = {})
{
    return vb::call(*regExp(pattern, o), "Test", subject).booleanValue();
}

// The values of all matches.
std::vector<std::string> matches(const std::string& pattern, const std::string& subject, Options o = {.global = true})
{
    const Variant found = vb::call(*regExp(pattern, o), "Execute", subject);
    std::vector<std::string> out;
    vb::Object& collection = vb::requireObject(found);
    auto walk = collection.enumerate();
    Variant item;
    while (walk->next(item))
        out.push_back(vb::CStr(item));
    return out;
}

std::string replace(const std::string& pattern, const std::string& subject, const std::string& with, Options o = {.global = true})
{
    return vb::call(*regExp(pattern, o), "Replace", subject, with).stringValue();
}

std::int32_t patternError(const std::string& pattern)
{
    return errorOf([&] { test(pattern, "x"); });
}

using Strings = std::vector<std::string>;

// A function reference for Replace: returns its arguments joined with "|".
class JoinArguments final : public vb::Object {
public:
    std::string_view typeName() const override { return "Function"; }
    vb::MemberId memberId(std::string_view name) const override { return name.empty() ? 0 : vb::kNoMember; }
    Variant invoke(vb::MemberId, vb::CallKind, vb::Args args) override
    {
        std::string out;
        for (std::size_t i = 0; i < args.size(); ++i)
            out += (i ? "|" : "") + (args[i].isEmpty() ? std::string("<empty>") : vb::CStr(args[i]));
        return "[" + out + "]";
    }
};

} // namespace

TEST(RegExp, PropertiesHaveDefaults)
{
    vb::Ref<vb::Object> re = vbscript::createBuiltinClass("RegExp");
    EXPECT_EQ("", vb::getProperty(*re, "Pattern").stringValue());
    EXPECT_FALSE(vb::getProperty(*re, "Global").booleanValue());
    EXPECT_FALSE(vb::getProperty(*re, "IgnoreCase").booleanValue());
    EXPECT_FALSE(vb::getProperty(*re, "Multiline").booleanValue());
    vb::setProperty(*re, "pattern", "a+");
    EXPECT_EQ("a+", vb::getProperty(*re, "PATTERN").stringValue());
    EXPECT_TRUE(vb::call(*re, "Test", "baaa").booleanValue());
}

TEST(RegExp, PatternSyntax)
{
    EXPECT_TRUE(test("^ab+c$", "abbbc"));
    EXPECT_FALSE(test("^ab+c$", "ac"));
    EXPECT_TRUE(test("colou?r", "color"));
    EXPECT_TRUE(test("^a{2,3}$", "aaa"));
    EXPECT_FALSE(test("^a{2,3}$", "aaaa"));
    EXPECT_TRUE(test("^a{2,}$", "aaaaa"));
    EXPECT_TRUE(test("^a{2}$", "aa"));
    EXPECT_TRUE(test("^(cat|dog)s?$", "dogs"));
    EXPECT_TRUE(test("^[a-c]+[^a-c]$", "abcabcd"));
    EXPECT_TRUE(test("^\\d{3}-\\d{4}$", "555-1234"));
    EXPECT_TRUE(test("^\\w+\\s\\W$", "word_1 !"));
    EXPECT_TRUE(test("\\bis\\b", "this is it"));
    EXPECT_FALSE(test("\\bis\\b", "this"));
    EXPECT_TRUE(test("\\Bis", "this"));
    EXPECT_TRUE(test("^(a)(b)\\2\\1$", "abba"));
    EXPECT_TRUE(test("^\\x41\\u0042\\t$", "AB\t"));
    EXPECT_TRUE(test("^[\\d.]+$", "3.14"));
    EXPECT_TRUE(test("^a{,2}$", "a{,2}")); // not a count: literal text
    EXPECT_TRUE(test("^a]$", "a]"));
    EXPECT_TRUE(test("^\\$\\(x\\)$", "$(x)"));
    EXPECT_TRUE(test("^[a\\-z]+$", "a-z"));
    EXPECT_FALSE(test("^[a\\-z]+$", "b"));
    EXPECT_TRUE(test("^\\101$", "A")); // octal escape when there is no group 101... nor 1
}

TEST(RegExp, DotLineAnchorsAndMultiline)
{
    EXPECT_TRUE(test("a.c", "a\rc"));  // "." takes everything but "\n"
    EXPECT_FALSE(test("a.c", "a\nc"));
    EXPECT_TRUE(test("a[\\s\\S]c", "a\nc"));
    EXPECT_FALSE(test("^b", "a\nb"));
    EXPECT_TRUE(test("^b", "a\nb", {.multiline = true}));
    EXPECT_TRUE(test("^b", "a\rb", {.multiline = true}));
    EXPECT_TRUE(test("a$", "a\r\nb", {.multiline = true}));
    EXPECT_FALSE(test("a$", "a\nb"));
    EXPECT_EQ((Strings{"one", "two", "three"}), matches("^\\w+$", "one\r\ntwo\nthree", {.global = true, .multiline = true}));
}

TEST(RegExp, IgnoreCase)
{
    EXPECT_FALSE(test("HELLO", "say hello"));
    EXPECT_TRUE(test("HELLO", "say hello", {.ignoreCase = true}));
    EXPECT_TRUE(test("^[A-C]+$", "abc", {.ignoreCase = true}));
    EXPECT_FALSE(test("^[^a-c]$", "B", {.ignoreCase = true}));
    EXPECT_TRUE(test("^(a)\\1$", "aA", {.ignoreCase = true}));
    EXPECT_TRUE(test("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", {.ignoreCase = true})); // été / ÉTÉ
}

TEST(RegExp, GreedyLazyAndLookahead)
{
    EXPECT_EQ((Strings{"<a><b>"}), matches("<.+>", "<a><b>"));
    EXPECT_EQ((Strings{"<a>", "<b>"}), matches("<.+?>", "<a><b>"));
    EXPECT_EQ((Strings{"Windows"}), matches("Windows(?=95|98)", "Windows98 Windows2000"));
    EXPECT_EQ((Strings{"Windows"}), matches("Windows(?!95|98)", "Windows98 Windows2000"));
    EXPECT_EQ((Strings{"", "b", ""}), matches("b*", "ab")); // empty matches advance one character
    EXPECT_TRUE(test("^(a*)*$", "aaa"));                    // an empty iteration ends the loop
    EXPECT_TRUE(test("^(?:ab)+$", "ababab"));
}

TEST(RegExp, ExecuteGivesMatchesAndSubMatches)
{
    vb::Ref<vb::Object> re = regExp("(\\w+)@(\\w+)\\.com", {.global = true});
    const Variant found = vb::call(*re, "Execute", "mail joe@site.com or ann@web.com");
    vb::Object& list = vb::requireObject(found);
    EXPECT_EQ("IMatchCollection2", list.typeName());
    ASSERT_EQ(2, vb::getProperty(list, "Count").longValue());
    const Variant second = vb::call(list, "Item", std::int16_t(1));
    vb::Object& m = vb::requireObject(second);
    EXPECT_EQ("IMatch2", m.typeName());
    EXPECT_EQ("ann@web.com", vb::getProperty(m, "Value").stringValue());
    EXPECT_EQ("ann@web.com", vb::CStr(second)); // Value is the default member
    EXPECT_EQ(21, vb::getProperty(m, "FirstIndex").longValue());
    EXPECT_EQ(11, vb::getProperty(m, "Length").longValue());
    const Variant subs = vb::getProperty(m, "SubMatches");
    vb::Object& s = vb::requireObject(subs);
    EXPECT_EQ(2, vb::getProperty(s, "Count").longValue());
    EXPECT_EQ("ann", vb::call(s, "Item", std::int16_t(0)).stringValue());
    EXPECT_EQ("web", vb::call(s, "", std::int16_t(1)).stringValue());
    EXPECT_VB_ERROR(5, vb::call(s, "Item", std::int16_t(2)));
    EXPECT_EQ("web", vb::call(m, "SubMatches", std::int16_t(1)).stringValue()); // m.SubMatches(1)
    EXPECT_VB_ERROR(5, vb::call(list, "Item", std::int16_t(2)));

    // Without Global only the first match; a group that took no part is Empty.
    const Variant first = vb::call(*regExp("a(x)?(b)"), "Execute", "zab ab");
    vb::Object& one = vb::requireObject(first);
    ASSERT_EQ(1, vb::getProperty(one, "Count").longValue());
    vb::Ref<vb::Object> m1 = object(vb::call(one, "Item", std::int16_t(0)));
    vb::Ref<vb::Object> s1 = object(vb::getProperty(*m1, "SubMatches"));
    EXPECT_TRUE(vb::call(*s1, "Item", std::int16_t(0)).isEmpty());
    EXPECT_EQ("b", vb::call(*s1, "Item", std::int16_t(1)).stringValue());
}

TEST(RegExp, PositionsCountCharacters)
{
    const Variant found = vb::call(*regExp("b+"), "Execute", "\xC3\xA9\xC3\xA9" "bb");
    vb::Ref<vb::Object> m = object(vb::call(vb::requireObject(found), "Item", std::int16_t(0)));
    EXPECT_EQ(2, vb::getProperty(*m, "FirstIndex").longValue());
    EXPECT_EQ(2, vb::getProperty(*m, "Length").longValue());
}

TEST(RegExp, ReplaceWithPatternsAndFunctions)
{
    EXPECT_EQ("x-b-x", replace("a", "a-b-a", "x"));
    EXPECT_EQ("x-b-a", replace("a", "a-b-a", "x", {}));
    EXPECT_EQ("Smith, John", replace("(\\w+) (\\w+)", "John Smith", "$2, $1"));
    EXPECT_EQ("[ab]c", replace("ab", "abc", "[$&]"));
    EXPECT_EQ("a<a>c", replace("b", "abc", "<$`>"));
    EXPECT_EQ("a<c>c", replace("b", "abc", "<$'>"));
    EXPECT_EQ("a$c", replace("b", "abc", "$$"));
    EXPECT_EQ("a$3c", replace("(b)", "abc", "$3")); // no such group: literal
    EXPECT_EQ("a$0c", replace("b", "abc", "$0"));
    EXPECT_EQ("abbc", replace("(b)", "abc", "$01$1"));
    EXPECT_EQ("AB", replace("a(x)?", "aB", "A$1", {.ignoreCase = true}));
    EXPECT_EQ("xaxbx", replace("", "ab", "x"));
    EXPECT_EQ("XbX", replace("A", "abA", "X", {.global = true, .ignoreCase = true}));

    vb::Ref<vb::Object> re = regExp("(\\d)(x)?", {.global = true});
    Variant function(vb::Ref<vb::Object>(vb::make<JoinArguments>()));
    vb::ArgPack<2> pack(Variant("a1b2x"), Variant());
    pack.byRef(1, function);
    EXPECT_EQ("a[1|1|<empty>|1|a1b2x]b[2x|2|x|3|a1b2x]", re->invoke("Replace", vb::Method, pack.args()).stringValue());
}

TEST(RegExp, SyntaxErrors)
{
    EXPECT_EQ(5020, patternError("(ab"));
    EXPECT_EQ(5019, patternError("[ab"));
    EXPECT_EQ(5018, patternError("*a"));
    EXPECT_EQ(5018, patternError("a**"));
    EXPECT_EQ(5018, patternError("a|+"));
    EXPECT_EQ(5018, patternError("^*"));
    EXPECT_EQ(5021, patternError("[z-a]"));
    EXPECT_EQ(5017, patternError("ab)"));
    EXPECT_EQ(5017, patternError("a\\"));
    EXPECT_EQ(5017, patternError("a{3,1}"));
    EXPECT_EQ(5017, patternError("(?<x>a)"));
    EXPECT_EQ(5017, patternError(std::string(100000, '(') + std::string(100000, ')'))); // no deep recursion
    EXPECT_TRUE(test(std::string(100, '(') + "a" + std::string(100, ')'), "a"));
    // The error comes when the pattern is used, not when it is set.
    vb::Ref<vb::Object> re = regExp("(");
    EXPECT_VB_ERROR(5020, vb::call(*re, "Execute", "x"));
    vb::setProperty(*re, "Pattern", "x");
    EXPECT_TRUE(vb::call(*re, "Test", "x").booleanValue());
}

TEST(RegExp, LongSubjectsAndRunawayPatterns)
{
    const std::string big(300000, 'x');
    EXPECT_EQ(big, matches("x*", big)[0]); // no recursion: long texts are fine
    EXPECT_EQ(big + "y", replace("(x|z)*", big + "y", "$&", {}) );
    // Catastrophic backtracking ends in an error instead of running for ever.
    EXPECT_EQ(28, errorOf([] { test("^(a|aa)+$", std::string(60, 'a') + "b"); }));
}

// Classes answer ASCII characters from a table made when the pattern compiles; every
// answer must be the one the ranges and escapes give, negated or not, with and
// without IgnoreCase (which tests a negated class through a copy with the negation
// taken off), and characters beyond ASCII still go through the ranges.
TEST(RegExp, ClassesAnswerEveryCharacterAsTheirRangesSay)
{
    const char* const classes[] = {"[a-f0-9_]", "[^a-z]", "[\\w-]", "[^\\s]", "[\\D]", "[^\\W\\d]", "[\\s\\d]", "[^A-Z_\\-]",
                                   "[\\S\\s]", "[^\\x00-\\x1f]", "\\w", "\\W", "\\d", "\\s"};
    for (const char* cls : classes) {
        for (int c = 1; c < 128; ++c) {
            const std::string subject(1, static_cast<char>(c));
            for (const bool ignoreCase : {false, true}) {
                // The answer the class's own definition gives, written out here.
                const vb::Ref<vb::Object> re = regExp(std::string("^") + cls + "$", {.ignoreCase = ignoreCase});
                const bool byClass = vb::call(*re, "Test", subject).booleanValue();
                const std::string name = std::string(cls) + " on " + std::to_string(c) + (ignoreCase ? " (ignore case)" : "");
                bool expected;
                const std::string body = std::string(cls);
                const bool negated = body.size() > 2 && body[1] == '^';
                const auto inRanges = [&](char32_t ch) {
                    const bool word = std::isalnum(static_cast<int>(ch)) || ch == '_';
                    const bool digit = ch >= '0' && ch <= '9';
                    const bool space = ch == ' ' || (ch >= '\t' && ch <= '\r');
                    if (body == "[a-f0-9_]") return (ch >= 'a' && ch <= 'f') || digit || ch == '_';
                    if (body == "[^a-z]") return ch >= 'a' && ch <= 'z';
                    if (body == "[\\w-]") return word || ch == '-';
                    if (body == "[^\\s]") return space;
                    if (body == "[\\D]") return !digit;
                    if (body == "[^\\W\\d]") return !word || digit;
                    if (body == "[\\s\\d]") return space || digit;
                    if (body == "[^A-Z_\\-]") return (ch >= 'A' && ch <= 'Z') || ch == '_' || ch == '-';
                    if (body == "[\\S\\s]") return true;
                    if (body == "[^\\x00-\\x1f]") return ch < 0x20;
                    if (body == "\\w") return word;
                    if (body == "\\W") return !word;
                    if (body == "\\d") return digit;
                    return space; // \s
                };
                const auto lower = static_cast<char32_t>(std::tolower(c));
                const auto upper = static_cast<char32_t>(std::toupper(c));
                if (!ignoreCase)
                    expected = inRanges(static_cast<char32_t>(c)) != negated;
                else if (negated)
                    expected = !(inRanges(static_cast<char32_t>(c)) || inRanges(lower) || inRanges(upper));
                else
                    expected = inRanges(static_cast<char32_t>(c)) || inRanges(lower) || inRanges(upper);
                EXPECT_EQ(byClass, expected) << name;
            }
        }
    }
    // Beyond ASCII: the ranges themselves.
    EXPECT_TRUE(test("^[^a-z]$", "\xC3\xA9"));                          // é is not in a-z
    EXPECT_TRUE(test("^[\\u00e0-\\u00ff]$", "\xC3\xA9"));
    EXPECT_FALSE(test("^[^\\u00e0-\\u00ff]$", "\xC3\xA9"));
    EXPECT_TRUE(test("^\\s$", "\xE2\x80\xA8"));                         // line separator
    EXPECT_TRUE(test("^[^\\S]$", "\xC2\xA0"));                          // no-break space
}

// A match with many choices outgrows the backtracking room the matcher starts with.
TEST(RegExp, DeepBacktrackingKeepsEveryChoice)
{
    const std::string words = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron pi rho sigma tau";
    EXPECT_EQ(Strings({words}), matches("^(\\w+ ?)+$", words));
    EXPECT_EQ(Strings({"tau"}), matches("(\\w+)(?= *$)", words + "  "));
    EXPECT_EQ("rho|sigma", vb::CStr(vb::call(*regExp("^.*(rho) (sigma).*$"), "Replace", words, "$1|$2")));
}
