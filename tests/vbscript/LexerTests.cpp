// Literals, comments, continuation lines and the lexer's errors.
#include "ScriptTest.h"

#include "vbscript/CompileError.h"
#include "vbscript/Lexer.h"

using vbtest::ScriptTest;

namespace {

class Literals : public ScriptTest { };

TEST_F(Literals, WholeNumbersTakeTheNarrowestType)
{
    EXPECT_EQ(typeOf("32767"), "Integer");
    EXPECT_EQ(typeOf("32768"), "Long");
    EXPECT_EQ(typeOf("2147483647"), "Long");
    EXPECT_EQ(typeOf("2147483648"), "Double");
    EXPECT_EQ(typeOf("-32768"), "Long"); // negation of the Long 32768
    EXPECT_EQ(typeOf("1.5"), "Double");
    EXPECT_EQ(typeOf("1E3"), "Double");
    EXPECT_EQ(evalText("1E3"), "1000");
    EXPECT_EQ(evalText(".5"), "0.5");
}

TEST_F(Literals, HexAndOctalKeepVBScriptWidths)
{
    EXPECT_EQ(eval("&HFF").integerValue(), 255);
    EXPECT_EQ(eval("&HFFFF").integerValue(), -1);
    EXPECT_EQ(eval("&H8000").longValue(), -32768);
    EXPECT_EQ(typeOf("&H8000"), "Long");
    EXPECT_EQ(typeOf("&H00000000000000FF"), "Integer");
    EXPECT_EQ(eval("&H00000000000000FF").integerValue(), 255);
    EXPECT_EQ(typeOf("&H10000"), "Long");
    EXPECT_EQ(eval("&HFFFFFFFF").longValue(), -1);
    EXPECT_EQ(eval("&HFF&").integerValue(), 255); // the "&" widens the digits, not the type
    EXPECT_EQ(typeOf("&HFF&"), "Integer");
    EXPECT_EQ(eval("&O17").integerValue(), 15);
    EXPECT_EQ(eval("&17").integerValue(), 15);
    EXPECT_EQ(eval("&hff").integerValue(), 255);
}

TEST_F(Literals, StringsDatesAndKeywords)
{
    EXPECT_EQ(evalText("\"say \"\"hi\"\"\""), "say \"hi\"");
    EXPECT_EQ(evalText("\"\""), "");
    EXPECT_EQ(typeOf("#1/2/2003#"), "Date");
    EXPECT_EQ(evalText("#1/2/2003 10:30:00 PM#"), "1/2/2003 10:30:00 PM");
    EXPECT_EQ(typeOf("Empty"), "Empty");
    EXPECT_EQ(typeOf("Null"), "Null");
    EXPECT_EQ(typeOf("Nothing"), "Nothing");
    EXPECT_EQ(eval("True").booleanValue(), true);
    EXPECT_EQ(eval("tRuE").booleanValue(), true);
}

TEST_F(Literals, CommentsContinuationsAndSeparators)
{
    EXPECT_EQ(out("x = 1 ' a comment\nRem another\nx = x + _\n  2 : Out.Echo x : rem tail"), "3");
    EXPECT_EQ(out("Out.Echo \"a\", _\n \"b\""), "a b");
    EXPECT_EQ(out("Dim [my var]\n[my var] = 5\nOut.Echo [my var]"), "5");
    EXPECT_EQ(out("x=1:y=2:Out.Echo x+y"), "3");
}

TEST_F(Literals, NamesIgnoreCase)
{
    EXPECT_EQ(out("Dim Total\ntotal = 4\nOUT.ECHO TOTAL"), "4");
}

struct LexError {
    const char* code;
    int number;
    int line;
    int column;
};

class LexerErrors : public ::testing::TestWithParam<LexError> { };

TEST_P(LexerErrors, ReportNumberAndPlace)
{
    const LexError& c = GetParam();
    try {
        vbscript::Lexer(c.code).tokenize();
        FAIL() << "no error for " << c.code;
    } catch (const vbscript::CompileError& e) {
        EXPECT_EQ(e.number(), c.number) << c.code;
        EXPECT_EQ(e.line(), c.line) << c.code;
        EXPECT_EQ(e.column(), c.column) << c.code;
    }
}

INSTANTIATE_TEST_SUITE_P(Lexer, LexerErrors,
                         ::testing::Values(LexError{"x = \"abc", vbscript::cerr::UnterminatedString, 1, 8},
                                           LexError{"x = 1\ny = \"a\nz", vbscript::cerr::UnterminatedString, 2, 6},
                                           LexError{"x = 5 $ 3", vbscript::cerr::InvalidCharacter, 1, 6},
                                           LexError{"x = 1e999", vbscript::cerr::InvalidNumber, 1, 4},
                                           LexError{"x = &HFFFFFFFFF", vbscript::cerr::InvalidNumber, 1, 4},
                                           LexError{"x = #not a date#", vbscript::cerr::SyntaxError, 1, 4}));

TEST(LexerLimits, IdentifierLongerThan255IsRefused)
{
    const std::string longName(256, 'a');
    EXPECT_THROW(vbscript::Lexer("x = " + longName).tokenize(), vbscript::CompileError);
    EXPECT_NO_THROW(vbscript::Lexer("x = " + std::string(255, 'a')).tokenize());
}

} // namespace
