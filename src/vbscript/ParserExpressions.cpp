// Parser: expressions, by precedence from Imp down to the primaries and their
// member/argument chains.
#include "Parser.h"

#include "CompileError.h"
#include "vbscript/base/Limits.h"

namespace vbscript {

using namespace ast;

ExprPtr Parser::binary(BinaryOp op, ExprPtr l, ExprPtr r, const Token& at)
{
    auto e = makeExpr(Expr::Kind::Binary, at.line, at.column);
    e->binaryOp = op;
    e->left = std::move(l);
    e->right = std::move(r);
    return e;
}

ExprPtr Parser::parseExpression()
{
    DepthGuard guard(*this);
    return parseLevel(Level::Imp);
}

ExprPtr Parser::parseConcat()
{
    return parseLevel(Level::Concat);
}

// The binary operator of `level` at the current token, if there is one.
bool Parser::binaryOpAt(Level level, BinaryOp& op) const
{
    const TokenKind k = cur().kind;
    switch (level) {
    case Level::Imp: op = BinaryOp::Imp; return isKeyword(Keyword::Imp);
    case Level::Eqv: op = BinaryOp::Eqv; return isKeyword(Keyword::Eqv);
    case Level::Xor: op = BinaryOp::Xor; return isKeyword(Keyword::Xor);
    case Level::Or: op = BinaryOp::Or; return isKeyword(Keyword::Or);
    case Level::And: op = BinaryOp::And; return isKeyword(Keyword::And);
    case Level::Comparison:
        switch (k) {
        case TokenKind::Equal: op = BinaryOp::Equal; return true;
        case TokenKind::NotEqual: op = BinaryOp::NotEqual; return true;
        case TokenKind::Less: op = BinaryOp::Less; return true;
        case TokenKind::Greater: op = BinaryOp::Greater; return true;
        case TokenKind::LessEqual: op = BinaryOp::LessEqual; return true;
        case TokenKind::GreaterEqual: op = BinaryOp::GreaterEqual; return true;
        default: op = BinaryOp::Is; return isKeyword(Keyword::Is);
        }
    case Level::Concat: op = BinaryOp::Concat; return k == TokenKind::Ampersand;
    case Level::Additive:
        op = k == TokenKind::Plus ? BinaryOp::Add : BinaryOp::Subtract;
        return k == TokenKind::Plus || k == TokenKind::Minus;
    case Level::Modulo: op = BinaryOp::Modulo; return isKeyword(Keyword::Mod);
    case Level::IntDivide: op = BinaryOp::IntDivide; return k == TokenKind::Backslash;
    case Level::Multiplicative:
        op = k == TokenKind::Star ? BinaryOp::Multiply : BinaryOp::Divide;
        return k == TokenKind::Star || k == TokenKind::Slash;
    case Level::Power: op = BinaryOp::Power; return k == TokenKind::Caret;
    default: return false;
    }
}

// One precedence level: its operands (the next tighter level) joined left to right.
// Three or more operands become one flat Chain node, so that a script with thousands
// of terms in one expression needs no deeper recursion than one with two.
ExprPtr Parser::parseLevel(Level level)
{
    if (level == Level::Not)
        return parseNot();
    if (level == Level::Unary)
        return parseUnary();
    const Level next = static_cast<Level>(static_cast<int>(level) + 1);
    ExprPtr first = parseLevel(next);
    BinaryOp op;
    if (!binaryOpAt(level, op))
        return first;
    const Token at = cur();
    advance();
    ExprPtr second = parseLevel(next);
    BinaryOp op2;
    if (!binaryOpAt(level, op2))
        return binary(op, std::move(first), std::move(second), at);
    auto chain = makeExpr(Expr::Kind::Chain, at.line, at.column);
    chain->args.push_back(std::move(first));
    chain->args.push_back(std::move(second));
    chain->chainOps.push_back(op);
    do {
        advance();
        chain->chainOps.push_back(op2);
        chain->args.push_back(parseLevel(next));
    } while (binaryOpAt(level, op2));
    return chain;
}

ExprPtr Parser::parseNot()
{
    if (isKeyword(Keyword::Not)) {
        DepthGuard guard(*this);
        auto e = makeExpr(Expr::Kind::Unary, cur().line, cur().column);
        advance();
        e->unaryOp = UnaryOp::Not;
        e->left = parseNot();
        return e;
    }
    return parseLevel(Level::Comparison);
}

// Negation binds tighter than "^": -2 ^ 2 is 4, and 2 ^ -1 takes the sign too.
ExprPtr Parser::parseUnary()
{
    if (is(TokenKind::Minus) || is(TokenKind::Plus)) {
        DepthGuard guard(*this);
        auto e = makeExpr(Expr::Kind::Unary, cur().line, cur().column);
        e->unaryOp = is(TokenKind::Minus) ? UnaryOp::Negate : UnaryOp::Plus;
        advance();
        e->left = parseUnary();
        return e;
    }
    return parsePostfix();
}

ExprPtr Parser::parsePostfix()
{
    ExprPtr e = parsePrimary();
    if (e->kind == Expr::Kind::Literal)
        return e;
    return parseChain(std::move(e));
}

ExprPtr Parser::parseChain(ExprPtr base)
{
    for (int links = 0;; ++links) {
        // Each link nests the tree one level deeper; keep that within the nesting limit.
        if (links > limits::kMaxChainLinks)
            fail(cerr::OutOfMemory);
        if (is(TokenKind::Dot) && !(withDepth_ > 0 && cur().spaceBefore)) {
            const Token& dot = cur();
            auto m = makeExpr(Expr::Kind::Member, dot.line, dot.column);
            advance();
            m->name = expectMemberName();
            m->left = std::move(base);
            base = std::move(m);
        } else if (is(TokenKind::LParen)) {
            auto c = makeExpr(Expr::Kind::Call, cur().line, cur().column);
            c->args = parseParenArgs();
            c->left = std::move(base);
            base = std::move(c);
        } else {
            return base;
        }
    }
}

std::vector<ExprPtr> Parser::parseParenArgs()
{
    DepthGuard guard(*this);
    expect(TokenKind::LParen, cerr::ExpectedLParen);
    std::vector<ExprPtr> args;
    if (accept(TokenKind::RParen))
        return args;
    for (;;) {
        if (is(TokenKind::Comma) || is(TokenKind::RParen))
            args.push_back(nullptr);
        else
            args.push_back(parseExpression());
        if (accept(TokenKind::Comma))
            continue;
        expect(TokenKind::RParen, cerr::ExpectedRParen);
        return args;
    }
}

std::vector<ExprPtr> Parser::parseBareArgs()
{
    std::vector<ExprPtr> args;
    for (;;) {
        if (is(TokenKind::Comma) || atStatementEnd())
            args.push_back(nullptr);
        else
            args.push_back(parseExpression());
        if (accept(TokenKind::Comma))
            continue;
        endStatement();
        return args;
    }
}

ExprPtr Parser::parsePrimary()
{
    const Token& t = cur();
    switch (t.kind) {
    case TokenKind::Literal: {
        auto e = makeExpr(Expr::Kind::Literal, t.line, t.column);
        e->value = t.value;
        advance();
        return e;
    }
    case TokenKind::LParen: {
        DepthGuard guard(*this);
        auto e = makeExpr(Expr::Kind::Paren, t.line, t.column);
        advance();
        e->left = parseExpression();
        expect(TokenKind::RParen, cerr::ExpectedRParen);
        return e;
    }
    case TokenKind::Dot: {
        auto e = makeExpr(Expr::Kind::Member, t.line, t.column);
        advance();
        e->name = expectMemberName();
        return e;
    }
    case TokenKind::Identifier: {
        auto literal = [&](vb::Variant v) {
            auto e = makeExpr(Expr::Kind::Literal, t.line, t.column);
            e->value = std::move(v);
            advance();
            return e;
        };
        switch (t.keyword) {
        case Keyword::True: return literal(vb::Variant(true));
        case Keyword::False: return literal(vb::Variant(false));
        case Keyword::Empty: return literal(vb::Variant());
        case Keyword::Null: return literal(vb::Variant::null());
        case Keyword::Nothing: return literal(vb::Variant::nothing());
        case Keyword::Me: {
            auto e = makeExpr(Expr::Kind::Me, t.line, t.column);
            advance();
            return e;
        }
        case Keyword::New: {
            auto e = makeExpr(Expr::Kind::New, t.line, t.column);
            advance();
            e->name = expectName();
            return e;
        }
        case Keyword::Not: {
            DepthGuard guard(*this);
            auto e = makeExpr(Expr::Kind::Unary, t.line, t.column);
            advance();
            e->unaryOp = UnaryOp::Not;
            // Not is looser than the comparisons: "1 <> Not 0 = 0" negates "0 = 0".
            e->left = parseNot();
            return e;
        }
        default:
            if (isReserved(t.keyword))
                fail(cerr::ExpectedExpression);
            auto e = makeExpr(Expr::Kind::Name, t.line, t.column);
            e->name = t.text;
            advance();
            return e;
        }
    }
    default:
        fail(cerr::ExpectedExpression);
    }
}

} // namespace vbscript
