#include "Lexer.h"

#include "CompileError.h"
#include "vbscript/base/Limits.h"

#include "automation/DateTime.h"
#include "automation/TextCompare.h"
#include "automation/Utf16Text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

namespace vbscript {

namespace {

struct KeywordEntry {
    std::string_view text;
    Keyword keyword;
    bool reserved;
};

constexpr KeywordEntry kKeywords[] = {
    {"And", Keyword::And, true}, {"ByRef", Keyword::ByRef, true}, {"ByVal", Keyword::ByVal, true},
    {"Call", Keyword::Call, true}, {"Case", Keyword::Case, true}, {"Class", Keyword::Class, true},
    {"Const", Keyword::Const, true}, {"Dim", Keyword::Dim, true}, {"Do", Keyword::Do, true},
    {"Each", Keyword::Each, true}, {"Else", Keyword::Else, true}, {"ElseIf", Keyword::ElseIf, true},
    {"Empty", Keyword::Empty, true}, {"End", Keyword::End, true}, {"Eqv", Keyword::Eqv, true},
    {"Exit", Keyword::Exit, true}, {"False", Keyword::False, true}, {"For", Keyword::For, true},
    {"Function", Keyword::Function, true}, {"If", Keyword::If, true}, {"Imp", Keyword::Imp, true},
    {"In", Keyword::In, true}, {"Is", Keyword::Is, true}, {"Loop", Keyword::Loop, true},
    {"Me", Keyword::Me, true}, {"Mod", Keyword::Mod, true}, {"New", Keyword::New, true},
    {"Next", Keyword::Next, true}, {"Not", Keyword::Not, true}, {"Nothing", Keyword::Nothing, true},
    {"Null", Keyword::Null, true}, {"On", Keyword::On, true}, {"Option", Keyword::Option, true},
    {"Or", Keyword::Or, true}, {"Private", Keyword::Private, true}, {"Public", Keyword::Public, true},
    {"ReDim", Keyword::ReDim, true}, {"Select", Keyword::Select, true}, {"Set", Keyword::Set, true},
    {"Sub", Keyword::Sub, true}, {"Then", Keyword::Then, true}, {"To", Keyword::To, true},
    {"True", Keyword::True, true}, {"Until", Keyword::Until, true}, {"Wend", Keyword::Wend, true},
    {"While", Keyword::While, true}, {"With", Keyword::With, true}, {"Xor", Keyword::Xor, true},
    {"Property", Keyword::Property, false}, {"Default", Keyword::Default, false},
    {"Error", Keyword::Error, false}, {"Explicit", Keyword::Explicit, false}, {"Step", Keyword::Step, false},
    {"Preserve", Keyword::Preserve, false}, {"Get", Keyword::Get, false}, {"Let", Keyword::Let, false},
    {"Resume", Keyword::Resume, false}, {"GoTo", Keyword::GoTo, false}, {"Erase", Keyword::Erase, false},
    {"Stop", Keyword::Stop, false},
};

const std::unordered_map<std::string_view, const KeywordEntry*, vb::CaseInsensitiveHash, vb::CaseInsensitiveEqual>& keywordIndex()
{
    static const auto index = [] {
        std::unordered_map<std::string_view, const KeywordEntry*, vb::CaseInsensitiveHash, vb::CaseInsensitiveEqual> m;
        for (const KeywordEntry& e : kKeywords)
            m.emplace(e.text, &e);
        return m;
    }();
    return index;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

} // namespace

Keyword keywordOf(std::string_view word)
{
    auto it = keywordIndex().find(word);
    return it == keywordIndex().end() ? Keyword::None : it->second->keyword;
}

bool isReserved(Keyword k)
{
    return k != Keyword::None && k < Keyword::Property;
}

std::string_view keywordText(Keyword k)
{
    for (const KeywordEntry& e : kKeywords) {
        if (e.keyword == k)
            return e.text;
    }
    return {};
}

void Lexer::fail(int number, int col) const
{
    throw CompileError(number, line_, col);
}

void Lexer::newline()
{
    if (peek() == '\r' && peek(1) == '\n')
        pos_ += 2;
    else
        ++pos_;
    ++line_;
    lineStart_ = pos_;
}

void Lexer::skipToLineEnd()
{
    while (!atEnd() && peek() != '\n' && peek() != '\r')
        ++pos_;
}

bool Lexer::continuationFollows() const
{
    std::size_t p = pos_ + 1;
    while (p < src_.size() && isBlank(src_[p]))
        ++p;
    return p >= src_.size() || src_[p] == '\n' || src_[p] == '\r';
}

std::vector<Token> Lexer::tokenize()
{
    bool space = true;
    while (!atEnd()) {
        if (readLayout(space))
            continue;

        Token t;
        t.line = line_;
        t.column = column();
        t.spaceBefore = space;
        space = false;

        const char c = peek();
        if (isLetter(c)) {
            readIdentifier(t);
            if (t.text.size() == 3 && vb::equalsIgnoreCase(t.text, "Rem")
                && (tokens_.empty() || tokens_.back().kind != TokenKind::Dot)) {
                skipToLineEnd();
                continue;
            }
        } else if (isDigit(c) || (c == '.' && isDigit(peek(1)))) {
            readNumber(t);
        } else if (c == '"') {
            readString(t);
        } else if (c == '#') {
            readDate(t);
        } else if (c == '[') {
            readBracketedIdentifier(t);
        } else if (c == '&' && radixLiteralFollows()) {
            readRadixNumber(t);
        } else {
            readOperator(t);
        }
        tokens_.push_back(std::move(t));
    }
    appendEnd();
    return std::move(tokens_);
}

bool Lexer::readLayout(bool& space)
{
    const char c = peek();
    if (isBlank(c)) {
        ++pos_;
        space = true;
        return true;
    }
    if (c == '\n' || c == '\r') {
        Token t;
        t.kind = TokenKind::Newline;
        t.line = line_;
        t.column = column();
        tokens_.push_back(std::move(t));
        newline();
        space = true;
        return true;
    }
    if (c == '\'') {
        skipToLineEnd();
        return true;
    }
    if (c == '_' && continuationFollows()) {
        ++pos_;
        while (!atEnd() && isBlank(peek()))
            ++pos_;
        if (!atEnd())
            newline();
        space = true;
        return true;
    }
    return false;
}

void Lexer::readOperator(Token& t)
{
    const char c = peek();
    ++pos_;
    switch (c) {
    case ':': t.kind = TokenKind::Colon; break;
    case '(': t.kind = TokenKind::LParen; break;
    case ')': t.kind = TokenKind::RParen; break;
    case ',': t.kind = TokenKind::Comma; break;
    case '.': t.kind = TokenKind::Dot; break;
    case '+': t.kind = TokenKind::Plus; break;
    case '-': t.kind = TokenKind::Minus; break;
    case '*': t.kind = TokenKind::Star; break;
    case '/': t.kind = TokenKind::Slash; break;
    case '\\': t.kind = TokenKind::Backslash; break;
    case '^': t.kind = TokenKind::Caret; break;
    case '&': t.kind = TokenKind::Ampersand; break;
    case '=':
        t.kind = TokenKind::Equal;
        if (peek() == '<') {
            t.kind = TokenKind::LessEqual;
            ++pos_;
        } else if (peek() == '>') {
            t.kind = TokenKind::GreaterEqual;
            ++pos_;
        }
        break;
    case '<':
        t.kind = TokenKind::Less;
        if (peek() == '>') {
            t.kind = TokenKind::NotEqual;
            ++pos_;
        } else if (peek() == '=') {
            t.kind = TokenKind::LessEqual;
            ++pos_;
        }
        break;
    case '>':
        t.kind = TokenKind::Greater;
        if (peek() == '=') {
            t.kind = TokenKind::GreaterEqual;
            ++pos_;
        } else if (peek() == '<') {
            t.kind = TokenKind::NotEqual;
            ++pos_;
        }
        break;
    default: fail(cerr::InvalidCharacter, t.column);
    }
}

void Lexer::appendEnd()
{
    Token nl;
    nl.kind = TokenKind::Newline;
    nl.line = line_;
    nl.column = column();
    tokens_.push_back(nl);
    Token end;
    end.kind = TokenKind::EndOfInput;
    end.line = line_;
    end.column = column();
    tokens_.push_back(end);
}

void Lexer::readIdentifier(Token& t)
{
    const std::size_t start = pos_;
    while (!atEnd() && (isLetter(peek()) || isDigit(peek()) || peek() == '_'))
        ++pos_;
    if (pos_ - start > limits::kMaxIdentifier)
        fail(cerr::IdentifierTooLong, t.column);
    t.kind = TokenKind::Identifier;
    t.text.assign(src_.substr(start, pos_ - start));
    t.keyword = keywordOf(t.text);
}

void Lexer::readBracketedIdentifier(Token& t)
{
    ++pos_;
    const std::size_t start = pos_;
    while (!atEnd() && peek() != ']' && peek() != '\n' && peek() != '\r')
        ++pos_;
    if (peek() != ']')
        fail(cerr::ExpectedRBracket, column());
    if (pos_ - start > limits::kMaxIdentifier)
        fail(cerr::IdentifierTooLong, t.column);
    t.kind = TokenKind::Identifier;
    t.text.assign(src_.substr(start, pos_ - start));
    ++pos_;
}

void Lexer::readNumber(Token& t)
{
    const std::size_t start = pos_;
    bool isFloat = false;
    while (isDigit(peek()))
        ++pos_;
    if (peek() == '.') {
        isFloat = true;
        ++pos_;
        while (isDigit(peek()))
            ++pos_;
    }
    if (vb::asciiUpper(peek()) == 'E' && (isDigit(peek(1)) || ((peek(1) == '+' || peek(1) == '-') && isDigit(peek(2))))) {
        isFloat = true;
        pos_ += 2;
        while (isDigit(peek()))
            ++pos_;
    }
    const std::string text(src_.substr(start, pos_ - start));
    t.kind = TokenKind::Literal;
    const double d = std::strtod(text.c_str(), nullptr);
    if (std::isinf(d))
        fail(cerr::InvalidNumber, t.column);
    if (!isFloat && d <= 32767.0)
        t.value = vb::Variant(static_cast<std::int16_t>(d));
    else if (!isFloat && d <= 2147483647.0)
        t.value = vb::Variant(static_cast<std::int32_t>(d));
    else
        t.value = vb::Variant(d);
}

// "&H1F", "&O17" and "&17" are numbers; "&" before a name that merely starts with
// H or O ("&hour") is the concatenation operator.
bool Lexer::radixLiteralFollows() const
{
    const char c = vb::asciiUpper(peek(1));
    if (isDigit(peek(1)))
        return true;
    if (c == 'H')
        return std::isxdigit(static_cast<unsigned char>(peek(2))) != 0;
    if (c == 'O')
        return peek(2) >= '0' && peek(2) <= '7';
    return false;
}

void Lexer::readRadixNumber(Token& t)
{
    ++pos_; // '&'
    int radix = 8;
    if (vb::asciiUpper(peek()) == 'H') {
        radix = 16;
        ++pos_;
    } else if (vb::asciiUpper(peek()) == 'O') {
        ++pos_;
    }
    unsigned long long value = 0;
    int digits = 0;
    for (;;) {
        const char c = peek();
        int d = -1;
        if (isDigit(c))
            d = c - '0';
        else if (radix == 16 && vb::asciiUpper(c) >= 'A' && vb::asciiUpper(c) <= 'F')
            d = vb::asciiUpper(c) - 'A' + 10;
        if (d < 0 || d >= radix)
            break;
        value = value * radix + static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFull)
            fail(cerr::InvalidNumber, t.column);
        ++digits;
        ++pos_;
    }
    // "&19": an octal number may not run on into a decimal digit.
    if (digits == 0 || isDigit(peek()))
        fail(cerr::SyntaxError, t.column);
    bool forceLong = false;
    if (peek() == '&') {
        forceLong = true;
        ++pos_;
    }
    t.kind = TokenKind::Literal;
    // A trailing "&" reads the digits as 32 bits (&hFFFF& is 65535); the type still
    // follows the value: Integer when it fits one (&h10& is an Integer), else Long.
    if (forceLong) {
        const auto wide = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
        if (wide >= -32768 && wide <= 32767)
            t.value = vb::Variant(static_cast<std::int16_t>(wide));
        else
            t.value = vb::Variant(wide);
        return;
    }
    if (value == 0x8000) {
        t.value = vb::Variant(std::int32_t(-32768));
        return;
    }
    // The type follows the value, not the digits: up to &HFFFF an Integer (wrapping
    // to negative), except &H8000, which VBScript reads as the Long -32768.
    const bool fitsInteger = value <= 0xFFFF && value != 0x8000;
    if (fitsInteger)
        t.value = vb::Variant(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
    else
        t.value = vb::Variant(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

void Lexer::readString(Token& t)
{
    ++pos_;
    std::string s;
    for (;;) {
        if (atEnd() || peek() == '\n' || peek() == '\r')
            fail(cerr::UnterminatedString, column());
        const char c = peek();
        ++pos_;
        if (c == '"') {
            if (peek() == '"') {
                s += '"';
                ++pos_;
                continue;
            }
            break;
        }
        s += c;
    }
    t.kind = TokenKind::Literal;
    // A character beyond 16 bits becomes its two UTF-16 units, as strings hold them.
    if (!vb::utf16::hasNoFourByteSequences(s))
        s = vb::utf16::toUnits(s);
    t.value = vb::Variant(std::move(s));
}

void Lexer::readDate(Token& t)
{
    ++pos_;
    const std::size_t start = pos_;
    while (!atEnd() && peek() != '#' && peek() != '\n' && peek() != '\r')
        ++pos_;
    if (peek() != '#')
        fail(cerr::SyntaxError, t.column);
    const std::string_view text = src_.substr(start, pos_ - start);
    ++pos_;
    auto d = vb::parseDate(text);
    if (!d)
        fail(cerr::SyntaxError, t.column);
    t.kind = TokenKind::Literal;
    t.value = vb::Variant(*d);
}

} // namespace vbscript
