// Parser: builds the parse tree of a compile unit from the Lexer's tokens.
//
// Statements follow VBScript's line structure (newlines and ':' end statements;
// single-line If runs to the end of its line). Calls without parentheses
// ("Foo a, b") are told apart from calls and indexes with them by reading the
// target first and looking at what follows. Errors raise CompileError with
// VBScript's numbers and the place of the offending token.
#pragma once

#include "Ast.h"
#include "Token.h"

#include "base/Assert.h"

#include <string_view>
#include <vector>

namespace vbscript {

class Parser {
public:
    explicit Parser(std::string_view source);

    ast::Program parseProgram();
    // A single expression (Eval); the whole input must be used.
    ast::ExprPtr parseExpressionOnly();

private:
    // Tokens
    const Token& cur() const { return tokens_[pos_]; }
    const Token& ahead(std::size_t n = 1) const;
    bool is(TokenKind k) const { return cur().kind == k; }
    bool isKeyword(Keyword k) const { return cur().kind == TokenKind::Identifier && cur().keyword == k; }
    bool aheadIsKeyword(std::size_t n, Keyword k) const;
    void advance() { if (pos_ + 1 < tokens_.size()) ++pos_; }
    bool accept(TokenKind k);
    bool acceptKeyword(Keyword k);
    void expect(TokenKind k, int errorNumber);
    void expectKeyword(Keyword k, int errorNumber);
    [[noreturn]] void fail(int errorNumber) const;
    [[noreturn]] void failAt(int errorNumber, const Token& t) const;
    bool atStatementEnd() const;
    void endStatement();
    void skipSeparators();
    std::string expectName();
    std::string expectMemberName();
    bool isNameToken(const Token& t) const;

    // Statements
    bool blockEnds() const;
    ast::Block parseBlock();
    ast::StmtPtr parseStatement();
    ast::StmtPtr parseSimpleStatement(bool isSet);
    ast::StmtPtr parseCallKeyword();
    std::unique_ptr<ast::DimStmt> parseDim(ast::Access access, int line, int col);
    std::unique_ptr<ast::ConstStmt> parseConst(ast::Access access, int line, int col);
    ast::StmtPtr parseReDim();
    ast::StmtPtr parseErase();
    ast::StmtPtr parseIf();
    ast::Block parseSingleLineBody();
    ast::StmtPtr parseSelect();
    ast::StmtPtr parseFor();
    ast::StmtPtr parseDo();
    ast::StmtPtr parseWhile();
    ast::StmtPtr parseExit();
    ast::StmtPtr parseWith();
    ast::StmtPtr parseOn();
    ast::StmtPtr parseDeclarationWithAccess();
    std::unique_ptr<ast::ProcedureDecl> parseProcedure(ast::Access access, bool isDefault, int line, int col);
    std::unique_ptr<ast::ClassDecl> parseClass(int line, int col);
    void expectEndOf(Keyword what, int errorNumber);

    // Expressions
    // Binary operator levels, loosest first; Not and the unary signs sit between them.
    enum class Level : int {
        Imp, Eqv, Xor, Or, And, Not, Comparison, Concat, Additive, Modulo, IntDivide, Multiplicative, Power, Unary,
    };
    ast::ExprPtr parseExpression();
    ast::ExprPtr parseLevel(Level level);
    bool binaryOpAt(Level level, ast::BinaryOp& op) const;
    ast::ExprPtr parseNot();
    ast::ExprPtr parseConcat();
    ast::ExprPtr parseUnary();
    ast::ExprPtr parsePostfix();
    ast::ExprPtr parsePrimary();
    ast::ExprPtr parseChain(ast::ExprPtr base);
    std::vector<ast::ExprPtr> parseParenArgs();
    std::vector<ast::ExprPtr> parseBareArgs();
    ast::ExprPtr binary(ast::BinaryOp op, ast::ExprPtr l, ast::ExprPtr r, const Token& at);
    vb::Variant parseConstValue();

    // Every nesting counter below is entered and left through a guard, so that it is
    // right again however the parse of a construct ends: a compile error that a caller
    // catches (parseConst retries a failed literal as an expression) included.

    // One level of a counter (What Exit may leave, single-line If) for as long as the
    // construct is parsed.
    class Entered {
    public:
        explicit Entered(int& counter) : counter_(counter) { ++counter_; }
        ~Entered()
        {
            TALLIS_ASSERT(counter_ > 0);
            --counter_;
        }
        Entered(const Entered&) = delete;
        Entered& operator=(const Entered&) = delete;

    private:
        int& counter_;
    };

    // A member set for the parse of one construct, given its old value back after it.
    template <class T>
    class Scoped {
    public:
        Scoped(T& member, T value) : member_(member), saved_(member) { member_ = value; }
        ~Scoped() { member_ = saved_; }
        Scoped(const Scoped&) = delete;
        Scoped& operator=(const Scoped&) = delete;

    private:
        T& member_;
        T saved_;
    };

    // One level of the parse's overall nesting (statements and expressions), within
    // the nesting limit: deeper input fails with "Out of memory".
    class DepthGuard {
    public:
        explicit DepthGuard(Parser& p);
        ~DepthGuard()
        {
            TALLIS_ASSERT(parser_.depth_ > 0);
            --parser_.depth_;
        }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;

    private:
        Parser& parser_;
    };

    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    // What Exit may leave, and where we are.
    int doDepth_ = 0;
    int forDepth_ = 0;
    int withDepth_ = 0;
    bool inClass_ = false;
    bool inProcedure_ = false;
    ast::ProcKind procKind_ = ast::ProcKind::Sub;
    int singleLineIf_ = 0;
    bool optionExplicit_ = false;
};

} // namespace vbscript
