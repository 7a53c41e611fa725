// Lexer: turns VBScript source into tokens.
//
// Line continuations (" _" at the end of a line) are joined, comments (' and Rem)
// dropped, and literals read into their VBScript types: whole numbers as Integer,
// Long or Double by size, &H/&O numbers with VBScript's widths, strings with doubled
// quotes, and #dates#. Errors raise CompileError with VBScript's numbers.
#pragma once

#include "Token.h"

#include <string_view>
#include <vector>

namespace vbscript {

class Lexer {
public:
    explicit Lexer(std::string_view source) : src_(source) { }
    std::vector<Token> tokenize();

private:
    char peek(std::size_t ahead = 0) const { return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0'; }
    bool atEnd() const { return pos_ >= src_.size(); }
    int column() const { return static_cast<int>(pos_ - lineStart_); }
    // Blanks, a line end (a Newline token), a comment or a line continuation at pos_:
    // read, and true; false when a token starts there. `space` tells the next token
    // that blanks came before it.
    bool readLayout(bool& space);
    // The operators and punctuation; anything else is an invalid character.
    void readOperator(Token& t);
    // Every script ends with a line end and the end-of-input token.
    void appendEnd();
    void newline();
    void skipToLineEnd();
    bool continuationFollows() const;
    void readNumber(Token& t);
    bool radixLiteralFollows() const;
    void readRadixNumber(Token& t);
    void readString(Token& t);
    void readDate(Token& t);
    void readIdentifier(Token& t);
    void readBracketedIdentifier(Token& t);
    [[noreturn]] void fail(int number, int col) const;

    std::string_view src_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    int line_ = 1;
    std::vector<Token> tokens_;
};

} // namespace vbscript
