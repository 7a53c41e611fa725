// Tokens of VBScript source, with their place in the code.
#pragma once

#include "automation/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vbscript {

enum class TokenKind : std::uint8_t {
    EndOfInput,
    Newline,
    Colon,
    Identifier, // plain names and keywords (see Keyword)
    Literal,    // numbers, strings and dates; the value is in Token::value
    LParen,
    RParen,
    Comma,
    Dot,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Ampersand,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
};

// Words with a meaning of their own. Reserved ones cannot name variables; the
// contextual ones (Property, Default, Error, Explicit, Step, Preserve, Get, Let,
// Resume, GoTo, Erase, Stop) are keywords only where the grammar expects them.
enum class Keyword : std::uint8_t {
    None,
    And, ByRef, ByVal, Call, Case, Class, Const, Dim, Do, Each, Else, ElseIf, Empty, End,
    Eqv, Exit, False, For, Function, If, Imp, In, Is, Loop, Me, Mod, New, Next, Not,
    Nothing, Null, On, Option, Or, Private, Public, ReDim, Select, Set, Sub, Then, To,
    True, Until, Wend, While, With, Xor,
    // contextual
    Property, Default, Error, Explicit, Step, Preserve, Get, Let, Resume, GoTo, Erase, Stop,
};

Keyword keywordOf(std::string_view word);
bool isReserved(Keyword k);
std::string_view keywordText(Keyword k);

struct Token {
    TokenKind kind = TokenKind::EndOfInput;
    Keyword keyword = Keyword::None;
    bool spaceBefore = false; // whitespace (or line start) directly before the token
    int line = 1;             // 1-based
    int column = 0;           // 0-based
    std::string text;         // identifier name as written
    vb::Variant value;        // literal value
};

} // namespace vbscript
